#include "output/pipeline.h"

#include <cstring>

#include "keznls/engine.h"
#include "format/grammar.h"

namespace keznls_pipeline {

// The library's formatters (and classes derived from them that format as
// they do) show a format without '%' as it is: it needs no copy. A derived
// class that formats otherwise is asked.
bool shows_plain_text_as_is(const keznlsFormatter& formatter) {
  constexpr unsigned kOwn = keznls_kept_vformat | keznls_kept_vformat_into;
  return (formatter.keeps() & kOwn) == kOwn;
}

namespace {

// `message` for `formatter`'s grammar.
keznlsMessage for_grammar(const keznlsFormatter& formatter, const keznlsMessage& message) {
  return {stored(message.name), stored(message.context), stored(message.text), stored(message.plural),
          stored(message.n), formatter.grammar()};
}

}  // namespace

const char* suited(keznlsGrammar grammar, const char* translated, const char* original) {
  if (grammar != keznlsGrammar::engine || translated == original) return translated;
  return keznls_engine::shows(translated) || !keznls_engine::shows(original) ? translated : original;
}

namespace {

// The road of a translator that lends nothing: its copy, or the original
// where the copy does not suit the grammar. Out of line: the library's own
// translator lends.
__attribute__((noinline)) Translated copied(keznlsTranslator& translator, const keznlsMessage& m) {
  const utString copy = m.plural != nullptr
                            ? (m.context != nullptr ? translator.translate_plural_in_context(m.name, m.context, m.text, m.plural, m.n)
                                                    : translator.translate_plural(m.name, m.text, m.plural, m.n))
                            : (m.context != nullptr ? translator.translate_in_context(m.name, m.context, m.text)
                                                    : translator.translate(m.name, m.text));
  const char* original = m.plural != nullptr && m.n != 1 ? m.plural : m.text;
  const char* use = suited(m.grammar, copy.c_str(), original);
  return use == copy.c_str() ? Translated(copy) : Translated(use);
}

}  // namespace

Translated translate(keznlsTranslator& translator, const keznlsMessage& m) {
  if (const char* lent = translator.lend(m)) return Translated(lent);
  return copied(translator, m);
}

void show(keznlsFormatter& formatter, keznlsDisplayer& displayer, const char* format, va_list args) {
  if (!has_conversion(format) && shows_plain_text_as_is(formatter)) {
    displayer.display(format);
    return;
  }
  char stage[1024];
  if (formatter.vformat_into(stage, sizeof stage, format, args) >= 0) {
    displayer.display(stage);
    return;
  }
  const utString message = formatter.vformat(format, args);
  displayer.display(message.c_str());
}

void print(keznlsTranslator& translator, keznlsFormatter& formatter, keznlsDisplayer& displayer,
           const keznlsMessage& message, va_list args) {
  // A lent text needs no Translated around it: the usual road, kept short.
  const keznlsMessage m = for_grammar(formatter, message);
  if (const char* lent = translator.lend(m)) return show(formatter, displayer, lent, args);
  show(formatter, displayer, copied(translator, m).text(), args);
}

utString to_string(keznlsTranslator& translator, keznlsFormatter& formatter, const keznlsMessage& message,
                   va_list args) {
  const Translated translated = translate(translator, for_grammar(formatter, message));
  return formatter.vformat(translated.text(), args);
}

}  // namespace keznls_pipeline
