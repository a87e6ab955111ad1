// What the driver learns from reading a format once, kept per thread so
// that the next call with the same format renders without reading it:
// literal pieces, each conversion's fields, the slots named. A message is
// printed again and again with the same format (a catalogue's translation,
// or the program's literal when there is none).
#ifndef KEZNLS_SRC_ENGINE_PLAN_H
#define KEZNLS_SRC_ENGINE_PLAN_H

#include <cstdint>
#include <cstring>

#include "keznls/engine.h"
#include "format/format_walk.h"
#include "util/ut_thread_cache.h"

#pragma GCC visibility push(hidden)
namespace keznls_engine {

// Formats longer, or with more pieces, are read on every call: messages
// are mostly shorter, and a plan's size is bounded.
constexpr int kPlanText = 128;   // the format with its NUL
constexpr int kPlanPieces = 10;  // literal runs, each with what follows it

// One conversion's fields, as parsing left them.
struct PlanSpec {
  int width;
  int precision;
  char conversion;
  char length;
  bool zero_pad;
  bool has_width;
  bool has_precision;

  void store(const keznlsPercent& r) {
    width = r.width;
    precision = r.precision;
    conversion = r.conversion;
    length = r.length;
    zero_pad = r.zero_pad != 0;
    has_width = r.has_width != 0;
    has_precision = r.has_precision != 0;
  }
  void load(keznlsPercent& r) const {
    r.width = width;
    r.precision = precision;
    r.conversion = conversion;
    r.length = length;
    r.zero_pad = zero_pad;
    r.has_width = has_width;
    r.has_precision = has_precision;
  }
};

// Literal text [from, from + length) of the format, then slot `slot`'s
// rendering, or nothing (-1: the end, or a `%%` whose `%` the run holds).
struct PlanPiece {
  std::uint8_t from;
  std::uint8_t length;
  std::int8_t slot;
};

struct Plan {
  // The caller's format when the plan was made: only compared, never
  // followed; the text decides, since the address may hold another format now.
  const char* key;
  bool typed;            // read in a typed call's grammar
  std::uint8_t pieces;
  std::uint8_t count;    // slots rendered: the conversions, at most nine
  std::uint16_t named;   // bit s: slot s is named
  std::uint16_t literal; // characters of literal text, `%%` as one
  PlanSpec specs[kSlots];
  PlanPiece piece[kPlanPieces];
  char text[kPlanText];
};

// A thread's plans: 32 sets of 2 of 320 bytes, the last made first in its
// set, and the records conversions are rendered into: about 21 KB.
struct Plans {
  static constexpr int kSets = 32;
  Plan sets[kSets][2];
  keznlsPercent scratch[kSlots];
  bool busy;  // a call renders from a plan and may be re-entered before it writes

  static Plan* set_of(Plans& mine, const char* format) {
    const std::uint64_t h = reinterpret_cast<std::uintptr_t>(format) * 0x9e3779b97f4a7c15u;
    return mine.sets[h >> 59];
  }

  // The plan for `format` read in its grammar, or null.
  static const Plan* find(Plans& mine, const char* format, bool typed) {
    const Plan* set = set_of(mine, format);
    for (int i = 0; i < 2; ++i)
      if (set[i].key == format && set[i].typed == typed && std::strcmp(format, set[i].text) == 0) return &set[i];
    return nullptr;
  }

  // Room for a new plan of `format`, its set's older one dropped.
  static Plan& make(Plans& mine, const char* format) {
    Plan* set = set_of(mine, format);
    set[1] = set[0];
    return set[0];
  }
};

}  // namespace keznls_engine
#pragma GCC visibility pop

#endif  // KEZNLS_SRC_ENGINE_PLAN_H
