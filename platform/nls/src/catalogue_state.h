// What a loaded catalogue learns as lookups reach its entries: shared by
// the reader, the lookup and the charset conversion.
#ifndef NLS_CATALOGUE_STATE_H
#define NLS_CATALOGUE_STATE_H

#include <iconv.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <string>

#include "file_image.h"
#include "keznls/nls/nls.h"

namespace nls_state {

// Bits of an entry's state, each set once and never cleared.
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

/// `count` zeroed Ts in memory that costs nothing until an entry is
/// touched, so a large catalogue opens as fast as a small one. T must be
/// trivially constructible from zero bytes.
template <typename T>
class ZeroedArray {
 public:
  explicit ZeroedArray(std::size_t count) : memory_(count * sizeof(T)) {}
  T& operator[](std::size_t i) const { return reinterpret_cast<T*>(memory_.get())[i]; }

 private:
  nlsZeroed memory_;
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

  std::uint32_t count;
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
  return end < size_ && at(offset, std::uint64_t{length} + 1)[length] == '\0';
}

#endif  // NLS_CATALOGUE_STATE_H
