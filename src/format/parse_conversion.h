// Reading one conversion specification; shared by keznlsPercent::parse and
// the driver, which inlines it on its hot path.
#ifndef KEZNLS_SRC_ENGINE_PARSE_CONVERSION_H
#define KEZNLS_SRC_ENGINE_PARSE_CONVERSION_H

#include <climits>

#include "keznls/engine.h"

namespace keznls_engine {

// Signed-char comparison, so bytes 0x80 and above are never digits.
inline bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Adds one digit, saturating at INT_MAX instead of overflowing.
inline int add_digit(int value, char c) {
  const int d = c - '0';
  if (value > (INT_MAX - d) / 10) return INT_MAX;
  return value * 10 + d;
}

inline bool is_conversion(char c) {
  switch (c) {
    case 'E': case 'G': case 'X': case 'd': case 'e':
    case 'f': case 'g': case 's': case 'u': case 'x':
      return true;
    default:
      return false;
  }
}

// The letters of typed calls: the engine's and `c` for a character.
inline bool is_typed_conversion(char c) { return c == 'c' || is_conversion(c); }

// Skips the length modifiers typed calls accept (`hh h l ll z j t L`): each
// argument is read as its own type, so they change nothing. Notes an `l`.
inline void skip_length(keznlsPercent& r, const char*& p) {
  switch (*p) {
    case 'h': case 'l':
      r.length = *p;
      if (p[1] == *p) ++p;
      ++p;
      return;
    case 'z': case 'j': case 't': case 'L':
      ++p;
      return;
    default:
      return;
  }
}

// Marks the record failed when `p` sits on the terminating NUL.
inline bool not_at_end(keznlsPercent& r, const char* p) {
  if (*p != '\0') return true;
  r.error = 1;
  return false;
}

// Returns 1 and moves `p` past the conversion, or 0 with `p` left on the
// character that stopped it. `kTyped`: a typed call's conversion, which
// may also carry the length modifiers of C and be a `c`.
template <bool kTyped = false>
__attribute__((always_inline)) inline int parse_conversion(keznlsPercent& r, const char*& p) {
  r.zero_pad = r.has_width = r.has_precision = r.valid = r.error = 0;
  r.length = 0;
  // Most conversions are a bare letter.
  if (is_conversion(*p)) {
    r.width = r.precision = 0;
    r.conversion = *p++;
    r.valid = 1;
    return 1;
  }
  if (!not_at_end(r, p)) return 0;
  if (*p == '0') {
    r.zero_pad = 1;
    ++p;
  }
  if (!not_at_end(r, p)) return 0;
  r.width = 0;
  while (is_digit(*p)) {
    r.has_width = 1;
    r.width = add_digit(r.width, *p++);
  }
  if (!not_at_end(r, p)) return 0;
  r.precision = 0;
  if (*p == '.') {
    r.has_precision = 1;
    ++p;
    if (!not_at_end(r, p)) return 0;
    while (is_digit(*p)) r.precision = add_digit(r.precision, *p++);
  }
  if (!not_at_end(r, p)) return 0;
  if constexpr (kTyped) {
    skip_length(r, p);
    if (!not_at_end(r, p)) return 0;
    if (!is_typed_conversion(*p)) {
      r.error = 1;
      return 0;
    }
    r.conversion = *p++;
    r.valid = 1;
    return 1;
  }
  if (*p == 'l') {
    r.length = 'l';
    ++p;
    if (!not_at_end(r, p)) return 0;
  }
  if (!is_conversion(*p)) {
    r.error = 1;
    return 0;
  }
  r.conversion = *p++;
  r.valid = 1;
  return 1;
}

}  // namespace keznls_engine

#endif  // KEZNLS_SRC_ENGINE_PARSE_CONVERSION_H
