#include "keznls/output.h"

void keznlsHelper::tprintf(const char* name, const char* format, ...) {
  va_list args;
  va_start(args, format);
  vtprintf(name, format, args);
  va_end(args);
}

void keznlsHelper::vtprintf(const char* name, const char* format, va_list args) {
  const utString translated = translator_->translate(name, format);
  const utString message = formatter_->vformat(translated.c_str(), args);
  displayer_->display(message.c_str());
}

utString keznlsHelper::vtsprintf(const char* name, const char* format, va_list args) const {
  const utString translated = translator_->translate(name, format);
  return formatter_->vformat(translated.c_str(), args);
}
