// The formatter role over the engine, and mca_strlen.
#include <cstring>
#include <typeinfo>

#include "keznls/engine.h"

keznlsFormatterSimple::keznlsFormatterSimple(const utString& decimal_point)
    : keznlsFormatter(), sprintf_(decimal_point) {}

keznlsFormatterSimple::~keznlsFormatterSimple() {}

namespace {

// Ends a list started in this frame, also when an exception passes.
struct VaEnd {
  va_list& args;
  ~VaEnd() { va_end(args); }
};

}  // namespace

utString keznlsFormatterSimple::format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  VaEnd end{args};
  // Through the virtual table: a derived class's vformat is the one used.
  return vformat(format, args);
}

utString keznlsFormatterSimple::vformat(const char* format, va_list args) {
  return sprintf_.gui_vsprintf(format, args);
}

int keznlsFormatterSimple::vformat_into(char* buffer, int size, const char* format, va_list args) {
  // A derived class may format otherwise through vformat.
  if (typeid(*this) != typeid(keznlsFormatterSimple)) return -1;
  return sprintf_.gui_vsprintf_into(buffer, size, format, args);
}

int mca_strlen(const char* text) { return static_cast<int>(std::strlen(text)); }
