#include "keznls/output.h"

void keznlsHelper::tprintf(const char* name, const char* format, ...) {
  va_list args;
  va_start(args, format);
  vtprintf(name, format, args);
  va_end(args);
}

void keznlsHelper::vtprintf(const char* name, const char* format, va_list args) {
  show(translator_->translate(name, format), args);
}

utString keznlsHelper::vtsprintf(const char* name, const char* format, va_list args) const {
  const utString translated = translator_->translate(name, format);
  return formatter_->vformat(translated.c_str(), args);
}

void keznlsHelper::vntprintf(const char* name, const char* singular, const char* plural,
                             unsigned long n, va_list args) {
  show(translator_->translate_plural(name, singular, plural, n), args);
}

void keznlsHelper::vptprintf(const char* name, const char* context, const char* format,
                             va_list args) {
  show(translator_->translate_in_context(name, context, format), args);
}

void keznlsHelper::vnptprintf(const char* name, const char* context, const char* singular,
                              const char* plural, unsigned long n, va_list args) {
  show(translator_->translate_plural_in_context(name, context, singular, plural, n), args);
}

// The translated text lives until its message has been displayed.
void keznlsHelper::show(const utString& translated, va_list args) {
  const utString message = formatter_->vformat(translated.c_str(), args);
  displayer_->display(message.c_str());
}
