// Floating conversions: scale by a power of ten, add one half, peel decimal
// digits off right to left. The decimal point is the caller's text.
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "format/render.h"

namespace keznls_engine {

namespace {

// Powers of ten exactly as utMath::pow gives them, computed once, by the
// first floating conversion, instead of on every conversion (and not when
// the library is loaded: a program that prints no floating number never
// pays for them).
class PowersOfTen {
 public:
  static constexpr int kLowest = -340;
  static constexpr int kHighest = 309;  // infinity: the bracket above DBL_MAX

  PowersOfTen() {
    for (int n = kLowest; n <= kHighest; ++n) table_[n - kLowest] = utMath::pow(10.0, n);
    for (int n = kLowest; n < kHighest; ++n) {
      low_[n - kLowest] = table_[n - kLowest] * (1 + 1e-12);
      high_[n - kLowest] = table_[n + 1 - kLowest] * (1 - 1e-12);
    }
  }
  // 10^n for a precision n >= 0, which may lie past the table.
  double nonnegative(int n) const { return n <= kHighest ? table_[n - kLowest] : utMath::pow(10.0, n); }
  // For exponents of finite doubles and their neighbours, always in the table.
  double exact(int n) const { return table_[n - kLowest]; }
  // Whether a in [10^n, 10^(n+1)) lies within a relative 1e-12 of either end.
  bool near_ends(double a, int n) const { return a < low_[n - kLowest] || a > high_[n - kLowest]; }

 private:
  double table_[kHighest - kLowest + 1];
  double low_[kHighest - kLowest];
  double high_[kHighest - kLowest];
};

const PowersOfTen& powers_of_ten() {
  static const PowersOfTen table;
  return table;
}

// Below 2^53 every step of the fmod loop is exact, so integer digits are
// the same digits, much faster.
constexpr double kExactIntegers = 9007199254740992.0;

// y >= 0 scaled by `power` (10^precision) plus one half: its integer part
// is the rounded digits. One expression for fixed and put_fixed, so that
// both round alike under any contraction the compiler may do.
__attribute__((always_inline)) inline double scaled_half(double y, double power) { return y * power + 0.5; }

// The mantissa v / 10^X. Where 10^X is subnormal or zero (the smallest
// values) the division would lose digits or overflow, so scale in two steps.
double mantissa(double v, int exponent) {
  const double p = powers_of_ten().exact(exponent);
  if (p >= DBL_MIN) return v / p;
  return (v * 1e300) / powers_of_ten().exact(exponent + 300);
}

// k with 10^k <= a < 10^(k+2), for a finite a > 0: (e * 78913) >> 18 is
// exactly floor(e * log10(2)) for every binary exponent e of a double.
inline int exponent_below(double a) {
  std::uint64_t bits;
  std::memcpy(&bits, &a, sizeof bits);
  int binary = static_cast<int>(bits >> 52) - 1022;  // a in [2^(binary-1), 2^binary)
  if ((bits >> 52) == 0) std::frexp(a, &binary);     // subnormal
  return ((binary - 1) * 78913) >> 18;
}

// floor(log10(a)) for a finite a > 0, exactly as utMath computes it. Away
// from powers of ten one compare settles it; within a relative 1e-12 of
// one, log10's own rounding may differ from the exact answer, so log10 is
// asked.
inline int decimal_exponent(double a) {
  int k = exponent_below(a);
  k += a >= powers_of_ten().exact(k + 1) ? 1 : 0;
  if (powers_of_ten().near_ends(a, k)) return utMath::floor(utMath::log10(a));
  return k;
}

// decimal_exponent and mantissa at once where both are plain (false
// otherwise, leaving them untouched). The divisor is one of the two table
// entries the compare reads, not an entry looked up with the exponent the
// compare settles, so the division need not wait for the compare.
inline bool exponent_and_mantissa(double v, int& exponent, double& m) {
  const double a = std::fabs(v);
  int k = exponent_below(a);
  const double low = powers_of_ten().exact(k);
  const double high = powers_of_ten().exact(k + 1);
  if (low < DBL_MIN) return false;
  const double below = v / low;
  const double above = v / high;
  const bool up = a >= high;
  k += up ? 1 : 0;
  if (powers_of_ten().near_ends(a, k)) return false;
  exponent = k;
  m = up ? above : below;
  return true;
}

// A rendering growing leftwards from the NUL at buffer[31], for the digit
// loop that peels one digit at a time. Characters past the 31 positions
// are counted but not stored: the count alone decides that the marker is
// shown, so nothing is ever written outside the buffer.
struct Rendering {
  char* buffer;
  int len;

