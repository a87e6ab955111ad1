#include <climits>
#include <string>

#include "keznls/parsers.h"
#include "locale_probe.h"

namespace {

TEST(ParserDefault, ConvertsAndFlagsLeftovers) {
  const struct {
    const char* text;
    int int_value, int_error;
    double double_value;
    int double_error;
  } cases[] = {
      {"", 0, 0, 0.0, 0},
      {"   ", 0, 1, 0.0, 1},
      {"+", 0, 1, 0.0, 1},
      {"-", 0, 1, 0.0, 1},
      {"  -42", -42, 0, -42.0, 0},
      {"42  ", 42, 1, 42.0, 1},
      {"12abc", 12, 1, 12.0, 1},
      {"0x1A", 0, 1, 26.0, 0},  // only the floating conversion reads hexadecimal
      {"1.5", 1, 1, 1.5, 0},
      {"1,5", 1, 1, 1.0, 1},
      {"-2.5e3", -2, 1, -2500.0, 0},
      {"2147483647", INT_MAX, 0, 2147483647.0, 0},
      {"2147483648", INT_MAX, 0, 2147483648.0, 0},
      {"-2147483649", INT_MIN, 0, -2147483649.0, 0},
      {"99999999999999999999", INT_MAX, 0, 1e20, 0},
  };
  const keznlsParserDefault parser;
  const keznlsParser& any = parser;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("\"") + c.text + '"');
    int error = -7;  // must be overwritten with exactly 0 or 1
    EXPECT_EQ(any.string_to_int(c.text, error), c.int_value);
    EXPECT_EQ(error, c.int_error);
    error = -7;
    EXPECT_DOUBLE_EQ(any.string_to_double(c.text, error), c.double_value);
    EXPECT_EQ(error, c.double_error);
  }
}

TEST(ParserDefault, StringWithoutTextIsAnError) {
  const keznlsParserDefault parser;
  const utString none(static_cast<const char*>(nullptr));
  int error = 0;
  EXPECT_EQ(parser.string_to_int(none, error), 0);
  EXPECT_EQ(error, 1);
  error = 0;
  EXPECT_EQ(parser.string_to_double(none, error), 0.0);
  EXPECT_EQ(error, 1);
}

using ParserThenLocale = LocaleStateTest;

TEST_F(ParserThenLocale, RetriesInSavedCommaLocale) {
  save_in(kCommaLocale);
  const keznlsParserDefaultThenLocale parser;
  int error = -7;
  EXPECT_DOUBLE_EQ(parser.string_to_double("1,5", error), 1.5);
  EXPECT_EQ(error, 0);
  EXPECT_EQ(numeric_translation_on(), 0);

  // The retry left the process in the saved locale, so now the first try
  // reads the comma and the point is what stops it.
  EXPECT_EQ(numeric_locale(), kCommaLocale);
  EXPECT_DOUBLE_EQ(keznlsParserDefault().string_to_double("2,25", error), 2.25);
  EXPECT_EQ(error, 0);
  EXPECT_DOUBLE_EQ(parser.string_to_double("2.25", error), 2.0);
  EXPECT_EQ(error, 1);
}

TEST_F(ParserThenLocale, RetriesOnlyWhenTheFirstTryLeavesCharacters) {
  save_in(kCommaLocale);
  const keznlsParserDefaultThenLocale parser;
  int error = -7;
  EXPECT_EQ(parser.string_to_int("42", error), 42);
  EXPECT_EQ(error, 0);
  EXPECT_EQ(numeric_locale(), "C");  // no scope was opened

  EXPECT_EQ(parser.string_to_int("4,2", error), 4);  // integers ignore the locale
  EXPECT_EQ(error, 1);
  EXPECT_EQ(numeric_locale(), kCommaLocale);
}

TEST_F(ParserThenLocale, BeforeSaveTheRetryFailsAlike) {
  const keznlsParserDefaultThenLocale parser;
  int error = -7;
  EXPECT_DOUBLE_EQ(parser.string_to_double("1,5", error), 1.0);
  EXPECT_EQ(error, 1);
  EXPECT_EQ(numeric_locale(), "C");
  EXPECT_EQ(numeric_translation_on(), 0);
}

}  // namespace
