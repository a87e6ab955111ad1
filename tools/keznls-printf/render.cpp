#include "render.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <utility>

#include <keznls/roles.h>

namespace keznls_printf {

namespace {

using nls_format::ArgType;

// Calls `call(value)` with `value` as the C type `type` names and returns
// true; false when the value is of another kind. Negative values read as
// unsigned show their 32-bit two's complement, as the engine shows them.
template <typename Call>
bool with_value(ArgType type, const Value& value, Call call) {
  const bool integer = value.kind == Value::kInteger;
  const int v = value.integer;
  switch (type) {
    case ArgType::kNone: call(0); return true;  // `%m` reads nothing: a spare int is harmless
    case ArgType::kInt: if (integer) call(v); return integer;
    case ArgType::kUnsigned: if (integer) call(static_cast<unsigned>(v)); return integer;
    case ArgType::kLong: if (integer) call(static_cast<long>(v)); return integer;
    case ArgType::kUnsignedLong:
      if (integer) call(static_cast<unsigned long>(static_cast<unsigned>(v)));
      return integer;
    case ArgType::kDouble:
      if (value.kind == Value::kDouble) call(value.real);
      return value.kind == Value::kDouble;
    case ArgType::kString:
      if (value.kind == Value::kText) call(value.text);
      return value.kind == Value::kText;
    default:
      return false;
  }
}

// The engine reads `%ls` as `%s`; an `l` integer is a long, as in C.
ArgType engine_type(ArgType type) { return type == ArgType::kWideString ? ArgType::kString : type; }

// `conversion` with each `*` replaced by its argument's value: a negative
// width is a `-` flag and a width, as the C library reads it, and a
// negative precision is none.
std::string with_bounds(const Piece& piece, const std::vector<Value>& values) {
  std::string out;
  for (const char c : piece.conversion) {
    if (c != '*') {
      out += c;
      continue;
    }
    const bool precision = !out.empty() && out.back() == '.';
    const int value = values[(precision ? piece.precision_argument : piece.width_argument) - 1].integer;
    if (precision && value < 0) {
      out.pop_back();
    } else {
      out += std::to_string(value);
    }
  }
  return out;
}

// Whether `argument` (0: none) was given, and is an integer when `integer`.
bool given(int argument, const std::vector<Value>& values, bool integer) {
  if (argument == 0) return true;
  return argument <= static_cast<int>(values.size()) && (!integer || values[argument - 1].kind == Value::kInteger);
}

Failure fail(const Piece& piece, std::string why) {
  const int argument = piece.argument != 0 ? piece.argument : piece.width_argument != 0 ? piece.width_argument
                                                                                  : piece.precision_argument;
  return {argument, piece.written, std::move(why)};
}

Failure render_c(keznlsFormatter& formatter, const Piece& piece, const std::vector<Value>& values,
                 std::string& out) {
  if (piece.type == ArgType::kWideString)
    return fail(piece, "the C library's printf reads a wide string for it, which a command line cannot pass; write %s");
  if (!given(piece.argument, values, false))
    return fail(piece, "it reads argument " + std::to_string(piece.argument) + ", which was not given");
  if (!given(piece.width_argument, values, true) || !given(piece.precision_argument, values, true))
    return fail(piece, "its `*` reads an argument that is no integer or was not given");
  const Value none;
  const Value& value = piece.argument != 0 ? values[piece.argument - 1] : none;
  if (piece.letter == 'c' && value.kind == Value::kInteger && static_cast<unsigned char>(value.integer) == 0)
    return fail(piece, "%c makes it a NUL byte, which would end the text");
  const std::string conversion = with_bounds(piece, values);
  const char* const f = conversion.c_str();
  int needed = 0;
  errno = 0;
  if (!with_value(piece.type, value, [&](auto v) { needed = std::snprintf(nullptr, 0, f, v); }))
    return fail(piece, std::string("it reads it as ") + nls_format::type_name(piece.type));
  // The whole text, as one call of the C library's printf makes it, must
  // keep its length in an int.
  if (needed >= 0 && out.size() + static_cast<std::size_t>(needed) > INT_MAX) {
    needed = -1;
    errno = EOVERFLOW;
  }
  if (needed < 0) return fail(piece, std::string("the C library refuses it: ") + std::strerror(errno));
  with_value(piece.type, value, [&](auto v) { out += formatter.format(f, v).c_str(); });
  return {};
}

Failure render_engine(keznlsFormatter& formatter, const Piece& piece, const std::vector<Value>& values,
                      std::string& out) {
  if (!given(piece.argument, values, false))
    return fail(piece, "it reads argument " + std::to_string(piece.argument) + ", which was not given");
  const Value& value = values[piece.argument - 1];
  std::string shown;
  if (!with_value(engine_type(piece.type), value,
                  [&](auto v) { shown = formatter.format(piece.conversion.c_str(), v).c_str(); }))
    return fail(piece, std::string("it reads it as ") + nls_format::type_name(piece.type));
  if (value.kind != Value::kText && shown == "<too large to show>")
    return fail(piece, "the number needs more than 31 characters");
  out += shown;
  return {};
}

}  // namespace

Failure render(keznlsFormatter& formatter, const Plan& plan, const std::vector<Value>& values,
               std::string& out) {
  out.clear();
  const bool c_library = formatter.grammar() == keznlsGrammar::c_printf;
  for (const Piece& piece : plan.pieces) {
    out += piece.literal;
    if (piece.conversion.empty()) continue;
    Failure failure = c_library ? render_c(formatter, piece, values, out) : render_engine(formatter, piece, values, out);
    if (failure.failed()) return failure;
  }
  return {};
}

}  // namespace keznls_printf
