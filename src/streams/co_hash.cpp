#include "keznls/co/co_hash.h"

#include <cstdint>
#include <cstring>

namespace {

inline std::uint32_t rotl(std::uint32_t x, int r) { return (x << r) | (x >> (32 - r)); }

// Final avalanche: each input bit flips about half of the output bits, the
// low ones included.
inline std::uint32_t avalanche(std::uint32_t h) {
  h ^= h >> 16;
  h *= 0x85ebca6bu;
  h ^= h >> 13;
  h *= 0xc2b2ae35u;
  h ^= h >> 16;
  return h;
}

inline std::uint32_t mix_block(std::uint32_t k) {
  k *= 0xcc9e2d51u;
  k = rotl(k, 15);
  return k * 0x1b873593u;
}

}  // namespace

unsigned int co_hash(const void* data, int length) {
  const unsigned char* bytes = static_cast<const unsigned char*>(data);
  if (length == 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    return co_hash_word(word);
  }
  const int n = length > 0 ? length : 0;
  std::uint32_t h = 0x9747b28cu;

  int i = 0;
  for (; i + 4 <= n; i += 4) {
    std::uint32_t block;
    std::memcpy(&block, bytes + i, sizeof block);
    h ^= mix_block(block);
    h = rotl(h, 13) * 5 + 0xe6546b64u;
  }
  std::uint32_t tail = 0;
  for (int shift = 0; i < n; ++i, shift += 8) tail |= std::uint32_t{bytes[i]} << shift;
  if (n % 4 != 0) h ^= mix_block(tail);

  return avalanche(h ^ static_cast<std::uint32_t>(n));
}