  char* start() const { return buffer + kShown - len; }
  void put(char c) {
    if (len < kShown) buffer[kShown - 1 - len] = c;
    ++len;
  }
  // Puts `n` characters in front as one block; the caller keeps n within
  // the room left.
  void put_block(const char* s, int n) {
    std::memcpy(buffer + kShown - len - n, s, static_cast<std::size_t>(n));
    len += n;
  }
};

// State of the digit loop of a fixed rendering.
struct Digits {
  Rendering& out;
  long long n = 0;  // digits taken, plus the decimal point's length
  long long precision;
  bool putting;
  const char* dp;
  int dp_len;

  // Takes one digit k; `rest_zero` says whether the integer left is zero.
  void take(int k, bool rest_zero) {
    ++n;
    if (k != 0 || putting) {
      out.put(static_cast<char>('0' + k));
      putting = true;
    }
    if (precision != 0 && n == precision) {
      n += dp_len;
      if (putting) {
        const int room = kShown - out.len;
        out.put_block(dp, dp_len < room ? dp_len : room);
      }
      putting = true;
      if (rest_zero) out.put('0');
    }
  }
  bool finished(bool zero) const { return zero && n > precision; }
  // Zeros not put out (trimming) cost only a count: jump to the last one.
  void skip_trimmed_zeros() {
    if (!putting && n < precision - 1) n = precision - 1;
  }
};

// u split at 10^P, with the divisor known at compile time for each P.
template <int P>
void split_at(std::uint64_t u, std::uint64_t& integer, std::uint64_t& fraction) {
  integer = u / kPow10[P];
  fraction = u % kPow10[P];
}

// u split at 10^precision, precision at most 19.
void split(std::uint64_t u, int precision, std::uint64_t& integer, std::uint64_t& fraction) {
  switch (precision) {
    case 0: integer = u; fraction = 0; return;
    case 1: return split_at<1>(u, integer, fraction);
    case 2: return split_at<2>(u, integer, fraction);
    case 3: return split_at<3>(u, integer, fraction);
    case 4: return split_at<4>(u, integer, fraction);
    case 5: return split_at<5>(u, integer, fraction);
    case 6: return split_at<6>(u, integer, fraction);
    case 7: return split_at<7>(u, integer, fraction);
    case 8: return split_at<8>(u, integer, fraction);
    default:
      integer = u / kPow10[precision];
      fraction = u % kPow10[precision];
      return;
  }
}

// Drops the trailing zeros of a nonzero fraction, two at a time first.
template <typename Fraction>
inline void trim_zeros(Fraction& fraction, int& digits) {
  while (fraction % 100 == 0) {
    fraction /= 100;
    digits -= 2;
  }
  if (fraction % 10 == 0) {
    fraction /= 10;
    --digits;
  }
}

// The digits of the scaled value u, an exact integer, with `precision`
// (at most 19) fraction digits, in front of `p` (the buffer's kShown
// positions start at `buffer`): the peeling loop's result computed whole.
// False leaves an empty decimal point and `%.0g` to the loop; else p is the
// new start, or null when the digits would not fit.
__attribute__((always_inline)) inline bool exact_digits(std::uint64_t u, int precision, bool trim,
                                                        DecimalPoint& decimal_point, char* buffer,
                                                        char*& p) {
  const int dp_len = decimal_point.length();
  if (dp_len == 0 || (trim && precision == 0)) return false;
  std::uint64_t integer, fraction;
  // The default and the usual money precision ahead of the switch.
  if (precision == 6) split_at<6>(u, integer, fraction);
  else if (precision == 2) split_at<2>(u, integer, fraction);
  else split(u, precision, integer, fraction);
  int fraction_digits = precision;
  if (trim) {
    if (fraction == 0) {
      fraction_digits = 0;
    } else if (precision <= 9) {
      auto small = static_cast<std::uint32_t>(fraction);  // cheaper divisions
      trim_zeros(small, fraction_digits);
      fraction = small;
    } else {
      trim_zeros(fraction, fraction_digits);
    }
  }
  const int point = fraction_digits > 0 ? dp_len : 0;
  // A mantissa's integer part has one digit (or two where rounding made it 10).
  const int integer_digits = integer < 10 ? 1 : count_digits(integer);
  if (fraction_digits + point + integer_digits > p - buffer) {
    p = nullptr;
    return true;
  }
  if (fraction_digits > 0) {
    // Six digits (the default precision) and two come straight.
    if (fraction_digits == 6) p = put_pairs<6>(p, static_cast<std::uint32_t>(fraction));
    else if (fraction_digits == 2) p = put_pairs<2>(p, static_cast<std::uint32_t>(fraction));
    else p = put_counted(p, buffer, fraction, fraction_digits);
    if (point == 1) {
      *--p = decimal_point.text()[0];
    } else {
      p -= point;
      std::memcpy(p, decimal_point.text(), static_cast<std::size_t>(point));
    }
  }
  if (integer < 10) *--p = static_cast<char>('0' + integer);
  else p = put_counted(p, buffer, integer, integer_digits);
  return true;
}

// The fixed form digit by digit, for what exact_digits leaves: scaled
// values from 2^53 up, an empty decimal point, more than 19 fraction
// digits. Returns the new start, or null when the rendering is cut short
// by the 31 positions (too large to show, whatever its sign).
__attribute__((noinline)) char* peel_digits(double y, int precision, bool trim, DecimalPoint& decimal_point,
                                            char* buffer, char* p) {
  // Zero stays zero; skipping the product keeps 0 * inf from making a NaN.
  if (precision != 0 && y != 0.0) y *= powers_of_ten().nonnegative(precision);
  y += 0.5;
  if (!(y <= DBL_MAX)) return nullptr;
  Rendering out{buffer, static_cast<int>(buffer + kShown - p)};
  Digits d{out, 0, precision, !trim, decimal_point.text(), decimal_point.length()};
  // Above 2^53 the steps round: take them as they are (y stays far from
  // zero) until the value is small enough for exact integer steps.
  while (y >= kExactIntegers) {
    if (out.len >= kShown) return nullptr;
    // y is a whole number here; below 2^64 its remainder is exact in integers.
    const double r = y < 18446744073709551616.0
                         ? static_cast<double>(static_cast<std::uint64_t>(y) % 10)
                         : std::fmod(y, 10.0);
    y = (y - r) / 10.0;
    d.take(static_cast<int>(r), false);
  }
  if (out.len > kShown) return nullptr;
  std::uint64_t u = static_cast<std::uint64_t>(static_cast<std::int64_t>(y));
  // Every digit so far was put out: the rest are the plain digits of u.
  if (d.putting && d.n < precision) {
    p = out.start();
    if (precision - d.n <= 19 &&
        exact_digits(u, static_cast<int>(precision - d.n), false, decimal_point, buffer, p))
      return p;
  } else if (d.putting && d.n > precision && u != 0) {
    const int digits = count_digits(u);
    if (out.len + digits > kShown) return nullptr;
    return put_exact(out.start(), u, digits);
  }
  while (!d.finished(u == 0)) {
    if (out.len >= kShown) return nullptr;
    if (u == 0) d.skip_trimmed_zeros();
    const int k = static_cast<int>(u % 10);
    u /= 10;
    d.take(k, u == 0);
  }
  return out.len > kShown ? nullptr : out.start();
}

// Fixed form of y >= 0 with `precision` fraction digits, in front of `p`:
// y scaled by 10^precision plus one half, its digits whole where that is an
// exact integer, else peeled one by one. Trimming drops trailing fraction
// zeros. Returns the new start, or null for a rendering too large to show.
__attribute__((always_inline)) inline char* fixed(double y, int precision, bool trim, DecimalPoint& decimal_point,
                                                  char* buffer, char* p) {
  if (precision <= 19) {
    const double scaled = scaled_half(y, powers_of_ten().exact(precision));
    if (scaled < kExactIntegers &&
        exact_digits(static_cast<std::uint64_t>(static_cast<std::int64_t>(scaled)), precision, trim, decimal_point,
                     buffer, p))
      return p;
  }
  return peel_digits(y, precision, trim, decimal_point, buffer, p);
}

// How a finite value is shown.
struct FloatForm {
  int precision;       // fraction digits
  bool exponent_form;  // a mantissa and "e+XX" rather than the value itself
  bool trim;           // trailing fraction zeros dropped
  int exponent;
  double y;            // the value shown in fixed form: v, or its mantissa
};

// `e` and `E` always show the exponent, `f` never; `g` and `G` choose
// from the exponent and trim trailing zeros. Kind is 'f', 'e' (or 'E') or
// 'g' (or 'G'), so that `f` never looks for an exponent nor `e` trims.
template <char Kind>
inline FloatForm choose_form(int precision, double v) {
  FloatForm form{precision, Kind == 'e', Kind == 'g', 0, v};
  if (Kind == 'f') return form;
  double m = v;
  if (v != 0.0 && !exponent_and_mantissa(v, form.exponent, m)) {
    form.exponent = decimal_exponent(std::fabs(v));
    m = mantissa(v, form.exponent);
  }
  if (Kind == 'g') {
    form.exponent_form = !(form.exponent < form.precision && form.exponent >= -4);
    if (form.exponent_form && form.precision != 0) --form.precision;
  }
  if (form.exponent_form) form.y = m;
  return form;
}

// The exponent, "e+XX" or "e+XXX", in front of `end`; returns the new start.
inline char* put_exponent(char* end, int exponent, char letter) {
  const int a = exponent < 0 ? -exponent : exponent;
  char* p = put_pairs<2>(end, static_cast<std::uint32_t>(a % 100));
  if (a > 99) *--p = static_cast<char>('0' + a / 100);
  *--p = exponent < 0 ? '-' : '+';
  *--p = letter;
  return p;
}

// A finite value in the form `Kind` (see choose_form) asks for.
template <char Kind>
__attribute__((always_inline)) inline std::size_t render_finite(keznlsPercent& r, double v,
                                                                DecimalPoint& decimal_point) {
  char* const end = r.buffer + kShown;
  const FloatForm form = choose_form<Kind>(r.has_precision ? r.precision : 6, v);
  const char letter = r.conversion == 'E' || r.conversion == 'G' ? 'E' : 'e';
  char* p = form.exponent_form ? put_exponent(end, form.exponent, letter) : end;
  const bool negative = form.y < 0.0;
  p = fixed(negative ? -form.y : form.y, form.precision, form.trim, decimal_point, r.buffer, p);
  if (p == nullptr) return too_large(r);
  return finish_number(r, p, negative, r.zero_pad);
}

// 10^0 .. 10^kFixedDigits, exact as doubles, as powers_of_ten has them:
// put_fixed's scales, with no table to make first.
constexpr double kFixedScales[kFixedDigits + 1] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};

// The scaled value u written with F fraction digits at `out`, as
// exact_digits writes it; returns the end.
template <int F>
char* put_fixed_digits(char* out, std::uint64_t u, char point) {
  out = put_number(out, u / kPow10[F]);
  if constexpr (F == 0) {
    return out;
  } else {
    const auto fraction = static_cast<std::uint32_t>(u % kPow10[F]);
    *out = point;
    out += F + 1;
    if constexpr (F % 2 == 0) put_pairs<F>(out, fraction);
    else put_small(out, fraction, F);
    return out;
  }
}

}  // namespace

