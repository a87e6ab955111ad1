// The one road of a message: translate, check, format, display. The
// helper, the connector and keznlsTranslatorAndFormatter go through here,
// and keznls-printf translates through it, so each rule lives once.
// keznlsLibraryNls takes a shorter road of its own (one database, the C
// library's printf into its buffer); the other outputs translate nothing.
#ifndef KEZNLS_SRC_OUTPUT_PIPELINE_H
#define KEZNLS_SRC_OUTPUT_PIPELINE_H

#include <cstdarg>
#include <cstdint>
#include <string>
#include <typeinfo>

#include "keznls/args.h"
#include "keznls/engine.h"
#include "keznls/roles.h"
#include "keznls/translator.h"
#include "keznls/ut/ut_string.h"
#include "catalogue/lending.h"
#include "format/grammar.h"
#include "format/staged.h"
#include "format/text_reads.h"
#include "util/ut_program_text.h"

/// The engine behind the library's own formatter.
struct keznlsFormatterSimpleEngine {
  /// `formatter`'s engine; it must be exactly a keznlsFormatterSimple.
  static const keznlsSprintf& of(const keznlsFormatter& formatter) {
    return static_cast<const keznlsFormatterSimple&>(formatter).sprintf_;
  }
  /// Its decimal point.
  static const utString& decimal_point(const keznlsFormatter& formatter) { return of(formatter).decimal_point; }
};

namespace keznls_pipeline {

/// The text a message is formatted with: lent by the translator where it
/// lends, else a copy it made.
class Translated {
 public:
  explicit Translated(const char* lent) : text_(lent) {}
  explicit Translated(utString copy) : copy_(copy) { text_ = copy_.c_str(); }
  const char* text() const { return text_; }

