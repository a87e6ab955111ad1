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

namespace keznls_engine {

std::size_t render_long(keznlsPercent& r, keznlsVarArgs& args) {
  if (r.conversion != 'd')
    return render_integer(r, r.conversion, static_cast<std::uint64_t>(args.va_arg_unsigned_long()), false);
  const long v = args.va_arg_long();
  const bool negative = v < 0;
  const auto magnitude = static_cast<std::uint64_t>(v);
  return render_integer(r, 'd', negative ? 0 - magnitude : magnitude, negative);
}

}  // namespace keznls_engine

void keznlsPercent::write(char*& out) {
  const int n = static_cast<int>(std::strlen(text));
  std::memcpy(out, text, static_cast<std::size_t>(n));
  out += n;
}
