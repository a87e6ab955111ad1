/// \file
/// The three roles a message passes through: translator, formatter, displayer.
#ifndef KEZNLS_ROLES_H
#define KEZNLS_ROLES_H

#include "keznls/export.h"

#include <atomic>
#include <cstdarg>
#include <iosfwd>
#include <string_view>

#include "keznls/args.h"
#include "keznls/printf_format.h"
#include "keznls/ut/ut_string.h"

/// The conversions a formatter reads.
enum class keznlsGrammar {
  c_printf,  ///< C's printf: flags, `*`, every length modifier and letter
  engine,    ///< the library engine's: see `keznlsPercent`
};

/// Members of the library's own role classes that an object still runs as
/// the library wrote them: what `keeps()` answers. The library takes its
/// fast roads (a translation lent instead of copied, a message formatted
/// on the stack or straight from typed arguments) only where they stand in
/// for members kept.
enum keznlsKept : unsigned {
  keznls_kept_translate = 1u << 0,                    ///< `translate`
  keznls_kept_translate_plural = 1u << 1,             ///< `translate_plural`
  keznls_kept_translate_in_context = 1u << 2,         ///< `translate_in_context`
  keznls_kept_translate_plural_in_context = 1u << 3,  ///< `translate_plural_in_context`
  keznls_kept_borrow_translation = 1u << 4,           ///< `borrow_translation`
  keznls_kept_vformat = 1u << 8,                      ///< `vformat`
  keznls_kept_vformat_into = 1u << 9,                 ///< `vformat_into`
  keznls_kept_all = ~0u,                              ///< every one
};

/// One message as a front end asks a translator for it.
struct KEZNLS_API keznlsMessage {
  const char* name;     ///< the database
  const char* context;  ///< msgctxt, or null
  const char* text;     ///< the message text (the singular of a plural)
  const char* plural;   ///< the plural text, or null for a plain message
  unsigned long n;      ///< the count a plural is for
  keznlsGrammar grammar = keznlsGrammar::c_printf;  ///< the formatter's
  /// A typed call's: it checks a translation against the kinds of its
  /// arguments itself, so a translator may lend one its own check of the
  /// argument types would refuse (`%ld` for `%d`).
  bool typed = false;
};

/// Turns a database name and a message text into the text to use.
class KEZNLS_API keznlsTranslator {
 public:
  keznlsTranslator() {}
  /// The text to use for `text` from the database `name`: its
  /// translation, or `text` itself when there is none.
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

  /// `borrow_translation` for a message its formatter reads with
  /// `message.grammar`: a translation that grammar cannot show, while it
  /// shows the original, is not lent; the original is. This default asks
  /// `borrow_translation` and checks its answer.
  virtual const char* lend(const keznlsMessage& message);

  /// The library's own members this object still runs (`keznlsKept`
  /// flags). The library's translators answer `keznls_kept_all` for an
  /// object of exactly their class and none for a derived class, whose
  /// overrides are then always asked. A derived class may say what it
  /// keeps to have the fast roads back: one that changes nothing
  /// `return keznls_kept_all;`, one that overrides `translate`
  /// `return keznls_kept_all & ~keznls_kept_translate;`. This default: none.
  virtual unsigned keeps() const;
};

/// No translation: returns a copy of the text whatever the name. Keeps no
/// state: shared by threads.
class KEZNLS_API keznlsTranslatorDefault : public keznlsTranslator {
 public:
  keznlsTranslatorDefault();
  utString translate(const char* name, const char* text) override;
  ~keznlsTranslatorDefault() override {}
  /// The text itself (for a plural, `n == 1 ? singular : plural`), lent
  /// rather than copied, unless `keeps()` says the copying call was
  /// replaced.
  const char* borrow_translation(const char* name, const char* context, const char* text, const char* plural,
                                 unsigned long n) override;
  /// `keznls_kept_all`.
  unsigned keeps() const override;
};

/// Renders a printf-style format with its arguments.
class KEZNLS_API keznlsFormatter {
 public:
  keznlsFormatter() {}
  /// `format` with the arguments formatted into it.
  virtual utString format(const char* format, ...) KEZNLS_PRINTF(2, 3) = 0;
  /// `format` with the arguments as a list; `args` is read through a copy.
  virtual utString vformat(const char* format, va_list args) KEZNLS_PRINTF(2, 0) = 0;
  virtual ~keznlsFormatter() {}

