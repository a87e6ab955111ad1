/// \file
/// Formatting numbers in the numeric locale the application recorded earlier.
#ifndef KEZNLS_LOCALE_H
#define KEZNLS_LOCALE_H

#include "keznls/export.h"

#include <cstdarg>

#include "keznls/roles.h"
#include "keznls/ut/ut_string.h"

/// A locale-numbers scope. Once `save()` has run, the process's numeric
/// locale is the saved one while an object lives, and stays so after it
/// closes. The scope also sets the catalogue layer's numeric-translation
/// switch while it lives: a flag kept for compatibility that changes no output.
///
/// The statics are process-wide and unsynchronised: run scopes and `save()`
/// from one thread at a time.
class KEZNLS_API keznlsLocaleNumbers {
 public:
  keznlsLocaleNumbers();
  ~keznlsLocaleNumbers();
  keznlsLocaleNumbers(const keznlsLocaleNumbers&) = delete;
  keznlsLocaleNumbers& operator=(const keznlsLocaleNumbers&) = delete;

  /// Records the current numeric locale; every later scope returns to it.
  /// May be called again to replace the record.
  static void save();

 protected:
  /// The environment's "LANG", read anew at each call; null when unset.
  static char* default_locale();
  /// Before `save()`: "LANG" was exactly "C" when the library was loaded.
  /// After: the saved numeric locale is exactly "C".
  static bool default_is_c();
  /// 1 when the current numeric locale is exactly "C".
  int is_c_locale() const;
  /// 1 when `default_is_c()`, else 1 when the current numeric locale is
  /// not "C", else 0.
  int is_not_c_locale() const;

  static int s_locale_saved;      ///< non-zero once `save()` has run
  static int s_default_is_c;      ///< the saved locale is "C" (set by `save()`)
  static char* s_default_locale;  ///< "LANG" at load time, as getenv gave it
  static utString s_saved_locale; ///< the numeric locale `save()` recorded
};

/// The default formatter run inside a locale-numbers scope, so floating
/// conversions use the saved locale's decimal point. It changes the process
/// locale: one thread at a time.
class KEZNLS_API keznlsFormatterLocale : public keznlsFormatter {
 public:
  keznlsFormatterLocale();
  utString format(const char* fmt, ...) override KEZNLS_PRINTF(2, 3);
  utString vformat(const char* fmt, va_list args) override KEZNLS_PRINTF(2, 0);
  ~keznlsFormatterLocale() override {}
  int vformat_into(char* buffer, int size, const char* fmt, va_list args) override KEZNLS_PRINTF(4, 0);
  /// Typed arguments as `keznlsFormatterDefault` formats them, inside the
  /// scope.
  bool tformat(keznlsTextSink& sink, const char* fmt, const keznlsArgs& args) override;
  /// `keznls_kept_all`.
  unsigned keeps() const override;

 private:
  keznlsFormatterDefault default_formatter_;
};

#endif  // KEZNLS_LOCALE_H
