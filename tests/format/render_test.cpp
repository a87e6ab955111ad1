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
      // The 0 flag still fills when a precision is given (printf would not).
      {"%08.3d", 5, "00000005"}, {"%5s", "ab", "ab"}, {"%s", nullptr, "(null)"},
      {"%32d", 7, kTooLarge},  // past the 31 positions
      {"%.40u", 1u, kTooLarge}, {"%.40d", 1, std::string(30, '0') + "1"}, {"%.40d", -1, kTooLarge},
      {"%.400f", 1.0, kTooLarge},  // scaling overflows
      {"%.400f", 0.0, kTooLarge}, {"%.400g", 0.0, "0"}, {"%f", -0.0, "0.000000"},
      // Past 2^53 the digits are the fmod loop's, whose steps round.
      {"%.0f", 1e30, "1000000000000000424684240284426"},
      {"%.0f", -1e30, kTooLarge},  // its sign would be the 32nd position
      // Subnormals: the mantissa is scaled in two steps, not divided by zero.
      {"%e", 5e-324, "4.940656e-324"},
      // (Finite values at everyday precisions: float_model_test, at random.)
      // Not-a-number and infinities as printf shows them, space-padded.
      {"%f", -kNan, "-nan"}, {"%E", kNan, "NAN"}, {"%06g", -kInf, "  -inf"},
      // The decimal point is cut where the 31 positions run out: the number is too long.
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
