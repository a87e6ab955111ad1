#include <cstdio>
#include <ostream>

#include "keznls/output.h"

void kezabsOutputOstream::tprintf(const char* name, const char* format, ...) {
  va_list args;
  va_start(args, format);
  vtprintf(name, format, args);
  va_end(args);
}

void kezabsOutputOstream::vtprintf(const char* name, const char* format, va_list args) {
  *stream_ << vtsprintf(name, format, args);
}

utString kezabsOutputOstream::vtsprintf(const char* /*name*/, const char* format,
                                        va_list args) const {
  char buffer[1024];
  va_list pass;
  va_copy(pass, args);
  const int n = std::vsnprintf(buffer, sizeof buffer, format, pass);
  va_end(pass);
  if (n < static_cast<int>(sizeof buffer)) return utString(ut_copy, n < 0 ? "" : buffer);

  // Longer than the stack buffer: format again into one of the exact size.
  utString result(ut_string_char, ' ', n);
  va_copy(pass, args);
  std::vsnprintf(&result[0], static_cast<std::size_t>(n) + 1, format, pass);
  va_end(pass);
  return result;
}

void keznlsOutputToNowhere::tprintf(const char*, const char*, ...) {}

void keznlsOutputToNowhere::vtprintf(const char*, const char*, va_list) {}

utString keznlsOutputToNowhere::vtsprintf(const char*, const char*, va_list) const {
  return utString();
}

utString keznlsTranslatorAndFormatter::stprintf(const char* name, const char* format,
                                                ...) const {
  va_list args;
  va_start(args, format);
  utString result = vtsprintf(name, format, args);
  va_end(args);
  return result;
}

utString keznlsTranslatorAndFormatter::vtsprintf(const char* name, const char* format,
                                                 va_list args) const {
  const utString translated = translator_->translate(name, format);
  return formatter_->vformat(translated.c_str(), args);
}

utString keznlsTranslatorAndFormatter::nstprintf(const char* name, const char* singular,
                                                 const char* plural, unsigned long n, ...) const {
  va_list args;
  va_start(args, n);
  utString result = vntsprintf(name, singular, plural, n, args);
  va_end(args);
  return result;
}

utString keznlsTranslatorAndFormatter::vntsprintf(const char* name, const char* singular,
                                                  const char* plural, unsigned long n,
                                                  va_list args) const {
  const utString translated = translator_->translate_plural(name, singular, plural, n);
  return formatter_->vformat(translated.c_str(), args);
}

utString keznlsTranslatorAndFormatter::pstprintf(const char* name, const char* context,
                                                 const char* format, ...) const {
  va_list args;
  va_start(args, format);
  utString result = vptsprintf(name, context, format, args);
  va_end(args);
  return result;
}

utString keznlsTranslatorAndFormatter::vptsprintf(const char* name, const char* context,
                                                  const char* format, va_list args) const {
  const utString translated = translator_->translate_in_context(name, context, format);
  return formatter_->vformat(translated.c_str(), args);
}

utString keznlsTranslatorAndFormatter::npstprintf(const char* name, const char* context,
                                                  const char* singular, const char* plural,
                                                  unsigned long n, ...) const {
  va_list args;
  va_start(args, n);
  utString result = vnptsprintf(name, context, singular, plural, n, args);
  va_end(args);
  return result;
}

utString keznlsTranslatorAndFormatter::vnptsprintf(const char* name, const char* context,
                                                   const char* singular, const char* plural,
                                                   unsigned long n, va_list args) const {
  const utString translated =
      translator_->translate_plural_in_context(name, context, singular, plural, n);
  return formatter_->vformat(translated.c_str(), args);
}

keznlsConnector::keznlsConnector(keznlsTranslator* translator, keznlsFormatter* formatter,
                                 keznlsDisplayer* displayer)
    : displayer_(displayer),
      translator_and_formatter_(new keznlsTranslatorAndFormatter(translator, formatter)) {}

keznlsConnector::~keznlsConnector() { delete translator_and_formatter_; }

void keznlsConnector::tprintf(const char* name, const char* format, ...) {
  va_list args;
  va_start(args, format);
  vtprintf(name, format, args);
  va_end(args);
}

void keznlsConnector::vtprintf(const char* name, const char* format, va_list args) {
  const utString message = vtsprintf(name, format, args);
  displayer_->display(message.c_str());
}

utString keznlsConnector::vtsprintf(const char* name, const char* format,
                                    va_list args) const {
  return translator_and_formatter_->vtsprintf(name, format, args);
}

void keznlsConnector::vntprintf(const char* name, const char* singular, const char* plural,
                                unsigned long n, va_list args) {
  const utString message = translator_and_formatter_->vntsprintf(name, singular, plural, n, args);
  displayer_->display(message.c_str());
}

void keznlsConnector::vptprintf(const char* name, const char* context, const char* format,
                                va_list args) {
  const utString message = translator_and_formatter_->vptsprintf(name, context, format, args);
  displayer_->display(message.c_str());
}

void keznlsConnector::vnptprintf(const char* name, const char* context, const char* singular,
                                 const char* plural, unsigned long n, va_list args) {
  const utString message =
      translator_and_formatter_->vnptsprintf(name, context, singular, plural, n, args);
  displayer_->display(message.c_str());
}
