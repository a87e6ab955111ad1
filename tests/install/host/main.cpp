// A host program using keznls built in the same tree.
#include <iostream>

#include <keznls/keznls.h>

int main() {
  keznlsTranslatorDefault translator;
  keznlsFormatterSimple simple(",");
  keznlsDisplayerOstream displayer(std::cout);
  keznlsHelper helper(&translator, &simple, &displayer);
  helper.tprintf(nullptr, "%s in a host: %d roles, %.2f\n", "keznls", 3, 2.5);
  return 0;
}
