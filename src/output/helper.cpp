#include "keznls/output.h"

#include "util/va_args.h"
#include "output/pipeline.h"

void keznlsHelper::tprintf(const char* name, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const keznls_detail::VaEnd end_args{args};
  // A helper of exactly this class prints as its vtprintf does: no call.
  if (keznls_pipeline::exactly<keznlsHelper>(*this))
    keznls_pipeline::print(*translator_, *formatter_, *displayer_, {name, nullptr, format, nullptr, 0}, args);
  else
    vtprintf(name, format, args);
}

void keznlsHelper::vtprintf(const char* name, const char* format, va_list args) {
  keznls_pipeline::print(*translator_, *formatter_, *displayer_, {name, nullptr, format, nullptr, 0}, args);
}

utString keznlsHelper::vtsprintf(const char* name, const char* format, va_list args) const {
  return keznls_pipeline::to_string(*translator_, *formatter_, {name, nullptr, format, nullptr, 0}, args);
}

void keznlsHelper::vmessage(const keznlsMessage& message, va_list args) {
  keznls_pipeline::print(*translator_, *formatter_, *displayer_, keznls_pipeline::copy_of(message), args);
}

void keznlsHelper::vtprint(const keznlsMessage& message, const keznlsArgs& args) {
  keznls_pipeline::print_typed(*translator_, *formatter_, *displayer_, message, args);
}

std::string keznlsHelper::vtsprint(const keznlsMessage& message, const keznlsArgs& args) const {
  return keznls_pipeline::to_string_typed(*translator_, *formatter_, message, args);
}
