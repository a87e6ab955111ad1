// The one walk over a format: literal runs, `%%`, and each conversion with
// the slot the slot rule gives it. What differs between its users (sizing,
// rendering, checking, planning) is a consumer.
#ifndef KEZNLS_SRC_ENGINE_FORMAT_WALK_H
#define KEZNLS_SRC_ENGINE_FORMAT_WALK_H

#include <cstring>

namespace keznls_engine {

// A format has at most nine conversions, one slot (argument) each.
constexpr int kSlots = 9;

// Whether the conversion at `p` (just after its `%`) starts with a
// positional `1$`..`9$`: one digit only, so `%10$d` is a width of 10.
inline bool is_positional(const char* p) {
  return static_cast<unsigned char>(p[0] - '1') < 9 && p[1] == '$';
}

// Next `%` or the terminating NUL. Literal runs in messages are mostly
// short: a few bytes are looked at before paying for the library call.
inline const char* find_percent(const char* p) {
  for (int i = 0; i < 4; ++i)
    if (p[i] == '%' || p[i] == '\0') return p + i;
  return strchrnul(p + 4, '%');
}

// A conversion as the walk meets it.
struct ConversionAt {
  const char* percent;  // its `%`
  // Its argument, by the slot rule: n-1 for `%n$`, else the count of
  // conversions before it, which stops at kSlots (a tenth conversion gets
  // kSlots: callers check before indexing).
  int slot;
  bool positional;      // named by `n$`
};

// Walks `format` to its terminating NUL, calling on `consumer`:
//   text(from, to)         each literal run, also an empty one, before every
//                          `%` and before the end;
//   percent_sign(at)       for `%%` at `at`;
//   conversion(c, cursor)  with the cursor after the `%` and any `n$`; it
//                          moves the cursor past what it reads, and the walk
//                          goes on from there (a character a failed parse
//                          stopped on is literal text again);
//   end(at)                at the terminating NUL.
// percent_sign and conversion return false to stop the walk; walk_format
// then returns false, else true.
template <typename Consumer>
__attribute__((always_inline)) inline bool walk_format(const char* format, Consumer& consumer) {
  const char* p = format;
  int count = 0;
  for (;;) {
    const char* at = find_percent(p);
    consumer.text(p, at);
    if (*at == '\0') {
      consumer.end(at);
      return true;
    }
    p = at + 1;
    if (*p == '%') {
      ++p;
      if (!consumer.percent_sign(at)) return false;
      continue;
    }
    ConversionAt c{at, count, false};
    if (count < kSlots) ++count;
    if (is_positional(p)) {
      c.slot = p[0] - '1';
      c.positional = true;
      p += 2;
    }
    if (!consumer.conversion(c, p)) return false;
  }
}

}  // namespace keznls_engine

#endif  // KEZNLS_SRC_ENGINE_FORMAT_WALK_H
