// Formatting a planned format piece by piece with the chosen formatter.
#ifndef KEZNLS_TOOLS_PRINTF_RENDER_H
#define KEZNLS_TOOLS_PRINTF_RENDER_H

#include <string>
#include <vector>

#include "arguments.h"
#include "format_plan.h"

class keznlsFormatter;

namespace keznls_printf {

/// Where a formatter could not show a conversion.
struct Failure {
  int argument = 0;     ///< 1-based: the argument it reads
  std::string written;  ///< the conversion that failed, as its format spells it
  std::string why;      ///< empty: nothing failed
  bool failed() const { return !why.empty(); }
};

/// Formats each piece's conversion with its one argument
/// (`values[argument - 1]`) and joins the results, literal text between,
/// into `out`. A va_list cannot be built at run time, so each call passes
/// exactly one argument of the C type the conversion reads, as the
/// formatter's grammar reads it: for the C library's printf the piece's
/// type, with each `*` written in as its argument's value; for the engine
/// the same, a long for an `l`. Fails a conversion the C library
/// refuses (a width beyond its range, say), a `%c` that would make a NUL
/// byte (it would end the text), a wide string (a command line has none)
/// and a number the engine shows as "<too large to show>".
Failure render(keznlsFormatter& formatter, const Plan& plan, const std::vector<Value>& values,
               std::string& out);

}  // namespace keznls_printf

#endif  // KEZNLS_TOOLS_PRINTF_RENDER_H
