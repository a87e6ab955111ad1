// The formatter role over the engine, and mca_strlen.
#include <cstring>

#include "keznls/engine.h"
#include "output/overrides.h"
#include "util/va_args.h"

keznlsFormatterSimple::keznlsFormatterSimple(const utString& decimal_point)
    : keznlsFormatter(), sprintf_(decimal_point) {
  keznls_detail::own_table<keznlsFormatterSimple>().note(this);
}

keznlsFormatterSimple::~keznlsFormatterSimple() {}

// Through the virtual table: a derived class's vformat is the one used.
utString keznlsFormatterSimple::format(const char* format, ...) { KEZNLS_WITH_ARGS(format, vformat(format, args)); }

utString keznlsFormatterSimple::vformat(const char* format, va_list args) {
  return sprintf_.gui_vsprintf(format, args);
}

int keznlsFormatterSimple::vformat_into(char* buffer, int size, const char* format, va_list args) {
  // A derived class that formats otherwise through vformat is asked there.
  if (!keznls_detail::inherits(this, keznls_detail::own_table<keznlsFormatterSimple>().get(), &keznlsFormatterSimple::vformat)) return -1;
  return sprintf_.gui_vsprintf_into(buffer, size, format, args);
}

keznlsGrammar keznlsFormatterSimple::grammar() const {
  // What a derived class's own vformat reads is not known here.
  return keznls_detail::inherits(this, keznls_detail::own_table<keznlsFormatterSimple>().get(), &keznlsFormatterSimple::vformat) ? keznlsGrammar::engine
                                                                                             : keznlsGrammar::c_printf;
}

int mca_strlen(const char* text) { return static_cast<int>(std::strlen(text)); }
