// Formatting a planned format piece by piece with the chosen formatter.
#ifndef KEZNLS_TOOLS_PRINTF_RENDER_H
#define KEZNLS_TOOLS_PRINTF_RENDER_H

#include <string>
#include <vector>

#include "arguments.h"
#include "format_plan.h"

class keznlsFormatter;

namespace keznls_printf {

/// Formats each piece with its one argument (`values[argument - 1]`) and
/// joins the results. A va_list cannot be built at run time, so each call
/// passes exactly one argument of the C type its conversion reads; with
/// `long_modifier_widens` an `l` conversion gets a long, as the runtime
/// library's printf reads it. Integers keep their 32-bit value either way.
std::string render(keznlsFormatter& formatter, const Plan& plan,
                   const std::vector<Value>& values, bool long_modifier_widens);

}  // namespace keznls_printf

#endif  // KEZNLS_TOOLS_PRINTF_RENDER_H
