// Formatting a whole message in two passes over the format: the first
// parses each conversion into the record of its slot and adds up the
// literal text; the slots are then rendered in slot order, which is the
// order the arguments come in; the second pass copies literal text and
// each conversion's rendering into a result allocated at exactly the
// length the two make.
#include <climits>
#include <cstring>
#include <new>

#include "util/ut_program_text.h"
#include "util/va_args.h"
#include "format/copy.h"
#include "format/format_walk.h"
#include "format/grammar.h"
#include "format/parse_conversion.h"
#include "format/plan.h"
#include "format/render.h"
#include "format/staged.h"

namespace {

using namespace keznls_engine;

// Room for a T that is constructed only when first needed: most formats
// name a few of the nine slots, and each construction costs stores.
template <typename T>
class Deferred {
 public:
  Deferred() {}
  ~Deferred() {}  // the owner knows whether a T was made; keznlsPercent's destructor does nothing
  T& construct() { return *new (&value_) T; }
  T& operator*() { return value_; }
  const T& operator*() const { return value_; }

 private:
  union {
    T value_;
  };
};

// What the first pass saw at one `%`, so that the second need not read the
// format again: the text before it ends at `at`, the format goes on at
// `resume`; `slot` is -1 for `%%`.
struct Event {
  const char* at;
  const char* resume;
  int slot;
};
constexpr int kMaxEvents = 24;

// kTyped: a typed call's format, read in its grammar (see
// keznlsSprintf::tformat) and rendered from typed arguments.
template <bool kTyped>
class Driver {
 public:
  Driver(const utString& decimal_point, const char* format)
      : decimal_point_(decimal_point), format_(format) {}

  // The result, the format read anew; `mine`, where not null, keeps what
  // the reading learns. Out of line, as are the other calls below: the
  // road of a planned format stays short.
  __attribute__((noinline)) utString run(Plans* mine, va_list args) {
    const Scanned scanned = scan();
    if (mine != nullptr) remember(*mine, scanned);
    const std::size_t total = measure(args, scanned);
    // One named return, so the string is built in place (it has no move).
    const bool writes = total != 0 && total <= static_cast<std::size_t>(INT_MAX);
    utString result = writes ? utString(ut_string_char, ' ', static_cast<int>(total))
                             : ut_lit(total == 0 ? "" : kError);
    // A fresh string of this constructor is unique and writable through its
    // text pointer.
    if (writes) write(const_cast<char*>(result.c_str()), scanned);
    return result;
  }

  // The result written into `buffer` with its NUL; -1, and nothing
  // written, when it needs more than `size` characters.
  __attribute__((noinline)) int run_into(Plans* mine, char* buffer, int size, va_list args) {
    const Scanned scanned = scan();
    if (mine != nullptr) remember(*mine, scanned);
    const std::size_t total = measure(args, scanned);
    if (total >= static_cast<std::size_t>(size)) return -1;
    write(buffer, scanned);
    buffer[total] = '\0';
    return static_cast<int>(total);
  }

  // A typed call's text into `sink`; false, and nothing put, where the
  // format does not suit `args`. Slot s reads argument s, so every slot
  // below the count must be named (no gap, no "<unset>") and passed.
  __attribute__((noinline)) bool run_typed(Plans* mine, keznlsTextSink& sink, const keznlsArgs& args) {
    const Scanned scanned = scan();
    if (mine != nullptr) remember(*mine, scanned);
    if (!scanned.ok || scanned.named != (1u << scanned.count) - 1 || scanned.count > args.count) return false;
    DecimalPoint dp(decimal_point_.c_str());
    std::size_t total = scanned.literal;
    for (int s = 0; s < scanned.count; ++s) {
      keznlsPercent& r = *table_[s];
      const std::size_t length = render_typed(r, args.args[s], dp);
      if (length == kRefused) return false;
      texts_[s] = r.text;
      lengths_[s] = length;
      total += length;
    }
    char* out = sink.room(total);
    write(out, scanned);
    out[total] = '\0';
    return true;
  }

