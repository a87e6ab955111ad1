// A C printf format read once into a plan: its conversions in order and the
// type of every argument they read, so the arguments can be fetched first
// and the conversions rendered in any order (positional `%2$s` included).
#ifndef KEZNLS_SRC_LOCALE_PRINTF_PLAN_H
#define KEZNLS_SRC_LOCALE_PRINTF_PLAN_H

#include <cstdarg>
#include <cstddef>

// Internal to the library: direct calls, nothing exported.
#pragma GCC visibility push(hidden)
namespace keznls_printf_plan {

enum class Length { none, hh, h, l, ll, j, z, t, L };
enum class Kind { none, integer, long_integer, long_long, floating, pointer };

// Plain data, set whole as each conversion is read: a plan is made for
// every message, and most use a few of its places.
struct Conversion {
  const char* literal;  // the text before it
  std::size_t literal_length;
  int argument;         // the value's index; -1 for %%
  int width_argument, precision_argument;  // -1: none
  int width, precision;                    // -1: none
  bool minus, plus, space, hash, zero, group;
  Length length;
  char letter;
};
constexpr Conversion kFresh = {nullptr, 0, -1, -1, -1, -1, -1, false, false, false, false, false, false,
                               Length::none, 0};

union Value {
  long long integer;
  double floating;
  const void* pointer;
};

constexpr int kMaxConversions = 32;
// Beyond a double's exact digits; the C library writes longer ones.
constexpr int kMaxPrecision = 60;

// What one format asks: its conversions and the type of each argument.
struct Plan {
  Conversion conversions[kMaxConversions];  // the first `count` are set
  int count = 0;
  const char* tail = nullptr;  // the text after the last conversion
  std::size_t tail_length = 0;
  Kind kinds[kMaxConversions * 3];  // the first `arguments` are set
  int arguments = 0;
};

// Reads `format`; false when it needs what only the C library renders
// (`%a`, `long double`, wide texts, `%n`, `*m$`, grouping beside zeros or a
// minimum of digits, more than kMaxConversions conversions) or is
// malformed, which the C library then judges.
bool read_plan(const char* format, Plan* plan);

// The arguments `plan` reads, in their order, through a copy of `args`.
void fetch(const Plan& plan, va_list args, Value* values);

}  // namespace keznls_printf_plan
#pragma GCC visibility pop

#endif  // KEZNLS_SRC_LOCALE_PRINTF_PLAN_H
