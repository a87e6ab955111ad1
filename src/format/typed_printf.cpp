#include "format/typed_printf.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "format/format_check.h"
#include "format/grammar.h"

namespace keznls_typed {

namespace {

using nls_format::ArgType;
using nls_format::Conversion;

bool is_flag(char c) { return std::strchr("-+ #0'I", c) != nullptr && c != '\0'; }

// The kind a conversion reads, or false for one no typed argument suits
// (`%p`, `%n`, wide texts and characters).
bool kind_of(const Conversion& c, keznlsArgKind& kind) {
  if (c.type == ArgType::kWideString || c.type == ArgType::kWint || c.type == ArgType::kPointer ||
      nls_format::writes_count(c.type))
    return false;
  switch (c.letter) {
    case 's': kind = keznlsArgKind::text; return true;
    case 'c': kind = keznlsArgKind::character; return true;
    case 'd': case 'i': case 'o': case 'u': case 'x': case 'X': kind = keznlsArgKind::integer; return true;
    case 'f': case 'F': case 'e': case 'E': case 'g': case 'G': case 'a': case 'A':
      kind = keznlsArgKind::floating;
      return true;
    default:
      return false;
  }
}

// One conversion as the C library gets it for one typed argument: its
// flags, width and precision (a `*` given its value), the length modifier
// of the argument's type, and the letter (`u` for `d` of an unsigned).
struct Rewritten {
  std::string text;
  const keznlsArg* value = nullptr;  // null for `%m`
};

// Reads the conversion at `p` (its `%`) and checks it against `args`.
// `alone`: for a call of its own (a `*` takes its value, a text is bounded
// by its size); else for the rewritten whole format.
bool rewrite_conversion(const char*& p, int& next_arg, const keznlsArgs& args, bool alone, bool engine,
                        Rewritten& out) {
  Conversion c;
  if (nls_format::read_conversion(p, next_arg, c) != nls_format::FormatError::kNone) return false;
  auto integer_arg = [&](int index, long long& value) {
    if (index >= args.count || args.args[index].kind() != keznlsArgKind::integer) return false;
    const keznlsArg& a = args.args[index];
    value = a.type == keznlsArg::Type::unsigned_integer ? static_cast<long long>(a.u) : a.i;
    return true;
  };
  const char* q = c.text.data() + 1;
  if (c.numbered)
    while (*q++ != '$') {}
  std::string flags;
  while (is_flag(*q)) flags += *q++;
  long long width = c.width, precision = c.precision;
  if (c.width_arg >= 0 || c.precision_arg >= 0) {
    if (!alone) return false;
    if (c.width_arg >= 0 && !integer_arg(c.width_arg, width)) return false;
    if (c.precision_arg >= 0 && !integer_arg(c.precision_arg, precision)) return false;
    if (width < 0 && c.width_arg >= 0) {
      flags += '-';
      width = width == LLONG_MIN ? LLONG_MAX : -width;
    }
    if (precision < 0) precision = -1;  // a negative precision is none
    if (width > INT_MAX || precision > INT_MAX) return false;
  }
  const keznlsArg* a = nullptr;
  char letter = c.letter;
  if (letter != 'm') {
    keznlsArgKind kind;
    if (!kind_of(c, kind) || c.value_arg < 0 || c.value_arg >= args.count) return false;
    a = &args.args[c.value_arg];
    if (a->kind() != kind) return false;
    const bool unsigned_value = a->type == keznlsArg::Type::unsigned_integer;
    if (unsigned_value && (letter == 'd' || letter == 'i')) letter = 'u';
    // Exactly its characters, whether or not a NUL follows them.
    const bool unbounded = precision < 0 || static_cast<unsigned long long>(precision) > a->s.size;
    if (kind == keznlsArgKind::text && alone && unbounded)
      precision = static_cast<long long>(a->s.size > INT_MAX ? INT_MAX : a->s.size);
  }
  out.value = a;
  out.text = "%";
  if (!alone && c.numbered) out.text += std::to_string(c.value_arg + 1) + "$";
  out.text += flags;
  if (width >= 0) out.text += std::to_string(width);
  if (precision >= 0) out.text += "." + std::to_string(precision);
  if (a != nullptr && a->kind() == keznlsArgKind::integer) out.text += length_for(a->bytes, engine);
  out.text += letter;
  return true;
}

// Calls `each(literal_begin, literal_end)` and `conversion(p)` along
// `format`; `%%` is handed over as a one-character literal. False where
// `conversion` is.
template <typename Literal, typename Conv>
bool walk(const char* format, Literal literal, Conv conversion) {
  const char* p = format;
  for (;;) {
    const char* at = std::strchr(p, '%');
    if (at == nullptr) {
      literal(p, p + std::strlen(p));
      return true;
    }
    literal(p, at);
    if (at[1] == '%') {
      literal(at, at + 1);
      p = at + 2;
      continue;
    }
    p = at;
    if (!conversion(p)) return false;
  }
}

// The consistency C's printf needs (all numbered or none, no gap, one
// kind per argument), and every argument read passed.
bool consistent(const char* format, const keznlsArgs& args) {
  const nls_format::ArgumentMap map(format);
  return map.ok() && map.size() <= args.count;
}

}  // namespace

TerminatedArgs::TerminatedArgs(const keznlsArgs& args) : args_(args.args) {
  for (int i = 0; i < args.count; ++i)
    if (args.args[i].type == keznlsArg::Type::text && !args.args[i].terminated) {
      copy_.assign(args.args, args.args + args.count);
      texts_.reserve(static_cast<std::size_t>(args.count));  // no reallocation: the copies' texts stay put
      for (keznlsArg& a : copy_)
        if (a.type == keznlsArg::Type::text && !a.terminated) {
          texts_.emplace_back(a.s.data, a.s.size);
          a.s.data = texts_.back().c_str();
          a.terminated = true;
        }
      args_ = copy_.data();
      return;
    }
}

const char* length_for(int bytes, bool engine) {
  if (bytes > 4) return engine ? "l" : sizeof(long) >= 8 ? "l" : "ll";
  if (engine) return "";
  return bytes == 1 ? "hh" : bytes == 2 ? "h" : "";
}

bool c_printf(std::string& out, const char* format, const keznlsArgs& args) {
  if (!consistent(format, args)) return false;
  int next_arg = 0;
  Rewritten rewritten;
  return walk(
      format, [&](const char* from, const char* to) { out.append(from, static_cast<std::size_t>(to - from)); },
      [&](const char*& p) {
        if (!rewrite_conversion(p, next_arg, args, true, false, rewritten)) return false;
        char stack[128];
        auto print = [&](char* buffer, std::size_t size) -> int {
          const char* f = rewritten.text.c_str();
          const keznlsArg* a = rewritten.value;
          if (a == nullptr) return std::snprintf(buffer, size, f, 0);
          switch (a->type) {
            case keznlsArg::Type::text: return std::snprintf(buffer, size, f, a->s.data);
            case keznlsArg::Type::character: return std::snprintf(buffer, size, f, static_cast<int>(a->c));
            case keznlsArg::Type::floating: return std::snprintf(buffer, size, f, a->f);
            case keznlsArg::Type::signed_integer:
              if (a->bytes > 4) return std::snprintf(buffer, size, f, static_cast<long>(a->i));
              return std::snprintf(buffer, size, f, static_cast<int>(a->i));
            default:
              if (a->bytes > 4) return std::snprintf(buffer, size, f, static_cast<unsigned long>(a->u));
              return std::snprintf(buffer, size, f, static_cast<unsigned>(a->u));
          }
        };
        const int n = print(stack, sizeof stack);
        if (n < 0) return false;
        if (static_cast<std::size_t>(n) < sizeof stack) {
          out.append(stack, static_cast<std::size_t>(n));
        } else {
          const std::size_t at = out.size();
          out.resize(at + static_cast<std::size_t>(n) + 1);
          print(&out[at], static_cast<std::size_t>(n) + 1);
          out.resize(at + static_cast<std::size_t>(n));
        }
        return true;
      });
}

bool for_varargs(std::string& out, const char* format, const keznlsArgs& args, bool engine) {
  if (!consistent(format, args)) return false;
  int next_arg = 0;
  Rewritten rewritten;
  const bool ok = walk(
      format,
      [&](const char* from, const char* to) {
        for (const char* p = from; p != to; ++p) {
          if (*p == '%') out += '%';  // a `%%`, kept
          out += *p;
        }
      },
      [&](const char*& p) {
        if (!rewrite_conversion(p, next_arg, args, false, engine, rewritten)) return false;
        out += rewritten.text;
        return true;
      });
  return ok && (!engine || keznls_engine::shows(out.c_str()));
}

std::string refused(const char* format) {
  std::string out;
  int next_arg = 0;
  walk(
      format, [&](const char* from, const char* to) { out.append(from, static_cast<std::size_t>(to - from)); },
      [&](const char*& p) {
        Conversion c;
        const char* start = p;
        if (nls_format::read_conversion(p, next_arg, c) != nls_format::FormatError::kNone && p == start) ++p;
        out += "<error>";
        return true;
      });
  return out;
}

}  // namespace keznls_typed
