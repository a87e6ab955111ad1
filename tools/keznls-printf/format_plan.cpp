#include "format_plan.h"

#include <keznls/engine.h>

// The engine's walk over a format, header-only, shared with the library.
#include "../../src/engine/format_walk.h"

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

// The pieces of a format, read with the engine's own walk, so the tool
// accepts what every formatter here can render and numbers arguments as
// the engine does. Stops at the first conversion it cannot take.
struct Planner {
  explicit Planner(Plan& result) : plan(result) {}
  Plan& plan;
  Piece piece;
  int conversions = 0;
  std::string error;

  void text(const char* from, const char* to) { piece.format.append(from, to); }
  bool percent_sign(const char*) {
    piece.format += "%%";
    return true;
  }
  void end(const char*) {
    if (!piece.format.empty()) plan.pieces.push_back(piece);
  }
  bool conversion(const keznls_engine::ConversionAt& c, const char*& p) {
    const char* const spec = p;
    keznlsPercent record;
    const bool parsed = record.parse(p);
    if (++conversions > keznls_engine::kSlots) {
      error = "conversion " + quoted(std::string(c.percent, p)) + " is the tenth of the format, for argument " +
              std::to_string(conversions) + ": a format has at most nine conversions";
      return false;
    }
    if (!parsed) {
      const char* end = *p != '\0' ? p + 1 : p;
      error = quoted(std::string(c.percent, end)) +
              " is not a conversion keznls-printf knows (an optional 0 flag, width, "
              ".precision, optional l, then one of d u x X e E f g G s)";
      return false;
    }
    piece.argument = c.slot + 1;
    piece.written.assign(c.percent, p);
    piece.conversion_at = piece.format.size();
    piece.format.append("%").append(spec, p);
    piece.conversion = record.conversion;
    piece.long_modifier = p[-2] == 'l';
    for (const Piece& earlier : plan.pieces) {
      if (earlier.argument == piece.argument) {
        error = "conversions " + quoted(earlier.written) + " and " + quoted(piece.written) +
                " both take argument " + std::to_string(piece.argument) +
                "; each argument goes to one conversion";
        return false;
      }
    }
    if (piece.argument > plan.arguments) plan.arguments = piece.argument;
    plan.pieces.push_back(piece);
    piece = Piece();
    return true;
  }
};

}  // namespace

std::string plan_format(const std::string& format, Plan& plan) {
  plan = Plan();
  Planner planner(plan);
  if (!keznls_engine::walk_format(format.c_str(), planner)) return planner.error;
  return std::string();
}

std::string check_arguments(const Plan& plan, const std::string& format,
                            const std::vector<const char*>& arguments) {
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