 private:
  // What the first pass found besides each slot's record and the events;
  // locals, so they need not be stored and read back around the renderers'
  // writes.
  struct Scanned {
    std::size_t literal;  // characters of literal text, `%%` as one
    const char* end;      // the format's terminating NUL
    int events;           // `%` met, also past kMaxEvents
    int conversions;
    int count;            // slots rendered: the conversions, at most nine
    unsigned named;       // bit s: slot s is named
    bool ok;
  };

  // Parses every conversion into its slot and notes each `%`, counting the
  // literal text.
  __attribute__((always_inline)) Scanned scan() {
    struct Scan {
      Scan(Driver& driver, keznlsPercent& scratch) : self(driver), ignored(scratch) {}
      Driver& self;
      keznlsPercent& ignored;  // a conversion whose slot cannot take it
      std::size_t literal = 0;
      const char* nul = nullptr;
      int events = 0;
      int conversions = 0;
      unsigned named = 0;
      bool ok = true;

      void text(const char* from, const char* to) { literal += static_cast<std::size_t>(to - from); }
      void end(const char* at) { nul = at; }
      bool percent_sign(const char* at) {
        ++literal;
        note(Event{at, at + 2, -1});
        return true;
      }
      bool conversion(const ConversionAt& c, const char*& p) {
        ++conversions;
        // One argument per slot: a slot named twice cannot be typed
        // consistently, and a tenth conversion has none; either fails the
        // format like a bad conversion.
        const unsigned bit = 1u << c.slot;
        if (c.slot == kSlots || (named & bit) != 0) {
          ok = false;
          parse_conversion<kTyped>(ignored, p);
        } else {
          named |= bit;
          if (!parse_conversion<kTyped>(self.table_[c.slot].construct(), p)) ok = false;
        }
        note(Event{c.percent, p, c.slot});
        return true;
      }
      void note(const Event& e) {
        if (events < kMaxEvents) self.event_[events] = e;
        ++events;
      }
    };
    keznlsPercent ignored;
    Scan scan(*this, ignored);
    walk_format(format_, scan);
    return Scanned{scan.literal, scan.nul, scan.events, scan.conversions,
                   scan.conversions < kSlots ? scan.conversions : kSlots, scan.named, scan.ok};
  }

  // The length of the result, every conversion rendered.
  __attribute__((always_inline)) std::size_t measure(va_list args, const Scanned& scanned) {
    return scanned.literal + (scanned.ok ? render(args, scanned) : fail(scanned));
  }

  __attribute__((always_inline)) void write(char* out, const Scanned& scanned) const {
    if (scanned.events <= kMaxEvents) write_recorded(out, scanned);
    else write_rereading(out);
  }

  // Renders the named slots below the count in slot order (the argument at
  // position n goes to slot n-1) and returns the length of what the
  // conversions show. A slot nobody names takes no argument; one at or past
  // the count is never rendered and shows "<unset>".
  __attribute__((always_inline)) std::size_t render(va_list args, const Scanned& scanned) {
    DecimalPoint dp(decimal_point_.c_str());
    keznlsVarArgs cursor(args);
    std::size_t total = 0;
    for (int s = 0; s < scanned.count; ++s) {
      if ((scanned.named & (1u << s)) == 0) continue;
      keznlsPercent& r = *table_[s];
      const std::size_t length = keznls_engine::render(r, cursor, dp);
      texts_[s] = r.text;
      lengths_[s] = length;
      total += length;
    }
    if ((scanned.named >> scanned.count) != 0)
      for (int s = scanned.count; s < kSlots; ++s)
        if ((scanned.named & (1u << s)) != 0) total += show(s, kUnset);
    return total;
  }

  // A failed format: every conversion shows "<error>" (slots at or past the
  // count "<unset>", as they are never rendered) and takes no argument.
  std::size_t fail(const Scanned& scanned) {
    for (int s = 0; s <= kSlots; ++s) show(s, s < scanned.count || s == kSlots ? kError : kUnset);
    return static_cast<std::size_t>(scanned.conversions) * kMarkerLength;
  }

  std::size_t show(int slot, const char* marker) {
    texts_[slot] = marker;
    return lengths_[slot] = kMarkerLength;
  }

