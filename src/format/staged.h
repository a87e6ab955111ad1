// Rendering a message from its plan. Everything goes first into a stage on
// the caller's stack, where copies may write past their end and a text too
// long is found before anything reaches the caller's memory; the result is
// then copied out once. Nothing refers to the plan once the stage is
// written, so a sink or an allocator called afterwards may format again,
// replacing any plan.
#ifndef KEZNLS_SRC_FORMAT_STAGED_H
#define KEZNLS_SRC_FORMAT_STAGED_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "keznls/engine.h"
#include "format/copy.h"
#include "format/digits.h"
#include "format/grammar.h"
#include "format/plan.h"
#include "format/render.h"

#pragma GCC visibility push(hidden)
namespace keznls_engine {

constexpr std::size_t kNoRoom = kRefused - 1;  // a text longer than the stage has room for

// The stage: a plan's literal text, its slots other than `%s` (at most
// kShown characters each), a NUL and what copy_ahead writes past the end
// leave the rest to the texts of its `%s` slots.
struct Stage {
  static constexpr std::size_t kSize = 512;
  static constexpr std::size_t kAhead = 32;
  char text[kSize];

  // Characters of the stage `plan`'s `%s` texts may take.
  static std::size_t text_room(const Plan& plan) {
    std::size_t fixed = plan.literal + 1 + kAhead;
    for (int s = 0; s < kSlots; ++s)
      if ((plan.named & (1u << s)) != 0 && plan.kind[s] != SlotKind::text) fixed += kShown;
    return kSize - fixed;
  }

  // The first n characters into `out`, in blocks where n allows.
  void copy_to(char* out, std::size_t n) const {
    if (n < 16) {
      copy(out, text, n);
    } else if (n <= 32) {
      std::memcpy(out, text, 16);
      std::memcpy(out + n - 16, text + n - 16, 16);
    } else if (n <= 48) {
      std::memcpy(out, text, 16);
      std::memcpy(out + 16, text + 16, 16);
      std::memcpy(out + n - 16, text + n - 16, 16);
    } else {
      copy_blocks(out, text, n);
    }
  }
};

// What a slot shows.
struct Shown {
  const char* text;
  std::size_t length;
};

// Slot s's fields loaded into its record and rendered there by
// `render(record, decimal point)`, which returns the length.
template <typename Render>
__attribute__((always_inline)) inline Shown rendered(Plans& mine, const Plan& plan, int s, const char* decimal_point,
                                                     Render render) {
  DecimalPoint dp(decimal_point);
  keznlsPercent& r = mine.record(s);
  plan.specs[s].load(r);
  const std::size_t length = render(r, dp);  // sets r.text
  return Shown{r.text, length};
}

// A slot that is no bare `%d`, `%u`, `%s` or direct `%f`, from a varargs
// call: its record's rendering, or "<unset>". Out of line: rarer, and the
// renderers are large.
__attribute__((noinline)) inline Shown show_record(Plans& mine, const Plan& plan, int s, keznlsVarArgs& cursor,
                                                   const char* decimal_point) {
  if (plan.kind[s] == SlotKind::unset) return Shown{kUnset, kMarkerLength};
  return rendered(mine, plan, s, decimal_point,
                  [&](keznlsPercent& r, DecimalPoint& dp) { return render(r, cursor, dp); });
}

// A direct `%f` slot's double where put_fixed leaves it to the renderer.
__attribute__((noinline)) inline Shown show_double(Plans& mine, const Plan& plan, int s, double v,
                                                   const char* decimal_point) {
  return rendered(mine, plan, s, decimal_point,
                  [&](keznlsPercent& r, DecimalPoint& dp) { return render_double(r, v, dp); });
}

// A direct `%f` slot's rendering of v with `digits` fraction digits at
// `out`; returns the end.
inline char* put_fixed_slot(Plans& mine, const Plan& plan, int s, int digits, double v, const char* decimal_point,
                            char* out) {
  if (char* end = put_fixed(out, v, digits, decimal_point)) return end;
  const Shown shown = show_double(mine, plan, s, v, decimal_point);
  return copy(out, shown.text, shown.length);
}

// The same for a typed call's argument; a length of kRefused where the
// conversion reads another kind.
__attribute__((noinline)) inline Shown show_typed_record(Plans& mine, const Plan& plan, int s, const keznlsArg& a,
                                                         const char* decimal_point) {
  return rendered(mine, plan, s, decimal_point,
                  [&](keznlsPercent& r, DecimalPoint& dp) { return render_typed(r, a, dp); });
}

// A typed integer shown in decimal, as render_typed shows it: a signed one
// by `u` as its two's complement at its own width, an unsigned one by `d`
// as its value. False where it is no integer.
inline bool typed_magnitude(const keznlsArg& a, bool signed_conversion, std::uint64_t& magnitude, bool& negative) {
  negative = false;
  if (a.type == keznlsArg::Type::unsigned_integer) {
    magnitude = a.u;
    return true;
  }
  if (a.type != keznlsArg::Type::signed_integer) return false;
  const auto bits = static_cast<std::uint64_t>(a.i);
  if (signed_conversion) {
    negative = a.i < 0;
    magnitude = negative ? 0 - bits : bits;
  } else {
    const std::uint64_t mask = a.bytes >= 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * a.bytes)) - 1;
    magnitude = bits & mask;
  }
  return true;
}

