// Layout of a compiled gettext catalogue (.mo file), shared by the reader
// and the lookup.
#ifndef NLS_MO_FORMAT_H
#define NLS_MO_FORMAT_H

#include <cstddef>
#include <cstdint>

namespace nls_mo {

constexpr std::uint32_t kMagic = 0x950412deu;
constexpr std::uint32_t kMagicSwapped = 0xde120495u;
constexpr std::uint32_t kHeaderWords = 7;
// Readers of major revision 0 and 1 agree on the part of the file we use.
constexpr std::uint32_t kMaxMajorRevision = 1;

enum HeaderWord : std::uint32_t {
  kWordMagic = 0,
  kWordRevision,
  kWordCount,
  kWordOriginals,
  kWordTranslations,
  kWordHashSize,
  kWordHashOffset,
};

/// Whether the string described by (length, offset) lies inside an image of
/// `size` bytes and is followed by its NUL. 64-bit sums: 32-bit fields
/// cannot overflow them.
inline bool string_fits(const char* bytes, std::uint64_t size, std::uint32_t length,
                        std::uint32_t offset) {
  const std::uint64_t end = std::uint64_t{offset} + length;
  return end < size && bytes[end] == '\0';
}

/// The catalogue's string hash; stops at the first NUL and reports the
/// length of the text it hashed.
inline std::uint32_t hash_string(const char* text, std::size_t* length) {
  std::uint32_t h = 0;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  const unsigned char* start = p;
  for (; *p != 0; ++p) {
    h = (h << 4) + *p;
    const std::uint32_t g = h & 0xf0000000u;
    if (g != 0) {
      h ^= g >> 24;
      h ^= g;
    }
  }
  *length = static_cast<std::size_t>(p - start);
  return h;
}

}  // namespace nls_mo

#endif  // NLS_MO_FORMAT_H
