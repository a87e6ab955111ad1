// Formatting a whole message. Formats that take their arguments in order
// are rendered into a stack buffer and copied once; the others go through
// the Driver: a sizing pass that parses and renders every conversion, one
// allocation of the exact length, and a writing pass that copies.
#include <climits>
#include <cstring>
#include <new>

#include "render.h"
#include "digits.h"
#include "parse_conversion.h"

namespace {

constexpr int kSlots = 9;

// Whether the conversion at `p` starts with a positional `1$`..`9$`.
inline bool is_positional(const char* p) { return p[0] >= '1' && p[0] <= '9' && p[1] == '$'; }

// Slot of the conversion whose `%` was just passed, skipping a positional
// `n$`. Unnumbered conversions take the count of those seen so far, which
// can reach kSlots for a tenth one: callers must check before indexing.
inline int take_slot(const char*& p, int& count) {
  int slot = count;
  if (count < kSlots) ++count;
  if (is_positional(p)) {
    slot = p[0] - '1';
    p += 2;
  }
  return slot;
}

// Next `%` or the terminating NUL. Literal runs in messages are mostly
// short: look at a few bytes before paying for the library call.
inline const char* find_percent(const char* p) {
  for (int i = 0; i < 4; ++i)
    if (p[i] == '%' || p[i] == '\0') return p + i;
  return strchrnul(p + 4, '%');
}

// Longer runs, sixteen bytes at a time with the last block overlapping the
// one before: for texts of a message's size this beats the library call,
// which wins again beyond a few hundred bytes.
__attribute__((noinline)) void copy_long(char* out, const char* from, std::size_t n) {
  if (n > 256) {
    std::memcpy(out, from, n);
    return;
  }
  for (std::size_t i = 0; i < n - 16; i += 16) std::memcpy(out + i, from + i, 16);
  std::memcpy(out + n - 16, from + n - 16, 16);
}

// Literal runs between conversions are mostly short: copy them with a few
// fixed-size moves (never reading outside [from, from + n)) rather than a
// library call.
inline char* copy(char* out, const char* from, std::size_t n) {
  if (n <= 16) {
    if (n >= 8) {
      std::memcpy(out, from, 8);
      std::memcpy(out + n - 8, from + n - 8, 8);
    } else if (n >= 4) {
      std::memcpy(out, from, 4);
      std::memcpy(out + n - 4, from + n - 4, 4);
    } else if (n != 0) {
      // One to three characters: first, middle and last cover them all.
      out[0] = from[0];
      out[n / 2] = from[n / 2];
      out[n - 1] = from[n - 1];
    }
  } else {
    copy_long(out, from, n);
  }
  return out + n;
}

// Renders the common conversions here, without the general renderer's call
// and its limit logic: strings, integers without a precision, and floating
// values through their own quick path. False leaves the conversion to the
// general renderer.
inline bool render_plain(keznlsPercent& r, keznlsVarArgs& args, keznls_engine::DecimalPoint& dp,
                         std::size_t& length) {
  using namespace keznls_engine;
  char* const end = r.buffer + kShown;
  char* p;
  bool negative = false;
  // A width below 32 only pads; the digits and a sign always fit. The fill
  // goes in first, as one fixed-size store, and the digits over it.
  const auto plain_integer = [&r] {
    if (r.has_precision || (r.has_width && r.width > kShown)) return false;
    if (r.has_width) std::memset(r.buffer, r.zero_pad ? '0' : ' ', kShown);
    return true;
  };
  // Tests rather than a jump table: the letters of one format differ from
  // conversion to conversion, which an indirect jump predicts poorly.
  const char c = r.conversion;
  if (c == 's') {
    const char* text = args.va_arg_str();
    if (text == nullptr) text = kNull;
    r.text = text;
    length = short_length(text);
    return true;
  }
  if (c == 'd') {
    if (!plain_integer()) return false;
    const int v = args.va_arg_int();
    negative = v < 0;
    p = put_decimal(end, negative ? 0u - static_cast<unsigned>(v) : static_cast<unsigned>(v));
  } else if (c == 'u') {
    if (!plain_integer()) return false;
    p = put_decimal(end, args.va_arg_unsigned());
  } else if (c == 'x' || c == 'X') {
    if (!plain_integer()) return false;
    p = put_hex(end, args.va_arg_unsigned(), c == 'x' ? kLowerDigits : kUpperDigits);
  } else {
    length = render_double_fast(r, args.va_arg_double(), dp);
    return true;
  }
  if (r.has_width) {
    // Zero padding goes between the sign and the digits, spaces before both.
    if (negative && !r.zero_pad) {
      *--p = '-';
      negative = false;
    }
    char* const target = end - (negative ? r.width - 1 : r.width);
    if (p > target) p = target;
  }
  if (negative) *--p = '-';
  *end = '\0';
  r.text = p;
  length = static_cast<std::size_t>(end - p);
  return true;
}

// What the sizing pass saw at one `%`, so the writing pass need not read
// the format again: the text before it ends at `at`, the format goes on at
// `resume`; `slot` is -1 for `%%`.
struct Event {
  const char* at;
  const char* resume;
  int slot;
};
constexpr int kMaxEvents = 24;

class Driver {
 public:
  Driver(const utString& decimal_point, const char* format)
      : decimal_point_(decimal_point), format_(format) {}

