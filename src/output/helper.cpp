#include "keznls/output.h"

void keznlsHelper::tprintf(const char* name, const char* format, ...) {
  va_list args;
  va_start(args, format);
  vtprintf(name, format, args);
  va_end(args);
}

void keznlsHelper::vtprintf(const char* name, const char* format, va_list args) {
  if (const char* translated = translator_->borrow_translation(name, nullptr, format, nullptr, 0))
    show(translated, args);
  else
    show(translator_->translate(name, format).c_str(), args);
}

utString keznlsHelper::vtsprintf(const char* name, const char* format, va_list args) const {
  const utString translated = translator_->translate(name, format);
  return formatter_->vformat(translated.c_str(), args);
}

void keznlsHelper::vntprintf(const char* name, const char* singular, const char* plural,
                             unsigned long n, va_list args) {
  if (const char* translated = translator_->borrow_translation(name, nullptr, singular, plural, n))
    show(translated, args);
  else
    show(translator_->translate_plural(name, singular, plural, n).c_str(), args);
}

void keznlsHelper::vptprintf(const char* name, const char* context, const char* format,
                             va_list args) {
  if (const char* translated = translator_->borrow_translation(name, context, format, nullptr, 0))
    show(translated, args);
  else
    show(translator_->translate_in_context(name, context, format).c_str(), args);
}

void keznlsHelper::vnptprintf(const char* name, const char* context, const char* singular,
                              const char* plural, unsigned long n, va_list args) {
  if (const char* translated = translator_->borrow_translation(name, context, singular, plural, n))
    show(translated, args);
  else
    show(translator_->translate_plural_in_context(name, context, singular, plural, n).c_str(), args);
}

// Formats and displays a message; the translated text lives until then.
// Where the roles allow, neither the translation nor the message is copied
// into a string of its own: the message is formatted on the stack.
void keznlsHelper::show(const char* translated, va_list args) {
  char stage[1024];
  if (formatter_->vformat_into(stage, sizeof stage, translated, args) >= 0) {
    displayer_->display(stage);
    return;
  }
  const utString message = formatter_->vformat(translated, args);
  displayer_->display(message.c_str());
}
