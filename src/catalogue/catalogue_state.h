// The catalogue behind nlsLoadedDomain, and what it learns as lookups reach
// its entries: shared by the reader, the lookup and the charset conversion.
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

#include "catalogue/catalogue_cache.h"
#include "catalogue/file_image.h"
#include "catalogue/zeroed_array.h"
#include "catalogue/plural_rule.h"
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

}  // namespace nls_state

/// The library's catalogue behind `nlsLoadedDomain`: the file's image,
/// the places of its tables, and what lookups learn.
class nlsCatalogue final : public nlsLoadedDomain {
 public:
  /// An entry's original and translation (in UTF-8), as lookups see them.
  struct Strings {
    const char* original;  ///< "singular" or "singular\0plural", a context first
    const char* plural;    ///< the format a plural form stands in for: msgid_plural, else the singular past any context
    const char* translation;
    std::uint32_t original_length;
    std::uint32_t translation_length;
  };
  struct Lazy;  // what lookups learn

  static const nlsCatalogue& of(const nlsLoadedDomain& domain) { return static_cast<const nlsCatalogue&>(domain); }
  static const nlsCatalogue* of(const nlsLoadedDomain* domain) { return static_cast<const nlsCatalogue*>(domain); }

  /// A catalogue over `image`, or null when what opening checks is
  /// malformed (`failure` says why) or memory runs out.
  static std::unique_ptr<nlsCatalogue> adopt(std::unique_ptr<nlsFileImage> image, nlsOpenProblem* failure);
  /// The file at `path`, read and checked.
  static std::unique_ptr<nlsCatalogue> load(nlsOpenedFile& opened, const char* path, nlsOpenProblem* failure);
  nlsCatalogue();
  ~nlsCatalogue();

  /// The file changed after it was opened: only what was read before
  /// answers.
  bool stale() const { return image_->stale(); }
  const char* find_in(const nlsQuery& query) const;
  nlsAudit audit_all(nlsFormatFilter narrow) const;

  const char* check_header();
  bool prepare_charset(nlsOpenProblem* failure);
  void read_plural_rule();

  /// The `length` bytes at `offset` of the file, read first if they were
  /// not; null when they cannot be had.
  const char* at(std::uint64_t offset, std::uint64_t length) const { return image_->at(offset, length); }
  /// Whether the string of `length` bytes at `offset` lies inside the file
  /// and is followed by its NUL; `*missing` set when it cannot be read.
  inline bool fits(std::uint32_t length, std::uint32_t offset, bool* missing) const;
  /// The 32-bit word at `offset` in `*w`, read first if it was not; false
  /// when it cannot be had.
  inline bool word(std::uint64_t offset, std::uint32_t* w) const;
  /// The same where the caller knows it was read (an entry checked sound).
  inline std::uint32_t read_word(std::uint64_t offset) const;
  /// Why entry `m`'s strings cannot be used, or null; `*missing` set when
  /// they cannot be read now.
  const char* string_problem(std::uint32_t m, bool* missing) const;
  /// Entry `m`'s strings when they lie inside the file, null-terminated
  /// (and its translation converted); false when the entry is malformed or
  /// cannot be read. Decided on first use, once it is read.
  bool strings(std::uint32_t m, Strings* out) const;
  /// The entry whose original (up to its first NUL) is `key`, or -1.
  std::int64_t locate(const char* key, std::size_t length) const;
  /// The same through the file's own table or sorted originals; `*missing`
  /// set when what it needs cannot be read.
  std::int64_t locate_in_file(const char* key, std::size_t length, bool* missing) const;
  /// Builds our own index of the keys, once lookups have paid for it.
  void build_index() const;
  /// Entry `m`'s answer to `query`; null when it has none.
  const char* answer(std::uint32_t m, const nlsQuery& query) const;
  /// The same, its strings `s` known.
  const char* answer(std::uint32_t m, const Strings& s, const nlsQuery& query) const;
  /// The verdicts on entry `m`'s forms for `query` (bit i: form i may
  /// answer), its plural being the entry's own.
  std::uint32_t form_verdicts(std::uint32_t m, const Strings& s, const nlsQuery& query) const;
  /// Entry `m`'s state bits with `part` of its verdicts decided.
  std::uint64_t decided(std::uint32_t m, const Strings& s, std::uint64_t part, nlsFormatFilter narrow) const;
  /// Whether verdicts on `narrow` are kept in the state bits: the first
  /// narrow grammar asked is the one kept.
  bool caches(nlsFormatFilter narrow) const;
  struct FormVerdicts {
    std::uint32_t usable, narrow_ok;  // form i: bit i
  };
  /// Entry `m`'s forms judged against `plural`, another plural text than
  /// its own.
  FormVerdicts other_plural(std::uint32_t m, const Strings& s, const char* plural, nlsFormatFilter narrow) const;
  /// Entry `m`'s original, whose text up to its first NUL is the key it is
  /// found by; null when it does not lie whole in the file, or cannot be
  /// read (`*missing` set), or (not read then) when the entry says it is
  /// shorter than `at_least`.
  const char* original(std::uint32_t m, bool* missing, std::size_t at_least = 0) const;
  /// Whether `key` is entry `m`'s original (up to its first NUL).
  bool holds_key(std::uint32_t m, const char* key) const {
    bool missing = false;
    const char* text = original(m, &missing);
    return text != nullptr && std::strcmp(key, text) == 0;
  }

  std::unique_ptr<nlsFileImage> image_;
  std::uint64_t size_ = 0;
  bool swapped_ = false;
  std::uint32_t count_ = 0;
  std::uint32_t originals_ = 0, translations_ = 0, hash_size_ = 0, hash_offset_ = 0;
  std::int64_t header_entry_ = -1;
  std::string converted_from_;
  std::unique_ptr<const nlsPluralRule> plural_rule_;
  std::unique_ptr<Lazy> lazy_;
};

struct nlsCatalogue::Lazy {
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

bool nlsCatalogue::word(std::uint64_t offset, std::uint32_t* w) const {
  const char* bytes = at(offset, sizeof *w);
  if (bytes == nullptr) return false;
  std::memcpy(w, bytes, sizeof *w);
  if (swapped_) *w = __builtin_bswap32(*w);
  return true;
}

std::uint32_t nlsCatalogue::read_word(std::uint64_t offset) const {
  std::uint32_t w;
  std::memcpy(&w, image_->read(offset), sizeof w);
  return swapped_ ? __builtin_bswap32(w) : w;
}

// 64-bit sums: 32-bit fields cannot overflow them.
bool nlsCatalogue::fits(std::uint32_t length, std::uint32_t offset, bool* missing) const {
  const std::uint64_t end = std::uint64_t{offset} + length;
  if (end >= size_) return false;
  const char* text = at(offset, std::uint64_t{length} + 1);
  if (text == nullptr) {
    *missing = true;
    return false;
  }
  return text[length] == '\0';
}

#endif  // NLS_CATALOGUE_STATE_H