  utString run(va_list args) {
    size();
    if (count_ > 0) render(args);
    if (total_ == 0) return ut_lit("");
    if (total_ > static_cast<std::size_t>(INT_MAX)) return ut_lit(keznls_engine::kError);
    return build();
  }

 private:
  utString build() {
    utString result(ut_string_char, ' ', static_cast<int>(total_));
    // A fresh string of this constructor is unique and writable through its
    // text pointer: no need to ask for a private copy.
    char* out = const_cast<char*>(result.c_str());
    if (events_ <= kMaxEvents) write_recorded(out);
    else write_rereading(out);
    return result;
  }

  // Parses every conversion into its slot, counting literal text. The
  // counters are locals so they stay in registers across the library calls.
  void size() {
    const char* p = format_;
    std::size_t total = 0;
    int count = 0;
    int events = 0;
    bool ok = true;
    for (;;) {
      const char* at = find_percent(p);
      total += static_cast<std::size_t>(at - p);
      if (*at == '\0') {
        end_ = at;
        break;
      }
      p = at + 1;
      int slot = -1;
      if (*p == '%') {
        ++total;
        ++p;
      } else {
        // Every conversion first counts as the 7 characters of a marker
        // ("<unset>" or "<error>"); rendering corrects its slot's share.
        total += keznls_engine::kMarkerLength;
        slot = take_slot(p, count);
        if (!parse_at(slot, p)) ok = false;
      }
      if (events < kMaxEvents) event_[events] = Event{at, p, slot};
      ++events;
    }
    total_ = total;
    count_ = count;
    events_ = events;
    format_ok_ = ok;
  }

  // Parses the conversion at `p` into its slot; false fails the format.
  bool parse_at(int slot, const char*& p) {
    if (slot >= kSlots) {
      keznlsPercent ignored;
      keznls_engine::parse_conversion(ignored, p);
      return false;
    }
    keznlsPercent& r = table_[slot].record;
    // One argument per slot: a slot named twice cannot be sized or typed
    // consistently, so it fails the format like a bad conversion.
    const bool first = uses_[slot]++ == 0;
    if (first) {
      // Records are made when first named; one named at or past the count
      // is never rendered and shows its "<unset>".
      new (&r) keznlsPercent;
      lengths_[slot] = keznls_engine::kMarkerLength;
    }
    return keznls_engine::parse_conversion(r, p) && first;
  }

  void render(va_list args) {
    keznls_engine::DecimalPoint dp(decimal_point_.c_str());
    keznlsVarArgs cursor(args);
    std::size_t total = total_;
    const int count = count_;
    const int ok = format_ok_;
    for (int s = 0; s < count; ++s) {
      // A slot nobody names would render "<error>" without taking an
      // argument, and is never copied: nothing to do.
      const int uses = uses_[s];
      if (uses == 0) continue;
      keznlsPercent& r = table_[s].record;
      std::size_t length;
      if (!ok || !render_plain(r, cursor, dp, length)) length = keznls_engine::render(r, ok, dp, cursor);
      lengths_[s] = length;
      // Sized by what the writing pass copies, so the two agree for any format.
      total += static_cast<std::size_t>(uses) * (length - keznls_engine::kMarkerLength);
    }
    total_ = total;
  }

  void put_slot(char*& out, int slot) const {
    if (slot >= kSlots) {
      std::memcpy(out, keznls_engine::kError, keznls_engine::kMarkerLength);
      out += keznls_engine::kMarkerLength;
    } else {
      out = copy(out, table_[slot].record.text, lengths_[slot]);
    }
  }

  void write_recorded(char*& out) const {
    const char* p = format_;
    for (int i = 0; i < events_; ++i) {
      const Event& e = event_[i];
      out = copy(out, p, static_cast<std::size_t>(e.at - p));
      if (e.slot < 0) *out++ = '%';
      else put_slot(out, e.slot);
      p = e.resume;
    }
    copy(out, p, static_cast<std::size_t>(end_ - p));
  }

