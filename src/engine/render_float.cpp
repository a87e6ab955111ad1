// Floating conversions: scale by a power of ten, add one half, peel decimal
// digits off right to left. The decimal point is the caller's text.
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "render.h"
#include "digits.h"

namespace keznls_engine {

namespace {

// Powers of ten exactly as utMath::pow gives them, computed once when the
// library is loaded instead of on every conversion.
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
  double operator()(int n) const {
    if (n < kLowest || n > kHighest) return utMath::pow(10.0, n);
    return table_[n - kLowest];
  }
  // For exponents of finite doubles and their neighbours, always in the table.
  double exact(int n) const { return table_[n - kLowest]; }
  // Whether a in [10^n, 10^(n+1)) lies within a relative 1e-12 of either end.
  bool near_ends(double a, int n) const { return a < low_[n - kLowest] || a > high_[n - kLowest]; }

 private:
  double table_[kHighest - kLowest + 1];
  double low_[kHighest - kLowest];
  double high_[kHighest - kLowest];
};

const PowersOfTen powers_of_ten;

// Below 2^53 every step of the fmod loop is exact, so integer digits are
// the same digits, much faster.
constexpr double kExactIntegers = 9007199254740992.0;

// The mantissa v / 10^X. Where 10^X is subnormal or zero (the smallest
// values) the division would lose digits or overflow, so scale in two steps.
double mantissa(double v, int exponent) {
  const double p = powers_of_ten.exact(exponent);
  if (p >= DBL_MIN) return v / p;
  return (v * 1e300) / powers_of_ten.exact(exponent + 300);
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
  k += a >= powers_of_ten.exact(k + 1) ? 1 : 0;
  if (powers_of_ten.near_ends(a, k)) return utMath::floor(utMath::log10(a));
  return k;
}

// decimal_exponent and mantissa at once where both are plain (false
// otherwise, leaving them untouched). The divisor is one of the two table
// entries the compare reads, not an entry looked up with the exponent the
// compare settles, so the division need not wait for the compare.
inline bool exponent_and_mantissa(double v, int& exponent, double& m) {
  const double a = std::fabs(v);
  int k = exponent_below(a);
  const double low = powers_of_ten.exact(k);
  const double high = powers_of_ten.exact(k + 1);
  if (low < DBL_MIN) return false;
  const double below = v / low;
  const double above = v / high;
  const bool up = a >= high;
  k += up ? 1 : 0;
  if (powers_of_ten.near_ends(a, k)) return false;
  exponent = k;
  m = up ? above : below;
  return true;
}

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

// 10^0 .. 10^19, all exact in a double (and so equal to utMath::pow).
constexpr double kPow10d[20] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,
                                1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19};

constexpr std::uint64_t kPow10u[20] = {1ull, 10ull, 100ull, 1000ull, 10000ull, 100000ull, 1000000ull,
                                       10000000ull, 100000000ull, 1000000000ull, 10000000000ull,
                                       100000000000ull, 1000000000000ull, 10000000000000ull,
                                       100000000000000ull, 1000000000000000ull, 10000000000000000ull,
                                       100000000000000000ull, 1000000000000000000ull,
                                       10000000000000000000ull};

// 10^t, except that below 10 zero too has one digit.
constexpr std::uint64_t kFewerDigitsBelow[20] = {0ull, 10ull, 100ull, 1000ull, 10000ull, 100000ull,
                                                 1000000ull, 10000000ull, 100000000ull, 1000000000ull,
                                                 10000000000ull, 100000000000ull, 1000000000000ull,
                                                 10000000000000ull, 100000000000000ull,
                                                 1000000000000000ull, 10000000000000000ull,
                                                 100000000000000000ull, 1000000000000000000ull,
                                                 10000000000000000000ull};

int count_digits(std::uint64_t v) {
  // Estimate from the bit length (1233/4096 ~ log10(2)), then one compare.
  const int t = ((64 - __builtin_clzll(v | 1)) * 1233) >> 12;
  return t + 1 - (v < kFewerDigitsBelow[t] ? 1 : 0);
}

