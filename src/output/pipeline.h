// The one road of a message: translate, check, format, display. The
// helper, the connector and keznlsTranslatorAndFormatter go through here,
// and keznls-printf translates through it, so each rule lives once.
// keznlsLibraryNls takes a shorter road of its own (one database, the C
// library's printf into its buffer); the other outputs translate nothing.
#ifndef KEZNLS_SRC_OUTPUT_PIPELINE_H
#define KEZNLS_SRC_OUTPUT_PIPELINE_H

#include <cstdarg>

#include "keznls/roles.h"
#include "keznls/ut/ut_string.h"

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

/// Formats `format` and hands the message to `displayer`: on the stack
/// where the formatter writes into a buffer, else through its `vformat`;
/// a format without '%' goes as it is where the formatter is one of the
/// library's, which would only copy it.
void show(keznlsFormatter& formatter, keznlsDisplayer& displayer, const char* format, va_list args);

/// Translates `message`, formats and displays it.
void print(keznlsTranslator& translator, keznlsFormatter& formatter, keznlsDisplayer& displayer,
           const keznlsMessage& message, va_list args);
/// Translates `message` and formats it into a string of its own.
utString to_string(keznlsTranslator& translator, keznlsFormatter& formatter, const keznlsMessage& message,
                   va_list args);

}  // namespace keznls_pipeline

#endif  // KEZNLS_SRC_OUTPUT_PIPELINE_H