char* put_fixed(char* out, double v, int precision, const char* decimal_point) {
  if (static_cast<unsigned>(precision) > kFixedDigits || decimal_point[0] == '\0' || decimal_point[1] != '\0')
    return nullptr;
  // As render_finite and fixed take it: -0.0 shows no sign (and scales as
  // 0.0 does); NaN and the infinities fail the compare.
  const bool negative = v < 0.0;
  const double scaled = scaled_half(std::fabs(v), kFixedScales[precision]);
  if (!(scaled < kExactIntegers)) return nullptr;
  const auto u = static_cast<std::uint64_t>(static_cast<std::int64_t>(scaled));
  *out = '-';
  out += negative ? 1 : 0;
  const char point = decimal_point[0];
  switch (precision) {
    case 0: return put_fixed_digits<0>(out, u, point);
    case 1: return put_fixed_digits<1>(out, u, point);
    case 2: return put_fixed_digits<2>(out, u, point);
    case 3: return put_fixed_digits<3>(out, u, point);
    case 4: return put_fixed_digits<4>(out, u, point);
    case 5: return put_fixed_digits<5>(out, u, point);
    case 6: return put_fixed_digits<6>(out, u, point);
    case 7: return put_fixed_digits<7>(out, u, point);
    case 8: return put_fixed_digits<8>(out, u, point);
    default: return put_fixed_digits<9>(out, u, point);
  }
}

std::size_t render_double(keznlsPercent& r, double v, DecimalPoint& decimal_point) {
  const char conversion = r.conversion;
  if (!std::isfinite(v)) {
    // As printf shows them: no digits, padded with spaces even under `0`.
    const bool upper = conversion == 'E' || conversion == 'G';
    char* const p = r.buffer + kShown - 3;
    std::memcpy(p, std::isnan(v) ? (upper ? "NAN" : "nan") : (upper ? "INF" : "inf"), 3);
    return finish_number(r, p, std::signbit(v), false);
  }
  if (conversion == 'f') return render_finite<'f'>(r, v, decimal_point);
  if (conversion == 'e' || conversion == 'E') return render_finite<'e'>(r, v, decimal_point);
  return render_finite<'g'>(r, v, decimal_point);
}

}  // namespace keznls_engine
