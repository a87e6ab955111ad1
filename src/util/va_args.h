// The variadic entry points: each collects its arguments and hands the
// list on.
#ifndef KEZNLS_SRC_COMMON_VA_ARGS_H
#define KEZNLS_SRC_COMMON_VA_ARGS_H

#include <cstdarg>

namespace keznls_detail {

/// Ends a list started in this frame, also when an exception passes.
struct VaEnd {
  va_list& args;
  ~VaEnd() { va_end(args); }
};

}  // namespace keznls_detail

/// In a variadic function whose last named parameter is `last`: starts
/// `args` and returns `call`, which reads it, ending the list after.
#define KEZNLS_WITH_ARGS(last, call) \
  va_list args;                      \
  va_start(args, last);              \
  const keznls_detail::VaEnd end_args_{args}; \
  return call

#endif  // KEZNLS_SRC_COMMON_VA_ARGS_H
