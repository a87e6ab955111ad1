// What the driver learns from reading a format once, kept per thread so
// that the next call with the same format renders without reading it:
// literal pieces, each conversion's fields, the slots named. A message is
// printed again and again with the same format (a catalogue's translation,
// or the program's literal when there is none).
#ifndef KEZNLS_SRC_ENGINE_PLAN_H
#define KEZNLS_SRC_ENGINE_PLAN_H

#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>

#include "keznls/engine.h"
#include "format/digits.h"
#include "format/format_walk.h"
#include "format/text_reads.h"
#include "util/ut_thread_cache.h"

#pragma GCC visibility push(hidden)
namespace keznls_engine {

// Formats longer are read on every call: messages are mostly shorter, and
// a plan's size is bounded.
constexpr int kPlanText = 128;  // the format with its NUL

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

// How a slot is rendered from a plan. Most conversions in messages are a
// bare `%d` or `%s`, or an amount as `%.2f`: those are shown straight from
// the argument, without a record, their digits written in place; the rest
// go through a record.
enum class SlotKind : std::uint8_t {
  record,    // any other conversion: its fields loaded into a record, rendered there
  text,      // `%s`, which ignores width and precision
  decimal,   // `%d` without width, precision or `l`
  unsigned_decimal,  // `%u` likewise
  fixed,     // `%f` without width, its precision (6 where none) at most kFixedDigits
  unset,     // named at or past the count: never rendered, takes no argument
};

// The kind of a parsed conversion. A typed call reads each argument as its
// own type, so there the length modifiers change nothing; `%f` reads a
// double with or without `l`, the 0 flag fills nothing without a width, and
// a precision not given reads 0.
inline SlotKind kind_of(const keznlsPercent& r, bool typed) {
  if (r.conversion == 's') return SlotKind::text;
  if (r.conversion == 'f' && !r.has_width && r.precision <= kFixedDigits) return SlotKind::fixed;
  if (r.has_width || r.has_precision || (r.length != 0 && !typed)) return SlotKind::record;
  if (r.conversion == 'd') return SlotKind::decimal;
  if (r.conversion == 'u') return SlotKind::unsigned_decimal;
  return SlotKind::record;
}

// A plan's literal text up to a conversion, then that conversion's slot
// (-1: the end of the format).
struct PlanPiece {
  std::uint8_t length;
  std::int8_t slot;
  SlotKind kind;  // the slot's, kept here so that a piece is read once
  std::uint8_t digits;  // a fixed slot's fraction digits
};

struct Plan {
  // The caller's format when the plan was made. Where `fixed`, it lies in
  // the program's own read-only memory and can hold nothing else; else the
  // text decides, since the address may hold another format now.
  const char* key;
  // Else, where not 0, the stamp of lent texts (see ut_lent_stamp) at which
  // the key last held the kept text: it still does while the stamp is the same.
  std::uint64_t stamp;
  bool typed;            // read in a typed call's grammar
  bool fixed;
  bool contiguous;       // slots 0 to count-1 named, none past: what typed calls need
  bool in_order;         // the slots that take an argument come in slot order
  std::uint8_t count;    // slots rendered: the conversions, at most nine
  std::uint16_t named;   // bit s: slot s is named
  std::uint16_t literal; // characters of literal text, `%%` as one
  // Characters the texts of the `%s` slots may take in a call's stage;
  // the rest is for the literal text and the other slots.
  std::uint16_t text_room;
  SlotKind kind[kSlots];
  // One per conversion and one for the end: the literal text runs one
  // after the other in `literals`.
  PlanPiece piece[kSlots + 1];
  PlanSpec specs[kSlots];  // record slots only
  // The literal text with `%%` as `%`, and room for copy_ahead's reads
  // past its end.
  char literals[kPlanText + 32];
  KeptText<kPlanText> text;

  // Whether the plan is `format`'s, read in `in_grammar`; `lent` is the
  // format's stamp where the library lent it, else 0.
  bool holds(const char* format, bool in_grammar, std::uint64_t lent) {
    if (key != format || typed != in_grammar) return false;
    if (fixed || (lent != 0 && lent == stamp)) return true;
    if (!text.same(format)) return false;
    stamp = lent;
    return true;
  }
};

// A thread's plans: 32 sets of 2 of 544 bytes, the last made first in its
// set, and the records conversions are rendered into: about 35 KB.
struct Plans {
  static constexpr int kSets = 32;
  Plan sets[kSets][2];
  // Room for the records a call renders its other conversions in, each
  // copied out before the call returns or calls out of the engine. Raw
  // room, made into a record at each use: the plans stay trivial, so the
  // thread's copy comes zeroed from the system and only the pages used are
  // ever touched.
  alignas(keznlsPercent) unsigned char scratch[kSlots][sizeof(keznlsPercent)];
  keznlsPercent& record(int s) { return *new (scratch[s]) keznlsPercent; }

  // The set of `format` read in its grammar: a text read both ways (a
  // typed call's and another's) mostly has its plans in two sets.
  static Plan* set_of(Plans& mine, const char* format, bool typed) {
    const std::uint64_t h = (reinterpret_cast<std::uintptr_t>(format) ^ typed) * 0x9e3779b97f4a7c15u;
    return mine.sets[h >> 59];
  }

  // The plan for `format` read in its grammar, or null; `lent` as for
  // Plan::holds.
  static const Plan* find(Plans& mine, const char* format, bool typed, std::uint64_t lent = 0) {
    Plan* set = set_of(mine, format, typed);
    if (set[0].holds(format, typed, lent)) return &set[0];
    if (set[1].holds(format, typed, lent)) return &set[1];
    return nullptr;
  }

  // Room for a new plan of `format`, its set's older one dropped.
  static Plan& make(Plans& mine, const char* format, bool typed) {
    Plan* set = set_of(mine, format, typed);
    set[1] = set[0];
    return set[0];
  }
};
static_assert(std::is_trivial<Plans>::value, "a thread's plans need no construction");

}  // namespace keznls_engine
#pragma GCC visibility pop

#endif  // KEZNLS_SRC_ENGINE_PLAN_H
