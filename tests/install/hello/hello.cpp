#include <clocale>
#include <cstddef>
#include <string>

#include <keznls/keznls.h>

int main() {
  std::setlocale(LC_ALL, "");
  keznlsLocaleNumbers::save();  // the user's decimal point, for the locale formatter
  std::setlocale(LC_NUMERIC, "C");

  // build/locale in the build tree, <prefix>/share/locale once installed
  keznlsTranslatorWithDatabases translator(keznls_catalogue_folder("/usr/share/locale"));
  keznlsFormatterDefault formatter;
  keznlsFormatterLocale in_locale;
  keznlsDisplayerDefault screen;
  keznlsHelper out(&translator, &formatter, &screen);
  keznlsHelper numbers(&translator, &in_locale, &screen);

  std::string who = "world";
  out.tprint("hello", "Hello, %s!\n", who);
  std::size_t files = 3;
  out.ntprint("hello", "%zu file\n", "%zu files\n", files, files);
  numbers.tprint("hello", "Sum: %.2f\n", 1234.5);
  return screen.failed() ? 1 : 0;
}
