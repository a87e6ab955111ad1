#include "failing_new.h"

#include <cstdlib>
#include <new>

namespace {

bool g_fail_next = false;

void* allocate(std::size_t size) {
  if (g_fail_next) {
    g_fail_next = false;
    throw std::bad_alloc();
  }
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

void failing_new::fail_next() { g_fail_next = true; }
