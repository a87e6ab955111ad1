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

// The engine's walk over a format, header-only, shared with the library.
#include "format/format_walk.h"
#include "../support/fuzz_bytes.h"

namespace {

using keznls_engine::ConversionAt;
using keznls_engine::kSlots;

enum Kind { kInt, kUnsigned, kLong, kUnsignedLong, kDouble, kString };

// What a parsed conversion reads: an `l` integer is a long.
Kind kind_of(const keznlsPercent& r) {
  const bool wide = r.length == 'l';
  switch (r.conversion) {
    case 'd': return wide ? kLong : kInt;
    case 'u': case 'x': case 'X': return wide ? kUnsignedLong : kUnsigned;
    case 's': return kString;
    default: return kDouble;
  }
}

// A format's conversions parsed into the records of their slots with the
// records' own parse.
struct Slots {
  keznlsPercent table[kSlots];
  int uses[kSlots] = {};
  int rendered = 0;  // slots below the count of conversions (at most nine)
  bool format_ok = true;
};

Slots parse_slots(const char* format) {
  struct Parse {
    Slots& slots;
    keznlsPercent scratch;
    void text(const char*, const char*) {}
    bool percent_sign(const char*) { return true; }
    void end(const char*) {}
    bool conversion(const ConversionAt& c, const char*& p) {
      if (slots.rendered < kSlots) ++slots.rendered;
      if (c.slot >= kSlots) {
        slots.format_ok = false;
        scratch.parse(p);
        return true;
      }
      if (slots.uses[c.slot]++) slots.format_ok = false;
      if (!slots.table[c.slot].parse(p)) slots.format_ok = false;
      return true;
    }
  };
  Slots slots;
  Parse parse{slots, {}};
  keznls_engine::walk_format(format, parse);
  return slots;
}

// The argument types a format asks for, in slot order; none for a failed one.
std::vector<Kind> plan(const char* format) {
  const Slots slots = parse_slots(format);
  std::vector<Kind> kinds;
  if (!slots.format_ok) return kinds;
  for (int s = 0; s < slots.rendered; ++s)
    if (slots.uses[s]) kinds.push_back(kind_of(slots.table[s]));
  return kinds;
}

// The expected text, straight from the record operations.
std::string model(const char* format, const char* decimal_point, va_list list) {
  Slots slots = parse_slots(format);
  keznlsVarArgs args(list);
  for (int s = 0; s < slots.rendered; ++s) slots.table[s].generate(slots.format_ok, decimal_point, args);
  struct Write {
    Slots& slots;
    std::string out;
    keznlsPercent scratch;
    void text(const char* from, const char* to) { out.append(from, to); }
    bool percent_sign(const char*) {
      out += '%';
      return true;
    }
    void end(const char*) {}
    bool conversion(const ConversionAt& c, const char*& p) {
      scratch.parse(p);
      if (c.slot >= kSlots) {
        out += "<error>";
        return true;
      }
      keznlsPercent& r = slots.table[c.slot];
      char buffer[64];
      char* end = buffer;
      if (std::strlen(r.text) < sizeof buffer) {
        r.write(end);
        out.append(buffer, end);
      } else {
        out += r.text;
      }
      return true;
    }
  };
  Write write{slots, {}, {}};
  keznls_engine::walk_format(format, write);
  return write.out;
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
  // The second call renders from what the first kept of the format, the
  // third into a buffer.
  const keznlsSprintf* engine = engine_for(g_engine);
  const utString result = engine->gui_vsprintf(format, list);
  const utString again = engine->gui_vsprintf(format, list);
  char buffer[2048];
  const int length = engine->gui_vsprintf_into(buffer, sizeof buffer, format, list);
  const std::string expected = model(format, decimal_point_for(g_engine), list);
  va_end(list);
  if (result.invalid() || expected != result.c_str() ||
      static_cast<int>(expected.size()) != mca_strlen(result.c_str()) || again.invalid() ||
      expected != again.c_str())
    std::abort();
  if (expected.size() < sizeof buffer && (length != static_cast<int>(expected.size()) || expected != buffer))
    std::abort();
}

// Values drawn from the seed bytes.
struct Values : FuzzBytes {
  int i() { return static_cast<int>(static_cast<std::uint32_t>(take(4))); }
  unsigned u() { return static_cast<unsigned>(take(4)); }
  long l() { return static_cast<long>(take(8)); }
  unsigned long ul() { return static_cast<unsigned long>(take(8)); }
  double d() { return real(); }
  const char* s() {
    static const char* const strings[] = {nullptr, "", "abc", "%d%s", "a string of some length"};
    return strings[take(1) % 5];
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
      case kLong: return dispatch(format, kinds, i + 1, v, a..., v.l());
      case kUnsignedLong: return dispatch(format, kinds, i + 1, v, a..., v.ul());
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
  Values values{{nul ? nul + 1 : data + size, nul ? size - format_size - 1 : 0}};
  g_engine = static_cast<int>(values.take(1));

  const std::vector<Kind> kinds = plan(format.c_str());
  if (kinds.size() <= 4) {
    dispatch(format.c_str(), kinds, 0, values);
  } else if (all_same(kinds)) {
    switch (kinds[0]) {
      case kInt: same_type(format.c_str(), kinds.size(), &Values::i, values); break;
      case kUnsigned: same_type(format.c_str(), kinds.size(), &Values::u, values); break;
      case kLong: same_type(format.c_str(), kinds.size(), &Values::l, values); break;
      case kUnsignedLong: same_type(format.c_str(), kinds.size(), &Values::ul, values); break;
      case kDouble: same_type(format.c_str(), kinds.size(), &Values::d, values); break;
      case kString: same_type(format.c_str(), kinds.size(), &Values::s, values); break;
    }
  }
  return 0;
}
