// Rendering one argument: integers, strings, floating forms, padding, limits.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <variant>

#include "keznls/engine.h"

const std::string kTooLarge = "<too large to show>";
const double kInf = std::numeric_limits<double>::infinity();
const double kNan = std::numeric_limits<double>::quiet_NaN();

TEST(Render, OneArgument) {
  struct Case {
    const char* format;
    std::variant<int, unsigned, double, const char*> arg;
    std::string expected;
    const char* point = ".";
  };
  const Case cases[] = {
      {"%.0d", 0, ""},
      {"%d", std::numeric_limits<int>::min(), "-2147483648"},
      {"%ld", std::numeric_limits<int>::max(), "2147483647"},
      {"%x", 255u, "ff"},
      {"%X", 0xDEADBEEFu, "DEADBEEF"},
      {"%u", 4294967295u, "4294967295"},
      {"%05d", -42, "-0042"},
      // The 0 flag still fills when a precision is given (printf would not).
      {"%08.3d", 5, "00000005"},
      {"%8.3d", -5, "    -005"},
      {"%5s", "ab", "ab"},
      {"%s", nullptr, "(null)"},
      // Thirty-one positions, then the marker.
      {"%31d", 7, std::string(30, ' ') + "7"},
      {"%031d", -7, "-" + std::string(29, '0') + "7"},
      {"%32d", 7, kTooLarge},
      {"%99999999999d", 7, kTooLarge},  // saturates, no overflow
      {"%.40u", 1u, kTooLarge},
      {"%.40d", 1, std::string(30, '0') + "1"},
      {"%.40d", -1, kTooLarge},
      {"%.30e", 1.0, kTooLarge},
      {"%.400f", 1.0, kTooLarge},  // scaling overflows
      {"%.400f", 0.0, kTooLarge},
      {"%.400g", 0.0, "0"},
      {"%32f", kInf, kTooLarge},
      {"%f", 1.5, "1.500000"},
      {"%f", -0.0, "0.000000"},
      {"%.0f", 2.5, "3"},
      {"%08.2f", -1.5, "-0001.50"},
      // Past 2^53 the digits are the fmod loop's, whose steps round.
      {"%.0f", 1e30, "1000000000000000424684240284426"},
      {"%e", 12345.678, "1.234568e+04"},
      {"%e", 9.9999999, "10.000000e+00"},  // not renormalised
      {"%.3e", 1e100, "1.000e+100"},
      // Subnormals: the mantissa is scaled in two steps, not divided by zero.
      {"%e", 5e-324, "4.940656e-324"},
      {"%g", 100.0, "100"},
      {"%g", 0.0001, "0.0001"},
      {"%g", 1234.5678, "1234.5678"},  // P fraction digits, trimmed
      {"%g", 123456789.0, "1.23457e+08"},
      {"%G", 1e-5, "1E-05"},
      {"%.0g", 3.0, "3e+00"},
      // Not-a-number and infinities as printf shows them, space-padded.
      {"%f", -kNan, "-nan"},
      {"%E", kNan, "NAN"},
      {"%g", -kInf, "-inf"},
      {"%06f", kInf, "   inf"},
      // The decimal point is the caller's text, cut where the 31 positions
      // run out (which leaves the number too long).
      {"%.2f", 1.5, "1,50", ","},
      {"%g", 100.0, "100", ","},
      {"%.2f", -1.5, "-1 dec 50", " dec "},
      {"%.1f", 1.5, kTooLarge, "<----------------------------->"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.format) + " point \"" + c.point + "\"");
    const keznlsSprintf engine{utString(c.point)};
    const std::string got =
        std::visit([&](auto v) { return std::string(engine.gui_sprintf(c.format, v).c_str()); }, c.arg);
    EXPECT_EQ(got, c.expected);
  }
}
