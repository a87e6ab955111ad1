// Values drawn from a fuzz input's bytes, in order; past its end, zeros.
#ifndef KEZNLS_FUZZ_SUPPORT_FUZZ_BYTES_H
#define KEZNLS_FUZZ_SUPPORT_FUZZ_BYTES_H

#include <cstddef>
#include <cstdint>
#include <cstring>

struct FuzzBytes {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t at = 0;

  /// The next `n` bytes (at most 8), big-endian.
  std::uint64_t take(int n) {
    std::uint64_t v = 0;
    for (int i = 0; i < n; ++i) v = v << 8 | (at < size ? data[at++] : 0);
    return v;
  }
  /// Any double, NaNs and infinities included.
  double real() {
    const std::uint64_t bits = take(8);
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
  }
};

#endif  // KEZNLS_FUZZ_SUPPORT_FUZZ_BYTES_H
