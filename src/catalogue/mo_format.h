// Layout of a compiled gettext catalogue (.mo file), shared by the reader
// and the lookup.
#ifndef NLS_MO_FORMAT_H
#define NLS_MO_FORMAT_H

#include <cstddef>
#include <cstdint>
#include <cstring>

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

/// The hash the file's own table is built with (the catalogue compiler's):
/// four bits a byte, the top four folded back in. Stops at the first NUL.
inline std::uint32_t file_hash(const char* key) {
  std::uint32_t h = 0;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(key); *p != 0; ++p) {
    h = (h << 4) + *p;
    const std::uint32_t g = h & 0xF0000000u;
    if (g != 0) {
      h ^= g >> 24;
      h ^= g;
    }
  }
  return h;
}

/// The seed of every key_hash in this process, taken from where the
/// library was loaded: a crafted catalogue cannot know which of its keys
/// would share a chain.
std::uint64_t process_seed();

/// A hash of the `length` bytes at `key`, eight at a time. Once a catalogue
/// has served many lookups they go through a table of our own built with
/// it rather than the file's table, whose hash takes a dependent step per
/// byte. One seed for every
/// catalogue, so a key is hashed once for all the catalogues it is asked.
inline std::uint64_t key_hash(const char* key, std::size_t length, std::uint64_t seed) {
  constexpr std::uint64_t kMultiplier = 0x9e3779b97f4a7c15u;
  const auto mix = [](std::uint64_t h, std::uint64_t word) {
    h = (h ^ word) * kMultiplier;
    return h ^ (h >> 29);
  };
  std::uint64_t h = seed ^ (length * kMultiplier);
  const char* p = key;
  const char* const end = key + length;
  for (; end - p >= 8; p += 8) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    h = mix(h, word);
  }
  if (p != end) {
    // The last bytes: as one word ending at `end` where the key has eight,
    // else in pieces that never read outside it.
    std::uint64_t word;
    if (length >= 8) {
      std::memcpy(&word, end - 8, 8);
    } else if (end - p >= 4) {
      std::uint32_t first, last;
      std::memcpy(&first, p, 4);
      std::memcpy(&last, end - 4, 4);
      word = (std::uint64_t{first} << 32) | last;
    } else {
      const std::size_t n = static_cast<std::size_t>(end - p);
      word = static_cast<unsigned char>(p[0]) | static_cast<unsigned>(static_cast<unsigned char>(p[n / 2])) << 8 |
             static_cast<unsigned>(static_cast<unsigned char>(end[-1])) << 16;
    }
    h = mix(h, word);
  }
  h *= 0xbf58476d1ce4e5b9u;
  return h ^ (h >> 31);
}

}  // namespace nls_mo

#endif  // NLS_MO_FORMAT_H