  // Too many `%` to have kept them all: walk the format again, parsing each
  // conversion into its slot once more (the rendered text survives).
  void write_rereading(char*& out) {
    const char* p = format_;
    int count = 0;
    for (;;) {
      const char* at = find_percent(p);
      std::memcpy(out, p, static_cast<std::size_t>(at - p));
      out += at - p;
      if (*at == '\0') break;
      p = at + 1;
      if (*p == '%') {
        *out++ = '%';
        ++p;
        continue;
      }
      const int slot = take_slot(p, count);
      keznlsPercent ignored;
      keznls_engine::parse_conversion(slot < kSlots ? table_[slot].record : ignored, p);
      put_slot(out, slot);
    }
  }

  const utString& decimal_point_;
  const char* const format_;
  // Raw storage: a record is constructed when its slot is first named.
  union Slot {
    Slot() {}
    ~Slot() {}  // the record's destructor does nothing
    keznlsPercent record;
  };
  Slot table_[kSlots];
  std::size_t lengths_[kSlots];  // valid for named slots
  int uses_[kSlots] = {};
  int format_ok_ = 1;
  int count_ = 0;
  std::size_t total_ = 0;
  Event event_[kMaxEvents];
  int events_ = 0;
  const char* end_ = nullptr;  // the format's terminating NUL
};

// Most formats name their arguments in order and parse cleanly. Those are
// checked in a first walk that notes where each `%` is, then rendered in
// order into a buffer on the stack and copied into the result at its exact
// length. A positional `n$`, a failed parse, a tenth conversion or too many
// `%` leave the format to the two-pass Driver before any argument is read;
// a result too long for the buffer does so once it shows.
class InOrder {
 public:
  InOrder(const utString& decimal_point, const char* format)
      : dp_(decimal_point.c_str()), format_(format) {}

  // False when the format needs the Driver, which starts again from the
  // caller's list.
  bool walk(va_list args) { return check() && render(args); }

  bool empty() const { return length_ == 0; }

  // One return of one named string, so the result is built in place.
  utString build() const {
    utString result(ut_string_char, ' ', static_cast<int>(length_));
    std::memcpy(const_cast<char*>(result.c_str()), stage_, length_);
    return result;
  }

 private:
  bool check() {
    keznlsPercent r;
    const char* p = format_;
    int count = 0;
    int events = 0;
    for (;;) {
      const char* at = find_percent(p);
      if (*at == '\0') {
        end_ = at;
        break;
      }
      if (events == kMaxEvents) return false;
      at_[events++] = at;
      p = at + 1;
      if (*p == '%') {
        ++p;
        continue;
      }
      if (count == kSlots) return false;
      ++count;
      // A bare letter needs no record to be checked, and names no argument.
      if (keznls_engine::is_conversion(*p)) ++p;
      else if (is_positional(p) || !keznls_engine::parse_conversion(r, p)) return false;
    }
    events_ = events;
    return true;
  }

  bool render(va_list args) {
    keznlsVarArgs cursor(args);
    keznlsPercent r;
    char* out = stage_;
    const char* p = format_;
    for (int i = 0; i < events_; ++i) {
      const char* at = at_[i];
      const auto n = static_cast<std::size_t>(at - p);
      if (n >= room(out)) return false;
      out = copy(out, p, n);
      p = at + 1;
      if (*p == '%') {
        *out++ = '%';
        ++p;
        continue;
      }
      keznls_engine::parse_conversion(r, p);
      std::size_t length;
      if (!render_plain(r, cursor, dp_, length)) length = keznls_engine::render(r, 1, dp_, cursor);
      if (length > room(out)) return false;
      out = copy(out, r.text, length);
    }
    const auto n = static_cast<std::size_t>(end_ - p);
    if (n > room(out)) return false;
    length_ = static_cast<std::size_t>(copy(out, p, n) - stage_);
    return true;
  }

  static constexpr std::size_t kStage = 1024;
  std::size_t room(const char* out) const { return static_cast<std::size_t>(stage_ + kStage - out); }

  keznls_engine::DecimalPoint dp_;
  const char* const format_;
  const char* end_ = nullptr;  // the format's terminating NUL
  int events_ = 0;
  const char* at_[kMaxEvents];  // each `%`
  std::size_t length_ = 0;
  char stage_[kStage];
};

// Inlined into both entry points: one call and frame fewer per message.
__attribute__((always_inline)) inline utString format_message(const utString& decimal_point,
                                                              const char* format, va_list args) {
  InOrder in_order(decimal_point, format);
  if (in_order.walk(args)) {
    if (in_order.empty()) return ut_lit("");
    return in_order.build();
  }
  return Driver(decimal_point, format).run(args);
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
