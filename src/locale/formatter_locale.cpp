#include "keznls/locale.h"

utString keznlsFormatterLocale::format(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  utString result = vformat(fmt, args);
  va_end(args);
  return result;
}

utString keznlsFormatterLocale::vformat(const char* fmt, va_list args) {
  // The scope object closes on unwinding too, so a throwing allocation
  // does not leave numeric translation switched on.
  const keznlsLocaleNumbers scope;
  return default_formatter_.vformat(fmt, args);
}