 private:
  const char* text_;
  utString copy_;
};

/// `message` translated for a formatter that reads `grammar`: a translation
/// that grammar cannot show, while it shows the original, gives way to the
/// original (the translator's own verdict where it lends; checked here
/// where it copies).
Translated translate(keznlsTranslator& translator, const keznlsMessage& message);

/// Whether `translated` suits `grammar` where `original` does: else the
/// original is used.
const char* suited(keznlsGrammar grammar, const char* translated, const char* original);

/// Translates `message` and formats it into a string of its own.
utString to_string(keznlsTranslator& translator, keznlsFormatter& formatter, const keznlsMessage& message,
                   va_list args);

/// One field of a message the caller has just stored, read as it was
/// stored: a compiler left to itself copies two fields with one 16-byte
/// load, which the processor cannot forward from two 8-byte stores and
/// waits for (about 10 ns a message).
template <typename T>
T stored(const T& field) {
  return *static_cast<const volatile T*>(&field);
}

/// Whether `formatter` shows a format without '%' as it is: one of the
/// library's, formatting as it does.
bool shows_plain_text_as_is(const keznlsFormatter& formatter);

/// Whether `role` is an object of exactly the class `Own`, which keeps
/// every member: its fast roads are taken without asking it.
template <typename Own, typename Role>
inline bool exactly(const Role& role) {
  // The very same type information: comparing by name would cost every
  // other class a string compare a message. Where a program holds a copy
  // of ours, the answer is no, and the roles' own calls are taken: slower,
  // never wrong.
  return &typeid(role) == &typeid(Own);
}

/// A text a translator lent, and what is known of it.
struct Lent {
  const char* text;
  /// A catalogue's text lent by a translator of exactly our class has the
  /// stamp the engine may know it by (see ut_lent_stamp); any other, 0.
  std::uint64_t stamp = 0;
  bool plain = false;  ///< known to hold no '%'
};

/// The stamp of `text`, which our translator lent for `m`: a catalogue's
/// text has the current one, the caller's own texts none.
inline std::uint64_t stamp_of(const char* text, const keznlsMessage& m) {
  return text != m.text && text != m.plural ? ut_lent_stamp() : 0;
}

/// What a translator of exactly our class lends for `m`.
inline Lent ours(keznlsTranslator& translator, const keznlsMessage& m) {
  Lent lent{nullptr};
  lent.text = keznlsTranslatorLending::lend(static_cast<keznlsTranslatorWithDatabases&>(translator), m, lent.plain);
  lent.stamp = stamp_of(lent.text, m);
  return lent;
}

/// What `translator` lends for `m`: ours asked without its virtual call.
inline Lent lend(keznlsTranslator& translator, const keznlsMessage& m) {
  return exactly<keznlsTranslatorWithDatabases>(translator) ? ours(translator, m) : Lent{translator.lend(m)};
}

/// The formatter's text of `format` in `size` characters of `stage`, or
/// -1 when it does not fit. `own`: the formatter is exactly the engine's,
/// whose `vformat_into` is the engine's own call; `lent` as the engine
/// takes it.
inline int format_into(keznlsFormatter& formatter, bool own, char* stage, int size, const char* format,
                       std::uint64_t lent, va_list args) {
  return own ? keznls_engine::vsprintf_lent(keznlsFormatterSimpleEngine::decimal_point(formatter), stage, size,
                                            format, lent, args)
             : formatter.vformat_into(stage, size, format, args);
}

/// A text that did not fit the stage: formatted into a string of its own.
void show_long(keznlsFormatter& formatter, keznlsDisplayer& displayer, const char* format, va_list args);
/// `print`'s rarer ends with the engine's own formatter: a format the
/// engine has no plan for yet (`planned` false), or a text too long for
/// the stage.
void show_rest(keznlsFormatter& formatter, keznlsDisplayer& displayer, const char* format, std::uint64_t lent,
               va_list args, bool planned);

/// Whether `format` goes to the displayer as it is: it holds no '%' and the
/// formatter is one of the library's, which would only copy it. The
/// engine's own road looks for a '%' only where the translator knows there
/// is none: its plans copy a plain text at little more cost.
inline bool as_it_is(const keznlsFormatter& formatter, bool own, const Lent& format) {
  if (format.plain) return own || shows_plain_text_as_is(formatter);
  return !own && !keznls_engine::has_percent(format.text) && shows_plain_text_as_is(formatter);
}

/// Formats `format` (the text lent) and hands the message to `displayer`:
/// on the stack where the formatter writes into a buffer, else through its
/// `vformat`; plain text goes as it is (see `as_it_is`). In the caller's
/// frame: every message passes here.
__attribute__((always_inline)) inline void show(keznlsFormatter& formatter, bool own, keznlsDisplayer& displayer,
                                                const Lent& format, va_list args) {
  if (as_it_is(formatter, own, format)) return displayer.display(format.text);
  char stage[1024];
  static_assert(sizeof stage >= keznls_engine::kLentRoom, "the engine stages in place");
  if (format_into(formatter, own, stage, sizeof stage, format.text, format.stamp, args) >= 0)
    return displayer.display(stage);
  show_long(formatter, displayer, format.text, args);
}

/// The road of a translator that lent nothing.
void print_copied(keznlsTranslator& translator, keznlsFormatter& formatter, bool own, keznlsDisplayer& displayer,
                  const keznlsMessage& m, va_list args);
/// `print` once `m` has its formatter's grammar, out of line.
void print_lent(keznlsTranslator& translator, keznlsFormatter& formatter, bool own, keznlsDisplayer& displayer,
                const keznlsMessage& m, va_list args);

/// Translates `m` for the formatter's grammar (set here), formats and
/// displays it, in the front end's own frame. One call per role: the
/// translator's lend, the formatter's grammar (none for the engine's own
/// formatter) and formatting, the displayer's display.
__attribute__((always_inline)) inline void print(keznlsTranslator& translator, keznlsFormatter& formatter,
                                                 keznlsDisplayer& displayer, keznlsMessage m, va_list args) {
  if (!exactly<keznlsFormatterSimple>(formatter)) {
    m.grammar = formatter.grammar();
    return print_lent(translator, formatter, false, displayer, m, args);
  }
  m.grammar = keznlsGrammar::engine;
  if (!exactly<keznlsTranslatorWithDatabases>(translator))
    return print_lent(translator, formatter, true, displayer, m, args);
  // As `lend` does, another translator's road out of line. Then `show` for
  // the engine's own formatter, written out: the flag alone leaves this
  // frame (a Lent whose address the lookup took would be stored and read
  // back whole).
  bool plain = false;
  const char* text = keznlsTranslatorLending::lend(static_cast<keznlsTranslatorWithDatabases&>(translator), m, plain);
  if (text == nullptr) return print_copied(translator, formatter, true, displayer, m, args);
  if (plain) return displayer.display(text);
  const std::uint64_t stamp = stamp_of(text, m);
  // Staged in this frame from the thread's plan: no call into the engine.
  char stage[keznls_engine::kLentRoom];
  const int length = keznls_engine::vsprintf_lent_staged(keznlsFormatterSimpleEngine::decimal_point(formatter).c_str(),
                                                         stage, text, stamp, args);
  if (length >= 0) return displayer.display(stage);
  show_rest(formatter, displayer, text, stamp, args, length != keznls_engine::kUnplanned);
}

/// `message` as the caller stored it, for `print`.
inline keznlsMessage copy_of(const keznlsMessage& message) {
  return {stored(message.name), stored(message.context), stored(message.text), stored(message.plural),
          stored(message.n)};
}

/// Puts `format` with `args` into `sink` through `formatter`; where it does
/// not suit them, `original`; where neither does, `original` with each
/// conversion shown as "<error>".
void format_typed(keznlsFormatter& formatter, keznlsTextSink& sink, const char* format, const char* original,
                  const keznlsArgs& args);

/// `print_typed` for any translator, formatter and message, out of line.
void print_typed_any(keznlsTranslator& translator, keznlsFormatter& formatter, keznlsDisplayer& displayer,
                     const keznlsMessage& message, const keznlsArgs& args);
/// `print_typed`'s rarer ends once the engine has seen `format`: a format
/// it has no plan for yet, a text too long for its room, or a translation
/// the arguments do not suit (`refused`).
void show_typed_rest(keznlsFormatter& formatter, keznlsDisplayer& displayer, const Lent& format,
                     const keznlsMessage& m, const keznlsArgs& args, bool refused);

/// A typed call's message translated, formatted and displayed, in the
/// front end's own frame. The usual road (a typed call's message, our
/// translator lending, the engine's formatter) goes here; anything else
/// takes `print_typed_any`.
__attribute__((always_inline)) inline void print_typed(keznlsTranslator& translator, keznlsFormatter& formatter,
                                                       keznlsDisplayer& displayer, const keznlsMessage& m,
                                                       const keznlsArgs& args) {
  if (!m.typed || m.grammar != keznlsGrammar::c_printf || !exactly<keznlsFormatterSimple>(formatter) ||
      !exactly<keznlsTranslatorWithDatabases>(translator))
    return print_typed_any(translator, formatter, displayer, m, args);
  // The flag alone leaves this frame, as in `print`.
  bool plain = false;
  const char* text = keznlsTranslatorLending::lend(static_cast<keznlsTranslatorWithDatabases&>(translator), m, plain);
  if (text == nullptr) return print_typed_any(translator, formatter, displayer, m, args);
  if (plain) return displayer.display(text);
  const std::uint64_t stamp = stamp_of(text, m);
  char shown[keznls_engine::kLentRoom];
  const int length = keznls_engine::tformat_lent_staged(
      keznlsFormatterSimpleEngine::decimal_point(formatter).c_str(), shown, text, stamp, args);
  if (length >= 0) return displayer.display(shown);
  show_typed_rest(formatter, displayer, Lent{text, stamp}, m, args, length == keznls_engine::kTypedRefused);
}

/// A typed call's message translated and formatted.
std::string to_string_typed(keznlsTranslator& translator, keznlsFormatter& formatter,
                            const keznlsMessage& message, const keznlsArgs& args);

/// A sink over a std::string, which it resizes to the text.
class StringSink final : public keznlsTextSink {
 public:
  explicit StringSink(std::string& text) : text_(text) {}
  char* room(std::size_t size) override {
    text_.resize(size);
    return &text_[0];
  }

 private:
  std::string& text_;
};

}  // namespace keznls_pipeline

#endif  // KEZNLS_SRC_OUTPUT_PIPELINE_H
