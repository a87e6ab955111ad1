#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "keznls/locale.h"
#include "keznls/parsers.h"
#include "keznls/nls/nls.h"

namespace {

class LocaleProbe : public keznlsLocaleNumbers {
 public:
  using keznlsLocaleNumbers::default_is_c;
  using keznlsLocaleNumbers::default_locale;
  using keznlsLocaleNumbers::is_c_locale;
  using keznlsLocaleNumbers::is_not_c_locale;
  static int& locale_saved() { return s_locale_saved; }
};

// The numeric locale, and whether numeric translation is on: "C off".
std::string state() {
  const int on = nlsDomainManager::numeric_translation(0);
  nlsDomainManager::numeric_translation(on);
  return std::setlocale(LC_NUMERIC, nullptr) + std::string(on ? " on" : " off");
}
constexpr const char* kComma = "de_DE.UTF-8";

// The state of a freshly loaded library: nothing saved, translation off, "C" numbers.
class LocaleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(std::setlocale(LC_NUMERIC, kComma), nullptr) << kComma << " is missing; is LOCPATH set?";
    std::setlocale(LC_NUMERIC, "C");
    nlsDomainManager::numeric_translation(0);
    LocaleProbe::locale_saved() = 0;
  }
  /// Records `name` with save(), then leaves the process in `now`.
  static void save_in(const char* name, const char* now = "C") {
    ASSERT_NE(std::setlocale(LC_NUMERIC, name), nullptr) << name;
    keznlsLocaleNumbers::save();
    ASSERT_NE(std::setlocale(LC_NUMERIC, now), nullptr) << now;
  }
};

// CTest runs this once per LANG; unset in the discovered run.
TEST(LocaleLoad, DefaultIsCComesFromLangAtLoad) {
  const char* expect = std::getenv("KEZNLS_EXPECT_DEFAULT_IS_C");
  const bool at_load = expect != nullptr && std::strcmp(expect, "1") == 0;
  // Move LANG to the other answer: only default_locale() may follow it.
  const char* now = at_load ? kComma : "C";
  ::setenv("LANG", now, 1);
  EXPECT_STREQ(LocaleProbe::default_locale(), now);
  EXPECT_EQ(LocaleProbe::default_is_c(), at_load);
}

TEST_F(LocaleTest, ScopesSwitchTranslationAndAfterSaveStayInTheSavedLocale) {
  ::setenv("LC_ALL", kComma, 1);  // where a scope that set the category from the empty record lands
  {
    const keznlsLocaleNumbers outer;
    EXPECT_EQ(state(), "C on");
    { const keznlsLocaleNumbers inner; }
    EXPECT_EQ(state(), "C off");  // the inner one switches it off under the outer
  }
  save_in(kComma);
  {
    const keznlsLocaleNumbers scope;
    EXPECT_EQ(state(), "de_DE.UTF-8 on");
  }
  std::setlocale(LC_NUMERIC, "C");
  keznlsFormatterLocale formatter;
  EXPECT_STREQ(formatter.format("%.1f|%d|%s", 1.5, 1000, "x.y").c_str(), "1,5|1000|x.y");
  EXPECT_EQ(state(), "de_DE.UTF-8 off");
}

TEST_F(LocaleTest, SaveDecidesDefaultAndCurrentLocaleTests) {
  const struct { const char *saved, *now; bool default_is_c; int is_c, is_not_c; } cases[] = {
      {"C", "C", true, 1, 1}, {kComma, kComma, false, 0, 1}, {kComma, "C", false, 1, 0}, {"C.UTF-8", "C", false, 1, 0},
  };
  const LocaleProbe probe;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("saved ") + c.saved + ", now " + c.now);
    save_in(c.saved, c.now);
    EXPECT_EQ(LocaleProbe::default_is_c(), c.default_is_c);
    EXPECT_EQ(probe.is_c_locale(), c.is_c);
    EXPECT_EQ(probe.is_not_c_locale(), c.is_not_c);
  }
}

TEST(ParserDefault, ConvertsAndFlagsLeftovers) {
  const struct { const char* text; int int_value, int_error; double double_value; int double_error; } cases[] = {
      {nullptr, 0, 1, 0.0, 1},      {"", 0, 0, 0.0, 0},    {"   ", 0, 1, 0.0, 1},
      {"  -42", -42, 0, -42.0, 0},  {"42  ", 42, 1, 42.0, 1}, {"1.5", 1, 1, 1.5, 0},
      {"0x1A", 0, 1, 26.0, 0},  // only the floating conversion reads hexadecimal
      {"2147483648", INT_MAX, 0, 2147483648.0, 0}, {"-2147483649", INT_MIN, 0, -2147483649.0, 0},
  };
  const keznlsParserDefault parser;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text ? std::string("\"") + c.text + '"' : "null");
    const utString text(c.text);
    int error = -7;  // must be overwritten with exactly 0 or 1
    EXPECT_EQ(parser.string_to_int(text, error), c.int_value);
    EXPECT_EQ(error, c.int_error);
    error = -7;
    EXPECT_DOUBLE_EQ(parser.string_to_double(text, error), c.double_value);
    EXPECT_EQ(error, c.double_error);
  }
}

TEST_F(LocaleTest, ParserRetriesInTheSavedLocaleOnlyAfterSave) {
  const keznlsParserDefaultThenLocale parser;
  // (value, error) of one conversion; -7 must be overwritten with exactly 0 or 1.
  auto real = [&](const char* t) { int e = -7; double v = parser.string_to_double(t, e); return std::pair(v, e); };
  auto whole = [&](const char* t) { int e = -7; const int v = parser.string_to_int(t, e); return std::pair(v, e); };
  EXPECT_EQ(real("1,5"), std::pair(1.0, 1));  // nothing saved to retry in

  save_in(kComma);
  EXPECT_EQ(whole("42"), std::pair(42, 0));
  EXPECT_EQ(state(), "C off");  // nothing left over: no retry, no scope
  EXPECT_EQ(real("1,5"), std::pair(1.5, 0));
  // The retry left the process in the saved locale, where the point stops the first try.
  EXPECT_EQ(state(), "de_DE.UTF-8 off");
  EXPECT_EQ(real("2.25"), std::pair(2.0, 1));
  EXPECT_EQ(whole("4,2"), std::pair(4, 1));  // integers ignore the locale
}

}  // namespace
