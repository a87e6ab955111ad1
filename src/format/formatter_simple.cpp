// The formatter role over the engine, and mca_strlen.
#include <cstring>

#include "keznls/engine.h"
#include "util/va_args.h"
#include "util/kept.h"

namespace {

constexpr unsigned kOwnFormatting = keznls_kept_vformat | keznls_kept_vformat_into;

}  // namespace

keznlsFormatterSimple::keznlsFormatterSimple(const utString& decimal_point)
    : keznlsFormatter(), sprintf_(decimal_point) {}

keznlsFormatterSimple::~keznlsFormatterSimple() {}

// Through the virtual table: a derived class's vformat is the one used.
utString keznlsFormatterSimple::format(const char* format, ...) { KEZNLS_WITH_ARGS(format, vformat(format, args)); }

utString keznlsFormatterSimple::vformat(const char* format, va_list args) {
  return sprintf_.gui_vsprintf(format, args);
}

int keznlsFormatterSimple::vformat_into(char* buffer, int size, const char* format, va_list args) {
  // A derived class that formats otherwise through vformat is asked there.
  if ((keeps() & keznls_kept_vformat) == 0) return -1;
  return sprintf_.gui_vsprintf_into(buffer, size, format, args);
}

keznlsGrammar keznlsFormatterSimple::grammar() const {
  // What a derived class's own vformat reads is not known here.
  return (keeps() & keznls_kept_vformat) != 0 ? keznlsGrammar::engine : keznlsGrammar::c_printf;
}

bool keznlsFormatterSimple::tformat(keznlsTextSink& sink, const char* format, const keznlsArgs& args) {
  if ((keeps() & kOwnFormatting) != kOwnFormatting) return keznlsFormatter::tformat(sink, format, args);
  return sprintf_.tformat(sink, format, args);
}

unsigned keznlsFormatterSimple::keeps() const { return keznls_kept_if_exactly(*this); }

int mca_strlen(const char* text) { return static_cast<int>(std::strlen(text)); }
