// Memory of each thread's own, for caches on the hot path of lookups.
#ifndef KEZNLS_UT_THREAD_CACHE_H
#define KEZNLS_UT_THREAD_CACHE_H

#include <pthread.h>

#include <new>

/// A T of the calling thread, made zeroed on its first use there and freed
/// when it exits. Reached with one load: the thread keeps a pointer in
/// initial-exec thread-local storage (8 bytes, which a library loaded late
/// still finds room for), where a thread_local T of a shared library would
/// cost a call into the dynamic loader on every access. Null when the
/// thread's T cannot be allocated, or the process has no thread-specific
/// key left to free it with: callers then go without.
/// A raw pointer kept in it needs its owner's never-reused id: docs/threads.md.
template <typename T>
class utThreadCache {
 public:
  static T* get() {
    T* p = slot();
    return p != nullptr ? p : make();
  }

 private:
  static T*& slot() {
    static __thread T* p __attribute__((tls_model("initial-exec")));
    return p;
  }
  __attribute__((noinline)) static T* make() {
    // Null when the process ran out of keys: no T is made then, since none
    // could be freed when its thread exits.
    static const pthread_key_t* const key = []() -> const pthread_key_t* {
      static pthread_key_t k;
      // A thread's T goes with it; its pointer is cleared first, in case
      // some later destructor of that thread looks again.
      const int failed = pthread_key_create(&k, [](void* p) {
        slot() = nullptr;
        delete static_cast<T*>(p);
      });
      return failed == 0 ? &k : nullptr;
    }();
    if (key == nullptr) return nullptr;
    T* fresh = new (std::nothrow) T();
    if (fresh == nullptr) return nullptr;
    if (pthread_setspecific(*key, fresh) != 0) {
      delete fresh;
      return nullptr;
    }
    slot() = fresh;
    return fresh;
  }
};

#endif  // KEZNLS_UT_THREAD_CACHE_H
