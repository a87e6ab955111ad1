// Memory of the catalogue layer's own, from the allocator.
#ifndef NLS_ZEROED_ARRAY_H
#define NLS_ZEROED_ARRAY_H

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <thread>

/// Memory from the allocator, freed with it: a program that opens
/// catalogues again and again (a translator a request) reuses what an
/// earlier one freed instead of faulting in fresh pages from the kernel.
struct nlsFreeMemory {
  void operator()(void* memory) const { std::free(memory); }
};
using nlsMemory = std::unique_ptr<char[], nlsFreeMemory>;

namespace nls_state {

/// `count` Ts, zero until set, in memory from the allocator that is
/// cleared a page at a time when an entry there is first reached: a large
/// catalogue opens as fast as a small one, and one opened after another
/// was freed reuses its memory. Any number of threads may reach entries at
/// once: a page is cleared by one of them, before any sees an entry there
/// (docs/threads.md).
/// T must be trivially constructible from zero bytes.
template <typename T>
class ZeroedArray {
 public:
  explicit ZeroedArray(std::size_t count)  // throws std::bad_alloc
      : count_(count),
        memory_(static_cast<char*>(std::malloc(count * sizeof(T) + kPage))),
        // On a page boundary, so that clearing one of our pages touches one
        // of the system's. Not aligned_alloc: glibc maps and unmaps a large
        // aligned block every time, where a plain one is reused.
        items_(memory_ == nullptr ? nullptr
                                  : reinterpret_cast<T*>(memory_.get() + (kPage - reinterpret_cast<std::uintptr_t>(
                                                                                       memory_.get()) % kPage) % kPage)),
        pages_(new std::atomic<std::uint8_t>[(count + kPerPage - 1) / kPerPage]()) {
    if (items_ == nullptr) throw std::bad_alloc();
  }
  ZeroedArray(const ZeroedArray&) = delete;
  ZeroedArray& operator=(const ZeroedArray&) = delete;

  T& operator[](std::size_t i) const {
    std::atomic<std::uint8_t>& page = pages_[i / kPerPage];
    if (page.load(std::memory_order_acquire) != kClear) clear(page, i / kPerPage);
    return items_[i];
  }
  /// Calls `each` with every item that may have been set: those of pages
  /// cleared already.
  template <typename Each>
  void each_set(Each each) const {
    for (std::size_t i = 0; i < count_; i += kPerPage)
      if (pages_[i / kPerPage].load(std::memory_order_acquire) == kClear)
        for (std::size_t j = i; j < count_ && j < i + kPerPage; ++j) each(items_[j]);
  }

 private:
  static constexpr std::size_t kPage = 4096;
  static constexpr std::size_t kPerPage = kPage / sizeof(T);
  enum : std::uint8_t { kDirty, kClearing, kClear };

  // Out of line: once per page, and the lookups it sits in stay small.
  __attribute__((noinline, cold)) void clear(std::atomic<std::uint8_t>& page, std::size_t number) const {
    std::uint8_t dirty = kDirty;
    if (page.compare_exchange_strong(dirty, kClearing, std::memory_order_acquire)) {
      const std::size_t first = number * kPerPage;
      const std::size_t n = count_ - first < kPerPage ? count_ - first : kPerPage;
      std::memset(static_cast<void*>(items_ + first), 0, n * sizeof(T));
      page.store(kClear, std::memory_order_release);
      return;
    }
    // Another thread is clearing it: a few hundred nanoseconds.
    while (page.load(std::memory_order_acquire) != kClear) std::this_thread::yield();
  }

  const std::size_t count_;
  const nlsMemory memory_;
  T* const items_;
  const std::unique_ptr<std::atomic<std::uint8_t>[]> pages_;
};

}  // namespace nls_state

#endif  // NLS_ZEROED_ARRAY_H
