// Splitting a (translated) format into one conversion per piece, with the
// argument each conversion takes.
#ifndef KEZNLS_TOOLS_PRINTF_FORMAT_PLAN_H
#define KEZNLS_TOOLS_PRINTF_FORMAT_PLAN_H

#include <string>
#include <vector>

namespace keznls_printf {

/// Literal text followed by at most one conversion. `format` is what the
/// formatter receives: the literal text (with `%%` kept) and the
/// conversion without its `n$` prefix.
struct Piece {
  std::string format;
  std::string written;  ///< the conversion as the format spells it, e.g. "%2$s"
  std::size_t conversion_at = 0;  ///< where in `format` the conversion starts
  int argument = 0;     ///< 1-based; 0 for the literal text after the last conversion
  char conversion = 0;  ///< d u x X e E f g G s
  bool long_modifier = false;
};

struct Plan {
  std::vector<Piece> pieces;
  int arguments = 0;  ///< highest argument number any conversion takes
};

/// Builds the plan for `format`. Returns an empty string on success, else
/// the reason, naming the conversion.
std::string plan_format(const std::string& format, Plan& plan);

/// Checks that `arguments` fit the plan of `format`: each argument taken by
/// exactly one conversion. Returns an empty string when they do, else the
/// reason, naming the conversion and the argument.
std::string check_arguments(const Plan& plan, const std::string& format,
                            const std::vector<const char*>& arguments);

/// `text` in double quotes, with line ends, tabs, quotes and backslashes
/// escaped so a message about it stays on one line.
std::string quoted(const std::string& text);

}  // namespace keznls_printf

#endif  // KEZNLS_TOOLS_PRINTF_FORMAT_PLAN_H
