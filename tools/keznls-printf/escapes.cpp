#include "escapes.h"

namespace keznls_printf {

namespace {

bool is_octal(char c) { return c >= '0' && c <= '7'; }

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

std::string expand_escapes(const char* text) {
  std::string out;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p != '\\' || p[1] == '\0') {
      out += *p;
      continue;
    }
    if (const char c = simple_escape(p[1])) {
      out += c;
      ++p;
    } else if (is_octal(p[1])) {
      int value = 0;
      int digits = 0;
      while (digits < 3 && is_octal(p[1])) {
        value = value * 8 + (p[1] - '0');
        ++p;
        ++digits;
      }
      // A NUL would end the format early; keep it out.
      if (value != 0) out += static_cast<char>(value);
    } else {
      out += '\\';
    }
  }
  return out;
}

}  // namespace keznls_printf
