// Test access to the locale-numbers scope's protected members, and a fixture
// that puts every piece of process-wide locale state back after each test,
// so results do not depend on which tests ran before in the same process.
#ifndef KEZNLS_TESTS_LOCALE_PROBE_H
#define KEZNLS_TESTS_LOCALE_PROBE_H

#include <clocale>
#include <string>

#include <gtest/gtest.h>

#include "keznls/locale.h"
#include "nls/nls.h"

class LocaleProbe : public keznlsLocaleNumbers {
 public:
  using keznlsLocaleNumbers::default_is_c;
  using keznlsLocaleNumbers::default_locale;
  using keznlsLocaleNumbers::is_c_locale;
  using keznlsLocaleNumbers::is_not_c_locale;
  static int& locale_saved() { return s_locale_saved; }
  static int& saved_is_c() { return s_default_is_c; }
  static char*& load_time_lang() { return s_default_locale; }
  static utString& saved_locale() { return s_saved_locale; }
};

/// The catalogue layer's numeric-translation switch, left as it was.
inline int numeric_translation_on() {
  const int on = nlsDomainManager::numeric_translation(0);
  nlsDomainManager::numeric_translation(on);
  return on;
}

inline std::string numeric_locale() { return std::setlocale(LC_NUMERIC, nullptr); }

/// Generated into the build tree by the test fixture; found through LOCPATH.
constexpr const char* kCommaLocale = "de_DE.UTF-8";

class LocaleStateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    locale_ = numeric_locale();
    translation_ = numeric_translation_on();
    saved_ = LocaleProbe::locale_saved();
    saved_is_c_ = LocaleProbe::saved_is_c();
    saved_locale_ = LocaleProbe::saved_locale();
    ASSERT_NE(std::setlocale(LC_NUMERIC, kCommaLocale), nullptr)
        << kCommaLocale << " is missing; is LOCPATH set to the generated locales?";
    std::setlocale(LC_NUMERIC, "C");
  }
  void TearDown() override {
    std::setlocale(LC_NUMERIC, locale_.c_str());
    nlsDomainManager::numeric_translation(translation_);
    LocaleProbe::locale_saved() = saved_;
    LocaleProbe::saved_is_c() = saved_is_c_;
    LocaleProbe::saved_locale() = saved_locale_;
  }

  /// Records `name` with save(), then leaves the process in `now`.
  static void save_in(const char* name, const char* now = "C") {
    ASSERT_NE(std::setlocale(LC_NUMERIC, name), nullptr) << name;
    keznlsLocaleNumbers::save();
    ASSERT_NE(std::setlocale(LC_NUMERIC, now), nullptr) << now;
  }

 private:
  std::string locale_;
  int translation_ = 0;
  int saved_ = 0;
  int saved_is_c_ = 0;
  utString saved_locale_;
};

#endif  // KEZNLS_TESTS_LOCALE_PROBE_H
