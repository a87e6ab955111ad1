// keznlsPercent: parsing, rendering entry point and copying out.
#include <cstring>

#include "format/parse_conversion.h"
#include "format/render.h"

int keznlsPercent::check(const char* p) { return keznls_engine::not_at_end(*this, p); }

int keznlsPercent::parse(const char*& cursor) { return keznls_engine::parse_conversion(*this, cursor); }

int keznlsPercent::generate(int format_ok, const char* decimal_point, keznlsVarArgs& args) {
  if (!format_ok || !valid) return static_cast<int>(keznls_engine::render_error(*this));
  keznls_engine::DecimalPoint dp(decimal_point);
  return static_cast<int>(keznls_engine::render(*this, args, dp));
}

void keznlsPercent::write(char*& out) {
  const int n = static_cast<int>(std::strlen(text));
  std::memcpy(out, text, static_cast<std::size_t>(n));
  out += n;
}
