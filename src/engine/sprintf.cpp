// Formatting a whole message. Formats whose conversions all parse and name
// distinct arguments below their count are rendered into a buffer on the
// stack and copied once into the result (OnStack). The others, and results
// too long for that buffer, go through TwoPass: a sizing pass that parses
// and renders every conversion, one allocation of the exact length, and a
// writing pass that copies.
#include <climits>
#include <cstring>
#include <new>

#include "copy.h"
#include "format_walk.h"
#include "parse_conversion.h"
#include "render.h"

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

// What OnStack's walk saw at one `%`, so that rendering need not apply
// the format's rules again: the text before it ends at `at`, the format
// goes on at `spec` (a conversion's specification, after any `n$`); `slot`
// is -1 for `%%`; `letter` is the conversion's.
struct Event {
  const char* at;
  const char* spec;
  int slot;
  char letter;
};
constexpr int kMaxEvents = 24;

// A result in a fresh string of exactly `n` characters, written through its
// text pointer: a fresh string of this constructor is unique and writable.
// One named return, so the string is built in place (it has no move).
template <typename Write>
utString make_result(std::size_t n, Write write) {
  utString result = n == 0 ? ut_lit("") : utString(ut_string_char, ' ', static_cast<int>(n));
  if (n != 0) write(const_cast<char*>(result.c_str()));
  return result;
}

// Formats whose conversions parse and name each argument below their count
// once, in any order, with at most kMaxEvents `%`. One walk checks that and
// notes each `%`; the arguments are then rendered in the format's order
// into a buffer on the stack, which is copied into the result at its exact
// length. Arguments named out of order are taken first, in slot order.
class OnStack {
 public:
  OnStack(const utString& decimal_point, const char* format)
      : dp_(decimal_point.c_str()), format_(format) {}

  // False when the format or its result needs TwoPass, which starts again
  // from the caller's list.
  __attribute__((always_inline)) bool run(va_list args) {
    Scanned scanned;
    if (!scan(scanned)) return false;
    return scanned.positional ? render<true>(args, scanned) : render<false>(args, scanned);
  }

  utString result() const {
    return make_result(length_, [this](char* out) { std::memcpy(out, stage_, length_); });
  }

 private:
  // What the walk found besides the events; locals of run(), so they need
  // not be stored and read back around the renderers' writes.
  struct Scanned {
    const char* end;  // the format's terminating NUL
    int events;
    int count;        // conversions
    bool positional;  // some conversion names its argument
  };

  __attribute__((always_inline)) bool scan(Scanned& scanned) {
    struct Scan {
      explicit Scan(OnStack& on_stack) : self(on_stack) {}
      OnStack& self;
      keznlsPercent r;  // for conversions that are not a bare letter
      const char* nul = nullptr;
      int events = 0;
      int count = 0;
      bool positional = false;

      void text(const char*, const char*) {}
      void end(const char* at) { nul = at; }
      bool percent_sign(const char* at) { return note(Event{at, at + 2, -1, '%'}); }
      bool conversion(const ConversionAt& c, const char*& p) {
        ++count;
        positional |= c.positional;
        const char* const spec = p;
        char letter;
        // A bare letter needs no record to be checked.
        if (is_conversion(*p)) letter = *p++;
        else if (parse_conversion(r, p)) letter = r.conversion;
        else return false;
        return note(Event{c.percent, spec, c.slot, letter});
      }
      bool note(const Event& e) {
        if (events == kMaxEvents) return false;
        self.event_[events++] = e;
        return true;
      }
    } scan(*this);
    if (!walk_format(format_, scan)) return false;
    scanned = Scanned{scan.nul, scan.events, scan.count, scan.positional};
    // A tenth conversion is TwoPass's business; without `n$` no two
    // conversions share a slot.
    return scan.count <= kSlots && (!scan.positional || takes_each_slot_once(scanned));
  }

  // Whether the conversions name the slots below their count once each
  // (noting each slot's letter): a slot named twice fails the format, one at
  // or past the count shows "<unset>", both TwoPass's business. Distinct
  // slots fill the count only if all below it are named.
  bool takes_each_slot_once(const Scanned& scanned) {
    unsigned named = 0;
    for (int i = 0; i < scanned.events; ++i) {
      const Event& e = event_[i];
      if (e.slot < 0) continue;
      if (named & (1u << e.slot)) return false;
      named |= 1u << e.slot;
      letter_[e.slot] = e.letter;
    }
    return named == (1u << scanned.count) - 1;
  }

  // Renders in the format's order; arguments named out of order are taken
  // first, in slot order.
  template <bool Positional>
  __attribute__((always_inline)) bool render(va_list args, const Scanned& scanned) {
    keznlsVarArgs cursor(args);
    Fetched fetched[kSlots];
    if (Positional)
      for (int s = 0; s < scanned.count; ++s) fetched[s] = Fetched::next(letter_[s], cursor);
    keznlsPercent r;
    char* out = stage_;
    char* const stage_end = stage_ + kStage;
    const char* p = format_;
    for (int i = 0; i < scanned.events; ++i) {
      const Event& e = event_[i];
      const auto n = static_cast<std::size_t>(e.at - p);
      if (n >= static_cast<std::size_t>(stage_end - out)) return false;
      out = copy(out, p, n);
      p = e.spec;
      if (e.slot < 0) {
        *out++ = '%';
        continue;
      }
      parse_conversion(r, p);
      const std::size_t length = Positional ? keznls_engine::render(r, fetched[e.slot], dp_)
                                            : keznls_engine::render(r, cursor, dp_);
      if (length > static_cast<std::size_t>(stage_end - out)) return false;
      out = copy(out, r.text, length);
    }
    const auto n = static_cast<std::size_t>(scanned.end - p);
    if (n > static_cast<std::size_t>(stage_end - out)) return false;
    length_ = static_cast<std::size_t>(copy(out, p, n) - stage_);
    return true;
  }

