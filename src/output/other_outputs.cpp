#include <ostream>

#include "keznls/output.h"
#include "keznls/ut/ut_format.h"
#include "format/typed_printf.h"
#include "util/va_args.h"
#include "output/pipeline.h"

void kezabsOutputOstream::tprintf(const char* name, const char* format, ...) {
  KEZNLS_WITH_ARGS(format, vtprintf(name, format, args));
}

void kezabsOutputOstream::vtprintf(const char* name, const char* format, va_list args) {
  *stream_ << vtsprintf(name, format, args);
}

utString kezabsOutputOstream::vtsprintf(const char* /*name*/, const char* format, va_list args) const {
  char stack[1024];
  const utFormatted text(stack, sizeof stack, format, args);
  return utString(ut_copy, text.length() < 0 ? "" : text.text());
}

void kezabsOutputOstream::vtprint(const keznlsMessage& message, const keznlsArgs& args) {
  *stream_ << vtsprint(message, args);
}

std::string kezabsOutputOstream::vtsprint(const keznlsMessage& m, const keznlsArgs& args) const {
  const char* format = m.plural != nullptr && m.n != 1 ? m.plural : m.text;
  std::string text;
  if (!keznls_typed::c_printf(text, format, args)) text = keznls_typed::refused(format);
  return text;
}

void keznlsOutputToNowhere::tprintf(const char*, const char*, ...) {}

void keznlsOutputToNowhere::vtprintf(const char*, const char*, va_list) {}

utString keznlsOutputToNowhere::vtsprintf(const char*, const char*, va_list) const {
  return utString();
}

utString keznlsTranslatorAndFormatter::stprintf(const char* name, const char* format, ...) const {
  KEZNLS_WITH_ARGS(format, vtsprintf(name, format, args));
}

utString keznlsTranslatorAndFormatter::vtsprintf(const char* name, const char* format, va_list args) const {
  return vmsprintf({name, nullptr, format, nullptr, 0}, args);
}

utString keznlsTranslatorAndFormatter::nstprintf(const char* name, const char* singular, const char* plural,
                                                 unsigned long n, ...) const {
  KEZNLS_WITH_ARGS(n, vntsprintf(name, singular, plural, n, args));
}

utString keznlsTranslatorAndFormatter::vntsprintf(const char* name, const char* singular, const char* plural,
                                                  unsigned long n, va_list args) const {
  return vmsprintf({name, nullptr, singular, plural, n}, args);
}

utString keznlsTranslatorAndFormatter::pstprintf(const char* name, const char* context, const char* format,
                                                 ...) const {
  KEZNLS_WITH_ARGS(format, vptsprintf(name, context, format, args));
}

utString keznlsTranslatorAndFormatter::vptsprintf(const char* name, const char* context, const char* format,
                                                  va_list args) const {
  return vmsprintf({name, context, format, nullptr, 0}, args);
}

utString keznlsTranslatorAndFormatter::npstprintf(const char* name, const char* context, const char* singular,
                                                  const char* plural, unsigned long n, ...) const {
  KEZNLS_WITH_ARGS(n, vnptsprintf(name, context, singular, plural, n, args));
}

utString keznlsTranslatorAndFormatter::vnptsprintf(const char* name, const char* context, const char* singular,
                                                   const char* plural, unsigned long n, va_list args) const {
  return vmsprintf({name, context, singular, plural, n}, args);
}

utString keznlsTranslatorAndFormatter::vmsprintf(const keznlsMessage& message, va_list args) const {
  return keznls_pipeline::to_string(*translator_, *formatter_, message, args);
}

std::string keznlsTranslatorAndFormatter::vtsprint(const keznlsMessage& message, const keznlsArgs& args) const {
  return keznls_pipeline::to_string_typed(*translator_, *formatter_, message, args);
}

keznlsConnector::keznlsConnector(keznlsTranslator* translator, keznlsFormatter* formatter,
                                 keznlsDisplayer* displayer)
    : displayer_(displayer), translator_and_formatter_(translator, formatter) {}

keznlsConnector::~keznlsConnector() {}

void keznlsConnector::tprintf(const char* name, const char* format, ...) {
  KEZNLS_WITH_ARGS(format, vtprintf(name, format, args));
}

void keznlsConnector::vtprintf(const char* name, const char* format, va_list args) {
  const utString message = vtsprintf(name, format, args);
  displayer_->display(message.c_str());
}

utString keznlsConnector::vtsprintf(const char* name, const char* format,
                                    va_list args) const {
  return translator_and_formatter_.vtsprintf(name, format, args);
}

void keznlsConnector::vmessage(const keznlsMessage& message, va_list args) {
  const utString text = translator_and_formatter_.vmsprintf(message, args);
  displayer_->display(text.c_str());
}

void keznlsConnector::vtprint(const keznlsMessage& message, const keznlsArgs& args) {
  displayer_->display(vtsprint(message, args).c_str());
}

std::string keznlsConnector::vtsprint(const keznlsMessage& message, const keznlsArgs& args) const {
  return translator_and_formatter_.vtsprint(message, args);
}
