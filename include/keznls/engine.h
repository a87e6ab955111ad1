/// \file
/// The library's own printf engine: one conversion specification, the
/// argument cursor, the two-pass driver and the formatter role built on it.
#ifndef KEZNLS_ENGINE_H
#define KEZNLS_ENGINE_H

#include "keznls/export.h"

#include <cstdarg>

#include "keznls/args.h"
#include "keznls/roles.h"
#include "keznls/ut/ut_string.h"

class keznlsVarArgs;

/// One conversion specification (what follows a `%`): an optional `0` flag,
/// a width, an optional `.precision`, an optional `l`, and one of
/// `d u x X e E f g G s`. `generate` renders one argument into `buffer`.
/// An `l` reads a `long` argument (as wide as `int` where the grammar was
/// made, wider here).
class KEZNLS_API keznlsPercent {
 public:
  /// Flags, width and precision zero; `text` is "<unset>".
  keznlsPercent()
      : zero_pad(0), has_width(0), has_precision(0), valid(0), error(0), width(0),
        precision(0), conversion(0), length(0), text("<unset>") {}
  ~keznlsPercent() {}

  /// Reads one conversion at `cursor` (just after the `%`). Returns 1 and
  /// moves past it on success; returns 0 with `cursor` on the offending
  /// character (or the terminating NUL) otherwise. Width and precision
  /// saturate at INT_MAX.
  int parse(const char*& cursor);

  /// Renders the next argument of `args` as this conversion asks and
  /// points `text` at the result; returns its length. `format_ok` 0 (some
  /// conversion of the format failed) gives "<error>" and takes no
  /// argument. `decimal_point` is inserted whole by the floating conversions.
  int generate(int format_ok, const char* decimal_point, keznlsVarArgs& args);

  /// Copies `text` (no terminator, no bounds check) and advances `out`.
  void write(char*& out);

  int zero_pad;       ///< 1: pad numbers with `0` instead of spaces
  int has_width;      ///< 1: at least one width digit was read
  int has_precision;  ///< 1: a `.` was read
  int valid;          ///< 1: the last parse reached a conversion letter
  int error;          ///< 1: the last parse hit the end or a bad letter
  int width;          ///< the width read, when `has_width`
  int precision;      ///< the precision read, when `has_precision` (none after the `.`: 0)
  char conversion;    ///< the letter of the last successful parse
  char length;        ///< `l` when the last parse read one, else 0
  char buffer[32];    ///< numbers are rendered right to left; [31] is NUL
  const char* text;   ///< marker, caller's string, or a pointer into buffer

 protected:
  /// 1 unless `p` is at the terminating NUL, which sets `error`.
  int check(const char* p);
};

/// Cursor over a variable argument list. It holds its own copy of the
/// caller's list (ended on destruction), so the caller's list is untouched.
/// Each `va_arg_*` consumes exactly one argument.
class KEZNLS_API keznlsVarArgs {
 public:
  /// A cursor at the first argument of `args`, which it copies.
  explicit keznlsVarArgs(va_list args) { va_copy(cursor, args); }
  ~keznlsVarArgs() { va_end(cursor); }
  keznlsVarArgs(const keznlsVarArgs&) = delete;
  keznlsVarArgs& operator=(const keznlsVarArgs&) = delete;

  /// The next argument, read as an `int`.
  int va_arg_int() { return va_arg(cursor, int); }
  /// The next argument, read as an `unsigned int`.
  unsigned int va_arg_unsigned() { return va_arg(cursor, unsigned int); }
  /// The next argument, read as a `long` (`%ld`).
  long va_arg_long() { return va_arg(cursor, long); }
  /// The next argument, read as an `unsigned long` (`%lu`, `%lx`).
  unsigned long va_arg_unsigned_long() { return va_arg(cursor, unsigned long); }
  /// The next argument, read as a `double`.
  double va_arg_double() { return va_arg(cursor, double); }
  /// The next argument, read as a `const char*`.
  const char* va_arg_str() { return va_arg(cursor, const char*); }

  va_list cursor;  ///< position of the next unread argument
};

/// The engine over a whole format: at most nine conversions, positional
/// `%1$`..`%9$`, a caller-chosen decimal point. One allocation per non-empty
/// result. A tenth conversion, or two naming one argument, make the whole
/// format render as a parse failure does: every conversion "<error>".
class KEZNLS_API keznlsSprintf {
 public:
  /// Shares `decimal_point`'s text; it must be a valid string.
  explicit keznlsSprintf(const utString& decimal_point);
  ~keznlsSprintf();

  /// `format` with the arguments rendered into it by the engine.
  utString gui_sprintf(const char* format, ...) const KEZNLS_PRINTF(2, 3);
  /// `gui_sprintf` with the arguments as a list; `args` is read through a copy.
  utString gui_vsprintf(const char* format, va_list args) const KEZNLS_PRINTF(2, 0);
  /// `gui_vsprintf` written into `buffer` (room for `size` characters, the
  /// NUL included) instead of a string of its own: the text's length, or
  /// -1, with nothing written, when it does not fit.
  int gui_vsprintf_into(char* buffer, int size, const char* format, va_list args) const
      KEZNLS_PRINTF(4, 0);
  /// `format` with typed arguments, each read as its own type, into
  /// `sink`. Besides its own grammar the engine takes here the length
  /// modifiers `hh h l ll z j t L`, which change nothing, and `%c` for a
  /// `char`. False, with nothing put, when a conversion reads an argument
  /// as another kind or one not passed, the numbered arguments have a gap,
  /// or the format does not parse.
  bool tformat(keznlsTextSink& sink, const char* format, const keznlsArgs& args) const;

 private:
  friend struct keznlsFormatterSimpleEngine;  // the library's pipeline

  utString decimal_point;
};

/// Formatter role over `keznlsSprintf`: independent of the process locale.
/// Keeps no state between calls: shared by threads.
class KEZNLS_API keznlsFormatterSimple : public keznlsFormatter {
 public:
  /// Formats with `decimal_point` (shared, must be a valid string) as the
  /// decimal point of the floating conversions.
  explicit keznlsFormatterSimple(const utString& decimal_point);
  ~keznlsFormatterSimple() override;

  utString format(const char* format, ...) override KEZNLS_PRINTF(2, 3);
  utString vformat(const char* format, va_list args) override KEZNLS_PRINTF(2, 0);
  int vformat_into(char* buffer, int size, const char* format, va_list args) override
      KEZNLS_PRINTF(4, 0);
  /// The engine's: a translation outside it gives way to its original.
  keznlsGrammar grammar() const override;
  /// The engine's typed road (see `keznlsSprintf::tformat`).
  bool tformat(keznlsTextSink& sink, const char* format, const keznlsArgs& args) override;
  /// `keznls_kept_all`.
  unsigned keeps() const override;

 private:
  // The library's pipeline, which formats with the engine itself for an
  // object of exactly this class.
  friend struct keznlsFormatterSimpleEngine;

  keznlsSprintf sprintf_;
};

/// Number of characters before the terminating NUL.
KEZNLS_API int mca_strlen(const char* text);

#endif  // KEZNLS_ENGINE_H