  static constexpr std::size_t kStage = 1024;

  DecimalPoint dp_;
  const char* const format_;
  char letter_[kSlots];  // each slot's conversion letter, in a format with `n$`
  Event event_[kMaxEvents];
  std::size_t length_ = 0;
  char stage_[kStage];
};

// Any format. The sizing pass parses each conversion into its slot's
// record, renders the slots in slot order and adds up the result's length;
// the writing pass walks the format again and copies literal text and each
// conversion's slot into a result allocated at exactly that length.
class TwoPass {
 public:
  TwoPass(const utString& decimal_point, const char* format)
      : decimal_point_(decimal_point), format_(format) {}

  utString run(va_list args) {
    size();
    if (count_ > 0) render(args);
    if (total_ > static_cast<std::size_t>(INT_MAX)) return ut_lit(kError);
    return make_result(total_, [this](char* out) { write(out); });
  }

 private:
  // Parses every conversion into its slot, counting literal text.
  void size() {
    struct Size {
      explicit Size(TwoPass& two_pass) : self(two_pass) {}
      TwoPass& self;
      std::size_t total = 0;
      int count = 0;
      bool ok = true;

      void text(const char* from, const char* to) { total += static_cast<std::size_t>(to - from); }
      void end(const char*) {}
      bool percent_sign(const char*) {
        ++total;
        return true;
      }
      bool conversion(const ConversionAt& c, const char*& p) {
        // Every conversion first counts as the 7 characters of a marker
        // ("<unset>" or "<error>"); rendering corrects its slot's share.
        total += kMarkerLength;
        if (count < kSlots) ++count;
        if (!self.parse_at(c.slot, p)) ok = false;
        return true;
      }
    } size(*this);
    walk_format(format_, size);
    total_ = size.total;
    count_ = size.count;
    format_ok_ = size.ok;
  }

  // Parses the conversion at `p` into its slot; false fails the format.
  bool parse_at(int slot, const char*& p) {
    if (slot >= kSlots) {
      keznlsPercent ignored;
      parse_conversion(ignored, p);
      return false;
    }
    // One argument per slot: a slot named twice cannot be sized or typed
    // consistently, so it fails the format like a bad conversion.
    const bool first = uses_[slot]++ == 0;
    if (first) {
      // Made when first named; one named at or past the count is never
      // rendered and shows its "<unset>".
      table_[slot].construct();
      lengths_[slot] = kMarkerLength;
    }
    return parse_conversion(*table_[slot], p) && first;
  }

  void render(va_list args) {
    DecimalPoint dp(decimal_point_.c_str());
    keznlsVarArgs cursor(args);
    std::size_t total = total_;
    for (int s = 0; s < count_; ++s) {
      // A slot nobody names would render "<error>" without taking an
      // argument, and is never copied: nothing to do.
      const int uses = uses_[s];
      if (uses == 0) continue;
      keznlsPercent& r = *table_[s];
      const std::size_t length = format_ok_ ? keznls_engine::render(r, cursor, dp) : render_error(r);
      lengths_[s] = length;
      // Sized by what the writing pass copies, so the two agree for any format.
      total += static_cast<std::size_t>(uses) * (length - kMarkerLength);
    }
    total_ = total;
  }

  void write(char* out) const {
    struct Write {
      Write(const TwoPass& two_pass, char* start) : self(two_pass), out(start) {}
      const TwoPass& self;
      char* out;
      keznlsPercent ignored;  // the rendered texts are in their slots

      void text(const char* from, const char* to) { out = copy(out, from, static_cast<std::size_t>(to - from)); }
      void end(const char*) {}
      bool percent_sign(const char*) {
        *out++ = '%';
        return true;
      }
      bool conversion(const ConversionAt& c, const char*& p) {
        parse_conversion(ignored, p);
        if (c.slot >= kSlots) out = copy(out, kError, kMarkerLength);
        else out = copy(out, (*self.table_[c.slot]).text, self.lengths_[c.slot]);
        return true;
      }
    } write(*this, out);
    walk_format(format_, write);
  }

  const utString& decimal_point_;
  const char* const format_;
  Deferred<keznlsPercent> table_[kSlots];
  std::size_t lengths_[kSlots];  // valid for named slots
  int uses_[kSlots] = {};
  bool format_ok_ = true;
  int count_ = 0;
  std::size_t total_ = 0;
};

// Inlined into both entry points: one call and frame fewer per message.
__attribute__((always_inline)) inline utString format_message(const utString& decimal_point,
                                                              const char* format, va_list args) {
  OnStack on_stack(decimal_point, format);
  if (on_stack.run(args)) return on_stack.result();
  return TwoPass(decimal_point, format).run(args);
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
  return format_message(decimal_point, format, args);
}

utString keznlsSprintf::gui_vsprintf(const char* format, va_list args) const {
  return format_message(decimal_point, format, args);
}
