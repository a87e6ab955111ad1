#include "render.h"

#include <keznls/roles.h>

// The engine's walk over a format, header-only, shared with the library.
#include "../../src/engine/format_walk.h"

namespace keznls_printf {

namespace {

bool is_unsigned(char conversion) { return conversion != 'd'; }

utString format_integer(keznlsFormatter& f, const Piece& piece, int v, bool widen) {
  const char* fmt = piece.format.c_str();
  // Negative values read by an unsigned conversion show their 32-bit
  // two's complement, whichever formatter reads them.
  const unsigned u = static_cast<unsigned>(v);
  if (widen && piece.long_modifier) {
    return is_unsigned(piece.conversion) ? f.format(fmt, static_cast<unsigned long>(u))
                                         : f.format(fmt, static_cast<long>(v));
  }
  return is_unsigned(piece.conversion) ? f.format(fmt, u) : f.format(fmt, v);
}

// Literal text as every formatter shows it: itself, `%%` as `%`.
std::string literal_text(const std::string& format) {
  struct Literal {
    std::string out;
    void text(const char* from, const char* to) { out.append(from, to); }
    bool percent_sign(const char*) {
      out += '%';
      return true;
    }
    bool conversion(const keznls_engine::ConversionAt&, const char*&) { return false; }  // none in a literal piece
    void end(const char*) {}
  } literal;
  keznls_engine::walk_format(format.c_str(), literal);
  return literal.out;
}

}  // namespace

std::string render(keznlsFormatter& formatter, const Plan& plan,
                   const std::vector<Value>& values, bool long_modifier_widens) {
  std::string out;
  for (const Piece& piece : plan.pieces) {
    if (piece.argument == 0) {
      out += literal_text(piece.format);
      continue;
    }
    const Value& value = values[piece.argument - 1];
    switch (value.kind) {
      case Value::kInteger:
        out += format_integer(formatter, piece, value.integer, long_modifier_widens).c_str();
        break;
      case Value::kDouble:
        out += formatter.format(piece.format.c_str(), value.real).c_str();
        break;
      case Value::kText:
        out += formatter.format(piece.format.c_str(), value.text).c_str();
        break;
    }
  }
  return out;
}

}  // namespace keznls_printf
