#include "format_plan.h"

#include <keznls/engine.h>

namespace keznls_printf {

std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    switch (c) {
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      default: out += c;
    }
  }
  return out + "\"";
}

namespace {

std::string describe_argument(int number, const std::vector<const char*>& arguments) {
  return "argument " + std::to_string(number) + " (" + quoted(arguments[number - 1]) + ")";
}

// Reads the conversion starting at `percent`; the engine's own parser
// decides what is a conversion, so the tool accepts what every formatter
// here can render.
std::string read_conversion(const char*& p, int ordinal, Piece& piece) {
  const char* percent = p;
  ++p;
  piece.argument = ordinal;
  if (*p >= '1' && *p <= '9' && p[1] == '$') {
    piece.argument = *p - '0';
    p += 2;
  }
  const char* spec = p;
  keznlsPercent record;
  if (!record.parse(p)) {
    const char* end = *p != '\0' ? p + 1 : p;
    return quoted(std::string(percent, end)) +
           " is not a conversion keznls-printf knows (an optional 0 flag, width, "
           ".precision, optional l, then one of d u x X e E f g G s)";
  }
  piece.written.assign(percent, p);
  piece.format.append("%").append(spec, p);
  piece.conversion = record.conversion;
  piece.long_modifier = p[-2] == 'l';
  return std::string();
}

}  // namespace

std::string plan_format(const std::string& format, const std::vector<const char*>& arguments,
                        Plan& plan) {
  plan = Plan();
  Piece piece;
  int ordinal = 0;
  const char* p = format.c_str();
  while (*p != '\0') {
    if (*p != '%' || p[1] == '%') {
      const int n = *p == '%' ? 2 : 1;
      piece.format.append(p, n);
      p += n;
      continue;
    }
    if (++ordinal > kMaxConversions) {
      const char* start = p;
      Piece ignored;
      read_conversion(p, ordinal, ignored);
      return "conversion " + quoted(std::string(start, p)) +
             " is the tenth of the format, for argument " + std::to_string(ordinal) +
             ": a format has at most nine conversions";
    }
    if (std::string error = read_conversion(p, ordinal, piece); !error.empty()) return error;
    for (const Piece& earlier : plan.pieces) {
      if (earlier.argument == piece.argument) {
        return "conversions " + quoted(earlier.written) + " and " + quoted(piece.written) +
               " both take argument " + std::to_string(piece.argument) +
               "; each argument goes to one conversion";
      }
    }
    if (piece.argument > plan.arguments) plan.arguments = piece.argument;
    plan.pieces.push_back(piece);
    piece = Piece();
  }
  if (!piece.format.empty()) plan.pieces.push_back(piece);

  const int given = static_cast<int>(arguments.size());
  for (const Piece& q : plan.pieces) {
    if (q.argument > given) {
      return "conversion " + quoted(q.written) + " takes argument " + std::to_string(q.argument) +
             ", but " + std::to_string(given) + (given == 1 ? " was" : " were") + " given";
    }
  }
  for (int number = 1; number <= given; ++number) {
    bool used = false;
    for (const Piece& q : plan.pieces) used = used || q.argument == number;
    if (!used) {
      return describe_argument(number, arguments) + " is not taken by any conversion of " +
             quoted(format);
    }
  }
  return std::string();
}

}  // namespace keznls_printf
