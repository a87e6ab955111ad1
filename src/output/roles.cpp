#include <cstdio>
#include <ostream>

#include "keznls/roles.h"

utString keznlsTranslatorDefault::translate(const char* /*name*/, const char* text) {
  return utString(text);
}

utString keznlsTranslator::translate_plural(const char* /*name*/, const char* singular,
                                            const char* plural, unsigned long n) {
  return utString(n == 1 ? singular : plural);
}

utString keznlsTranslator::translate_in_context(const char* /*name*/, const char* /*context*/,
                                                const char* text) {
  return utString(text);
}

utString keznlsTranslator::translate_plural_in_context(const char* /*name*/, const char* /*context*/,
                                                       const char* singular, const char* plural,
                                                       unsigned long n) {
  return utString(n == 1 ? singular : plural);
}

utString keznlsFormatterDefault::format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  utString result = vformat(format, args);
  va_end(args);
  return result;
}

utString keznlsFormatterDefault::vformat(const char* format, va_list args) {
  constexpr int kFirstSize = 4192;
  int size = kFirstSize;
  char* buffer = nullptr;
  for (;;) {
    delete[] buffer;
    buffer = nullptr;  // a throwing new must not leave a freed pointer behind
    buffer = new char[static_cast<std::size_t>(size)];
    va_list pass;
    va_copy(pass, args);
    const int n = std::vsnprintf(buffer, static_cast<std::size_t>(size), format, pass);
    va_end(pass);
    if (n < 0) {
      // Not a short buffer but a conversion the runtime refused: no text.
      buffer[0] = '\0';
      break;
    }
    if (n < size) break;
    size = size <= (1 << 30) ? size * 2 : n + 1;
  }
  return utString(ut_string_claim, buffer, 0);
}

void keznlsDisplayerDefault::display(const char* text) {
  std::printf("%s", text != nullptr ? text : "");
  std::fflush(stdout);
}

void keznlsDisplayerOstream::display(const char* text) {
  if (text != nullptr) *stream_ << text;
}
