/// \file
/// Byte hash of the container layer.
#ifndef KEZNLS_CO_CO_HASH_H
#define KEZNLS_CO_CO_HASH_H

#include "keznls/export.h"

#include <cstdint>

/// 32-bit hash of `length` bytes at `data`. Every input bit reaches the low
/// bits, so tables may mask them even for aligned pointers.
KEZNLS_API unsigned int co_hash(const void* data, int length);

/// `co_hash` of the 8 bytes holding `word`, inline for lookups by pointer:
/// one 64-bit multiply-xorshift round, folded to 32 bits.
inline unsigned int co_hash_word(std::uint64_t word) {
  word ^= word >> 33;
  word *= 0xff51afd7ed558ccdull;
  word ^= word >> 33;
  word *= 0xc4ceb9fe1a85ec53ull;
  word ^= word >> 33;
  return static_cast<unsigned int>(word);
}

#endif  // KEZNLS_CO_CO_HASH_H
