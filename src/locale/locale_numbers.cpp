#include <clocale>
#include <cstdlib>
#include <cstring>

#include "keznls/locale.h"
#include "keznls/nls/nls.h"

// Initialised in this order when the library loads: "LANG" is captured
// before the saved-locale string exists. Keep these four together here.
int keznlsLocaleNumbers::s_locale_saved = 0;
int keznlsLocaleNumbers::s_default_is_c = 0;
char* keznlsLocaleNumbers::s_default_locale = keznlsLocaleNumbers::default_locale();
utString keznlsLocaleNumbers::s_saved_locale;

namespace {

const char* current_numeric_locale() { return std::setlocale(LC_NUMERIC, nullptr); }

bool is_exactly_c(const char* name) { return name != nullptr && std::strcmp(name, "C") == 0; }

}  // namespace

keznlsLocaleNumbers::keznlsLocaleNumbers() {
  nlsDomainManager::numeric_translation(1);
  if (s_locale_saved != 0) {
    // A rejected name leaves the category as it was; nothing to report.
    // A saved string without text would turn this into a query: harmless.
    std::setlocale(LC_NUMERIC, s_saved_locale.c_str());
    nlsUtils::lookup_decimal_point();
  }
}

// The numeric locale is deliberately not restored: the saved one stays.
keznlsLocaleNumbers::~keznlsLocaleNumbers() { nlsDomainManager::numeric_translation(0); }

void keznlsLocaleNumbers::save() {
  s_locale_saved = 1;
  s_saved_locale = utString(ut_copy, current_numeric_locale());
  s_default_is_c = (s_saved_locale == ut_lit("C")) ? 1 : 0;
}

char* keznlsLocaleNumbers::default_locale() { return std::getenv("LANG"); }

bool keznlsLocaleNumbers::default_is_c() {
  if (s_locale_saved == 0) return is_exactly_c(s_default_locale);
  return s_default_is_c != 0;
}

int keznlsLocaleNumbers::is_c_locale() const { return is_exactly_c(current_numeric_locale()) ? 1 : 0; }

int keznlsLocaleNumbers::is_not_c_locale() const {
  if (default_is_c()) return 1;
  return is_c_locale() == 0 ? 1 : 0;
}
