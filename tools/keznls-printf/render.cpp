#include "render.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <keznls/roles.h>

// The engine's walk over a format, header-only, shared with the library.
#include "../../src/engine/format_walk.h"

namespace keznls_printf {

namespace {

bool is_unsigned(char conversion) { return conversion != 'd'; }

// Calls `call(format, value)` with the piece's value as the C type its
// conversion reads. Negative values read by an unsigned conversion show
// their 32-bit two's complement, whichever formatter reads them.
template <typename Call>
auto with_value(const Piece& piece, const Value& value, bool c_library, Call call) {
  const char* fmt = piece.format.c_str();
  switch (value.kind) {
    case Value::kInteger: {
      const int v = value.integer;
      const unsigned u = static_cast<unsigned>(v);
      if (c_library && piece.long_modifier)
        return is_unsigned(piece.conversion) ? call(fmt, static_cast<unsigned long>(u)) : call(fmt, static_cast<long>(v));
      return is_unsigned(piece.conversion) ? call(fmt, u) : call(fmt, v);
    }
    case Value::kDouble:
      return call(fmt, value.real);
    case Value::kText:
    default:
      return call(fmt, value.text);
  }
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

Failure render(keznlsFormatter& formatter, const Plan& plan, const std::vector<Value>& values,
               bool c_library, std::string& out) {
  out.clear();
  for (const Piece& piece : plan.pieces) {
    if (piece.argument == 0) {
      out += literal_text(piece.format);
      continue;
    }
    const std::size_t literal = literal_text(piece.format.substr(0, piece.conversion_at)).size();
    const Value& value = values[piece.argument - 1];
    if (c_library) {
      errno = 0;
      const int n = with_value(piece, value, true, [](const char* f, auto v) { return std::snprintf(nullptr, 0, f, v); });
      if (n < 0) return {piece.argument, std::string("the C library refuses it: ") + std::strerror(errno)};
    }
    const std::string shown = with_value(piece, value, c_library, [&formatter](const char* f, auto v) {
      return std::string(formatter.format(f, v).c_str());
    });
    if (!c_library && value.kind != Value::kText && shown.compare(literal, std::string::npos, "<too large to show>") == 0)
      return {piece.argument, "the number needs more than 31 characters"};
    out += shown;
  }
  return {};
}

}  // namespace keznls_printf
