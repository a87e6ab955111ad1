// kezabsOutput's own members: the plural and context calls, and their
// defaults for outputs that translate nothing.
#include "keznls/output.h"

#include "util/va_args.h"

void kezabsOutput::ntprintf(const char* name, const char* singular, const char* plural, unsigned long n, ...) {
  KEZNLS_WITH_ARGS(n, vntprintf(name, singular, plural, n, args));
}

void kezabsOutput::ptprintf(const char* name, const char* context, const char* format, ...) {
  KEZNLS_WITH_ARGS(format, vptprintf(name, context, format, args));
}

void kezabsOutput::nptprintf(const char* name, const char* context, const char* singular, const char* plural,
                             unsigned long n, ...) {
  KEZNLS_WITH_ARGS(n, vnptprintf(name, context, singular, plural, n, args));
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
