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
  int argument = 0;  ///< 1-based; 0: nothing failed
  std::string why;
};

/// Formats each piece with its one argument (`values[argument - 1]`) and
/// joins the results into `out`. A va_list cannot be built at run time, so
/// each call passes exactly one argument of the C type its conversion
/// reads. `c_library` says the formatter is the C library's printf: an `l`
/// conversion gets a long, as it reads one, and a conversion it refuses
/// (a width beyond its range, say) fails. The engine fails a number it
/// shows as "<too large to show>". Integers keep their 32-bit value.
Failure render(keznlsFormatter& formatter, const Plan& plan, const std::vector<Value>& values,
               bool c_library, std::string& out);

}  // namespace keznls_printf

#endif  // KEZNLS_TOOLS_PRINTF_RENDER_H
