#include "format_plan.h"

#include <algorithm>
#include <cstring>

#include <keznls/engine.h>

#include "format/format_walk.h"
#include "util/ut_quoted.h"

namespace keznls_printf {

namespace {

using nls_format::ArgType;

std::string describe_argument(int number, const std::vector<const char*>& arguments) {
  return "argument " + std::to_string(number) + " (" + ut_quoted(arguments[number - 1]) + ")";
}

// What the C library's printf reads for an engine conversion, so a typed
// format is passed to it as a compiler would pass a program's arguments.
ArgType c_type_of(char letter, bool long_modifier) {
  switch (letter) {
    case 'd': return long_modifier ? ArgType::kLong : ArgType::kInt;
    case 'u': case 'x': case 'X': return long_modifier ? ArgType::kUnsignedLong : ArgType::kUnsigned;
    case 's': return long_modifier ? ArgType::kWideString : ArgType::kString;
    default: return ArgType::kDouble;
  }
}

void note_arguments(Plan& plan, const Piece& piece) {
  plan.arguments = std::max({plan.arguments, piece.argument, piece.width_argument, piece.precision_argument});
}

// The pieces of a format, read with the engine's own walk, so the tool
// accepts what every formatter here can render and numbers arguments as
// the engine does. Stops at the first conversion it cannot take.
struct Planner {
  explicit Planner(Plan& result) : plan(result) {}
  Plan& plan;
  Piece piece;
  int conversions = 0;
  std::string error;

  void text(const char* from, const char* to) { piece.literal.append(from, to); }
  bool percent_sign(const char*) {
    piece.literal += '%';
    return true;
  }
  void end(const char*) {
    if (!piece.literal.empty()) plan.pieces.push_back(piece);
  }
  bool conversion(const keznls_engine::ConversionAt& c, const char*& p) {
    const char* const spec = p;
    keznlsPercent record;
    const bool parsed = record.parse(p);
    if (++conversions > keznls_engine::kSlots) {
      error = "conversion " + ut_quoted(std::string(c.percent, p)) + " is the tenth of the format, for argument " +
              std::to_string(conversions) + ": a format has at most nine conversions";
      return false;
    }
    if (!parsed) {
      const char* end = *p != '\0' ? p + 1 : p;
      error = ut_quoted(std::string(c.percent, end)) +
              " is not a conversion keznls-printf knows (an optional 0 flag, width, "
              ".precision, optional l, then one of d u x X e E f g G s)";
      return false;
    }
    piece.argument = c.slot + 1;
    piece.written.assign(c.percent, p);
    piece.conversion.assign("%").append(spec, p);
    piece.letter = record.conversion;
    piece.type = c_type_of(record.conversion, p[-2] == 'l');
    for (const Piece& earlier : plan.pieces) {
      if (earlier.argument == piece.argument) {
        error = "conversions " + ut_quoted(earlier.written) + " and " + ut_quoted(piece.written) +
                " both take argument " + std::to_string(piece.argument) +
                "; each argument goes to one conversion";
        return false;
      }
    }
    note_arguments(plan, piece);
    plan.pieces.push_back(piece);
    piece = Piece();
    return true;
  }
};

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Moves `p` past an argument number `n$`, if one is there.
void skip_number(const char*& p, const char* end) {
  const char* q = p;
  while (q < end && is_digit(*q)) ++q;
  if (q != p && q < end && *q == '$') p = q + 1;
}

// The conversion as the C library gets it alone: no `n$`, each `*m$` a
// bare `*` (its value is written in when rendering).
std::string unnumbered(std::string_view written) {
  const char* p = written.data() + 1;
  const char* const end = written.data() + written.size();
  std::string out = "%";
  skip_number(p, end);
  while (p < end) {
    out += *p;
    if (*p++ == '*') skip_number(p, end);
  }
  return out;
}

}  // namespace

std::string plan_format(const std::string& format, Plan& plan) {
  plan = Plan();
  Planner planner(plan);
  if (!keznls_engine::walk_format(format.c_str(), planner)) return planner.error;
  return std::string();
}

std::string plan_c_format(const std::string& format, Plan& plan) {
  plan = Plan();
  Piece piece;
  int next_argument = 0;
  for (const char* p = format.c_str();;) {
    const char* const at = nls_format::find_conversion(p);
    // Between conversions every `%` is the first of a `%%`.
    for (const char* end = at != nullptr ? at : p + std::strlen(p); p < end; ++p) {
      piece.literal += *p;
      if (*p == '%') ++p;
    }
    if (at == nullptr) break;
    nls_format::Conversion c;
    if (nls_format::read_conversion(p, next_argument, c) != nls_format::FormatError::kNone)
      return ut_quoted(std::string(at, p)) + " is not a conversion of C's printf";
    piece.written.assign(c.text);
    piece.conversion = unnumbered(c.text);
    // `%n$m` names an argument without reading it.
    piece.argument = c.type != ArgType::kNone ? c.value_arg + 1 : 0;
    piece.width_argument = c.width_arg + 1;
    piece.precision_argument = c.precision_arg + 1;
    piece.letter = c.letter;
    piece.type = c.type;
    note_arguments(plan, piece);
    plan.pieces.push_back(piece);
    piece = Piece();
  }
  if (!piece.literal.empty()) plan.pieces.push_back(piece);
  return std::string();
}

std::string check_arguments(const Plan& plan, const std::string& format,
                            const std::vector<const char*>& arguments) {
  const int given = static_cast<int>(arguments.size());
  for (const Piece& q : plan.pieces) {
    if (q.argument > given) {
      return "conversion " + ut_quoted(q.written) + " takes argument " + std::to_string(q.argument) +
             ", but " + std::to_string(given) + (given == 1 ? " was" : " were") + " given";
    }
  }
  for (int number = 1; number <= given; ++number) {
    bool used = false;
    for (const Piece& q : plan.pieces) used = used || q.argument == number;
    if (!used) {
      return describe_argument(number, arguments) + " is not taken by any conversion of " +
             ut_quoted(format);
    }
  }
  return std::string();
}

}  // namespace keznls_printf
