#include "keznls/output.h"

#include "../common/va_args.h"
#include "pipeline.h"

void keznlsHelper::tprintf(const char* name, const char* format, ...) { KEZNLS_WITH_ARGS(format, vtprintf(name, format, args)); }

void keznlsHelper::vtprintf(const char* name, const char* format, va_list args) {
  keznls_pipeline::print(*translator_, *formatter_, *displayer_, {name, nullptr, format, nullptr, 0}, args);
}

utString keznlsHelper::vtsprintf(const char* name, const char* format, va_list args) const {
  return keznls_pipeline::to_string(*translator_, *formatter_, {name, nullptr, format, nullptr, 0}, args);
}

void keznlsHelper::vntprintf(const char* name, const char* singular, const char* plural, unsigned long n,
                             va_list args) {
  keznls_pipeline::print(*translator_, *formatter_, *displayer_, {name, nullptr, singular, plural, n}, args);
}

void keznlsHelper::vptprintf(const char* name, const char* context, const char* format, va_list args) {
  keznls_pipeline::print(*translator_, *formatter_, *displayer_, {name, context, format, nullptr, 0}, args);
}

void keznlsHelper::vnptprintf(const char* name, const char* context, const char* singular, const char* plural,
                              unsigned long n, va_list args) {
  keznls_pipeline::print(*translator_, *formatter_, *displayer_, {name, context, singular, plural, n}, args);
}
