#include "arguments.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include <keznls/parsers.h>

#include "format_plan.h"
#include "util/ut_quoted.h"

namespace keznls_printf {

namespace {

std::string refusal(const Piece& piece, const char* text, const char* what) {
  return "argument " + std::to_string(piece.argument) + " (" + ut_quoted(text) + ") " + what +
         " for conversion " + ut_quoted(piece.written);
}

// The parser clamps to the 32-bit range without saying so; a value at a
// bound is only taken when the text really is that value.
bool clamped(int value, const char* text) {
  if (value != INT_MAX && value != INT_MIN) return false;
  errno = 0;
  const long long wide = std::strtoll(text, nullptr, 10);
  return errno == ERANGE || wide != value;
}

}  // namespace

std::string convert_argument(const keznlsParser& parser, const Piece& piece, const char* text,
                             Value& value) {
  int error = 0;
  switch (piece.letter) {
    case 's':
      value.kind = Value::kText;
      value.text = text;
      return std::string();
    case 'd': case 'u': case 'x': case 'X':
      value.kind = Value::kInteger;
      // The parser takes an empty text as 0; on a command line it is a slip.
      value.integer = parser.string_to_int(text, error);
      if (*text == '\0' || error != 0) return refusal(piece, text, "is not an integer");
      if (clamped(value.integer, text)) {
        return refusal(piece, text, "is outside the 32-bit integer range");
      }
      return std::string();
    default:
      value.kind = Value::kDouble;
      value.real = parser.string_to_double(text, error);
      if (*text == '\0' || error != 0) return refusal(piece, text, "is not a number");
      return std::string();
  }
}

}  // namespace keznls_printf
