// Rendering one argument: integers, floating forms, strings, padding, limits.
#include <gtest/gtest.h>

#include <cmath>
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

std::string format_one(const keznlsSprintf& engine, const char* format, const Arg& arg) {
  return with_arg(arg, [&](auto v) { return std::string(engine.gui_sprintf(format, v).c_str()); });
}

void expect_all(const keznlsSprintf& engine, std::initializer_list<RenderCase> cases) {
  for (const RenderCase& c : cases) {
    SCOPED_TRACE(c.format);
    EXPECT_EQ(format_one(engine, c.format, c.arg), c.expected);
  }
}

TEST(Render, Integers) {
  keznlsSprintf engine(ut_lit("."));
  expect_all(engine, {
      {"%d", Arg::of(42), "42"},
      {"%d", Arg::of(-42), "-42"},
      {"%d", Arg::of(0), "0"},
      {"%.0d", Arg::of(0), ""},
      {"%.0x", Arg::of(0u), ""},
      {"%d", Arg::of(std::numeric_limits<int>::min()), "-2147483648"},
      {"%ld", Arg::of(std::numeric_limits<int>::max()), "2147483647"},
      {"%x", Arg::of(255u), "ff"},
      {"%X", Arg::of(255u), "FF"},
      {"%.4x", Arg::of(31u), "001f"},
      {"%u", Arg::of(4294967295u), "4294967295"},
      {"%X", Arg::of(0xDEADBEEFu), "DEADBEEF"},
      {"%05d", Arg::of(-42), "-0042"},
      {"%5d", Arg::of(-42), "  -42"},
      {"%05d", Arg::of(42), "00042"},
      {"%2d", Arg::of(-42), "-42"},
      // The 0 flag still fills when a precision is given (printf would not).
      {"%08.3d", Arg::of(5), "00000005"},
      {"%8.3d", Arg::of(-5), "    -005"},
  });
}

TEST(Render, ThirtyOnePositionsThenTheMarker) {
  keznlsSprintf engine(ut_lit("."));
  expect_all(engine, {
      {"%31d", Arg::of(7), std::string(30, ' ') + "7"},
      {"%031d", Arg::of(-7), "-" + std::string(29, '0') + "7"},
      {"%32d", Arg::of(7), kTooLarge},
      {"%99999999999d", Arg::of(7), kTooLarge},
      {"%.40u", Arg::of(1u), kTooLarge},
      {"%.31x", Arg::of(1u), std::string(30, '0') + "1"},
      {"%.40d", Arg::of(1), std::string(30, '0') + "1"},
      {"%.99999999999d", Arg::of(1), std::string(30, '0') + "1"},
      {"%.40d", Arg::of(-1), kTooLarge},
      {"%32s", Arg::of("ab"), "ab"},
  });
}

TEST(Render, FixedForm) {
  keznlsSprintf engine(ut_lit("."));
  expect_all(engine, {
      {"%f", Arg::of(1.5), "1.500000"},
      {"%f", Arg::of(0.25), "0.250000"},
      {"%f", Arg::of(0.0), "0.000000"},
      {"%f", Arg::of(-0.0), "0.000000"},
      {"%.0f", Arg::of(2.5), "3"},
      {"%.0f", Arg::of(0.2), "0"},
      {"%.0f", Arg::of(0.0), "0"},
      {"%08.2f", Arg::of(-1.5), "-0001.50"},
      {"%8.2f", Arg::of(-1.5), "   -1.50"},
      {"%.2f", Arg::of(-0.001), "-0.00"},
      {"%.3f", Arg::of(1234567.0), "1234567.000"},
      {"%.1f", Arg::of(0.05), "0.1"},
      // Past 2^53 the digits come from the fmod loop, whose steps round.
      {"%.0f", Arg::of(1e20), "100000000000000000000"},
      {"%.0f", Arg::of(9007199254740993.0), "9007199254740992"},
      {"%.0f", Arg::of(1e30), "1000000000000000424684240284426"},
      // Too long for 31 positions: the marker, whatever the sign.
      {"%.0f", Arg::of(1e31), kTooLarge},
      {"%.0f", Arg::of(-1e30), kTooLarge},
      {"%.30f", Arg::of(1.0), kTooLarge},
      {"%f", Arg::of(1e300), kTooLarge},
      // Scaling past the range of double.
      {"%.400f", Arg::of(1.0), kTooLarge},
      {"%.400f", Arg::of(0.0), kTooLarge},
  });
}