// u split at 10^P, with the divisor known at compile time for each P.
template <int P>
void split_at(std::uint64_t u, std::uint64_t& integer, std::uint64_t& fraction) {
  integer = u / kPow10u[P];
  fraction = u % kPow10u[P];
}

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
      integer = u / kPow10u[precision];
      fraction = u % kPow10u[precision];
      return;
  }
}

// Puts exactly `count` digits of v < 10^8 in front of `end`, pairs at a time.
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

// Puts exactly `count` digits of v (leading zeros included) in front of
// `end` and returns the new start; the 64-bit value is cut into 8-digit
// pieces so the pairs divide in 32 bits.
inline char* put_exact(char* end, std::uint64_t v, int count) {
  while (count > 8) {
    end = put_small(end, static_cast<std::uint32_t>(v % 100000000u), 8);
    v /= 100000000u;
    count -= 8;
  }
  return put_small(end, static_cast<std::uint32_t>(v), count);
}

void put_digits(Rendering& out, std::uint64_t v, int count) {
  put_exact(out.buffer + kShown - out.len, v, count);
  out.len += count;
}

// Exactly N (even, up to 8) digits of v < 10^N, leading zeros included, in
// front of `end`, with no division: v / 10^(N-2) as a binary fraction of
// kBits bits, whose integer part is the first pair; each further pair is the
// integer part of the remaining fraction times 100. The scales were checked
// against every v below 10^N.
template <int N>
inline char* put_pairs(char* end, std::uint32_t v) {
  static_assert(N == 2 || N == 4 || N == 6 || N == 8, "pairs of digits, at most 8");
  constexpr int kBits = N == 8 ? 47 : 32;
  constexpr std::uint64_t kOne = std::uint64_t{1} << kBits;
  constexpr std::uint64_t kDivisor = kPow10u[N - 2];
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

// put_exact for the quick path: where the buffer has room in front of `end`
// (from `start`), a whole block of 2, 4, 6, 8 or 16 digits is written and
// only the last `count` kept.
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

// The scaled value y between 2^53 and 2^64, split as the digit loop splits
// it: its first steps round, and are taken here exactly as the loop takes
// them (at most four), then the integer left splits as usual. Only where
// those digits stay within the fraction and all are shown (no trimming).
bool split_large(double y, int precision, std::uint64_t& integer, std::uint64_t& fraction) {
  if (!(y < 18446744073709551616.0)) return false;
  std::uint64_t low = 0, scale = 1;
  int taken = 0;
  do {
    const std::uint64_t r = static_cast<std::uint64_t>(y) % 10;
    y = (y - static_cast<double>(r)) / 10.0;
    low += r * scale;
    scale *= 10;
    ++taken;
  } while (y >= kExactIntegers);
  if (taken >= precision) return false;
  split(static_cast<std::uint64_t>(static_cast<std::int64_t>(y)), precision - taken, integer, fraction);
  fraction = fraction * scale + low;
  return true;
}

// The digit loop's result computed whole, for the usual case: the scaled
// value u = floor(y) is exact, the fraction fits in 64 bits and the decimal
// point is not empty. Returns false to leave the other cases to the loop.
bool fixed_fast(std::uint64_t u, int precision, bool trim, const char* dp, int dp_len,
                Rendering& out) {
  if (precision > 19 || dp_len == 0 || (trim && precision == 0)) return false;
  std::uint64_t integer, fraction;
  split(u, precision, integer, fraction);
  int fraction_digits = precision;
  if (trim) {
    if (fraction == 0) fraction_digits = 0;
    while (fraction_digits > 0 && fraction % 10 == 0) {
      fraction /= 10;
      --fraction_digits;
    }
  }
  const int point = fraction_digits > 0 ? dp_len : 0;
  const int integer_digits = count_digits(integer);
  if (out.len + fraction_digits + point + integer_digits > kShown) {
    out.mark_too_large();
    return true;
  }
  put_digits(out, fraction, fraction_digits);
  out.put_block(dp, point);
  put_digits(out, integer, integer_digits);
  return true;
}

// Fixed form of y with `precision` fraction digits; trimming drops trailing
// fraction zeros. A rendering cut short by the 31 positions is too large to
// show, whatever its sign.
void fixed(double y, int precision, bool trim, const char* dp, int dp_len,
           Rendering& out, bool& negative) {
  negative = y < 0.0;
  if (negative) y = -y;
  // Zero stays zero; skipping the product keeps 0 * inf from making a NaN.
  if (precision != 0 && y != 0.0) y *= powers_of_ten(precision);
  y += 0.5;
  if (!(y <= DBL_MAX)) {
    out.mark_too_large();
    return;
  }
  if (y < kExactIntegers &&
      fixed_fast(static_cast<std::uint64_t>(static_cast<std::int64_t>(y)), precision, trim, dp, dp_len, out))
    return;
  Digits d{out, 0, precision, !trim, dp, dp_len};
  // Above 2^53 the steps round: take them as they are (y stays far from
  // zero) until the value is small enough for exact integer steps.
  while (y >= kExactIntegers) {
    if (out.len >= kShown) {
      out.mark_too_large();
      return;
    }
    // y is a whole number here; below 2^64 its remainder is exact in integers.
    const double r = y < 18446744073709551616.0
                         ? static_cast<double>(static_cast<std::uint64_t>(y) % 10)
                         : std::fmod(y, 10.0);
    y = (y - r) / 10.0;
    d.take(static_cast<int>(r), false);
  }
  std::uint64_t u = static_cast<std::uint64_t>(static_cast<std::int64_t>(y));
  // Every digit so far was put out: the rest are the plain digits of u.
  if (d.putting && d.n < precision) {
    if (fixed_fast(u, static_cast<int>(precision - d.n), false, dp, dp_len, out)) return;
  } else if (d.putting && d.n > precision && u != 0) {
    const int digits = count_digits(u);
    if (out.len + digits > kShown) out.mark_too_large();
    else put_digits(out, u, digits);
    return;
  }
  bool done = false;
  for (;;) {
    if ((done = d.finished(u == 0)) || out.len >= kShown) break;
    if (u == 0) d.skip_trimmed_zeros();
    const int k = static_cast<int>(u % 10);
    u /= 10;
    d.take(k, u == 0);
  }
  if (!done) out.mark_too_large();
}

// How a finite value is shown: fraction digits, form, trimming, exponent.
struct FloatForm {
  int precision;
  bool exponent_form;
  bool trim;
  int exponent;
};

// `g` and `G` choose fixed or exponent form from the exponent and trim
// trailing zeros; `e` and `E` always show the exponent. Inline: out of
// line it costs the quick path a fifth of its speed.
inline FloatForm choose_form(const keznlsPercent& r, double v) {
  const char conversion = r.conversion;
  FloatForm form{r.has_precision ? r.precision : 6, conversion == 'e' || conversion == 'E', false, 0};
  if (conversion != 'f') {
    if (v != 0.0) form.exponent = decimal_exponent(std::fabs(v));
    if (conversion == 'g' || conversion == 'G') {
      form.trim = true;
      form.exponent_form = !(form.exponent < form.precision && form.exponent >= -4);
      if (form.exponent_form && form.precision != 0) --form.precision;
    }
  }
  return form;
}

// The quick path for one conversion letter, so that `f` never tests for an
// exponent nor `e` for trimming: Kind is 'f', 'e' (or 'E') or 'g' (or 'G').
template <char Kind>
bool render_plain(keznlsPercent& r, double v, DecimalPoint& decimal_point, std::size_t& length) {
  int precision = r.has_precision ? r.precision : 6;
  if (precision > 19) return false;
  int exponent = 0;
  double m = v;  // the mantissa, when the exponent form shows
  if (Kind != 'f' && v != 0.0 && !exponent_and_mantissa(v, exponent, m)) {
    exponent = decimal_exponent(std::fabs(v));
    m = mantissa(v, exponent);
  }
  bool exponent_form = Kind == 'e';
  constexpr bool trim = Kind == 'g';
  if (trim) {
    exponent_form = !(exponent < precision && exponent >= -4);
    if (exponent_form && precision != 0) --precision;
    if (precision == 0) return false;
  }
  const int dp_len = decimal_point.length();
  if (dp_len == 0) return false;
  double y = exponent_form ? m : v;
  const bool negative = y < 0.0;
  if (negative) y = -y;
  if (precision != 0) y *= kPow10d[precision];
  y += 0.5;

  std::uint64_t integer, fraction;
  if (y < kExactIntegers) {
    const auto u = static_cast<std::uint64_t>(static_cast<std::int64_t>(y));
    // The default and the usual money precision ahead of the switch.
    if (precision == 6) split_at<6>(u, integer, fraction);
    else if (precision == 2) split_at<2>(u, integer, fraction);
    else split(u, precision, integer, fraction);
  } else if (trim || !split_large(y, precision, integer, fraction)) {
    return false;
  }
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
  // A mantissa's integer part has one digit (0 where the division left it
  // just under 1), or two where rounding made it 10.
  const bool one_digit = Kind == 'e' && integer < 10;
  const int integer_digits = one_digit ? 1 : count_digits(integer);
  const int a = exponent < 0 ? -exponent : exponent;
  const int exponent_length = exponent_form ? (a > 99 ? 5 : 4) : 0;
  const int total = exponent_length + fraction_digits + point + integer_digits + (negative ? 1 : 0);
  if (total > kShown) return false;

  char* const end = r.buffer + kShown;
  *end = '\0';
  char* p = end;
  if (exponent_form) {
    p = put_pairs<2>(p, static_cast<std::uint32_t>(a % 100));
    if (a > 99) *--p = static_cast<char>('0' + a / 100);
    *--p = exponent < 0 ? '-' : '+';
    *--p = r.conversion == 'E' || r.conversion == 'G' ? 'E' : 'e';
  }
  if (fraction_digits > 0) {
    // Six digits (the default precision) and two come straight.
    if (fraction_digits == 6) p = put_pairs<6>(p, static_cast<std::uint32_t>(fraction));
    else if (fraction_digits == 2) p = put_pairs<2>(p, static_cast<std::uint32_t>(fraction));
    else p = put_counted(p, r.buffer, fraction, fraction_digits);
    if (point == 1) {
      *--p = decimal_point.text()[0];
    } else {
      p -= point;
      std::memcpy(p, decimal_point.text(), static_cast<std::size_t>(point));
    }
  }
  if (one_digit) *--p = static_cast<char>('0' + integer);
  else p = put_counted(p, r.buffer, integer, integer_digits);
  if (negative) *--p = '-';
  r.text = p;
  length = static_cast<std::size_t>(total);
  return true;
}

}  // namespace

