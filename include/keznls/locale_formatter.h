/// \file
/// Numbers in a named locale's conventions, call by call, with no change to
/// the process's locale.
#ifndef KEZNLS_LOCALE_FORMATTER_H
#define KEZNLS_LOCALE_FORMATTER_H

#include "keznls/export.h"

#include <cstdarg>
#include <memory>
#include <string>
#include <string_view>

#include "keznls/roles.h"
#include "keznls/ut/ut_string.h"

/// C's printf with the decimal point, and with the `'` flag the thousands
/// separator and grouping, of one named locale: `"%'.1f"` of 1024 gives
/// `1 024,0` for "pl", `1.024,0` for "de", `1 024,0` for "fr" (each with
/// its own space). The locale's conventions are read once, when the
/// formatter is made (`newlocale` and `nl_langinfo_l`); calls never touch
/// the process's or the thread's locale, so one formatter serves any number
/// of threads, and formatters of different locales run side by side.
///
/// The name may be a locale ("de_CH.UTF-8", "pl_PL") or a catalogue
/// language ("pl", "pt_BR"): the UTF-8 form is tried first, then the name
/// as given, and a bare language is given its usual country ("pl" ->
/// "pl_PL", "en" -> "en_US", "ja" -> "ja_JP"). A country whose locale is
/// not installed gets its language's usual one ("de_CH" -> "de_DE"). When
/// none is installed, numbers come out in the "C" conventions (a `.`
/// decimal point, no grouping) and `installed()` is false.
///
/// The common conversions (`d i u x X o c s p %` and `f F e E g G`, with
/// flags, width, precision, `*`, positional `%1$`, length modifiers) are
/// rendered by the formatter itself; the rare rest (`%a`, `long double`,
/// `%ls`, `*1$`, `'` beside `0`, a precision or a hexadecimal or octal
/// conversion) by the C library in the locale, for that call only.
class KEZNLS_API keznlsFormatterNamedLocale : public keznlsFormatter {
 public:
  /// Reads the conventions of the locale `name` (see above).
  explicit keznlsFormatterNamedLocale(std::string_view name);
  ~keznlsFormatterNamedLocale() override;
  keznlsFormatterNamedLocale(const keznlsFormatterNamedLocale&) = delete;
  keznlsFormatterNamedLocale& operator=(const keznlsFormatterNamedLocale&) = delete;

  utString format(const char* format, ...) override KEZNLS_PRINTF(2, 3);
  utString vformat(const char* format, va_list args) override KEZNLS_PRINTF(2, 0);
  int vformat_into(char* buffer, int size, const char* format, va_list args) override KEZNLS_PRINTF(4, 0);
  /// Everything for this class itself, so a text without `%` is shown as
  /// it is; nothing for a derived class, which says what it keeps.
  unsigned keeps() const override;

  /// Whether a locale of that name was found; false: the "C" conventions.
  bool installed() const;
  /// The locale whose conventions are used ("pl_PL.UTF-8"), or "C".
  const std::string& locale() const;
  /// Its decimal point ("," for "de").
  const std::string& decimal_point() const;
  /// Its thousands separator, used with the `'` flag; may be empty.
  const std::string& thousands_separator() const;

 private:
  struct Impl;
  std::unique_ptr<const Impl> impl_;
};

#endif  // KEZNLS_LOCALE_FORMATTER_H
