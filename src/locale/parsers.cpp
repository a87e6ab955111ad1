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

}  // namespace

int keznlsParserDefault::string_to_int(utString text, int& error) const {
  const char* begin = text.c_str();
  if (begin == nullptr) {
    error = 1;
    return 0;
  }
  char* end = nullptr;
  const long value = std::strtol(begin, &end, 10);
  error = *end != '\0' ? 1 : 0;
  return clamp_to_int(value);
}

double keznlsParserDefault::string_to_double(utString text, int& error) const {
  const char* begin = text.c_str();
  if (begin == nullptr) {
    error = 1;
    return 0.0;
  }
  char* end = nullptr;
  const double value = std::strtod(begin, &end);
  error = *end != '\0' ? 1 : 0;
  return value;
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