  void write_recorded(char* out, const Scanned& scanned) const {
    const char* p = format_;
    for (int i = 0; i < scanned.events; ++i) {
      const Event& e = event_[i];
      out = copy(out, p, static_cast<std::size_t>(e.at - p));
      if (e.slot < 0) *out++ = '%';
      else out = copy(out, texts_[e.slot], lengths_[e.slot]);
      p = e.resume;
    }
    copy(out, p, static_cast<std::size_t>(scanned.end - p));
  }

  // Too many `%` to have kept them all: walk the format again.
  void write_rereading(char* out) const {
    struct Write {
      Write(const Driver& driver, char* start) : self(driver), out(start) {}
      const Driver& self;
      char* out;
      keznlsPercent ignored;  // the rendered texts are in their slots

      void text(const char* from, const char* to) { out = copy(out, from, static_cast<std::size_t>(to - from)); }
      void end(const char*) {}
      bool percent_sign(const char*) {
        *out++ = '%';
        return true;
      }
      bool conversion(const ConversionAt& c, const char*& p) {
        parse_conversion<kTyped>(ignored, p);
        out = copy(out, self.texts_[c.slot], self.lengths_[c.slot]);
        return true;
      }
    } write(*this, out);
    walk_format(format_, write);
  }

  // Keeps what the scan learnt of a format that parsed and is short enough.
  void remember(Plans& mine, const Scanned& scanned) const {
    const std::size_t size = static_cast<std::size_t>(scanned.end - format_);
    if (!scanned.ok || scanned.events > kMaxEvents || size >= static_cast<std::size_t>(kPlanText)) return;
    Plan& plan = Plans::make(mine, format_, kTyped);
    plan.key = format_;
    plan.stamp = 0;
    plan.typed = kTyped;
    plan.fixed = ut_program_text().holds(format_, size + 1);
    plan.count = static_cast<std::uint8_t>(scanned.count);
    plan.named = static_cast<std::uint16_t>(scanned.named);
    plan.contiguous = scanned.named == (1u << scanned.count) - 1;
    plan.literal = static_cast<std::uint16_t>(scanned.literal);
    plan.text.keep(format_, size);
    // The literal runs one after the other, each `%%` as its `%`.
    char* literal = plan.literals;
    std::size_t run = 0;
    int pieces = 0;
    const char* p = format_;
    const auto take = [&](const char* to) {
      const std::size_t n = static_cast<std::size_t>(to - p);
      std::memcpy(literal, p, n);
      literal += n;
      run += n;
    };
    for (int i = 0; i < scanned.events; ++i) {
      const Event& e = event_[i];
      take(e.at);
      if (e.slot < 0) {
        *literal++ = '%';
        ++run;
      } else {
        plan.piece[pieces++] =
            PlanPiece{static_cast<std::uint8_t>(run), static_cast<std::int8_t>(e.slot), SlotKind::record, 0};
        run = 0;
      }
      p = e.resume;
    }
    take(scanned.end);
    plan.piece[pieces] = PlanPiece{static_cast<std::uint8_t>(run), -1, SlotKind::record, 0};
    std::memset(literal, 0, static_cast<std::size_t>(plan.literals + sizeof plan.literals - literal));
    for (int s = 0; s < kSlots; ++s) {
      if ((scanned.named & (1u << s)) == 0) continue;
      if (s >= scanned.count) {
        plan.kind[s] = SlotKind::unset;
        continue;
      }
      plan.kind[s] = kind_of(*table_[s], kTyped);
      plan.specs[s].store(*table_[s]);
    }
    plan.in_order = true;
    int last = -1;
    for (int i = 0; i < pieces; ++i) {
      const int s = plan.piece[i].slot;
      plan.piece[i].kind = plan.kind[s];
      if (plan.kind[s] == SlotKind::fixed)
        plan.piece[i].digits = static_cast<std::uint8_t>(plan.specs[s].has_precision ? plan.specs[s].precision : 6);
      if (plan.kind[s] == SlotKind::unset) continue;
      if (s < last) plan.in_order = false;
      last = s;
    }
    plan.text_room = static_cast<std::uint16_t>(Stage::text_room(plan));
  }

