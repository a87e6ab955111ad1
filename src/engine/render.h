// Rendering one argument into a keznlsPercent's own buffer.
#ifndef KEZNLS_SRC_ENGINE_RENDER_H
#define KEZNLS_SRC_ENGINE_RENDER_H

#include <cstddef>
#include <cstring>

#include "keznls/engine.h"

// Internal to the library: direct calls, nothing exported.
#pragma GCC visibility push(hidden)
namespace keznls_engine {

extern const char kError[];     // "<error>"
extern const char kNull[];      // "(null)"
extern const char kTooLarge[];  // "<too large to show>"
constexpr int kMarkerLength = 7;     // "<unset>" and "<error>"
constexpr int kTooLargeLength = 19;

// Number of characters a rendering may show; reaching kShown + 1 means
// "<too large to show>".
constexpr int kShown = 31;

// A rendering growing leftwards from the NUL at buffer[31]. Characters past
// the 31 positions are counted but not stored: the count alone decides that
// the marker is shown, so nothing is ever written outside the buffer.
struct Rendering {
  char* buffer;
  int len = 0;

  void put(char c) {
    if (len < kShown) buffer[kShown - 1 - len] = c;
    ++len;
  }
  // Puts `n` characters in front as one block; the caller keeps n within
  // the room left.
  void put_block(const char* s, int n) {
    std::memcpy(buffer + kShown - len - n, s, static_cast<std::size_t>(n));
    len += n;
  }
  void mark_too_large() { len = kShown + 1; }
};

// Length of a text that is usually short (a string argument, the decimal
// point): a few bytes are looked at before paying for the library call.
inline std::size_t short_length(const char* s) {
  for (std::size_t i = 0; i < 16; ++i)
    if (s[i] == '\0') return i;
  return 16 + std::strlen(s + 16);
}

// The caller's decimal point; its length is measured once, and only when a
// floating conversion needs it.
class DecimalPoint {
 public:
  explicit DecimalPoint(const char* text) : text_(text) {}
  const char* text() const { return text_; }
  int length() {
    if (length_ < 0) length_ = static_cast<int>(short_length(text_));
    return length_;
  }

 private:
  const char* text_;
  int length_ = -1;
};

// Renders `r`'s conversion with the next argument of `args`, points r.text
// at the result and returns its length.
std::size_t render(keznlsPercent& r, int format_ok, DecimalPoint& decimal_point,
                   keznlsVarArgs& args);

// Renders a floating conversion of `v`; what render does once it has the value.
std::size_t render_double(keznlsPercent& r, double v, DecimalPoint& decimal_point);

// render_double for an `e`, `E`, `f`, `g` or `G` conversion, the usual
// renderings (finite, no width, at most 19 fraction digits, a scaled value
// below 2^53, or below 2^64 without trimming, a decimal point) taken by a
// quick path straight into r's buffer.
std::size_t render_double_fast(keznlsPercent& r, double v, DecimalPoint& decimal_point);

// Digits, exponent and decimal point of a floating conversion (no sign, no
// padding). Sets `negative`; returns the fill to pad with ('0' or ' ').
char render_floating(const keznlsPercent& r, double v, DecimalPoint& decimal_point,
                     Rendering& out, bool& negative);

}  // namespace keznls_engine
#pragma GCC visibility pop

#endif  // KEZNLS_SRC_ENGINE_RENDER_H
