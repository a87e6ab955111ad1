// A host program using keznls built in the same tree, its catalogue
// compiled beside it.
#include <iostream>

#include <keznls/keznls.h>

int main() {
  keznlsTranslatorWithDatabases translator(keznls_catalogue_folder(nullptr));
  keznlsFormatterSimple simple(",");
  keznlsDisplayerOstream displayer(std::cout);
  keznlsHelper helper(&translator, &simple, &displayer);
  helper.tprintf("host", "%s in a host: %d roles, %.2f\n", "keznls", 3, 2.5);
  return 0;
}
