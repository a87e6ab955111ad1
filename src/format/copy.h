// Copying the short texts a message is made of: literal runs, rendered
// arguments, padding.
#ifndef KEZNLS_SRC_ENGINE_COPY_H
#define KEZNLS_SRC_ENGINE_COPY_H

#include <cstddef>
#include <cstring>

#pragma GCC visibility push(hidden)
namespace keznls_engine {

// Longer runs, sixteen bytes at a time with the last block overlapping the
// one before: for texts of a message's size this beats the library call,
// which wins again beyond a few hundred bytes.
__attribute__((noinline)) inline void copy_long(char* out, const char* from, std::size_t n) {
  if (n > 256) {
    std::memcpy(out, from, n);
    return;
  }
  for (std::size_t i = 0; i < n - 16; i += 16) std::memcpy(out + i, from + i, 16);
  std::memcpy(out + n - 16, from + n - 16, 16);
}

// Copies n characters and returns the end of the copy. Most runs are
// short, many empty: a few fixed-size moves (never reading outside
// [from, from + n)), the shortest tested first, rather than a library call.
inline char* copy(char* out, const char* from, std::size_t n) {
  if (n < 4) {
    if (n != 0) {
      // One to three characters: first, middle and last cover them all.
      out[0] = from[0];
      out[n / 2] = from[n / 2];
      out[n - 1] = from[n - 1];
    }
  } else if (n <= 8) {
    std::memcpy(out, from, 4);
    std::memcpy(out + n - 4, from + n - 4, 4);
  } else if (n <= 16) {
    std::memcpy(out, from, 8);
    std::memcpy(out + n - 8, from + n - 8, 8);
  } else if (n <= 32) {
    std::memcpy(out, from, 16);
    std::memcpy(out + n - 16, from + n - 16, 16);
  } else {
    copy_long(out, from, n);
  }
  return out + n;
}

// Copies n >= 16 characters in blocks of sixteen, the last overlapping the
// one before; returns the end of the copy.
inline char* copy_blocks(char* out, const char* from, std::size_t n) {
  for (std::size_t i = 0; i + 16 < n; i += 16) std::memcpy(out + i, from + i, 16);
  std::memcpy(out + n - 16, from + n - 16, 16);
  return out + n;
}

// Copies n characters where the 32 bytes past them may be overwritten (a
// later copy writes there) and `from` may be read up to 32 bytes past its
// n: whole blocks, no test of the length for the short runs most are.
inline char* copy_ahead(char* out, const char* from, std::size_t n) {
  std::memcpy(out, from, 16);
  std::memcpy(out + 16, from + 16, 16);
  for (std::size_t i = 32; i < n; i += 16) std::memcpy(out + i, from + i, 16);
  return out + n;
}

// Copies n characters of `from` to end at `end`; returns their start.
inline char* copy_before(char* end, const char* from, std::size_t n) {
  copy(end - n, from, n);
  return end - n;
}

}  // namespace keznls_engine
#pragma GCC visibility pop

#endif  // KEZNLS_SRC_ENGINE_COPY_H
