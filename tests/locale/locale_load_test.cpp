// Run once per value of LANG at load time (see CMakeLists.txt); the
// expected answer of default_is_c() comes in KEZNLS_EXPECT_DEFAULT_IS_C.
#include <cstdlib>
#include <cstring>
#include <string>

#include "locale_probe.h"

namespace {

bool expected_default_is_c() {
  const char* expect = std::getenv("KEZNLS_EXPECT_DEFAULT_IS_C");
  if (expect == nullptr) ADD_FAILURE() << "KEZNLS_EXPECT_DEFAULT_IS_C is not set";
  return expect != nullptr && std::strcmp(expect, "1") == 0;
}

TEST(LocaleLoad, DefaultIsCComesFromLangAtLoad) {
  const char* lang = std::getenv("LANG");
  ASSERT_EQ(LocaleProbe::load_time_lang(), lang);  // the very pointer getenv gives
  EXPECT_EQ(LocaleProbe::default_locale(), lang);
  EXPECT_EQ(LocaleProbe::default_is_c(), expected_default_is_c());
}

TEST(LocaleLoad, LaterLangChangeMovesOnlyDefaultLocale) {
  const bool at_load = expected_default_is_c();
  const char* old = std::getenv("LANG");
  const std::string old_lang = old != nullptr ? old : "";
  const char* now = at_load ? "de_DE.UTF-8" : "C";
  setenv("LANG", now, 1);
  EXPECT_STREQ(LocaleProbe::default_locale(), now);
  EXPECT_EQ(LocaleProbe::default_is_c(), at_load);
  if (old != nullptr) setenv("LANG", old_lang.c_str(), 1);
  else unsetenv("LANG");
}

}  // namespace