  const utString& decimal_point_;
  const char* const format_;
  Deferred<keznlsPercent> table_[kSlots];  // made when first named
  // What each slot's conversions show; [kSlots] for a tenth conversion.
  const char* texts_[kSlots + 1];
  std::size_t lengths_[kSlots + 1];
  Event event_[kMaxEvents];
};

// The thread's plans; null when it has none.
Plans* plans() { return utThreadCache<Plans>::get(); }

// The stage's text as a string. One named return, so the string is built
// in place (it has no move).
utString staged_string(const Stage& stage, std::size_t total) {
  utString result = total != 0 ? utString(ut_string_char, ' ', static_cast<int>(total)) : ut_lit("");
  // A fresh string of this constructor is unique and writable through its
  // text pointer.
  if (total != 0) stage.copy_to(const_cast<char*>(result.c_str()), total);
  return result;
}

}  // namespace

keznlsSprintf::keznlsSprintf(const utString& decimal_point) : decimal_point(decimal_point) {}

keznlsSprintf::~keznlsSprintf() {}

utString keznlsSprintf::gui_sprintf(const char* format, ...) const {
  KEZNLS_WITH_ARGS(format, gui_vsprintf(format, args));
}

utString keznlsSprintf::gui_vsprintf(const char* format, va_list args) const {
  Plans* mine = plans();
  if (mine != nullptr)
    if (const Plan* plan = Plans::find(*mine, format, false)) {
      Stage stage;
      const std::size_t total = stage_varargs(*mine, *plan, args, decimal_point.c_str(), stage.text);
      if (total != kNoRoom) return staged_string(stage, total);
      mine = nullptr;  // read anew, the plan kept
    }
  return Driver<false>(decimal_point, format).run(mine, args);
}

int keznlsSprintf::gui_vsprintf_into(char* buffer, int size, const char* format, va_list args) const {
  Plans* mine = plans();
  if (mine != nullptr)
    if (const Plan* plan = Plans::find(*mine, format, false)) {
      Stage stage;
      const std::size_t total = stage_varargs(*mine, *plan, args, decimal_point.c_str(), stage.text);
      if (total != kNoRoom) {
        if (total >= static_cast<std::size_t>(size)) return -1;
        stage.copy_to(buffer, total + 1);
        return static_cast<int>(total);
      }
      mine = nullptr;
    }
  return Driver<false>(decimal_point, format).run_into(mine, buffer, size, args);
}

int keznls_engine::vsprintf_lent(const utString& decimal_point, char* buffer, int size, const char* format,
                                 std::uint64_t lent, va_list args) {
  Plans* mine = plans();
  if (mine != nullptr) {
    // The buffer has a stage's room: staged in place, no copy.
    const int length = vsprintf_lent_staged(decimal_point.c_str(), buffer, format, lent, args);
    if (length != kUnplanned) return length;
  }
  return Driver<false>(decimal_point, format).run_into(mine, buffer, size, args);
}

bool keznlsSprintf::tformat(keznlsTextSink& sink, const char* format, const keznlsArgs& args) const {
  return tformat_lent(decimal_point, sink, format, 0, args);
}

int keznls_engine::tformat_lent_into(const utString& decimal_point, char* buffer, const char* format,
                                     std::uint64_t lent, const keznlsArgs& args) {
  // Without plans (-1) the caller takes the sink's road, which asks for them.
  return tformat_lent_staged(decimal_point.c_str(), buffer, format, lent, args);
}

bool keznls_engine::tformat_lent(const utString& decimal_point, keznlsTextSink& sink, const char* format,
                                 std::uint64_t lent, const keznlsArgs& args) {
  Plans* mine = plans();
  if (mine != nullptr)
    if (const Plan* plan = Plans::find(*mine, format, true, lent)) {
      Stage stage;
      const std::size_t total = stage_typed(*mine, *plan, args, decimal_point.c_str(), stage.text);
      if (total == kRefused) return false;
      if (total != kNoRoom) {
        // The sink is the program's and may format again: the text is
        // whole in the stage, and the plans are no longer looked at.
        stage.copy_to(sink.room(total), total + 1);
        return true;
      }
      mine = nullptr;
    }
  return Driver<true>(decimal_point, format).run_typed(mine, sink, args);
}
