#include "support/alloc_counter.h"

#include <cstdlib>
#include <new>

namespace {

bool g_active = false;
int g_count = 0, g_released = 0;

void* allocate(std::size_t size) noexcept {
  g_count += g_active;
  return std::malloc(size == 0 ? 1 : size);
}
void* allocate_or_throw(std::size_t size) {
  if (void* p = allocate(size)) return p;
  throw std::bad_alloc();
}
void release(void* p) noexcept {
  g_released += g_active && p != nullptr;
  std::free(p);
}

}  // namespace

// The nothrow forms too, or our operator delete would free another allocator's blocks.
void* operator new(std::size_t size) { return allocate_or_throw(size); }
void* operator new[](std::size_t size) { return allocate_or_throw(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return alloc_counter::fail_nothrow ? nullptr : allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return alloc_counter::fail_nothrow ? nullptr : allocate(size);
}
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }

namespace alloc_counter {

bool fail_nothrow = false;
Scope::Scope() { g_count = g_released = 0, g_active = true; }
Scope::~Scope() { g_active = false; }
int Scope::count() const { return g_count; }
int Scope::released() const { return g_released; }

}  // namespace alloc_counter
