// Digit writers and padding: every number the engine shows is put together
// here, right to left in front of an end pointer.
#ifndef KEZNLS_SRC_ENGINE_DIGITS_H
#define KEZNLS_SRC_ENGINE_DIGITS_H

#include <cstdint>
#include <cstring>

#include "format/copy.h"

#pragma GCC visibility push(hidden)
namespace keznls_engine {

// Number of characters a rendering may show; one more is "<too large to show>".
constexpr int kShown = 31;

// The most fraction digits a `%f` is written with straight from its
// double (see put_fixed): the fraction then fits 32 bits.
constexpr int kFixedDigits = 9;

inline constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";
inline constexpr char kLowerDigits[] = "0123456789abcdef";
inline constexpr char kUpperDigits[] = "0123456789ABCDEF";

// 10^0 .. 10^19, the powers a 64-bit integer reaches.
inline constexpr std::uint64_t kPow10[20] = {
    1ull,           10ull,           100ull,           1000ull,           10000ull,
    100000ull,      1000000ull,      10000000ull,      100000000ull,      1000000000ull,
    10000000000ull, 100000000000ull, 1000000000000ull, 10000000000000ull, 100000000000000ull,
    1000000000000000ull, 10000000000000000ull, 100000000000000000ull, 1000000000000000000ull,
    10000000000000000000ull};

// Number of decimal digits of v; 0 too has one.
inline int count_digits(std::uint64_t v) {
  // Estimate from the bit length (1233/4096 ~ log10(2)), then one compare.
  // Setting the low bit crosses no power of ten, and gives 0 its digit.
  v |= 1;
  const int t = ((64 - __builtin_clzll(v)) * 1233) >> 12;
  return t + 1 - (v < kPow10[t] ? 1 : 0);
}

// All the decimal digits of u (at least one) in front of `end`, two at a
// time; returns the new start. At most ten characters.
inline char* put_decimal(char* end, unsigned u) {
  char* p = end;
  while (u >= 100) {
    const char* pair = kDigitPairs + 2 * (u % 100);
    u /= 100;
    *--p = pair[1];
    *--p = pair[0];
  }
  if (u >= 10) {
    const char* pair = kDigitPairs + 2 * u;
    *--p = pair[1];
    *--p = pair[0];
  } else {
    *--p = static_cast<char>('0' + u);
  }
  return p;
}

// All the hexadecimal digits of u (at least one) in front of `end`.
inline char* put_hex(char* end, unsigned u, const char* digits) {
  char* p = end;
  do {
    *--p = digits[u & 15];
    u >>= 4;
  } while (u != 0);
  return p;
}

// put_decimal and put_hex of a 64-bit value (at most twenty characters);
// a value that fits 32 bits takes the narrower division.
inline char* put_decimal(char* end, std::uint64_t u) {
  if (u <= 0xffffffffu) return put_decimal(end, static_cast<unsigned>(u));
  char* p = end;
  while (u >= 100) {
    const char* pair = kDigitPairs + 2 * (u % 100);
    u /= 100;
    *--p = pair[1];
    *--p = pair[0];
  }
  return put_decimal(p, static_cast<unsigned>(u));
}

inline char* put_hex(char* end, std::uint64_t u, const char* digits) {
  char* p = end;
  do {
    *--p = digits[u & 15];
    u >>= 4;
  } while (u != 0);
  return p;
}

// Exactly `count` digits of v < 10^8 (leading zeros included) in front of
// `end`, a pair at a time.
inline char* put_small(char* end, std::uint32_t v, int count) {
  while (count >= 2) {
    const char* pair = kDigitPairs + 2 * (v % 100);
    *--end = pair[1];
    *--end = pair[0];
    v /= 100;
    count -= 2;
  }
  if (count) *--end = static_cast<char>('0' + v % 10);
  return end;
}

// Exactly `count` digits of v (leading zeros included) in front of `end`;
// the value is cut into 8-digit pieces so the pairs divide in 32 bits.
inline char* put_exact(char* end, std::uint64_t v, int count) {
  while (count > 8) {
    end = put_small(end, static_cast<std::uint32_t>(v % 100000000u), 8);
    v /= 100000000u;
    count -= 8;
  }
  return put_small(end, static_cast<std::uint32_t>(v), count);
}

// Exactly N (even, up to 8) digits of v < 10^N, leading zeros included, in
// front of `end`, with no division: v / 10^(N-2) as a binary fraction of
// kBits bits, whose integer part is the first pair; each further pair is the
// integer part of the remaining fraction times 100. A test checks the scales
// against every v below 10^N.
template <int N>
inline char* put_pairs(char* end, std::uint32_t v) {
  static_assert(N == 2 || N == 4 || N == 6 || N == 8, "pairs of digits, at most 8");
  constexpr int kBits = N == 8 ? 47 : 32;
  constexpr std::uint64_t kOne = std::uint64_t{1} << kBits;
  constexpr std::uint64_t kDivisor = kPow10[N - 2];
  constexpr std::uint64_t kScale = (kOne + kDivisor - 1) / kDivisor;
  char* p = end - N;
  std::uint64_t y = v * kScale;
  std::memcpy(p, kDigitPairs + 2 * (y >> kBits), 2);
  for (int i = 2; i < N; i += 2) {
    y = (y & (kOne - 1)) * 100;
    std::memcpy(p + i, kDigitPairs + 2 * (y >> kBits), 2);
  }
  return p;
}

// put_exact where the buffer has room in front of `end` (from `start`): a
// whole block of 2, 4, 6, 8 or 16 digits is written and only the last
// `count` kept.
inline char* put_counted(char* end, const char* start, std::uint64_t v, int count) {
  if (count <= 8 && end - start >= 8) {
    const auto w = static_cast<std::uint32_t>(v);
    if (count <= 2) put_pairs<2>(end, w);
    else if (count <= 4) put_pairs<4>(end, w);
    else if (count <= 6) put_pairs<6>(end, w);
    else put_pairs<8>(end, w);
    return end - count;
  }
  if (count <= 16 && end - start >= 16) {
    put_pairs<8>(end, static_cast<std::uint32_t>(v % 100000000u));
    put_pairs<8>(end - 8, static_cast<std::uint32_t>(v / 100000000u));
    return end - count;
  }
  return put_exact(end, v, count);
}

// The decimal digits of u at `out`; returns their end. Counts in messages
// are mostly below a hundred: those are put without counting digits.
template <typename Unsigned>
inline char* put_number(char* out, Unsigned u) {
  if (u < 10) {
    *out = static_cast<char>('0' + u);
    return out + 1;
  }
  if (u < 100) {
    std::memcpy(out, kDigitPairs + 2 * u, 2);
    return out + 2;
  }
  out += count_digits(u);
  put_decimal(out, u);
  return out;
}

// The sign and the padding to `width` in front of a number's characters
// [p, end), at most kShown of them: zeros go between the sign and the
// digits, spaces in front of both. Null where the whole would take more
// than kShown characters; else the new start, in a buffer that has kShown
// characters before `end`.
inline char* pad(char* p, char* end, int width, bool zeros, bool negative) {
  static constexpr char kSpaces[] = "                               ";
  static constexpr char kZeros[] = "0000000000000000000000000000000";
  if (!negative && width <= 0) return p;  // the usual case
  const int length = static_cast<int>(end - p) + (negative ? 1 : 0);
  if (width <= length) {  // nothing to fill
    if (length > kShown) return nullptr;
    if (negative) *--p = '-';
    return p;
  }
  if (width > kShown) return nullptr;
  const auto fill = static_cast<std::size_t>(width - length);
  if (zeros) {
    p = copy_before(p, kZeros, fill);
    if (negative) *--p = '-';
  } else {
    if (negative) *--p = '-';
    p = copy_before(p, kSpaces, fill);
  }
  return p;
}

}  // namespace keznls_engine
#pragma GCC visibility pop

#endif  // KEZNLS_SRC_ENGINE_DIGITS_H