std::size_t render_double_fast(keznlsPercent& r, double v, DecimalPoint& decimal_point) {
  std::size_t length;
  if (!r.has_width && std::isfinite(v)) {
    const char conversion = r.conversion;
    if (conversion == 'f') {
      if (render_plain<'f'>(r, v, decimal_point, length)) return length;
    } else if (conversion == 'e' || conversion == 'E') {
      if (render_plain<'e'>(r, v, decimal_point, length)) return length;
    } else if (render_plain<'g'>(r, v, decimal_point, length)) {
      return length;
    }
  }
  return render_double(r, v, decimal_point);
}

char render_floating(const keznlsPercent& r, double v, DecimalPoint& decimal_point,
                     Rendering& out, bool& negative) {
  const char conversion = r.conversion;
  const bool upper = conversion == 'E' || conversion == 'G';
  if (!std::isfinite(v)) {
    // As printf shows them: no digits, padded with spaces even under `0`.
    const char* word = std::isnan(v) ? (upper ? "NAN" : "nan") : (upper ? "INF" : "inf");
    out.put_block(word, 3);
    negative = std::signbit(v);
    return ' ';
  }
  const FloatForm form = choose_form(r, v);
  int precision = form.precision;
  const bool exponent_form = form.exponent_form, trim = form.trim;
  const int exponent = form.exponent;
  double y = v;
  if (exponent_form) {
    y = mantissa(v, exponent);
    const int a = exponent < 0 ? -exponent : exponent;
    out.put(static_cast<char>('0' + a % 10));
    out.put(static_cast<char>('0' + a / 10 % 10));
    if (a > 99) out.put(static_cast<char>('0' + a / 100 % 10));
    out.put(exponent < 0 ? '-' : '+');
    out.put(upper ? 'E' : 'e');
  }
  fixed(y, precision, trim, decimal_point.text(), decimal_point.length(), out, negative);
  return r.zero_pad ? '0' : ' ';
}

}  // namespace keznls_engine
