// Arbitrary format bytes, formatted with arguments of exactly the types the
// format's conversions ask for; the result is compared with a plain model
// built from the record operations (parse, generate, write).
//
// Input: the format, then optionally a NUL and bytes that seed the values.
#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "keznls/engine.h"

namespace {

constexpr int kSlots = 9;

enum Kind { kInt, kUnsigned, kDouble, kString };

Kind kind_of(char conversion) {
  switch (conversion) {
    case 'd': return kInt;
    case 'u': case 'x': case 'X': return kUnsigned;
    case 's': return kString;
    default: return kDouble;
  }
}

// What a format asks for, read with the records' own parse and the slot rule.
struct Plan {
  bool format_ok = true;
  std::vector<Kind> kinds;  // one per argument taken, in slot order
};

// Calls `visit(slot, cursor)` for each conversion, with the cursor after
// the `%` and any `n$`; `visit` moves it past what it parses.
template <typename Visit>
void walk(const char* format, Visit visit) {
  int count = 0;
  for (const char* p = format; *p;) {
    if (*p != '%') { ++p; continue; }
    if (p[1] == '%') { p += 2; continue; }
    ++p;
    int slot = count;
    if (count < kSlots) ++count;
    if (p[0] >= '1' && p[0] <= '9' && p[1] == '$') {
      slot = p[0] - '1';
      p += 2;
    }
    visit(slot, p);  // advances p past what parse consumed
  }
}

Plan plan(const char* format) {
  Plan result;
  keznlsPercent table[kSlots];
  int uses[kSlots] = {};
  int specs = 0;
  walk(format, [&](int slot, const char*& p) {
    ++specs;
    keznlsPercent scratch;
    if (slot >= kSlots) {
      result.format_ok = false;
      scratch.parse(p);
      return;
    }
    if (uses[slot]++) result.format_ok = false;
    if (!table[slot].parse(p)) result.format_ok = false;
  });
  if (!result.format_ok) return result;
  // Arguments go to the named slots below the count, in slot order.
  const int rendered = specs < kSlots ? specs : kSlots;
  for (int s = 0; s < rendered; ++s)
    if (uses[s]) result.kinds.push_back(kind_of(table[s].conversion));
  return result;
}

// The expected text, straight from the record operations.
std::string model(const char* format, const char* decimal_point, va_list list) {
  keznlsPercent table[kSlots];
  int uses[kSlots] = {};
  int format_ok = 1;
  int specs = 0;
  walk(format, [&](int slot, const char*& p) {
    ++specs;
    keznlsPercent scratch;
    if (slot >= kSlots) { format_ok = 0; scratch.parse(p); return; }
    if (uses[slot]++) format_ok = 0;
    if (!table[slot].parse(p)) format_ok = 0;
  });
  keznlsVarArgs args(list);
  const int rendered = specs < kSlots ? specs : kSlots;
  for (int s = 0; s < rendered; ++s) table[s].generate(format_ok, decimal_point, args);
  std::string out;
  int count = 0;
  for (const char* p = format; *p;) {
    if (*p != '%') { out += *p++; continue; }
    if (p[1] == '%') { out += '%'; p += 2; continue; }
    ++p;
    int slot = count;
    if (count < kSlots) ++count;
    if (p[0] >= '1' && p[0] <= '9' && p[1] == '$') { slot = p[0] - '1'; p += 2; }
    keznlsPercent scratch;
    if (slot >= kSlots) {
      scratch.parse(p);
      out += "<error>";
      continue;
    }
    scratch.parse(p);
    char buffer[64];
    char* end = buffer;
    if (std::strlen(table[slot].text) < sizeof buffer) {
      table[slot].write(end);
      out.append(buffer, end);
    } else {
      out += table[slot].text;
    }
  }
  return out;
}

const keznlsSprintf* engine_for(int which) {
  static const keznlsSprintf dot(ut_lit("."));
  static const keznlsSprintf comma(ut_lit(","));
  static const keznlsSprintf empty(ut_lit(""));
  static const keznlsSprintf long_point(ut_lit("<decimal point>"));
  switch (which & 3) {
    case 0: return &dot;
    case 1: return &comma;
    case 2: return &empty;
    default: return &long_point;
  }
}

const char* decimal_point_for(int which) {
  static const char* const points[] = {".", ",", "", "<decimal point>"};
  return points[which & 3];
}

int g_engine = 0;

// Formats through the engine and the model with the same arguments.
void compare(const char* format, ...) {
  va_list list;
  va_start(list, format);
  const utString result = engine_for(g_engine)->gui_vsprintf(format, list);
  const std::string expected = model(format, decimal_point_for(g_engine), list);
  va_end(list);
  if (result.invalid() || expected != result.c_str() ||
      static_cast<int>(expected.size()) != mca_strlen(result.c_str()))
    std::abort();
}

// Values drawn from the seed bytes.
struct Values {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t at = 0;

  std::uint64_t next(int bytes) {
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v = v << 8 | (at < size ? data[at++] : 0);
    return v;
  }
  int i() { return static_cast<int>(static_cast<std::uint32_t>(next(4))); }
  unsigned u() { return static_cast<unsigned>(next(4)); }
  double d() {
    const std::uint64_t bits = next(8);
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
  }
  const char* s() {
    static const char* const strings[] = {nullptr, "", "abc", "%d%s", "a string of some length"};
    return strings[next(1) % 5];
  }
};

// Passes the planned arguments with their own types. Four or fewer are
// dispatched fully; longer lists only when all arguments share one type,
// which keeps the instantiations few.
template <typename... A>
void dispatch(const char* format, const std::vector<Kind>& kinds, std::size_t i, Values& v, A... a) {
  if (i == kinds.size()) {
    compare(format, a...);
    return;
  }
  if constexpr (sizeof...(A) < 4) {
    switch (kinds[i]) {
      case kInt: return dispatch(format, kinds, i + 1, v, a..., v.i());
      case kUnsigned: return dispatch(format, kinds, i + 1, v, a..., v.u());
      case kDouble: return dispatch(format, kinds, i + 1, v, a..., v.d());
      case kString: return dispatch(format, kinds, i + 1, v, a..., v.s());
    }
  }
}

template <typename T, typename... A>
void same_type(const char* format, std::size_t n, T (Values::*get)(), Values& v, A... a) {
  if constexpr (sizeof...(A) < kSlots) {
    if (sizeof...(A) < n) return same_type(format, n, get, v, a..., (v.*get)());
  }
  compare(format, a...);
}

bool all_same(const std::vector<Kind>& kinds) {
  for (Kind k : kinds)
    if (k != kinds[0]) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::uint8_t* nul = static_cast<const std::uint8_t*>(std::memchr(data, 0, size));
  const std::size_t format_size = nul ? static_cast<std::size_t>(nul - data) : size;
  const std::string format(reinterpret_cast<const char*>(data), format_size);
  Values values{nul ? nul + 1 : data + size, nul ? size - format_size - 1 : 0};
  g_engine = static_cast<int>(values.next(1));

  const Plan p = plan(format.c_str());
  if (p.kinds.size() <= 4) {
    dispatch(format.c_str(), p.kinds, 0, values);
  } else if (all_same(p.kinds)) {
    switch (p.kinds[0]) {
      case kInt: same_type(format.c_str(), p.kinds.size(), &Values::i, values); break;
      case kUnsigned: same_type(format.c_str(), p.kinds.size(), &Values::u, values); break;
      case kDouble: same_type(format.c_str(), p.kinds.size(), &Values::d, values); break;
      case kString: same_type(format.c_str(), p.kinds.size(), &Values::s, values); break;
    }
  }
  return 0;
}