  /// What `vformat` answers, written into `buffer` (room for `size`
  /// characters, the NUL included) instead of a string of its own: the
  /// text's length, or -1 when it does not fit or this formatter offers no
  /// such call, as this default does: then `vformat` answers. `args` is
  /// left for `vformat` to read again.
  virtual int vformat_into(char* buffer, int size, const char* format, va_list args)
      KEZNLS_PRINTF(4, 0);

  /// The conversions this formatter reads; a translation it cannot show is
  /// not used. This default: C's printf.
  virtual keznlsGrammar grammar() const;

  /// `format` with typed arguments, the text put into `sink`; false, with
  /// nothing put, when `format` reads an argument as another kind than
  /// the one passed, reads one not passed, has a gap in its numbered
  /// arguments, or holds a conversion the formatter cannot read that way.
  /// Length modifiers change nothing: each argument is read as its type.
  /// This default serves a formatter that only has the argument-list
  /// calls: it rewrites each conversion for the types `args.as_varargs`
  /// passes and calls `vformat_into`, else `vformat` (a `*` width or
  /// precision is refused here).
  virtual bool tformat(keznlsTextSink& sink, const char* format, const keznlsArgs& args);

  /// The library's own members this object still runs (`keznlsKept`
  /// flags). The library's formatters answer `keznls_kept_all` for an
  /// object of exactly their class and none for a derived class, whose
  /// `vformat` and `vformat_into` are then always asked. A derived class
  /// may say what it keeps to have the fast roads back: one that changes
  /// nothing `return keznls_kept_all;`, one that overrides `vformat`
  /// `return keznls_kept_all & ~keznls_kept_vformat;`. This default: none.
  virtual unsigned keeps() const;
};

/// The runtime library's printf, in the current locale, into a buffer that
/// doubles from 4192 bytes until the text fits. Keeps no state: shared by
/// threads (as long as none changes the locale meanwhile).
class KEZNLS_API keznlsFormatterDefault : public keznlsFormatter {
 public:
  keznlsFormatterDefault();
  utString format(const char* format, ...) override KEZNLS_PRINTF(2, 3);
  utString vformat(const char* format, va_list args) override KEZNLS_PRINTF(2, 0);
  ~keznlsFormatterDefault() override {}
  int vformat_into(char* buffer, int size, const char* format, va_list args) override
      KEZNLS_PRINTF(4, 0);
  /// Typed arguments through the runtime library's printf, one conversion
  /// at a time with the length modifier of each argument's own type.
  bool tformat(keznlsTextSink& sink, const char* format, const keznlsArgs& args) override;
  /// `keznls_kept_all`.
  unsigned keeps() const override;
};

/// Puts a finished text somewhere.
class KEZNLS_API keznlsDisplayer {
 public:
  keznlsDisplayer() {}
  /// Puts `text` (NUL-terminated) on this displayer's target as it is.
  virtual void display(const char* text) = 0;
  virtual ~keznlsDisplayer() {}
  /// `display` of exactly the characters of `text`, through a
  /// NUL-terminated copy.
  void display(std::string_view text);

  /// True once any text given to this displayer did not reach its target
  /// whole (a full disk, a closed pipe). This default knows of no failure.
  virtual bool failed() const { return false; }
};

/// Standard output, flushed after every text; nothing is added. Each text
/// goes out in one piece: texts displayed by several threads at once never
/// interleave inside one another.
class KEZNLS_API keznlsDisplayerDefault : public keznlsDisplayer {
 public:
  keznlsDisplayerDefault() {}
  using keznlsDisplayer::display;
  void display(const char* text) override;
  ~keznlsDisplayerDefault() override {}
  /// True once a text could not be written or flushed whole.
  bool failed() const override { return failed_.load(std::memory_order_relaxed); }

 private:
  std::atomic<bool> failed_{false};
};

/// A borrowed `std::ostream`; no line end, no flush. Shared between
/// threads only as far as its stream is.
class KEZNLS_API keznlsDisplayerOstream : public keznlsDisplayer {
 public:
  /// Borrows `stream`, which must outlive the displayer.
  explicit keznlsDisplayerOstream(std::ostream& stream) : stream_(&stream) {}
  using keznlsDisplayer::display;
  void display(const char* text) override;
  ~keznlsDisplayerOstream() override {}
  /// True once the stream refused a text (its failbit or badbit was set by
  /// the write).
  bool failed() const override { return failed_.load(std::memory_order_relaxed); }

 private:
  std::ostream* stream_;
  std::atomic<bool> failed_{false};
};

#endif  // KEZNLS_ROLES_H
