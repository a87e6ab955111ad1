// Byte hash of the container layer.
#ifndef CO_CO_HASH_H
#define CO_CO_HASH_H

/// 32-bit hash of `length` bytes at `data`. Every input bit reaches the low
/// bits, so tables may mask them even for aligned pointers.
unsigned int co_hash(const void* data, int length);

#endif  // CO_CO_HASH_H
