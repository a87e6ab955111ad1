// Typed arguments through C's printf grammar: checked against the kinds
// passed, then formatted one conversion at a time by the C library, or
// rewritten for the C types a typed call passes as a variadic call.
#ifndef KEZNLS_SRC_FORMAT_TYPED_PRINTF_H
#define KEZNLS_SRC_FORMAT_TYPED_PRINTF_H

#include <string>
#include <vector>

#include "keznls/args.h"

namespace keznls_typed {

/// `format` (C's printf grammar) with `args` into `out`, each conversion
/// formatted alone by snprintf with the length modifier of its argument's
/// type; false where the format does not suit `args`.
bool c_printf(std::string& out, const char* format, const keznlsArgs& args);

/// `format` rewritten into `out` for the C types `args.as_varargs` passes
/// (texts NUL-terminated); false where it does not suit `args`, or holds
/// a `*` (the call passes no `int` for it). `engine`: for the engine's
/// grammar, which must then show the result.
bool for_varargs(std::string& out, const char* format, const keznlsArgs& args, bool engine);

/// `args` where every text is NUL-terminated, as a C variadic call reads
/// texts: views are copied.
class TerminatedArgs {
 public:
  explicit TerminatedArgs(const keznlsArgs& args);
  const keznlsArg* get() const { return args_; }

 private:
  std::vector<keznlsArg> copy_;
  std::vector<std::string> texts_;
  const keznlsArg* args_;
};

/// What a typed call shows when even its original does not suit its
/// arguments: the format with each conversion shown as "<error>".
std::string refused(const char* format);

/// The length modifier C reads an integer of `bytes` bytes with, as
/// `c_value` passes it.
const char* length_for(int bytes, bool engine);

}  // namespace keznls_typed

#endif  // KEZNLS_SRC_FORMAT_TYPED_PRINTF_H
