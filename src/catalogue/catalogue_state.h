// What a loaded catalogue learns as lookups reach its entries: shared by
// the reader, the lookup and the charset conversion.
#ifndef NLS_CATALOGUE_STATE_H
#define NLS_CATALOGUE_STATE_H

#include <iconv.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <thread>

#include "catalogue/file_image.h"
#include "keznls/nls/nls.h"

namespace nls_state {

// Bits of an entry's state, each set once and never cleared (docs/threads.md).
constexpr std::uint64_t kChecked = 1u << 0;  // its strings were looked at
constexpr std::uint64_t kSound = 1u << 1;    // ... and lie inside the file
constexpr std::uint64_t kWholeChecked = 1u << 2, kWholeUsable = 1u << 3;
constexpr std::uint64_t kFormsChecked = 1u << 4;
constexpr unsigned kFormBits = 5;  // form i usable: bit kFormBits + i
constexpr std::uint64_t kNarrowWholeChecked = 1ull << 18, kNarrowWholeOk = 1ull << 19;
constexpr std::uint64_t kNarrowFormsChecked = 1ull << 20;
constexpr unsigned kNarrowFormBits = 21;  // form i shown by the narrow grammar
constexpr unsigned kMaxForms = 13;        // forms past these are never used

/// Converts a legacy charset's text to UTF-8. An iconv handle keeps state:
/// one thread at a time, under `lock`.
struct Converter {
  explicit Converter(const std::string& charset) : cd(iconv_open("UTF-8", charset.c_str())) {}
  ~Converter() {
    if (ok()) iconv_close(cd);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd != reinterpret_cast<iconv_t>(-1); }
  /// Appends `text` converted; false on bytes that are not text of the
  /// charset (also an incomplete character at the end).
  bool append(const char* text, std::size_t length, std::string* out);

  iconv_t cd;
  std::mutex lock;
};

/// A translation converted to UTF-8: its length (the forms' NULs
/// included), then the text and a NUL.
struct Converted {
  std::uint32_t length;
  char text[1];
};

/// Our own table of the keys, at most half full, probed linearly; each slot
/// holds the high half of its key's hash, so a probe rejects most other
/// keys without touching them.
struct Index {
  struct Slot {
    std::uint32_t message;  // entry + 1; 0 when empty
    std::uint32_t tag;
  };
  std::size_t mask = 0;
  std::unique_ptr<Slot[]> slots;
};

/// The verdicts of an entry's forms against a plural text the caller
/// passed that is not the entry's own msgid_plural (a stale catalogue).
struct OtherPlural {
  std::uint32_t message;
  std::string plural;
  std::uint32_t usable;      // form i: bit i
  std::uint32_t narrow_ok;   // form i: bit i; meaningful when `narrow` is set
  nlsFormatFilter narrow;
};

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
        items_(static_cast<T*>(std::malloc(count == 0 ? 1 : count * sizeof(T)))),
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
  static constexpr std::size_t kPerPage = 4096 / sizeof(T);
  enum : std::uint8_t { kDirty, kClearing, kClear };

  // Out of line: once per page, and the lookups it sits in stay small.
  __attribute__((noinline, cold)) void clear(std::atomic<std::uint8_t>& page, std::size_t number) const {
    std::uint8_t dirty = kDirty;
    if (page.compare_exchange_strong(dirty, kClearing, std::memory_order_acquire)) {
      const std::size_t first = number * kPerPage;
      const std::size_t n = count_ - first < kPerPage ? count_ - first : kPerPage;
      std::memset(static_cast<void*>(items_.get() + first), 0, n * sizeof(T));
      page.store(kClear, std::memory_order_release);
      return;
    }
    // Another thread is clearing it: a few hundred nanoseconds.
    while (page.load(std::memory_order_acquire) != kClear) std::this_thread::yield();
  }

  const std::size_t count_;
  const std::unique_ptr<T[], nlsFreeMemory> items_;
  const std::unique_ptr<std::atomic<std::uint8_t>[]> pages_;
};

}  // namespace nls_state

struct nlsLoadedDomain::Strings {
  const char* original;  ///< "singular" or "singular\0plural", a context first
  const char* plural;    ///< the format a plural form stands in for: msgid_plural, else the singular past any context
  const char* translation;
  std::uint32_t original_length;
  std::uint32_t translation_length;
};

struct nlsLoadedDomain::Lazy {
  explicit Lazy(std::uint32_t count);
  ~Lazy();
  Lazy(const Lazy&) = delete;
  Lazy& operator=(const Lazy&) = delete;

  /// Entry `m`'s translation in UTF-8, converted now unless another thread
  /// did it first; null when its bytes are no text of the catalogue's
  /// charset (or no memory is left for it).
  const nls_state::Converted* convert(std::uint32_t m, const char* text, std::uint32_t length);

  nls_state::ZeroedArray<std::atomic<std::uint64_t>> state;
  // For a catalogue in another charset: the converter, and each entry's
  // translation once converted.
  std::unique_ptr<nls_state::Converter> converter;
  std::unique_ptr<nls_state::ZeroedArray<std::atomic<nls_state::Converted*>>> converted;
  // Our own index, built once the lookups have paid for it.
  std::atomic<std::uint32_t> lookups{0};
  std::atomic<const nls_state::Index*> index{nullptr};
  // Verdicts against other plural texts, a bounded number of them.
  static constexpr std::size_t kOtherPlurals = 64;
  std::atomic<const nls_state::OtherPlural*> others[kOtherPlurals] = {};
  // The narrow grammar the state bits hold verdicts on: the first one asked.
  std::atomic<nlsFormatFilter> narrow{nullptr};
};

const char* nlsLoadedDomain::at(std::uint64_t offset, std::uint64_t length) const {
  return image_->at(offset, length);
}

std::uint32_t nlsLoadedDomain::word(std::uint64_t offset) const {
  std::uint32_t w;
  std::memcpy(&w, at(offset, sizeof w), sizeof w);
  return swapped_ ? __builtin_bswap32(w) : w;
}

std::uint32_t nlsLoadedDomain::read_word(std::uint64_t offset) const {
  std::uint32_t w;
  std::memcpy(&w, image_->read(offset), sizeof w);
  return swapped_ ? __builtin_bswap32(w) : w;
}

// 64-bit sums: 32-bit fields cannot overflow them.
bool nlsLoadedDomain::fits(std::uint32_t length, std::uint32_t offset) const {
  const std::uint64_t end = std::uint64_t{offset} + length;
  if (end >= size_) return false;
  // Read first: a file cut since it was opened is found out there.
  const char* text = at(offset, std::uint64_t{length} + 1);
  return end < image_->readable() && text[length] == '\0';
}

#endif  // NLS_CATALOGUE_STATE_H
