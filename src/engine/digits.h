// Digit loops shared by the renderer and the driver's inline fast path.
#ifndef KEZNLS_SRC_ENGINE_DIGITS_H
#define KEZNLS_SRC_ENGINE_DIGITS_H

#pragma GCC visibility push(hidden)
namespace keznls_engine {

extern const char kDigitPairs[];  // "00" "01" ... "99"
extern const char kLowerDigits[];  // "0123456789abcdef"
extern const char kUpperDigits[];  // "0123456789ABCDEF"

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

}  // namespace keznls_engine
#pragma GCC visibility pop

#endif  // KEZNLS_SRC_ENGINE_DIGITS_H
