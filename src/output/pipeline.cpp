#include "output/pipeline.h"

#include <cstring>
#include <typeinfo>

#include "keznls/engine.h"
#include "format/grammar.h"

namespace keznls_pipeline {

namespace {

// Whether `role` is an object of exactly the class `Own`, which keeps every
// member: its fast roads are taken without asking keeps().
template <typename Own, typename Role>
bool exactly(const Role& role) {
  return typeid(role) == typeid(Own);
}

}  // namespace

// The library's formatters (and classes derived from them that format as
// they do) show a format without '%' as it is: it needs no copy. A derived
// class that formats otherwise is asked.
bool shows_plain_text_as_is(const keznlsFormatter& formatter) {
  constexpr unsigned kOwn = keznls_kept_vformat | keznls_kept_vformat_into;
  return exactly<keznlsFormatterSimple>(formatter) || (formatter.keeps() & kOwn) == kOwn;
}

keznlsGrammar grammar_of(const keznlsFormatter& formatter) {
  return exactly<keznlsFormatterSimple>(formatter) ? keznlsGrammar::engine : formatter.grammar();
}

namespace {

// `message` for `formatter`'s grammar.
keznlsMessage for_grammar(const keznlsFormatter& formatter, const keznlsMessage& message) {
  return {stored(message.name), stored(message.context), stored(message.text), stored(message.plural),
          stored(message.n), grammar_of(formatter)};
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

namespace {

// A lent text needs no Translated around it: the usual road, kept short.
inline void print_message(keznlsTranslator& translator, keznlsFormatter& formatter, keznlsDisplayer& displayer,
                          const keznlsMessage& m, va_list args) {
  if (const char* lent = translator.lend(m)) return show(formatter, displayer, lent, args);
  show(formatter, displayer, copied(translator, m).text(), args);
}

}  // namespace

void print(keznlsTranslator& translator, keznlsFormatter& formatter, keznlsDisplayer& displayer,
           const keznlsMessage& message, va_list args) {
  print_message(translator, formatter, displayer, for_grammar(formatter, message), args);
}

void print(keznlsTranslator& translator, keznlsFormatter& formatter, keznlsDisplayer& displayer, const char* name,
           const char* format, va_list args) {
  print_message(translator, formatter, displayer, {name, nullptr, format, nullptr, 0, grammar_of(formatter)}, args);
}

utString to_string(keznlsTranslator& translator, keznlsFormatter& formatter, const keznlsMessage& message,
                   va_list args) {
  const Translated translated = translate(translator, for_grammar(formatter, message));
  return formatter.vformat(translated.text(), args);
}

}  // namespace keznls_pipeline
