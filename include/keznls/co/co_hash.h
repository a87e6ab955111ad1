/// \file
/// Byte hash of the container layer.
#ifndef KEZNLS_CO_CO_HASH_H
#define KEZNLS_CO_CO_HASH_H

#include "keznls/export.h"

#include <cstdint>

/// 32-bit hash of `length` bytes at `data`. Every input bit reaches the low
/// bits, so tables may mask them even for aligned pointers.
KEZNLS_API unsigned int co_hash(const void* data, int length);

/// The 128-bit product of `a` and `b`, its two halves folded by exclusive-or:
/// the high bits of the factors reach the low bits of the result, which
/// tables mask.
inline std::uint64_t co_fold_multiply(std::uint64_t a, std::uint64_t b) {
#ifdef __SIZEOF_INT128__
  const unsigned __int128 product = static_cast<unsigned __int128>(a) * b;
  return static_cast<std::uint64_t>(product) ^ static_cast<std::uint64_t>(product >> 64);
#else
  const std::uint64_t a0 = a & 0xffffffffu, a1 = a >> 32, b0 = b & 0xffffffffu, b1 = b >> 32;
  const std::uint64_t low = a0 * b0, middle1 = a1 * b0, middle2 = a0 * b1, high = a1 * b1;
  const std::uint64_t carry = ((low >> 32) + (middle1 & 0xffffffffu) + (middle2 & 0xffffffffu)) >> 32;
  return (a * b) ^ (high + (middle1 >> 32) + (middle2 >> 32) + carry);
#endif
}

/// `co_hash` of the 8 bytes holding `word`, inline for lookups by pointer.
/// Two folded multiplies: one alone leaves pointers that lie at a fixed
/// distance from each other (the objects of one array) on a lattice that
/// clusters in the table. Short on purpose: a lookup's instructions decide
/// how many lookups the processor keeps in flight while slots come from
/// memory. 0 hashes to 0.
inline unsigned int co_hash_word(std::uint64_t word) {
  return static_cast<unsigned int>(
      co_fold_multiply(co_fold_multiply(word, 0x9e3779b97f4a7c15ull), 0xbf58476d1ce4e5b9ull));
}

#endif  // KEZNLS_CO_CO_HASH_H