// Where the slots find their values, asked in the order they come in the
// format. A varargs call whose slots come in slot order reads its
// arguments as they come.
struct InOrderSource {
  Plans& mine;
  const Plan& plan;
  const char* decimal_point;
  keznlsVarArgs cursor;
  using Magnitude = unsigned;

  bool text(int, Shown& shown) {
    const char* text = cursor.va_arg_str();
    if (text == nullptr) text = kNull;
    shown = Shown{text, short_length(text)};
    return true;
  }
  bool number(int, SlotKind kind, unsigned& magnitude, bool& negative) {
    if (kind == SlotKind::decimal) {
      const int v = cursor.va_arg_int();
      negative = v < 0;
      magnitude = negative ? 0u - static_cast<unsigned>(v) : static_cast<unsigned>(v);
    } else {
      magnitude = cursor.va_arg_unsigned();
      negative = false;
    }
    return true;
  }
  bool fixed(int s, int digits, char*& out) {
    out = put_fixed_slot(mine, plan, s, digits, cursor.va_arg_double(), decimal_point, out);
    return true;
  }
  bool record(int s, Shown& shown) {
    shown = show_record(mine, plan, s, cursor, decimal_point);
    return true;
  }
};

// A varargs call whose slots come in another order: its arguments all read
// first, in slot order.
struct ReadSource {
  Plans* mine;
  const Plan* plan;
  const char* decimal_point;
  Shown shown[kSlots];
  unsigned numbers[kSlots];
  double reals[kSlots];
  using Magnitude = unsigned;

  void read(Plans& plans, const Plan& read_plan, va_list args, const char* point) {
    mine = &plans;
    plan = &read_plan;
    decimal_point = point;
    keznlsVarArgs cursor(args);
    for (unsigned named = read_plan.named; named != 0; named &= named - 1) {
      const int s = __builtin_ctz(named);
      const SlotKind kind = read_plan.kind[s];
      if (kind == SlotKind::text) {
        const char* text = cursor.va_arg_str();
        if (text == nullptr) text = kNull;
        shown[s] = Shown{text, short_length(text)};
      } else if (kind == SlotKind::decimal) {
        numbers[s] = static_cast<unsigned>(cursor.va_arg_int());
      } else if (kind == SlotKind::unsigned_decimal) {
        numbers[s] = cursor.va_arg_unsigned();
      } else if (kind == SlotKind::fixed) {
        reals[s] = cursor.va_arg_double();
      } else {
        shown[s] = show_record(plans, read_plan, s, cursor, point);
      }
    }
  }

  bool text(int s, Shown& out) {
    out = shown[s];
    return true;
  }
  bool number(int s, SlotKind kind, unsigned& magnitude, bool& negative) {
    const unsigned bits = numbers[s];
    negative = kind == SlotKind::decimal && static_cast<int>(bits) < 0;
    magnitude = negative ? 0u - bits : bits;
    return true;
  }
  bool fixed(int s, int digits, char*& out) {
    out = put_fixed_slot(*mine, *plan, s, digits, reals[s], decimal_point, out);
    return true;
  }
  bool record(int s, Shown& out) {
    out = shown[s];
    return true;
  }
};

// A typed call's arguments, each its slot's.
struct TypedSource {
  Plans& mine;
  const Plan& plan;
  const char* decimal_point;
  const keznlsArg* args;
  using Magnitude = std::uint64_t;

  bool text(int s, Shown& shown) {
    const keznlsArg& a = args[s];
    if (a.type != keznlsArg::Type::text) return false;
    // An empty view may point nowhere: its copy of no characters reads nothing.
    shown = Shown{a.s.data, a.s.size};
    return true;
  }
  bool number(int s, SlotKind kind, std::uint64_t& magnitude, bool& negative) {
    return typed_magnitude(args[s], kind == SlotKind::decimal, magnitude, negative);
  }
  bool fixed(int s, int digits, char*& out) {
    const keznlsArg& a = args[s];
    if (a.type != keznlsArg::Type::floating) return false;
    out = put_fixed_slot(mine, plan, s, digits, a.f, decimal_point, out);
    return true;
  }
  bool record(int s, Shown& shown) {
    shown = show_typed_record(mine, plan, s, args[s], decimal_point);
    return shown.length != kRefused;
  }
};

