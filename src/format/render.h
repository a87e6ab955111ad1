// Rendering one argument into a keznlsPercent's own buffer.
#ifndef KEZNLS_SRC_ENGINE_RENDER_H
#define KEZNLS_SRC_ENGINE_RENDER_H

#include <cstddef>
#include <cstring>

#include "keznls/engine.h"
#include "format/digits.h"
#include "format/text_reads.h"

// Internal to the library: direct calls, nothing exported.
#pragma GCC visibility push(hidden)
namespace keznls_engine {

inline constexpr char kError[] = "<error>";
inline constexpr char kUnset[] = "<unset>";  // a record never rendered
inline constexpr char kNull[] = "(null)";
inline constexpr char kTooLarge[] = "<too large to show>";
constexpr int kMarkerLength = 7;  // "<unset>" and "<error>"
constexpr int kTooLargeLength = sizeof kTooLarge - 1;

// The caller's decimal point; its length is measured once, and only when a
// floating conversion needs it.
class DecimalPoint {
 public:
  explicit DecimalPoint(const char* text) : text_(text) {}
  const char* text() const { return text_; }
  int length() {
    if (length_ < 0) length_ = static_cast<int>(short_length(text_));
    return length_;
  }

 private:
  const char* text_;
  int length_ = -1;
};

// "<error>": the conversion failed to parse, or another of its format did.
// No argument is taken.
inline std::size_t render_error(keznlsPercent& r) {
  r.text = kError;
  return kMarkerLength;
}

// Points r.text at the marker for a number too large to show.
inline std::size_t too_large(keznlsPercent& r) {
  r.text = kTooLarge;
  return kTooLargeLength;
}

// A number's characters [p, r.buffer + kShown) with its sign and padding:
// points r.text at the result and returns its length.
inline std::size_t finish_number(keznlsPercent& r, char* p, bool negative, bool zeros) {
  char* const end = r.buffer + kShown;
  *end = '\0';
  p = pad(p, end, r.has_width ? r.width : 0, zeros, negative);
  if (p == nullptr) return too_large(r);
  r.text = p;
  return static_cast<std::size_t>(end - p);
}

// Integer conversion `c` of magnitude u. A precision asks for at least that
// many digits (none for 0 with precision 0); a signed value's stop at
// kShown, so that a positive one still shows where its sign would not fit.
template <typename Unsigned>
inline std::size_t render_integer(keznlsPercent& r, char c, Unsigned u, bool negative) {
  char* const end = r.buffer + kShown;
  char* p = c == 'd' || c == 'u' ? put_decimal(end, u) : put_hex(end, u, c == 'x' ? kLowerDigits : kUpperDigits);
  if (r.has_precision) {
    if (u == 0) p = end;
    int digits = r.precision > end - p ? r.precision : static_cast<int>(end - p);
    if (c == 'd' && digits > kShown) digits = kShown;
    if (digits > kShown) return too_large(r);
    while (end - p < digits) *--p = '0';
  }
  return finish_number(r, p, negative, r.zero_pad);
}

// Renders a floating conversion of `v`. Out of line: its digit work
// outweighs a call.
std::size_t render_double(keznlsPercent& r, double v, DecimalPoint& decimal_point);

// `%.Nf` of `v` written at `out` (N at most kFixedDigits, no width) as
// render_double shows it; returns the end. Null, and nothing shown, where
// the rendering needs render_double's other roads: a decimal point other
// than one character, a value not finite or too large for exact digits.
char* put_fixed(char* out, double v, int precision, const char* decimal_point);

// `%ld`, `%lu`, `%lx`: a `long` argument, wider than `int` here. Out of
// line: rare in messages.
std::size_t render_long(keznlsPercent& r, keznlsVarArgs& args);

// Renders `r`'s conversion (parsed, valid) with the next argument of `args`,
// points r.text at the result and returns its length. Tests rather than a
// jump table: the letters of one format differ from conversion to
// conversion, which an indirect jump predicts poorly.
__attribute__((always_inline)) inline std::size_t render(keznlsPercent& r, keznlsVarArgs& args,
                                                         DecimalPoint& decimal_point) {
  const char c = r.conversion;
  if (c == 's') {
    const char* text = args.va_arg_str();
    if (text == nullptr) text = kNull;
    r.text = text;
    return short_length(text);
  }
  if (__builtin_expect(r.length == 'l', 0) && sizeof(long) > sizeof(int) && c != 's' && c != 'e' && c != 'E' &&
      c != 'f' && c != 'g' && c != 'G')
    return render_long(r, args);
  if (c == 'd') {
    const int v = args.va_arg_int();
    const bool negative = v < 0;
    return render_integer(r, c, negative ? 0u - static_cast<unsigned>(v) : static_cast<unsigned>(v), negative);
  }
  if (c == 'u' || c == 'x' || c == 'X') return render_integer(r, c, args.va_arg_unsigned(), false);
  return render_double(r, args.va_arg_double(), decimal_point);
}

// A number too large for every rendering: tells a typed call's refusal
// apart from a length.
constexpr std::size_t kRefused = ~std::size_t{0};

// render_integer of a 64-bit magnitude; one that fits 32 bits, as most do,
// takes the narrower road.
inline std::size_t render_magnitude(keznlsPercent& r, char c, unsigned long long u, bool negative) {
  if (u <= 0xffffffffu) return render_integer(r, c, static_cast<unsigned>(u), negative);
  return render_integer(r, c, static_cast<std::uint64_t>(u), negative);
}

// Renders `r`'s conversion (parsed in a typed call's grammar) with `a`,
// read as its own type: a signed argument shown by `u`, `x` or `X` shows
// its two's complement at its own width, an unsigned one shown by `d`
// its value. kRefused when the conversion reads another kind. Tests
// rather than switches, as in render: the types of one message's
// arguments differ from one to the next.
inline std::size_t render_typed(keznlsPercent& r, const keznlsArg& a, DecimalPoint& decimal_point) {
  const char c = r.conversion;
  const keznlsArg::Type type = a.type;
  if (c == 's') {
    if (type != keznlsArg::Type::text) return kRefused;
    r.text = a.s.data != nullptr ? a.s.data : "";  // an empty view may point nowhere
    return a.s.size;
  }
  const bool integer = c == 'd' || c == 'u' || c == 'x' || c == 'X';
  if (type == keznlsArg::Type::signed_integer) {
    if (!integer) return kRefused;
    if (c == 'd') {
      const bool negative = a.i < 0;
      const auto bits = static_cast<unsigned long long>(a.i);
      const auto magnitude = negative ? 0ull - bits : bits;
      return render_magnitude(r, c, magnitude, negative);
    }
    const unsigned long long mask = a.bytes >= 8 ? ~0ull : (1ull << (8 * a.bytes)) - 1;
    return render_magnitude(r, c, static_cast<unsigned long long>(a.i) & mask, false);
  }
  if (type == keznlsArg::Type::unsigned_integer) {
    if (!integer) return kRefused;
    return render_magnitude(r, c == 'd' ? 'u' : c, a.u, false);
  }
  if (c == 'c') {
    if (type != keznlsArg::Type::character) return kRefused;
    r.buffer[0] = a.c;
    r.buffer[1] = '\0';
    r.text = r.buffer;
    return 1;
  }
  if (type != keznlsArg::Type::floating || integer) return kRefused;
  return render_double(r, a.f, decimal_point);
}

}  // namespace keznls_engine
#pragma GCC visibility pop

#endif  // KEZNLS_SRC_ENGINE_RENDER_H
