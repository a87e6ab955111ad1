// Reading a C printf format into a plan, and fetching its arguments.
#include "locale/printf_plan.h"

#include <climits>
#include <cstring>

namespace keznls_printf_plan {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

int read_number(const char*& p) {
  long long n = 0;
  while (is_digit(*p)) {
    if (n < INT_MAX) n = n * 10 + (*p - '0');
    ++p;
  }
  return n > INT_MAX ? INT_MAX : static_cast<int>(n);
}

Kind kind_of(char letter, Length length) {
  switch (letter) {
    case 'd': case 'i': case 'u': case 'x': case 'X': case 'o':
      if (length == Length::l || length == Length::j || length == Length::z || length == Length::t) return Kind::long_integer;
      return length == Length::ll ? Kind::long_long : Kind::integer;
    case 'c': return Kind::integer;
    case 'f': case 'F': case 'e': case 'E': case 'g': case 'G': return Kind::floating;
    case 's': case 'p': return Kind::pointer;
    default: return Kind::none;
  }
}

bool note_kind(Plan* plan, int index, Kind kind) {
  if (index < 0 || index >= kMaxConversions * 3) return false;
  while (plan->arguments <= index) plan->kinds[plan->arguments++] = Kind::none;
  if (plan->kinds[index] != Kind::none && plan->kinds[index] != kind) return false;
  plan->kinds[index] = kind;
  return true;
}

}  // namespace

bool read_plan(const char* format, Plan* plan) {
  const char* literal = format;
  int next = 0;
  int positional = -1;  // unknown, 0 no, 1 yes
  const char* p = strchrnul(format, '%');
  for (; *p != '\0'; p = strchrnul(p, '%')) {
    if (plan->count == kMaxConversions) return false;
    Conversion& c = plan->conversions[plan->count];
    c = kFresh;
    c.literal = literal;
    c.literal_length = static_cast<std::size_t>(p - literal);
    ++p;
    if (*p == '%') {
      c.letter = '%';
      ++plan->count;
      literal = ++p;
      continue;
    }
    int position = -1;
    if (is_digit(*p) && *p != '0') {
      const char* q = p;
      const int n = read_number(q);
      if (*q == '$') {
        position = n - 1;
        p = q + 1;
      }
    }
    if (positional == -1) positional = position >= 0;
    if ((position >= 0) != (positional == 1)) return false;
    for (;; ++p) {
      if (*p == '-') c.minus = true;
      else if (*p == '+') c.plus = true;
      else if (*p == ' ') c.space = true;
      else if (*p == '#') c.hash = true;
      else if (*p == '0') c.zero = true;
      else if (*p == '\'') c.group = true;
      else break;
    }
    if (*p == '*') {
      if (positional == 1) return false;  // `*m$`: the C library's
      c.width_argument = next++;
      if (!note_kind(plan, c.width_argument, Kind::integer)) return false;
      ++p;
    } else if (is_digit(*p)) {
      c.width = read_number(p);
    }
    if (*p == '.') {
      ++p;
      if (*p == '*') {
        if (positional == 1) return false;
        c.precision_argument = next++;
        if (!note_kind(plan, c.precision_argument, Kind::integer)) return false;
        ++p;
      } else {
        c.precision = read_number(p);
        if (c.precision > kMaxPrecision) return false;
      }
    }
    switch (*p) {
      case 'h': c.length = p[1] == 'h' ? (++p, Length::hh) : Length::h; ++p; break;
      case 'l': c.length = p[1] == 'l' ? (++p, Length::ll) : Length::l; ++p; break;
      case 'q': c.length = Length::ll; ++p; break;
      case 'j': c.length = Length::j; ++p; break;
      case 'z': c.length = Length::z; ++p; break;
      case 't': c.length = Length::t; ++p; break;
      case 'L': c.length = Length::L; ++p; break;
      default: break;
    }
    c.letter = *p;
    const Kind kind = kind_of(c.letter, c.length);
    // Wide texts, long double, hexadecimal floats, %n and anything unknown.
    if (kind == Kind::none || c.length == Length::L || ((c.letter == 'c' || c.letter == 's') && c.length != Length::none))
      return false;
    // Grouping beside zeros or a minimum of digits, and `#` of %g, as the C
    // library has them.
    const bool integer = kind != Kind::floating && kind != Kind::pointer && c.letter != 'c';
    if (c.group && (c.zero || (integer && c.precision >= 0))) return false;
    // glibc groups hexadecimal and octal digits too.
    if (c.group && (c.letter == 'x' || c.letter == 'X' || c.letter == 'o')) return false;
    if (c.hash && (c.letter == 'g' || c.letter == 'G')) return false;
    c.argument = position >= 0 ? position : next++;
    if (!note_kind(plan, c.argument, kind)) return false;
    ++plan->count;
    literal = ++p;
  }
  plan->tail = literal;
  plan->tail_length = static_cast<std::size_t>(p - literal);
  for (int i = 0; i < plan->arguments; ++i)
    if (plan->kinds[i] == Kind::none) return false;  // a gap in the positions
  return true;
}

void fetch(const Plan& plan, va_list args, Value* values) {
  va_list cursor;
  va_copy(cursor, args);
  for (int i = 0; i < plan.arguments; ++i) switch (plan.kinds[i]) {
      case Kind::integer: values[i].integer = va_arg(cursor, int); break;
      case Kind::long_integer: values[i].integer = va_arg(cursor, long); break;
      case Kind::long_long: values[i].integer = va_arg(cursor, long long); break;
      case Kind::floating: values[i].floating = va_arg(cursor, double); break;
      case Kind::pointer: values[i].pointer = va_arg(cursor, const void*); break;
      case Kind::none: break;
    }
  va_end(cursor);
}

}  // namespace keznls_printf_plan
