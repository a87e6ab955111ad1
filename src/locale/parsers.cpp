#include <climits>
#include <cstdlib>

#include "keznls/locale.h"
#include "keznls/parsers.h"

namespace {

// `long` is 64 bits here; results keep the range of a 32-bit `long`.
int clamp_to_int(long value) {
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

// `convert(begin, &end)` over the whole text: an error when it is invalid
// or anything is left over.
template <typename Convert>
auto whole(const utString& text, int& error, Convert convert) -> decltype(convert(nullptr, nullptr)) {
  const char* begin = text.c_str();
  if (begin == nullptr) {
    error = 1;
    return 0;
  }
  char* end = nullptr;
  const auto value = convert(begin, &end);
  error = *end != '\0' ? 1 : 0;
  return value;
}

}  // namespace

int keznlsParserDefault::string_to_int(utString text, int& error) const {
  return clamp_to_int(whole(text, error, [](const char* b, char** e) { return std::strtol(b, e, 10); }));
}

double keznlsParserDefault::string_to_double(utString text, int& error) const {
  return whole(text, error, [](const char* b, char** e) { return std::strtod(b, e); });
}

int keznlsParserDefaultThenLocale::string_to_int(utString text, int& error) const {
  const int value = default_parser_.string_to_int(text, error);
  if (error == 0) return value;
  const keznlsLocaleNumbers scope;
  return default_parser_.string_to_int(text, error);
}

double keznlsParserDefaultThenLocale::string_to_double(utString text, int& error) const {
  const double value = default_parser_.string_to_double(text, error);
  if (error == 0) return value;
  const keznlsLocaleNumbers scope;
  return default_parser_.string_to_double(text, error);
}
