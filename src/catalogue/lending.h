// What the library's own pipeline asks a translator of exactly our class,
// without its virtual call. Keeps nothing: any thread may call it, as it
// may the translator.
#ifndef KEZNLS_SRC_CATALOGUE_LENDING_H
#define KEZNLS_SRC_CATALOGUE_LENDING_H

#include "keznls/nls/nls.h"
#include "keznls/translator.h"
#include "format/grammar.h"

struct keznlsTranslatorLending {
  /// What `translator.lend(m)` gives: a catalogue's text, or `m`'s own
  /// where none answers. `plain` is set where the text is known to hold no
  /// '%' (else left as it is).
  static const char* lend(keznlsTranslatorWithDatabases& translator, const keznlsMessage& m, bool& plain) {
    return answer(translator, m, m.grammar == keznlsGrammar::engine ? &keznls_engine::shows : nullptr, plain);
  }
  /// The same for a formatter whose grammar `narrow` tells (null: any).
  static const char* answer(keznlsTranslatorWithDatabases& translator, const keznlsMessage& m,
                            nlsFormatFilter narrow, bool& plain);
};

#endif  // KEZNLS_SRC_CATALOGUE_LENDING_H
