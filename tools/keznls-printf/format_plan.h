// Splitting a (translated) format into one conversion per piece, with the
// argument each conversion takes.
#ifndef KEZNLS_TOOLS_PRINTF_FORMAT_PLAN_H
#define KEZNLS_TOOLS_PRINTF_FORMAT_PLAN_H

#include <string>
#include <vector>

#include "format/format_check.h"

namespace keznls_printf {

/// Literal text followed by at most one conversion. A formatter gets the
/// conversion alone: one argument per call is all a command line can pass.
struct Piece {
  std::string literal;     ///< shown as it is: `%%` already made `%`
  /// What the formatter receives: the conversion without its `n$`, and a
  /// bare `*` for a width or precision an argument gives. Empty: none.
  std::string conversion;
  std::string written;     ///< the conversion as the format spells it, e.g. "%2$s"
  int argument = 0;        ///< 1-based argument shown; 0: none (`%m`, or the text after the last conversion)
  int width_argument = 0;      ///< 1-based argument of a `*` width; 0: none
  int precision_argument = 0;  ///< 1-based argument of a `*` precision; 0: none
  char letter = 0;
  /// The C type `argument` is read as: what the C library's printf is
  /// passed. The engine reads 32-bit integers whatever the length.
  nls_format::ArgType type = nls_format::ArgType::kNone;
};

struct Plan {
  std::vector<Piece> pieces;
  int arguments = 0;  ///< highest argument number any conversion takes
};

/// Builds the plan of `format` in the engine's grammar, numbering the
/// arguments as the engine does: the grammar of every format typed on the
/// command line and of translations for the engine. Returns an empty
/// string on success, else the reason, naming the conversion.
std::string plan_format(const std::string& format, Plan& plan);

/// Builds the plan of `format` in C's printf grammar (a translation for
/// the C library's printf, already checked to parse): each conversion read
/// as the catalogue layer reads it. Returns an empty string on success,
/// else the reason.
std::string plan_c_format(const std::string& format, Plan& plan);

/// Checks that `arguments` fit the plan of `format`: each argument taken by
/// exactly one conversion. Returns an empty string when they do, else the
/// reason, naming the conversion and the argument.
std::string check_arguments(const Plan& plan, const std::string& format,
                            const std::vector<const char*>& arguments);

}  // namespace keznls_printf

#endif  // KEZNLS_TOOLS_PRINTF_FORMAT_PLAN_H
