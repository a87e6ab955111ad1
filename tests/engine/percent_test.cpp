// Reading conversion specifications, and copying a record's text out.
#include <gtest/gtest.h>

#include <climits>

#include "keznls/engine.h"

namespace {

struct ParseCase {
  const char* input;  // text after the `%`
  int ok;
  int consumed;  // characters the cursor moved
  int zero_pad, has_width, width, has_precision, precision;
  char conversion;  // expected after a successful parse
  int error;
};

TEST(PercentParse, ReadsFieldsAndStopsWhereItShould) {
  const ParseCase cases[] = {
      {"05.2lf", 1, 6, 1, 1, 5, 1, 2, 'f', 0},
      {"00d", 1, 3, 1, 1, 0, 0, 0, 'd', 0},
      {".d", 1, 2, 0, 0, 0, 1, 0, 'd', 0},
      {"12.345Gtail", 1, 7, 0, 1, 12, 1, 345, 'G', 0},
      {"ld", 1, 2, 0, 0, 0, 0, 0, 'd', 0},
      {"lx", 1, 2, 0, 0, 0, 0, 0, 'x', 0},
      {"lld", 0, 1, 0, 0, 0, 0, 0, 0, 1},
      {"-5d", 0, 0, 0, 0, 0, 0, 0, 0, 1},
      {"+d", 0, 0, 0, 0, 0, 0, 0, 0, 1},
      {"*d", 0, 0, 0, 0, 0, 0, 0, 0, 1},
      {"i", 0, 0, 0, 0, 0, 0, 0, 0, 1},
      {"F", 0, 0, 0, 0, 0, 0, 0, 0, 1},
      {"%", 0, 0, 0, 0, 0, 0, 0, 0, 1},
      {"5", 0, 1, 0, 1, 5, 0, 0, 0, 1},
      {"3.", 0, 2, 0, 1, 3, 1, 0, 0, 1},
      {"0", 0, 1, 1, 0, 0, 0, 0, 0, 1},
      {"", 0, 0, 0, 0, 0, 0, 0, 0, 1},
      {"\xb5" "d", 0, 0, 0, 0, 0, 0, 0, 0, 1},  // high bytes are not digits
      {"99999999999d", 1, 12, 0, 1, INT_MAX, 0, 0, 'd', 0},
      {".99999999999x", 1, 13, 0, 0, 0, 1, INT_MAX, 'x', 0},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.input);
    keznlsPercent p;
    const char* cursor = c.input;
    EXPECT_EQ(p.parse(cursor), c.ok);
    EXPECT_EQ(cursor - c.input, c.consumed);
    EXPECT_EQ(p.valid, c.ok);
    EXPECT_EQ(p.error, c.error);
    EXPECT_EQ(p.zero_pad, c.zero_pad);
    EXPECT_EQ(p.has_width, c.has_width);
    EXPECT_EQ(p.width, c.width);
    EXPECT_EQ(p.has_precision, c.has_precision);
    EXPECT_EQ(p.precision, c.precision);
    EXPECT_EQ(p.conversion, c.conversion);
  }
}

}  // namespace
