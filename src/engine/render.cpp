// Dispatch on the conversion letter; integers, strings, sign and padding.
#include "render.h"
#include "digits.h"

#include <cstdint>

namespace keznls_engine {

const char kError[] = "<error>";
const char kNull[] = "(null)";
const char kTooLarge[] = "<too large to show>";
const char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

const char kLowerDigits[] = "0123456789abcdef";
const char kUpperDigits[] = "0123456789ABCDEF";

namespace {

// Sets the rendering to the digits just put in front of the buffer's end.
void took(Rendering& out, const char* start) {
  out.len = static_cast<int>(out.buffer + kShown - start);
}

// Digits of an unsigned value, at least `min_digits` of them; stops at 32,
// which is already too large to show.
template <unsigned Base>
void put_unsigned(Rendering& out, unsigned u, int min_digits, const char* digits) {
  while (u != 0 || out.len < min_digits) {
    out.put(digits[u % Base]);
    u /= Base;
    if (out.len >= kShown + 1) break;
  }
}

// A signed value's digits stop at 31: its sign may still need the 32nd place.
void put_signed(Rendering& out, int v, int min_digits, bool& negative) {
  negative = v < 0;
  unsigned m = negative ? 0u - static_cast<unsigned>(v) : static_cast<unsigned>(v);
  while (m != 0 || out.len < min_digits) {
    out.put(static_cast<char>('0' + m % 10));
    m /= 10;
    if (out.len >= kShown) break;
  }
}

std::size_t finish(keznlsPercent& r, Rendering& out, bool negative, char fill) {
  r.buffer[kShown] = '\0';
  const int width = r.has_width ? (r.width < 32 ? r.width : 32) : 0;
  const bool zero = fill == '0';
  if (negative && !zero) out.put('-');
  const int target = negative && zero ? width - 1 : width;
  while (out.len < target) out.put(fill);
  if (negative && zero) out.put('-');
  if (out.len > kShown) {
    r.text = kTooLarge;
    return kTooLargeLength;
  }
  r.text = r.buffer + kShown - out.len;
  return static_cast<std::size_t>(out.len);
}

}  // namespace

std::size_t render(keznlsPercent& r, int format_ok, DecimalPoint& decimal_point,
                   keznlsVarArgs& args) {
  if (!format_ok || !r.valid) {
    r.text = kError;
    return kMarkerLength;
  }
  Rendering out{r.buffer};
  bool negative = false;
  char fill = r.zero_pad ? '0' : ' ';
  const int min_digits = r.has_precision ? r.precision : 1;
  switch (r.conversion) {
    case 's': {
      const char* s = args.va_arg_str();
      if (s == nullptr) {
        r.text = kNull;
        return sizeof kNull - 1;
      }
      r.text = s;
      return std::strlen(s);
    }
    // Without a precision every integer fits: take the quick digit loops.
    case 'd': {
      const int v = args.va_arg_int();
      if (r.has_precision) {
        put_signed(out, v, min_digits, negative);
      } else {
        negative = v < 0;
        took(out, put_decimal(out.buffer + kShown, negative ? 0u - static_cast<unsigned>(v) : static_cast<unsigned>(v)));
      }
      break;
    }
    case 'u':
      if (r.has_precision) put_unsigned<10>(out, args.va_arg_unsigned(), min_digits, kLowerDigits);
      else took(out, put_decimal(out.buffer + kShown, args.va_arg_unsigned()));
      break;
    case 'x':
      if (r.has_precision) put_unsigned<16>(out, args.va_arg_unsigned(), min_digits, kLowerDigits);
      else took(out, put_hex(out.buffer + kShown, args.va_arg_unsigned(), kLowerDigits));
      break;
    case 'X':
      if (r.has_precision) put_unsigned<16>(out, args.va_arg_unsigned(), min_digits, kUpperDigits);
      else took(out, put_hex(out.buffer + kShown, args.va_arg_unsigned(), kUpperDigits));
      break;
    default:
      return render_double(r, args.va_arg_double(), decimal_point);
  }
  return finish(r, out, negative, fill);
}

std::size_t render_double(keznlsPercent& r, double v, DecimalPoint& decimal_point) {
  Rendering out{r.buffer};
  bool negative = false;
  const char fill = render_floating(r, v, decimal_point, out, negative);
  return finish(r, out, negative, fill);
}

}  // namespace keznls_engine