TEST(Render, ExponentForm) {
  keznlsSprintf engine(ut_lit("."));
  expect_all(engine, {
      {"%e", Arg::of(12345.678), "1.234568e+04"},
      {"%E", Arg::of(12345.678), "1.234568E+04"},
      {"%e", Arg::of(-12345.678), "-1.234568e+04"},
      {"%e", Arg::of(0.0), "0.000000e+00"},
      {"%.0e", Arg::of(12345.0), "1e+04"},
      {"%.0e", Arg::of(0.0), "0e+00"},
      {"%e", Arg::of(9.9999999), "10.000000e+00"},
      {"%.3e", Arg::of(1e100), "1.000e+100"},
      {"%e", Arg::of(1.5e-100), "1.500000e-100"},
      {"%010.2e", Arg::of(-1.5), "-01.50e+00"},
      {"%e", Arg::of(1.7976931348623157e308), "1.797693e+308"},
      // Subnormals: the mantissa is scaled in two steps, not divided by zero.
      {"%e", Arg::of(5e-324), "4.940656e-324"},
      {"%.2e", Arg::of(2.5e-310), "2.50e-310"},
      {"%.30e", Arg::of(1.0), kTooLarge},
  });
}

TEST(Render, GeneralFormKeepsPFractionDigitsAndTrims) {
  keznlsSprintf engine(ut_lit("."));
  expect_all(engine, {
      {"%g", Arg::of(1.5), "1.5"},
      {"%g", Arg::of(100.0), "100"},
      {"%g", Arg::of(0.0001), "0.0001"},
      {"%g", Arg::of(0.0), "0"},
      {"%g", Arg::of(0.5), "0.5"},
      {"%g", Arg::of(1234.5678), "1234.5678"},
      {"%g", Arg::of(123456.0), "123456"},
      {"%g", Arg::of(123456789.0), "1.23457e+08"},
      {"%g", Arg::of(1000000.0), "1e+06"},
      {"%g", Arg::of(1e-5), "1e-05"},
      {"%G", Arg::of(1e-5), "1E-05"},
      {"%g", Arg::of(-2.5), "-2.5"},
      {"%06g", Arg::of(-2.5), "-002.5"},
      {"%.0g", Arg::of(3.0), "3e+00"},
      {"%.400g", Arg::of(0.0), "0"},
      {"%.400g", Arg::of(1.5), kTooLarge},
  });
}

TEST(Render, NotANumberAndInfinityAsPrintfShowsThem) {
  keznlsSprintf engine(ut_lit("."));
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  expect_all(engine, {
      {"%f", Arg::of(nan), "nan"},
      {"%f", Arg::of(-nan), "-nan"},
      {"%e", Arg::of(inf), "inf"},
      {"%g", Arg::of(-inf), "-inf"},
      {"%E", Arg::of(nan), "NAN"},
      {"%G", Arg::of(inf), "INF"},
      {"%6f", Arg::of(-inf), "  -inf"},
      {"%06f", Arg::of(inf), "   inf"},
      {"%.2f", Arg::of(inf), "inf"},
      {"%32f", Arg::of(inf), kTooLarge},
  });
}

TEST(Render, DecimalPointIsTheCallersText) {
  struct Case {
    const char* decimal_point;
    const char* format;
    double value;
    std::string expected;
  };
  const Case cases[] = {
      {",", "%.2f", 1.5, "1,50"},
      {",", "%.1f", 2.25, "2,3"},
      {",", "%g", 0.5, "0,5"},
      {",", "%e", 1.5, "1,500000e+00"},
      {" dec ", "%.2f", -1.5, "-1 dec 50"},
      {",", "%g", 100.0, "100"},  // no fraction left, no decimal point
      // A long decimal point is cut where the positions run out; the number
      // is then too long to show.
      {"<----------------------------->", "%.1f", 1.5, kTooLarge},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    keznlsSprintf engine(ut_lit(c.decimal_point));
    EXPECT_EQ(engine.gui_sprintf(c.format, c.value).c_str(), c.expected);
  }
}

TEST(Render, Strings) {
  keznlsSprintf engine(ut_lit("."));
  expect_all(engine, {
      {"%s", Arg::of("abc"), "abc"},
      {"%5s", Arg::of("ab"), "ab"},
      {"%05.1s", Arg::of("ab"), "ab"},
      {"%s", Arg::of(static_cast<const char*>(nullptr)), "(null)"},
      {"%s", Arg::of(""), ""},
  });
}

// generate() directly: returned length matches text, and a failed format
// takes no argument from the cursor.
int generate_two(keznlsPercent& first, int format_ok, ...) {
  va_list list;
  va_start(list, format_ok);
  keznlsVarArgs args(list);
  first.generate(format_ok, ".", args);
  const int next = args.va_arg_int();
  va_end(list);
  return next;
}

TEST(Render, GenerateReturnsLengthAndConsumesOnlyWhenFormatIsOk) {
  keznlsPercent p;
  const char* cursor = "5d";
  ASSERT_EQ(p.parse(cursor), 1);
  EXPECT_EQ(generate_two(p, 1, 7, 8), 8);
  EXPECT_STREQ(p.text, "    7");
  EXPECT_EQ(generate_two(p, 0, 7, 8), 7);
  EXPECT_STREQ(p.text, "<error>");
  keznlsPercent unparsed;
  EXPECT_EQ(generate_two(unparsed, 1, 7, 8), 7);
  EXPECT_STREQ(unparsed.text, "<error>");
}

}  // namespace
