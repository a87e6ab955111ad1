/// \file
/// Turning text typed by a user into numbers.
#ifndef KEZNLS_PARSERS_H
#define KEZNLS_PARSERS_H

#include "keznls/export.h"

#include "keznls/ut/ut_string.h"

/// Converts a whole text to a number. `error` is set on every call: 0 when
/// the whole text was consumed, 1 when characters remain after the number
/// (the value of the converted part is still returned, 0 if there is none).
class KEZNLS_API keznlsParser {
 public:
  keznlsParser() {}
  ~keznlsParser() {}
  /// `text` as a base-10 integer.
  virtual int string_to_int(utString text, int& error) const = 0;
  /// `text` as a floating-point number.
  virtual double string_to_double(utString text, int& error) const = 0;
};

/// Base-10 `strtol` and `strtod` in the current numeric locale. Integers
/// beyond 32 bits clamp to INT_MIN/INT_MAX without an error; a string
/// without text gives 0 with `error` 1. Keeps no state: shared by threads.
class KEZNLS_API keznlsParserDefault : public keznlsParser {
 public:
  keznlsParserDefault() {}
  ~keznlsParserDefault() {}
  int string_to_int(utString text, int& error) const override;
  double string_to_double(utString text, int& error) const override;
};

/// The default parser; when it leaves characters over, one more try inside
/// a locale-numbers scope, i.e. in the locale `keznlsLocaleNumbers::save()`
/// recorded. The second try's value and flag are the result. That try sets
/// the process's numeric locale: one thread at a time.
class KEZNLS_API keznlsParserDefaultThenLocale : public keznlsParser {
 public:
  keznlsParserDefaultThenLocale() {}
  ~keznlsParserDefaultThenLocale() {}
  int string_to_int(utString text, int& error) const override;
  double string_to_double(utString text, int& error) const override;

 private:
  keznlsParserDefault default_parser_;
};

#endif  // KEZNLS_PARSERS_H
