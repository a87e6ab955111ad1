#include <cstdlib>
#include <new>
#include <string>

#include "failing_new.h"
#include "locale_probe.h"

namespace {

using LocaleNumbers = LocaleStateTest;

TEST_F(LocaleNumbers, ScopeBeforeSaveOnlySwitchesTranslation) {
  // An environment that names a comma locale: a scope that wrongly set the
  // numeric category from the empty record would land in it.
  const char* old = std::getenv("LC_ALL");
  const std::string old_lc_all = old != nullptr ? old : "";
  setenv("LC_ALL", kCommaLocale, 1);
  {
    const keznlsLocaleNumbers scope;
    EXPECT_EQ(numeric_translation_on(), 1);
    EXPECT_EQ(numeric_locale(), "C");
  }
  EXPECT_EQ(numeric_translation_on(), 0);
  EXPECT_EQ(numeric_locale(), "C");
  if (old != nullptr) setenv("LC_ALL", old_lc_all.c_str(), 1);
  else unsetenv("LC_ALL");
}

TEST_F(LocaleNumbers, ScopeReturnsToSavedLocaleAndStaysThere) {
  save_in(kCommaLocale);
  {
    const keznlsLocaleNumbers scope;
    EXPECT_EQ(numeric_locale(), kCommaLocale);
    EXPECT_EQ(numeric_translation_on(), 1);
  }
  EXPECT_EQ(numeric_locale(), kCommaLocale);
  EXPECT_EQ(numeric_translation_on(), 0);
}

TEST_F(LocaleNumbers, InnerScopeSwitchesTranslationOffUnderOuter) {
  const keznlsLocaleNumbers outer;
  { const keznlsLocaleNumbers inner; }
  EXPECT_EQ(numeric_translation_on(), 0);
}

TEST_F(LocaleNumbers, SaveDecidesDefaultAndCurrentLocaleTests) {
  // The test process was loaded with LANG set to the comma locale, so every
  // "default is C" below comes from save(), not from LANG.
  const struct {
    const char* saved;
    const char* now;
    bool default_is_c;
    int is_c, is_not_c;
  } cases[] = {
      {"C", "C", true, 1, 1},
      {"C", kCommaLocale, true, 0, 1},
      {kCommaLocale, "C", false, 1, 0},
      {kCommaLocale, kCommaLocale, false, 0, 1},
      {"C.UTF-8", "C", false, 1, 0},
      {"C", "C.UTF-8", true, 0, 1},
      {kCommaLocale, "C.UTF-8", false, 0, 1},
  };
  const LocaleProbe probe;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("saved ") + c.saved + ", now " + c.now);
    save_in(c.saved, c.now);
    EXPECT_STREQ(LocaleProbe::saved_locale().c_str(), c.saved);
    EXPECT_EQ(LocaleProbe::default_is_c(), c.default_is_c);
    EXPECT_EQ(probe.is_c_locale(), c.is_c);
    EXPECT_EQ(probe.is_not_c_locale(), c.is_not_c);
  }
}

TEST_F(LocaleNumbers, FormatterUsesSavedDecimalPoint) {
  save_in(kCommaLocale);
  keznlsFormatterLocale locale_formatter;
  keznlsFormatter& formatter = locale_formatter;
  EXPECT_STREQ(formatter.format("%.1f|%d|%s", 1.5, 1000, "x.y").c_str(), "1,5|1000|x.y");
  EXPECT_EQ(numeric_locale(), kCommaLocale);
  EXPECT_EQ(numeric_translation_on(), 0);
}

TEST_F(LocaleNumbers, FormatterClosesScopeWhenFormattingThrows) {
  keznlsFormatterLocale formatter;
  failing_new::fail_next();
  EXPECT_THROW(formatter.format("%d", 7), std::bad_alloc);
  EXPECT_EQ(numeric_translation_on(), 0);
}

}  // namespace
