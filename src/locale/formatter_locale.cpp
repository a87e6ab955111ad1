#include "keznls/locale.h"

#include "output/overrides.h"
#include "util/va_args.h"

keznlsFormatterLocale::keznlsFormatterLocale() { keznls_detail::own_table<keznlsFormatterLocale>().note(this); }

utString keznlsFormatterLocale::format(const char* fmt, ...) { KEZNLS_WITH_ARGS(fmt, vformat(fmt, args)); }

utString keznlsFormatterLocale::vformat(const char* fmt, va_list args) {
  // The scope object closes on unwinding too, so a throwing allocation
  // does not leave numeric translation switched on.
  const keznlsLocaleNumbers scope;
  return default_formatter_.vformat(fmt, args);
}

int keznlsFormatterLocale::vformat_into(char* buffer, int size, const char* fmt, va_list args) {
  // A derived class that formats otherwise through vformat is asked there.
  if (!keznls_detail::inherits(this, keznls_detail::own_table<keznlsFormatterLocale>().get(), &keznlsFormatterLocale::vformat)) return -1;
  const keznlsLocaleNumbers scope;
  return default_formatter_.vformat_into(buffer, size, fmt, args);
}
