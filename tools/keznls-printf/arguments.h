// Turning command-line arguments into the values their conversions read.
#ifndef KEZNLS_TOOLS_PRINTF_ARGUMENTS_H
#define KEZNLS_TOOLS_PRINTF_ARGUMENTS_H

#include <string>

class keznlsParser;

namespace keznls_printf {

struct Piece;

/// One argument, converted for the conversion that takes it.
struct Value {
  enum Kind { kInteger, kDouble, kText } kind = kText;
  int integer = 0;
  double real = 0.0;
  const char* text = "";
};

/// Converts `text` as `piece`'s conversion asks: d u x X read a 32-bit
/// integer, e E f g G a floating number (the user's decimal point is
/// accepted too), s takes the text as it is. Returns an empty string on
/// success, else the reason, naming the argument and the conversion.
std::string convert_argument(const keznlsParser& parser, const Piece& piece, const char* text,
                             Value& value);

}  // namespace keznls_printf

#endif  // KEZNLS_TOOLS_PRINTF_ARGUMENTS_H
