#include "keznls/locale.h"

#include <typeinfo>

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

int keznlsFormatterLocale::vformat_into(char* buffer, int size, const char* fmt, va_list args) {
  // A derived class may format otherwise through vformat.
  if (typeid(*this) != typeid(keznlsFormatterLocale)) return -1;
  const keznlsLocaleNumbers scope;
  return default_formatter_.vformat_into(buffer, size, fmt, args);
}
