// What the library's own pipeline asks a translator of exactly our class,
// without its virtual call.
#ifndef KEZNLS_SRC_CATALOGUE_LENDING_H
#define KEZNLS_SRC_CATALOGUE_LENDING_H

#include "keznls/translator.h"

struct keznlsTranslatorLending {
  /// What `translator.lend(m)` gives for the engine's grammar: a
  /// catalogue's text, or `m`'s own where none answers.
  static const char* for_engine(keznlsTranslatorWithDatabases& translator, const keznlsMessage& m);
};

#endif  // KEZNLS_SRC_CATALOGUE_LENDING_H
