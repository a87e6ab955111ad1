// kezabsOutput's own members: the plural and context calls, and their
// defaults for outputs that translate nothing.
#include "keznls/output.h"

#include <string>

#include "format/typed_printf.h"
#include "util/va_args.h"
#include "output/pipeline.h"

// The library's helper, exactly: it answers the plural and context calls
// as its vmessage does, here in the call's own frame.
struct keznlsHelperRoles {
  __attribute__((always_inline)) static bool print(kezabsOutput& out, const keznlsMessage& m, va_list args) {
    if (!keznls_pipeline::exactly<keznlsHelper>(out)) return false;
    const keznlsHelper& own = static_cast<const keznlsHelper&>(out);
    keznls_pipeline::print(*own.translator_, *own.formatter_, *own.displayer_, m, args);
    return true;
  }
};

void kezabsOutput::ntprintf(const char* name, const char* singular, const char* plural, unsigned long n, ...) {
  va_list args;
  va_start(args, n);
  const keznls_detail::VaEnd end_args{args};
  if (!keznlsHelperRoles::print(*this, {name, nullptr, singular, plural, n}, args))
    vntprintf(name, singular, plural, n, args);
}

void kezabsOutput::ptprintf(const char* name, const char* context, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const keznls_detail::VaEnd end_args{args};
  if (!keznlsHelperRoles::print(*this, {name, context, format, nullptr, 0}, args))
    vptprintf(name, context, format, args);
}

void kezabsOutput::nptprintf(const char* name, const char* context, const char* singular, const char* plural,
                             unsigned long n, ...) {
  va_list args;
  va_start(args, n);
  const keznls_detail::VaEnd end_args{args};
  if (!keznlsHelperRoles::print(*this, {name, context, singular, plural, n}, args))
    vnptprintf(name, context, singular, plural, n, args);
}

void kezabsOutput::vntprintf(const char* name, const char* singular, const char* plural, unsigned long n,
                             va_list args) {
  vmessage({name, nullptr, singular, plural, n}, args);
}

void kezabsOutput::vptprintf(const char* name, const char* context, const char* format, va_list args) {
  vmessage({name, context, format, nullptr, 0}, args);
}

void kezabsOutput::vnptprintf(const char* name, const char* context, const char* singular, const char* plural,
                              unsigned long n, va_list args) {
  vmessage({name, context, singular, plural, n}, args);
}

void kezabsOutput::vmessage(const keznlsMessage& m, va_list args) {
  vtprintf("DO_NOT_TRANSLATE", m.plural != nullptr && m.n != 1 ? m.plural : m.text, args);
}

namespace {

// A typed message as the varargs interface takes it: `call` gets the text
// rewritten for the C types `args.as_varargs` passes and the list, or the
// format "%s" with the text that shows the refusal.
template <typename Call>
void as_varargs(const keznlsMessage& m, const keznlsArgs& args, Call call) {
  const char* text = m.plural != nullptr && m.n != 1 ? m.plural : m.text;
  std::string rewritten;
  auto forward = [](void* context, const char* format, va_list list) -> int {
    (*static_cast<Call*>(context))(format, list);
    return 0;
  };
  if (keznls_typed::for_varargs(rewritten, text, args, false)) {
    const keznls_typed::TerminatedArgs passed(args);
    args.as_varargs(passed.get(), forward, &call, rewritten.c_str());
    return;
  }
  const std::string shown = keznls_typed::refused(text);
  keznls_args::call_with_list(forward, &call, "%s", shown.c_str());
}

}  // namespace

namespace keznls_args {

int call_with_list(keznlsVaCall call, void* context, const char* format, ...) {
  KEZNLS_WITH_ARGS(format, call(context, format, args));
}

}  // namespace keznls_args

void kezabsOutput::vtprint(const keznlsMessage& m, const keznlsArgs& args) {
  as_varargs(m, args, [this](const char* format, va_list list) { vtprintf("DO_NOT_TRANSLATE", format, list); });
}

std::string kezabsOutput::vtsprint(const keznlsMessage& m, const keznlsArgs& args) const {
  std::string text;
  as_varargs(m, args, [this, &text](const char* format, va_list list) {
    const utString s = vtsprintf("DO_NOT_TRANSLATE", format, list);
    if (!s.invalid()) text = std::string_view(s);
  });
  return text;
}
