// The three roles a message passes through: translator, formatter, displayer.
#ifndef KEZNLS_ROLES_H
#define KEZNLS_ROLES_H

#include <cstdarg>
#include <iosfwd>

#include "keznls/printf_format.h"
#include "keznls/ut/ut_string.h"

/// Turns a database name and a message text into the text to use.
class keznlsTranslator {
 public:
  keznlsTranslator() {}
  virtual utString translate(const char* name, const char* text) = 0;
  virtual ~keznlsTranslator() {}

  /// The form of a message that counts `n` things; `singular` and `plural`
  /// are the original forms. This default translates nothing:
  /// `n == 1 ? singular : plural`.
  virtual utString translate_plural(const char* name, const char* singular, const char* plural,
                                    unsigned long n);
  /// `text` as meant in `context`, for words that translate differently in
  /// different places ("Open" a file, a file is "Open"). This default
  /// translates nothing: `text`.
  virtual utString translate_in_context(const char* name, const char* context, const char* text);
  /// Both at once. This default: `n == 1 ? singular : plural`.
  virtual utString translate_plural_in_context(const char* name, const char* context,
                                               const char* singular, const char* plural,
                                               unsigned long n);

  /// What one of the calls above answers, without a copy: `translate` with
  /// `context` and `plural` null, `translate_in_context` with `plural` null,
  /// `translate_plural` with `context` null. The text stays valid until
  /// this translator's next call or its destruction. Null when this
  /// translator offers no such answer, as this default does: then the
  /// copying call answers. Front ends use it to spare a copy per message.
  virtual const char* borrow_translation(const char* name, const char* context, const char* text,
                                         const char* plural, unsigned long n);
};

/// No translation: returns a copy of the text whatever the name.
class keznlsTranslatorDefault : public keznlsTranslator {
 public:
  keznlsTranslatorDefault() {}
  utString translate(const char* name, const char* text) override;
  ~keznlsTranslatorDefault() override {}
};

/// Renders a printf-style format with its arguments.
class keznlsFormatter {
 public:
  keznlsFormatter() {}
  virtual utString format(const char* format, ...) KEZNLS_PRINTF(2, 3) = 0;
  virtual utString vformat(const char* format, va_list args) KEZNLS_PRINTF(2, 0) = 0;
  virtual ~keznlsFormatter() {}

  /// What `vformat` answers, written into `buffer` (room for `size`
  /// characters, the NUL included) instead of a string of its own: the
  /// text's length, or -1 when it does not fit or this formatter offers no
  /// such call, as this default does: then `vformat` answers. `args` is
  /// left for `vformat` to read again.
  virtual int vformat_into(char* buffer, int size, const char* format, va_list args)
      KEZNLS_PRINTF(4, 0);
};

/// The runtime library's printf, in the current locale, into a buffer that
/// doubles from 4192 bytes until the text fits.
class keznlsFormatterDefault : public keznlsFormatter {
 public:
  keznlsFormatterDefault() {}
  utString format(const char* format, ...) override KEZNLS_PRINTF(2, 3);
  utString vformat(const char* format, va_list args) override KEZNLS_PRINTF(2, 0);
  ~keznlsFormatterDefault() override {}
  int vformat_into(char* buffer, int size, const char* format, va_list args) override
      KEZNLS_PRINTF(4, 0);
};

/// Puts a finished text somewhere.
class keznlsDisplayer {
 public:
  keznlsDisplayer() {}
  virtual void display(const char* text) = 0;
  virtual ~keznlsDisplayer() {}
};

/// Standard output, flushed after every text; nothing is added.
class keznlsDisplayerDefault : public keznlsDisplayer {
 public:
  keznlsDisplayerDefault() {}
  void display(const char* text) override;
  ~keznlsDisplayerDefault() override {}
};

/// A borrowed `std::ostream`; no line end, no flush.
class keznlsDisplayerOstream : public keznlsDisplayer {
 public:
  explicit keznlsDisplayerOstream(std::ostream& stream) : stream_(&stream) {}
  void display(const char* text) override;
  ~keznlsDisplayerOstream() override {}

 private:
  std::ostream* stream_;
};

#endif  // KEZNLS_ROLES_H
