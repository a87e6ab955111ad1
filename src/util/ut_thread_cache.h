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
/// thread's T cannot be allocated: callers then go without.
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
    static const pthread_key_t key = [] {
      pthread_key_t k;
      // A thread's T goes with it; its pointer is cleared first, in case
      // some later destructor of that thread looks again.
      pthread_key_create(&k, [](void* p) {
        slot() = nullptr;
        delete static_cast<T*>(p);
      });
      return k;
    }();
    T* fresh = new (std::nothrow) T();
    if (fresh == nullptr) return nullptr;
    pthread_setspecific(key, fresh);
    slot() = fresh;
    return fresh;
  }
};

#endif  // KEZNLS_UT_THREAD_CACHE_H
