// Reading conversion specifications.
#include <gtest/gtest.h>

#include <climits>
#include <tuple>

#include "keznls/engine.h"

TEST(PercentParse, ReadsFieldsAndStopsWhereItShould) {
  struct Case {
    const char* input;  // text after the `%`
    int ok, consumed, zero_pad, has_width, width, has_precision, precision;
    char conversion;
    int error;
  };
  const Case cases[] = {
      {"012.345lGtail", 1, 9, 1, 1, 12, 1, 345, 'G', 0}, {"lld", 0, 1, 0, 0, 0, 0, 0, 0, 1},
      {"-5d", 0, 0, 0, 0, 0, 0, 0, 0, 1}, {"5", 0, 1, 0, 1, 5, 0, 0, 0, 1}, {"3.", 0, 2, 0, 1, 3, 1, 0, 0, 1},
      {"0", 0, 1, 1, 0, 0, 0, 0, 0, 1}, {"", 0, 0, 0, 0, 0, 0, 0, 0, 1},
      {"\xb5" "d", 0, 0, 0, 0, 0, 0, 0, 0, 1},  // high bytes are not digits
      {"99999999999d", 1, 12, 0, 1, INT_MAX, 0, 0, 'd', 0}, {".99999999999x", 1, 13, 0, 0, 0, 1, INT_MAX, 'x', 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    keznlsPercent p;
    const char* cursor = c.input;
    EXPECT_EQ(p.parse(cursor), c.ok);
    EXPECT_EQ(std::make_tuple(int(cursor - c.input), p.valid, p.error, p.zero_pad, p.has_width,
                              p.width, p.has_precision, p.precision, p.conversion),
              std::make_tuple(c.consumed, c.ok, c.error, c.zero_pad, c.has_width, c.width,
                              c.has_precision, c.precision, c.conversion));
  }
}
