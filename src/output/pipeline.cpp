#include "output/pipeline.h"

#include <cstring>
#include <typeinfo>

#include "keznls/engine.h"
#include "format/grammar.h"

namespace keznls_pipeline {

// The library's formatters (and classes derived from them that format as
// they do) show a format without '%' as it is: it needs no copy. A derived
// class that formats otherwise is asked.
bool shows_plain_text_as_is(const keznlsFormatter& formatter) {
  constexpr unsigned kOwn = keznls_kept_vformat | keznls_kept_vformat_into;
  return exactly<keznlsFormatterSimple>(formatter) || (formatter.keeps() & kOwn) == kOwn;
}

namespace {

// `message` for `formatter`'s grammar.
keznlsMessage for_grammar(const keznlsFormatter& formatter, const keznlsMessage& message) {
  keznlsMessage m = copy_of(message);
  m.grammar = exactly<keznlsFormatterSimple>(formatter) ? keznlsGrammar::engine : formatter.grammar();
  return m;
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

void show_long(keznlsFormatter& formatter, keznlsDisplayer& displayer, const char* format, va_list args) {
  const utString message = formatter.vformat(format, args);
  displayer.display(message.c_str());
}

void show_rest(keznlsFormatter& formatter, keznlsDisplayer& displayer, const char* format, std::uint64_t lent,
               va_list args, bool planned) {
  if (!planned) {
    char stage[1024];
    if (keznls_engine::vsprintf_lent(keznlsFormatterSimpleEngine::decimal_point(formatter), stage, sizeof stage,
                                     format, lent, args) >= 0)
      return displayer.display(stage);
  }
  show_long(formatter, displayer, format, args);
}

void print_lent(keznlsTranslator& translator, keznlsFormatter& formatter, bool own, keznlsDisplayer& displayer,
                const keznlsMessage& m, va_list args) {
  const Lent lent = lend(translator, m);
  if (lent.text == nullptr) return print_copied(translator, formatter, own, displayer, m, args);
  show(formatter, own, displayer, lent, args);
}

void print_copied(keznlsTranslator& translator, keznlsFormatter& formatter, bool own, keznlsDisplayer& displayer,
                  const keznlsMessage& m, va_list args) {
  show(formatter, own, displayer, Lent{copied(translator, m).text()}, args);
}

utString to_string(keznlsTranslator& translator, keznlsFormatter& formatter, const keznlsMessage& message,
                   va_list args) {
  const Translated translated = translate(translator, for_grammar(formatter, message));
  return formatter.vformat(translated.text(), args);
}

}  // namespace keznls_pipeline
