// Rendering one argument: integers, strings, floating forms, padding, limits.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "engine_args.h"

namespace {

struct RenderCase {
  const char* format;
  Arg arg;
  std::string expected;
};

const std::string kTooLarge = "<too large to show>";
const double kInf = std::numeric_limits<double>::infinity();
const double kNan = std::numeric_limits<double>::quiet_NaN();

void expect_all(const char* decimal_point, std::initializer_list<RenderCase> cases) {
  const keznlsSprintf engine(ut_lit(decimal_point));
  for (const RenderCase& c : cases) {
    SCOPED_TRACE(c.format);
    const std::string got =
        with_arg(c.arg, [&](auto v) { return std::string(engine.gui_sprintf(c.format, v).c_str()); });
    EXPECT_EQ(got, c.expected);
  }
}

TEST(Render, IntegersAndStrings) {
  expect_all(".", {
      {"%d", Arg::of(-42), "-42"},
      {"%.0d", Arg::of(0), ""},
      {"%d", Arg::of(std::numeric_limits<int>::min()), "-2147483648"},
      {"%ld", Arg::of(std::numeric_limits<int>::max()), "2147483647"},
      {"%x", Arg::of(255u), "ff"},
      {"%X", Arg::of(0xDEADBEEFu), "DEADBEEF"},
      {"%.4x", Arg::of(31u), "001f"},
      {"%u", Arg::of(4294967295u), "4294967295"},
      {"%05d", Arg::of(-42), "-0042"},
      {"%5d", Arg::of(-42), "  -42"},
      {"%05d", Arg::of(42), "00042"},
      // The 0 flag still fills when a precision is given (printf would not).
      {"%08.3d", Arg::of(5), "00000005"},
      {"%8.3d", Arg::of(-5), "    -005"},
      {"%5s", Arg::of("ab"), "ab"},
      {"%s", Arg::of(static_cast<const char*>(nullptr)), "(null)"},
  });
}

TEST(Render, ThirtyOnePositionsThenTheMarker) {
  expect_all(".", {
      {"%31d", Arg::of(7), std::string(30, ' ') + "7"},
      {"%031d", Arg::of(-7), "-" + std::string(29, '0') + "7"},
      {"%32d", Arg::of(7), kTooLarge},
      {"%99999999999d", Arg::of(7), kTooLarge},  // saturates, no overflow
      {"%.40u", Arg::of(1u), kTooLarge},
      {"%.40d", Arg::of(1), std::string(30, '0') + "1"},
      {"%.40d", Arg::of(-1), kTooLarge},
      // Floating renderings that do not fit show the marker whatever the sign.
      {"%.0f", Arg::of(1e31), kTooLarge},
      {"%.0f", Arg::of(-1e30), kTooLarge},
      {"%.30e", Arg::of(1.0), kTooLarge},
      {"%.400f", Arg::of(1.0), kTooLarge},  // scaling overflows
      {"%.400f", Arg::of(0.0), kTooLarge},
      {"%.400g", Arg::of(0.0), "0"},
      {"%32f", Arg::of(kInf), kTooLarge},
  });
}

TEST(Render, FloatingForms) {
  expect_all(".", {
      {"%f", Arg::of(1.5), "1.500000"},
      {"%f", Arg::of(-0.0), "0.000000"},
      {"%.0f", Arg::of(2.5), "3"},
      {"%.0f", Arg::of(0.2), "0"},
      {"%.2f", Arg::of(0.125), "0.13"},  // half up on the scaled value
      {"%08.2f", Arg::of(-1.5), "-0001.50"},
      {"%8.2f", Arg::of(-1.5), "   -1.50"},
      // Past 2^53 the digits are the fmod loop's, whose steps round.
      {"%.0f", Arg::of(1e30), "1000000000000000424684240284426"},
      {"%e", Arg::of(12345.678), "1.234568e+04"},
      {"%E", Arg::of(12345.678), "1.234568E+04"},
      {"%e", Arg::of(0.0), "0.000000e+00"},
      {"%.0e", Arg::of(12345.0), "1e+04"},
      {"%e", Arg::of(9.9999999), "10.000000e+00"},  // not renormalised
      {"%.3e", Arg::of(1e100), "1.000e+100"},
      {"%010.2e", Arg::of(-1.5), "-01.50e+00"},
      // Subnormals: the mantissa is scaled in two steps, not divided by zero.
      {"%e", Arg::of(5e-324), "4.940656e-324"},
      {"%g", Arg::of(100.0), "100"},
      {"%g", Arg::of(0.0001), "0.0001"},
      {"%g", Arg::of(0.0), "0"},
      {"%g", Arg::of(1234.5678), "1234.5678"},  // P fraction digits, trimmed
      {"%g", Arg::of(123456789.0), "1.23457e+08"},
      {"%G", Arg::of(1e-5), "1E-05"},
      {"%06g", Arg::of(-2.5), "-002.5"},
      {"%.0g", Arg::of(3.0), "3e+00"},
      // Not-a-number and infinities as printf shows them, space-padded.
      {"%f", Arg::of(-kNan), "-nan"},
      {"%E", Arg::of(kNan), "NAN"},
      {"%g", Arg::of(-kInf), "-inf"},
      {"%06f", Arg::of(kInf), "   inf"},
  });
}

TEST(Render, DecimalPointIsTheCallersText) {
  expect_all(",", {{"%.2f", Arg::of(1.5), "1,50"}, {"%g", Arg::of(0.5), "0,5"},
                   {"%e", Arg::of(1.5), "1,500000e+00"}, {"%g", Arg::of(100.0), "100"}});
  expect_all(" dec ", {{"%.2f", Arg::of(-1.5), "-1 dec 50"}});
  // Cut where the 31 positions run out, which leaves the number too long.
  expect_all("<----------------------------->", {{"%.1f", Arg::of(1.5), kTooLarge}});
}

}  // namespace
