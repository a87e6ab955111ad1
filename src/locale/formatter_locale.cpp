#include "keznls/locale.h"

#include "util/va_args.h"
#include "util/kept.h"

keznlsFormatterLocale::keznlsFormatterLocale() {}

utString keznlsFormatterLocale::format(const char* fmt, ...) { KEZNLS_WITH_ARGS(fmt, vformat(fmt, args)); }

utString keznlsFormatterLocale::vformat(const char* fmt, va_list args) {
  // The scope object closes on unwinding too, so a throwing allocation
  // does not leave numeric translation switched on.
  const keznlsLocaleNumbers scope;
  return default_formatter_.vformat(fmt, args);
}

int keznlsFormatterLocale::vformat_into(char* buffer, int size, const char* fmt, va_list args) {
  // A derived class that formats otherwise through vformat is asked there.
  if ((keeps() & keznls_kept_vformat) == 0) return -1;
  const keznlsLocaleNumbers scope;
  return default_formatter_.vformat_into(buffer, size, fmt, args);
}

bool keznlsFormatterLocale::tformat(keznlsTextSink& sink, const char* fmt, const keznlsArgs& args) {
  constexpr unsigned kOwn = keznls_kept_vformat | keznls_kept_vformat_into;
  if ((keeps() & kOwn) != kOwn) return keznlsFormatter::tformat(sink, fmt, args);
  const keznlsLocaleNumbers scope;
  return default_formatter_.tformat(sink, fmt, args);
}

unsigned keznlsFormatterLocale::keeps() const { return keznls_kept_if_exactly(*this); }
