// Uses the installed headers and libraries the way an application would:
// one umbrella include, roles joined by helpers.
#include <iostream>

#include <keznls/keznls.h>

#if defined(KEZNLS_CONSUMER_STANDARD) && KEZNLS_CONSUMER_STANDARD >= 20
static_assert(__cplusplus >= 202002L, "asked for C++20, compiled as an older standard");
#endif

// Reads the scope's record as a derived class may: the program's copy of
// the variable, which must be the one the library writes.
struct SavedScope : keznlsLocaleNumbers {
  static int saved() { return s_locale_saved; }
};

int main() {
  keznlsTranslatorWithDatabases translator("/nonexistent");
  keznlsFormatterDefault formatter;
  keznlsFormatterSimple simple(",");
  keznlsDisplayerOstream displayer(std::cout);

  keznlsHelper helper(&translator, &formatter, &displayer);
  helper.tprintf("DO_NOT_TRANSLATE", "%s has %d roles\n", "keznls", 3);
  keznlsHelper engine(&translator, &simple, &displayer);
  engine.tprintf("no-such-database", "%2$s=%1$.2f\n", 2.5, "x");
  keznlsLocaleNumbers::save();
  std::cout << "saved " << SavedScope::saved() << "\n";
  return 0;
}
