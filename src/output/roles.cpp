#include <cstdio>
#include <typeinfo>
#include <ostream>

#include "keznls/roles.h"
#include "keznls/ut/ut_format.h"

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

const char* keznlsTranslator::borrow_translation(const char*, const char*, const char*, const char*,
                                                 unsigned long) {
  return nullptr;
}

int keznlsFormatter::vformat_into(char*, int, const char*, va_list) { return -1; }

utString keznlsFormatterDefault::format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  utString result = vformat(format, args);
  va_end(args);
  return result;
}

utString keznlsFormatterDefault::vformat(const char* format, va_list args) {
  constexpr int kFirstSize = 4192;
  utFormatBuffer buffer{new char[kFirstSize], kFirstSize};
  // A fresh buffer of twice the size per attempt; the old one goes first.
  const int n = ut_vformat(buffer, [](utFormatBuffer& b, int needed) {
    const int size = b.size <= (1 << 30) ? b.size * 2 : needed;
    delete[] b.text;
    b.text = nullptr;  // a throwing new must not leave a freed pointer behind
    b.text = new char[static_cast<std::size_t>(size)];
    b.size = size;
  }, format, args);
  // Not a short buffer but a conversion the runtime refused: no text.
  if (n < 0) buffer.text[0] = '\0';
  return utString(ut_string_claim, buffer.text, 0);
}

void keznlsDisplayerDefault::display(const char* text) {
  std::printf("%s", text != nullptr ? text : "");
  std::fflush(stdout);
}

void keznlsDisplayerOstream::display(const char* text) {
  if (text != nullptr) *stream_ << text;
}

int keznlsFormatterDefault::vformat_into(char* buffer, int size, const char* format, va_list args) {
  // A derived class may format otherwise through vformat.
  if (typeid(*this) != typeid(keznlsFormatterDefault)) return -1;
  va_list pass;
  va_copy(pass, args);
  const int n = std::vsnprintf(buffer, static_cast<std::size_t>(size), format, pass);
  va_end(pass);
  if (n < 0) {
    buffer[0] = '\0';  // as vformat: a conversion the runtime refused leaves no text
    return 0;
  }
  return n < size ? n : -1;
}
