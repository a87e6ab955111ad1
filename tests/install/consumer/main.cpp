// Uses the installed headers and libraries the way an application would:
// one umbrella include, roles joined by helpers.
#include <iostream>

#include <keznls/keznls.h>

int main() {
  keznlsTranslatorDefault translator;
  keznlsFormatterDefault formatter;
  keznlsDisplayerOstream displayer(std::cout);
  keznlsHelper helper(&translator, &formatter, &displayer);
  helper.tprintf("DO_NOT_TRANSLATE", "%s has %d roles\n", "keznls", 3);
  return 0;
}
