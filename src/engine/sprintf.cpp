// The driver: a sizing pass that parses and renders every specification,
// one allocation of the exact length, and a writing pass that copies.
#include <climits>
#include <cstring>

#include "render.h"
#include "spec_parse.h"

namespace {

constexpr int kSlots = 9;

// Slot of the specification whose `%` was just passed, skipping a positional
// `n$`. Unnumbered specifications take the count of those seen so far, which
// can reach kSlots for a tenth one: callers must check before indexing.
inline int take_slot(const char*& p, int& count) {
  int slot = count;
  if (count < kSlots) ++count;
  if (p[0] >= '1' && p[0] <= '9' && p[1] == '$') {
    slot = p[0] - '1';
    p += 2;
  }
  return slot;
}

// Ends a list started in this frame, also when an exception passes.
struct VaEnd {
  va_list& args;
  ~VaEnd() { va_end(args); }
};

}  // namespace

keznlsSprintf::keznlsSprintf(const utString& decimal_point) : decimal_point(decimal_point) {}

keznlsSprintf::~keznlsSprintf() {}

utString keznlsSprintf::gui_sprintf(const char* format, ...) const {
  va_list args;
  va_start(args, format);
  VaEnd end{args};
  return gui_vsprintf(format, args);
}

utString keznlsSprintf::gui_vsprintf(const char* format, va_list args) const {
  using namespace keznls_engine;
  keznlsPercent table[kSlots];
  // Length each slot's text will have; slots never rendered keep "<unset>".
  std::size_t lengths[kSlots];
  int uses[kSlots] = {};
  for (std::size_t& n : lengths) n = kMarkerLength;
  int beyond_table = 0;  // specifications after the ninth: each "<error>"
  int format_ok = 1;
  int count = 0;
  std::size_t total = 0;

  const char* p = format;
  for (;;) {
    const char* literal_end = strchrnul(p, '%');
    total += static_cast<std::size_t>(literal_end - p);
    p = literal_end;
    if (*p == '\0') break;
    if (p[1] == '%') {
      ++total;
      p += 2;
      continue;
    }
    ++p;
    const int slot = take_slot(p, count);
    if (slot >= kSlots) {
      keznlsPercent ignored;
      parse_spec(ignored, p);
      ++beyond_table;
      format_ok = 0;
      continue;
    }
    // One argument per slot: a slot named twice cannot be sized or typed
    // consistently, so it fails the format like a bad specification.
    if (uses[slot]++ != 0) format_ok = 0;
    if (!parse_spec(table[slot], p)) format_ok = 0;
  }

  if (count > 0) {
    const char* dp = decimal_point.c_str();
    const int dp_len = static_cast<int>(std::strlen(dp));
    keznlsVarArgs cursor(args);
    for (int s = 0; s < count; ++s) lengths[s] = render(table[s], format_ok, dp, dp_len, cursor);
  }
  // Sized by what the writing pass copies, so the two agree for any format.
  for (int s = 0; s < kSlots; ++s) total += static_cast<std::size_t>(uses[s]) * lengths[s];
  total += static_cast<std::size_t>(beyond_table) * kMarkerLength;

  if (total == 0) return ut_lit("");
  if (total > static_cast<std::size_t>(INT_MAX)) return ut_lit(kError);
  utString result(ut_string_char, ' ', static_cast<int>(total));
  char* out = &result[0];

  p = format;
  count = 0;
  for (;;) {
    const char* literal_end = strchrnul(p, '%');
    std::memcpy(out, p, static_cast<std::size_t>(literal_end - p));
    out += literal_end - p;
    p = literal_end;
    if (*p == '\0') break;
    if (p[1] == '%') {
      *out++ = '%';
      p += 2;
      continue;
    }
    ++p;
    const int slot = take_slot(p, count);
    if (slot >= kSlots) {
      keznlsPercent ignored;
      parse_spec(ignored, p);
      std::memcpy(out, kError, kMarkerLength);
      out += kMarkerLength;
      continue;
    }
    keznlsPercent& spec = table[slot];
    parse_spec(spec, p);
    std::memcpy(out, spec.text, lengths[slot]);
    out += lengths[slot];
  }
  return result;
}
