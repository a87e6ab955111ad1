// Floating conversions: scale by a power of ten, add one half, peel decimal
// digits off right to left. The decimal point is the caller's text.
#include <cfloat>
#include <cmath>
#include <cstdint>

#include "render.h"

namespace keznls_engine {

namespace {

// Powers of ten exactly as utMath::pow gives them, looked up instead of
// recomputed on every conversion.
class PowersOfTen {
 public:
  static constexpr int kLowest = -340;
  static constexpr int kHighest = 308;

  PowersOfTen() {
    for (int n = kLowest; n <= kHighest; ++n) table_[n - kLowest] = utMath::pow(10.0, n);
  }
  double operator()(int n) const {
    if (n < kLowest || n > kHighest) return utMath::pow(10.0, n);
    return table_[n - kLowest];
  }

 private:
  double table_[kHighest - kLowest + 1];
};

double pow10(int n) {
  static const PowersOfTen powers;
  return powers(n);
}

// Below 2^53 every step of the fmod loop is exact, so integer digits are
// the same digits, much faster.
constexpr double kExactIntegers = 9007199254740992.0;

// The mantissa v / 10^X. Where 10^X is subnormal or zero (the smallest
// values) the division would lose digits or overflow, so scale in two steps.
double mantissa(double v, int exponent) {
  const double p = pow10(exponent);
  if (p >= DBL_MIN) return v / p;
  return (v * 1e300) / pow10(exponent + 300);
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

// Fixed form of y with `precision` fraction digits; trimming drops trailing
// fraction zeros. A rendering cut short by the 31 positions is too large to
// show, whatever its sign.
void fixed(double y, int precision, bool trim, const char* dp, int dp_len,
           Rendering& out, bool& negative) {
  negative = y < 0.0;
  if (negative) y = -y;
  // Zero stays zero; skipping the product keeps 0 * inf from making a NaN.
  if (precision != 0 && y != 0.0) y *= pow10(precision);
  y += 0.5;
  if (!(y <= DBL_MAX)) {
    out.mark_too_large();
    return;
  }
  Digits d{out, 0, precision, !trim, dp, dp_len};
  bool done = false;
  if (y < kExactIntegers) {
    std::uint64_t u = static_cast<std::uint64_t>(y);
    for (;;) {
      if ((done = d.finished(u == 0)) || out.len >= kShown) break;
      if (u == 0) d.skip_trimmed_zeros();
      const int k = static_cast<int>(u % 10);
      u /= 10;
      d.take(k, u == 0);
    }
  } else {
    for (;;) {
      if ((done = d.finished(y == 0.0)) || out.len >= kShown) break;
      if (y == 0.0) d.skip_trimmed_zeros();
      const double r = std::fmod(y, 10.0);
      const int k = utMath::floor(r);
      y = (y - r) / 10.0;
      d.take(k, y == 0.0);
    }
  }
  if (!done) out.mark_too_large();
}

}  // namespace

char render_floating(const keznlsPercent& r, double v, const char* decimal_point,
                     int dp_len, Rendering& out, bool& negative) {
  const char conversion = r.conversion;
  const bool upper = conversion == 'E' || conversion == 'G';
  if (!std::isfinite(v)) {
    // As printf shows them: no digits, padded with spaces even under `0`.
    const char* word = std::isnan(v) ? (upper ? "NAN" : "nan") : (upper ? "INF" : "inf");
    out.put_block(word, 3);
    negative = std::signbit(v);
    return ' ';
  }
  int precision = r.has_precision ? r.precision : 6;
  bool exponent_form = conversion == 'e' || conversion == 'E';
  bool trim = false;
  int exponent = 0;
  if (conversion != 'f') {
    if (v != 0.0) exponent = utMath::floor(utMath::log10(utMath::abs(v)));
    if (conversion == 'g' || conversion == 'G') {
      trim = true;
      exponent_form = !(exponent < precision && exponent >= -4);
      if (exponent_form && precision != 0) --precision;
    }
  }
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
  fixed(y, precision, trim, decimal_point, dp_len, out, negative);
  return r.zero_pad ? '0' : ' ';
}

}  // namespace keznls_engine
