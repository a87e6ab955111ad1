#include "escapes.h"

namespace keznls_printf {

namespace {

bool is_octal(char c) { return c >= '0' && c <= '7'; }

// The value of a hexadecimal digit, or -1.
int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The character a one-letter escape stands for, or 0 when it is not one.
char simple_escape(char c) {
  switch (c) {
    case '\\': return '\\';
    case 'a': return '\a';
    case 'b': return '\b';
    case 'f': return '\f';
    case 'n': return '\n';
    case 'r': return '\r';
    case 't': return '\t';
    case 'v': return '\v';
    case '"': return '"';
    case '\'': return '\'';
    default: return 0;
  }
}

}  // namespace

std::string expand_escapes(const char* text, const char* where, const char* kind, std::string& out) {
  out.clear();
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p != '\\' || p[1] == '\0') {
      out += *p;
      continue;
    }
    if (const char c = simple_escape(p[1])) {
      out += c;
      ++p;
    } else if (is_octal(p[1]) || (p[1] == 'x' && hex_value(p[2]) >= 0)) {
      // \NNN: one to three octal digits; \xHH: one or two hexadecimal ones.
      const char* const escape = p;
      const bool hex = p[1] == 'x';
      if (hex) ++p;
      int value = 0;
      for (int digits = 0; digits < (hex ? 2 : 3); ++digits) {
        const int digit = hex ? hex_value(p[1]) : is_octal(p[1]) ? p[1] - '0' : -1;
        if (digit < 0) break;
        value = value * (hex ? 16 : 8) + digit;
        ++p;
      }
      const std::string typed = "escape \"" + std::string(escape, p + 1) + "\" in " + where;
      if (value > 0377) return typed + " is above \\377";
      if (value == 0) return typed + " yields a NUL byte, which ends a " + kind;
      out += static_cast<char>(value);
    } else {
      out += '\\';
    }
  }
  return std::string();
}

}  // namespace keznls_printf
