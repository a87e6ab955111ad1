// Memory of each thread's own, for caches on the hot path of lookups.
#ifndef KEZNLS_UT_THREAD_CACHE_H
#define KEZNLS_UT_THREAD_CACHE_H

#include <pthread.h>
#include <sys/mman.h>

#include <new>
#include <type_traits>

/// A T of the calling thread, made zeroed when the thread asks for it the
/// second time, and freed when it exits: a thread that asks once (a program
/// that prints one message) spares the key, the mapping and the pages of a
/// cache it would never read. Reached with one load: the thread keeps a
/// pointer in initial-exec thread-local storage (8 bytes, which a library
/// loaded late still finds room for), where a thread_local T of a shared
/// library would cost a call into the dynamic loader on every access.
///
/// Null on the thread's first call, and when it cannot have one: no
/// thread-specific key was left for us (without one the T could not be
/// freed at exit), the T cannot be allocated, or the thread is exiting.
/// Callers then go without; a T holds raw pointers only with an owner id
/// that is never reused (docs/threads.md).
template <typename T>
class utThreadCache {
 public:
  static T* get() {
    T* p = slot();
    return p != nullptr ? p : make();
  }
  /// The thread's T if it was made already, else null: for a caller whose
  /// usual road must not make a call.
  static T* peek() { return slot(); }

 private:
  static T*& slot() {
    static __thread T* p __attribute__((tls_model("initial-exec")));
    return p;
  }
  // How far the thread got: its T is made on its second call.
  enum State : unsigned char { kUnasked, kAsked, kExited };
  static unsigned char& state() {
    static __thread unsigned char s __attribute__((tls_model("initial-exec")));
    return s;
  }
  // Our key, if the process had one left; never a key of the program's.
  struct Key {
    Key() : made(pthread_key_create(&key, destroy) == 0) {}
    pthread_key_t key{};
    bool made;
  };
  // A thread's T goes with it; a lookup in some later destructor of that
  // thread goes without.
  static void destroy(void* p) {
    slot() = nullptr;
    state() = kExited;
    release(static_cast<T*>(p));
  }
  // A trivial T of a page or more is mapped: it comes zeroed from the
  // system, and a page is touched only once the thread uses it (a short
  // program touches a few of the caches' tens of KB). Smaller ones, and
  // any with a constructor, come from the allocator, value-initialised.
  static constexpr bool kMapped = std::is_trivial<T>::value && sizeof(T) >= 4096;
  static T* allocate() {
    if constexpr (kMapped) {
      void* p = ::mmap(nullptr, sizeof(T), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
      return p == MAP_FAILED ? nullptr : static_cast<T*>(p);
    } else {
      return new (std::nothrow) T();
    }
  }
  static void release(T* p) {
    if constexpr (kMapped) ::munmap(p, sizeof(T));
    else delete p;
  }
  __attribute__((noinline)) static T* make() {
    unsigned char& s = state();
    if (s != kAsked) {
      if (s == kUnasked) s = kAsked;
      return nullptr;
    }
    static const Key key;
    if (!key.made) return nullptr;
    T* fresh = allocate();
    if (fresh == nullptr) return nullptr;
    if (pthread_setspecific(key.key, fresh) != 0) {
      release(fresh);
      return nullptr;
    }
    slot() = fresh;
    return fresh;
  }
};

#endif  // KEZNLS_UT_THREAD_CACHE_H
