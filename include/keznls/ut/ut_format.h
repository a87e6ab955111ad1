/// \file
/// The C library's printf formatting into a buffer that grows until the text
/// fits.
#ifndef KEZNLS_UT_UT_FORMAT_H
#define KEZNLS_UT_UT_FORMAT_H

#include "keznls/export.h"

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <memory>

/// Where `ut_vformat` writes: room for `size` bytes at `text`.
struct KEZNLS_API utFormatBuffer {
  char* text;  ///< the first byte
  int size;    ///< bytes of room, the NUL included
};

/// Marks a function taking a printf format at `format_index` and a
/// `va_list`, so the compiler checks the format.
#if defined(__GNUC__) || defined(__clang__)
#define UT_VPRINTF(format_index) __attribute__((format(printf, format_index, 0)))
#else
#define UT_VPRINTF(format_index)
#endif

/// Formats `format` with `args` into `buffer` with vsnprintf. While the text
/// and its NUL do not fit, calls `grow(buffer, needed)` to point `buffer` at
/// a larger one (short of `needed` bytes, it is simply tried and grown
/// again) and formats again from the first argument; `args` itself is never
/// consumed. Returns the text's length, or a negative number when the C
/// library refused a conversion (what `buffer` holds then is unspecified).
template <typename Grow>
UT_VPRINTF(3) int ut_vformat(utFormatBuffer& buffer, Grow grow, const char* format, va_list args) {
  for (;;) {
    va_list pass;
    va_copy(pass, args);
    const int n = std::vsnprintf(buffer.text, static_cast<std::size_t>(buffer.size), format, pass);
    va_end(pass);
    // glibc reports the length the text needs, not an error, on a short buffer.
    if (n < buffer.size) return n;
    grow(buffer, n + 1);
  }
}

/// A text formatted with `ut_vformat` into the caller's buffer when it
/// fits, else into a block of exactly its size: short texts, the most,
/// cost no allocation and long ones no second attempt past the first.
class KEZNLS_API utFormatted {
 public:
  /// Formats `format` with `args` into `stack` (room for `size` bytes) or,
  /// when the text does not fit, into a block of its own.
  UT_VPRINTF(4) utFormatted(char* stack, int size, const char* format, va_list args) : buffer_{stack, size} {
    length_ = ut_vformat(buffer_, [this](utFormatBuffer& b, int needed) {
      heap_.reset(new char[static_cast<std::size_t>(needed)]);
      b = {heap_.get(), needed};
    }, format, args);
  }
  /// The text; what it holds is unspecified when `length()` is negative.
  const char* text() const { return buffer_.text; }
  /// Its length, or a negative number when the C library refused a
  /// conversion.
  int length() const { return length_; }

 private:
  utFormatBuffer buffer_;
  std::unique_ptr<char[]> heap_;
  int length_;
};

#endif  // KEZNLS_UT_UT_FORMAT_H
