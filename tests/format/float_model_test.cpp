// The floating conversions against a step-by-step model (scale, add one half, peel with fmod).
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "keznls/engine.h"

namespace {

struct Conversion {
  char conversion;
  bool zero_pad;
  int width, precision;  // -1: none
};

std::string model(const Conversion& c, double v, const std::string& dp) {
  const std::string too_large = "<too large to show>";
  int p = c.precision >= 0 ? c.precision : 6;
  const int x = v == 0.0 ? 0 : utMath::floor(utMath::log10(utMath::abs(v)));
  bool exponent_form = c.conversion == 'e' || c.conversion == 'E';
  const bool trim = c.conversion == 'g' || c.conversion == 'G';
  if (trim) {
    exponent_form = !(x < p && x >= -4);
    if (exponent_form && p != 0) --p;
  }
  std::string s;  // grows leftwards
  double y = v;
  if (exponent_form) {
    y = v / utMath::pow(10.0, x);
    const std::string digits = std::to_string(std::abs(x));  // |x| < 1000 for doubles
    s = std::string(c.conversion == 'E' || c.conversion == 'G' ? "E" : "e") + (x < 0 ? "-" : "+") +
        (digits.size() < 2 ? "0" : "") + digits;
  }
  const bool negative = y < 0.0;
  y = utMath::abs(y) * (p != 0 ? utMath::pow(10.0, p) : 1.0) + 0.5;
  long long n = 0;
  bool putting = !trim;
  while (s.size() < 31 && !(y == 0.0 && n > p)) {
    const double r = std::fmod(y, 10.0);
    const int k = utMath::floor(r);
    ++n;
    y = (y - r) / 10.0;
    if (k != 0 || putting) {
      s = static_cast<char>('0' + k) + s;
      putting = true;
    }
    if (p != 0 && n == p) {
      n += static_cast<long long>(dp.size());
      if (putting) s = dp.substr(0, 31 - s.size()) + s;
      putting = true;
      if (y == 0.0) s = "0" + s;
    }
  }
  if (!(y == 0.0 && n > p)) return too_large;  // cut short
  const int width = c.width >= 0 ? std::min(c.width, 32) : 0;
  if (negative && !c.zero_pad) s = "-" + s;
  const int target = negative && c.zero_pad ? width - 1 : width;
  while (static_cast<int>(s.size()) < target) s = (c.zero_pad ? "0" : " ") + s;
  if (negative && c.zero_pad) s = "-" + s;
  return s.size() >= 32 ? too_large : s;
}

double interesting_value(std::mt19937_64& rng) {
  const double sign = rng() % 2 ? -1.0 : 1.0;
  const double unit = std::uniform_real_distribution<double>(1.0, 10.0)(rng);
  switch (rng() % 4) {
    case 0:  // anywhere in the normal range
      return sign * unit * std::pow(10.0, static_cast<int>(rng() % 601) - 300);
    case 1:  // just around a power of ten, where log10 rounds
      return sign * std::nextafter(std::pow(10.0, static_cast<int>(rng() % 40) - 20), rng() % 2 ? 0.0 : 1e300);
    case 2:  // ties, and the neighbourhood of 2^53 where exact integer steps end
      return sign * (rng() % 2 ? static_cast<double>(rng() % 100000) / 200.0
                               : 9007199254740992.0 + static_cast<double>(rng() % 64) * 2.0 - 64.0);
    default:  // everyday magnitudes
      return sign * unit * std::pow(10.0, static_cast<int>(rng() % 14) - 5);
  }
}

TEST(FloatModel, EngineMatchesTheStepByStepRendering) {
  std::mt19937_64 rng(20261206u);
  const std::string points[] = {".", ",", "", "<dp>"};
  int mismatches = 0;
  for (int i = 0; i < 40000; ++i) {
    const std::string& dp = points[rng() % 4];
    const Conversion c{"feEgG"[rng() % 5], rng() % 3 == 0, rng() % 2 ? static_cast<int>(rng() % 34) : -1,
                       rng() % 4 ? static_cast<int>(rng() % 21) : -1};
    const double v = interesting_value(rng);
    const keznlsSprintf engine(utString(dp.c_str()));
    const std::string f = std::string("%") + (c.zero_pad ? "0" : "") +
                          (c.width >= 0 ? std::to_string(c.width) : "") +
                          (c.precision >= 0 ? "." + std::to_string(c.precision) : "") + c.conversion;
    const std::string got = engine.gui_sprintf(f.c_str(), v).c_str();
    const std::string want = model(c, v, dp);
    if (got != want && ++mismatches <= 10)
      ADD_FAILURE() << f << " of " << v << " (" << std::hexfloat << v << std::defaultfloat
                    << ") with point \"" << dp << "\": engine \"" << got << "\", model \"" << want << "\"";
  }
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