// The plan's pieces with what `source` gives each slot, into `text` (a
// stage's, or any room of Stage::kSize) with a NUL after: the length,
// kRefused where the source refuses an argument, or kNoRoom.
template <typename Source>
__attribute__((always_inline)) inline std::size_t stage(const Plan& plan, Source& source, char* text) {
  char* out = text;
  const char* literal = plan.literals;
  std::size_t room = plan.text_room;
  for (const PlanPiece* piece = plan.piece;; ++piece) {
    out = copy_ahead(out, literal, piece->length);
    literal += piece->length;
    const int s = piece->slot;
    if (s < 0) break;
    const SlotKind kind = piece->kind;
    Shown shown;
    if (kind == SlotKind::text) {
      if (!source.text(s, shown)) return kRefused;
      if (shown.length > room) return kNoRoom;
      room -= shown.length;
    } else if (kind == SlotKind::decimal || kind == SlotKind::unsigned_decimal) {
      typename Source::Magnitude magnitude;
      bool negative;
      if (!source.number(s, kind, magnitude, negative)) return kRefused;
      if (negative) *out++ = '-';
      out = put_number(out, magnitude);
      continue;
    } else if (kind == SlotKind::fixed) {
      if (!source.fixed(s, piece->digits, out)) return kRefused;
      continue;
    } else if (!source.record(s, shown)) {
      return kRefused;
    }
    out = copy(out, shown.text, shown.length);
  }
  *out = '\0';
  return static_cast<std::size_t>(out - text);
}

// A varargs call whose slots come in another order. Out of line: most
// messages' come in slot order, and this one's frame is larger.
__attribute__((noinline)) inline std::size_t stage_read(Plans& mine, const Plan& plan, va_list args,
                                                        const char* decimal_point, char* out) {
  ReadSource source;
  source.read(mine, plan, args, decimal_point);
  return stage(plan, source, out);
}

// A varargs call into the stage: its length, or kNoRoom.
__attribute__((always_inline)) inline std::size_t stage_varargs(Plans& mine, const Plan& plan, va_list args,
                                                                const char* decimal_point, char* out) {
  if (!plan.in_order) return stage_read(mine, plan, args, decimal_point, out);
  InOrderSource source{mine, plan, decimal_point, keznlsVarArgs(args)};
  return stage(plan, source, out);
}

// A typed call into the stage: its length, kRefused or kNoRoom. Slot s
// reads argument s, so every slot below the count must be named (no gap,
// no "<unset>") and passed.
__attribute__((always_inline)) inline std::size_t stage_typed(Plans& mine, const Plan& plan, const keznlsArgs& args,
                                                               const char* decimal_point, char* out) {
  if (!plan.contiguous || plan.count > args.count) return kRefused;
  TypedSource source{mine, plan, decimal_point, args.args};
  return stage(plan, source, out);
}

// vsprintf_lent (grammar.h) where the thread has a plan of `format`, for a
// caller that takes it into its own frame: the length, or -1 where the
// text is longer than `buffer`'s kLentRoom allows; kUnplanned where there
// is no plan, for vsprintf_lent to read the format and plan it.
constexpr int kUnplanned = -2;
static_assert(kLentRoom == Stage::kSize, "the lent buffer is the stage");
__attribute__((always_inline)) inline int vsprintf_lent_staged(const char* decimal_point, char* buffer,
                                                               const char* format, std::uint64_t lent,
                                                               va_list args) {
  Plans* mine = utThreadCache<Plans>::peek();
  if (mine != nullptr)
    if (const Plan* plan = Plans::find(*mine, format, false, lent)) {
      const std::size_t total = stage_varargs(*mine, *plan, args, decimal_point, buffer);
      return total != kNoRoom ? static_cast<int>(total) : -1;
    }
  return kUnplanned;
}

// tformat_lent_into (grammar.h) where the thread has its plans already,
// for a caller that takes it into its own frame: the typed calls' usual
// road pays no call and no second frame. -1 where the thread has none yet.
__attribute__((always_inline)) inline int tformat_lent_staged(const char* decimal_point, char* buffer,
                                                              const char* format, std::uint64_t lent,
                                                              const keznlsArgs& args) {
  Plans* mine = utThreadCache<Plans>::peek();
  if (mine != nullptr)
    if (const Plan* plan = Plans::find(*mine, format, true, lent)) {
      const std::size_t total = stage_typed(*mine, *plan, args, decimal_point, buffer);
      // kNoRoom and kRefused are the two largest values: a length is below both.
      if (total < kNoRoom) return static_cast<int>(total);
      if (total == kRefused) return kTypedRefused;
    }
  return -1;
}

}  // namespace keznls_engine
#pragma GCC visibility pop

#endif  // KEZNLS_SRC_FORMAT_STAGED_H
