/// \file
/// The format of a typed call, checked against the arguments' types while
/// the program compiles (C++20) or refused when it is used (C++17).
#ifndef KEZNLS_TYPED_FORMAT_H
#define KEZNLS_TYPED_FORMAT_H

#include <cstddef>

#include "keznls/args.h"

namespace keznls_check {

/// Why a format does not suit its arguments.
enum class Problem : unsigned char {
  none,
  bad_conversion,     ///< no conversion letter where one must be, or one no argument suits
  tenth_conversion,   ///< a message has at most nine conversions
  mixed_numbering,    ///< `%1$d` beside a plain `%d`
  missing_argument,   ///< a conversion reads an argument not passed
  kind_mismatch,      ///< `%d` with a text, `%s` with a number, `%c` with an int...
  gap,                ///< a numbered argument no conversion reads
  unused_argument,    ///< an argument no conversion reads
  argument_read_twice,  ///< one argument named by two conversions
};

/// Whether `c` is a decimal digit.
constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }

/// What `format` makes of arguments of `kinds` (`count` of them).
constexpr Problem check(const char* format, const keznlsArgKind* kinds, int count) {
  int conversions = 0, numbered = 0, unnumbered = 0;
  unsigned read = 0;  // bit i: argument i is read
  int next = 0;
  for (const char* p = format; *p != '\0'; ++p) {
    if (*p != '%') continue;
    ++p;
    if (*p == '%') continue;
    if (++conversions > 9) return Problem::tenth_conversion;
    int index = -1;
    if (*p >= '1' && *p <= '9' && p[1] == '$') {
      index = *p - '1';
      p += 2;
      ++numbered;
    } else {
      ++unnumbered;
    }
    if (numbered != 0 && unnumbered != 0) return Problem::mixed_numbering;
    while (*p == '-' || *p == '+' || *p == ' ' || *p == '#' || *p == '0' || *p == '\'') ++p;
    auto star = [&](const char*& q) -> Problem {
      if (*q != '*') {
        while (is_digit(*q)) ++q;
        return Problem::none;
      }
      ++q;
      int width_index = -1;
      if (*q >= '1' && *q <= '9' && q[1] == '$') {
        width_index = *q - '1';
        q += 2;
      } else {
        width_index = next++;
        if (index >= 0) return Problem::mixed_numbering;
      }
      if (width_index >= count) return Problem::missing_argument;
      if (kinds[width_index] != keznlsArgKind::integer) return Problem::kind_mismatch;
      read |= 1u << width_index;
      return Problem::none;
    };
    if (const Problem p1 = star(p); p1 != Problem::none) return p1;
    if (*p == '.') {
      ++p;
      if (const Problem p2 = star(p); p2 != Problem::none) return p2;
    }
    if (*p == 'h' || *p == 'l') {
      if (p[1] == *p) ++p;
      ++p;
    } else if (*p == 'z' || *p == 'j' || *p == 't' || *p == 'L') {
      ++p;
    }
    keznlsArgKind kind = keznlsArgKind::integer;
    switch (*p) {
      case 'd': case 'i': case 'o': case 'u': case 'x': case 'X': kind = keznlsArgKind::integer; break;
      case 'f': case 'F': case 'e': case 'E': case 'g': case 'G': case 'a': case 'A':
        kind = keznlsArgKind::floating;
        break;
      case 's': kind = keznlsArgKind::text; break;
      case 'c': kind = keznlsArgKind::character; break;
      default: return Problem::bad_conversion;
    }
    if (index < 0) index = next++;
    if (index >= count) return Problem::missing_argument;
    if (kinds[index] != kind) return Problem::kind_mismatch;
    if ((read & (1u << index)) != 0) return Problem::argument_read_twice;
    read |= 1u << index;
  }
  for (int i = 0; i < count; ++i)
    if ((read & (1u << i)) == 0) {
      for (int j = i + 1; j < count && j < 32; ++j)
        if ((read & (1u << j)) != 0) return Problem::gap;
      return Problem::unused_argument;
    }
  return Problem::none;
}

/// @{
/// Not constant expressions: reaching one while a format is checked at
/// compile time stops the compiler with its name.
void format_has_a_bad_or_unknown_conversion();
void format_has_more_than_nine_conversions();
void format_mixes_numbered_and_plain_conversions();
void format_reads_an_argument_not_passed();
void format_reads_an_argument_as_another_kind();
void format_has_a_gap_in_its_numbered_arguments();
void format_leaves_an_argument_unread();
void format_reads_one_argument_twice();
/// @}

/// Stops a compile-time check at the function that names `problem`.
constexpr void report(Problem problem) {
  switch (problem) {
    case Problem::none: return;
    case Problem::bad_conversion: format_has_a_bad_or_unknown_conversion(); return;
    case Problem::tenth_conversion: format_has_more_than_nine_conversions(); return;
    case Problem::mixed_numbering: format_mixes_numbered_and_plain_conversions(); return;
    case Problem::missing_argument: format_reads_an_argument_not_passed(); return;
    case Problem::kind_mismatch: format_reads_an_argument_as_another_kind(); return;
    case Problem::gap: format_has_a_gap_in_its_numbered_arguments(); return;
    case Problem::unused_argument: format_leaves_an_argument_unread(); return;
    case Problem::argument_read_twice: format_reads_one_argument_twice(); return;
  }
}

/// `T`, where it must not be deduced.
template <typename T>
struct identity {
  using type = T;  ///< `T`
};

}  // namespace keznls_check

// clang 14 and 15 check formats as consteval asks but do not announce it.
/// 1 where typed calls check their formats while compiling (C++20).
#if (defined(__cpp_consteval) && __cpp_consteval >= 201811L) || \
    (defined(__clang__) && __clang_major__ >= 14 && __cplusplus >= 202002L)
#define KEZNLS_CONSTEVAL_FORMAT 1
#else
#define KEZNLS_CONSTEVAL_FORMAT 0
#endif

/// A format known only when the program runs (read from a file, chosen
/// among several): taken by a typed call unchecked while compiling, and
/// refused when used where it does not suit the arguments.
struct keznlsRuntimeFormat {
  const char* text;  ///< the format
};

/// The format of a typed call whose arguments are `A...`. Under C++20 it is
/// made from a literal and checked while the program compiles: a
/// conversion that reads an argument as another kind, an argument missing
/// or left unread, a tenth conversion or a gap in numbered arguments is a
/// compile error naming the problem. Under C++17 it takes any text; a
/// mismatch is refused when the message is formatted (its conversions
/// show "<error>"), never read as the wrong type.
template <typename... A>
class keznlsFormatString {
 public:
#if KEZNLS_CONSTEVAL_FORMAT
  /// Checks `text` against `A...` while compiling.
  template <std::size_t N>
  consteval keznlsFormatString(const char (&text)[N]) : text_(text) {  // NOLINT(google-explicit-constructor)
    // A type no conversion reads is refused by its own static_assert.
    if constexpr ((keznls_args::accepted<A> && ...)) {
      constexpr keznlsArgKind kinds[sizeof...(A) + 1] = {keznls_args::kind_of<A>()..., keznlsArgKind::integer};
      keznls_check::report(keznls_check::check(text, kinds, static_cast<int>(sizeof...(A))));
    }
  }
#else
  /// Keeps `text`, checked when used.
  keznlsFormatString(const char* text) : text_(text) {}  // NOLINT(google-explicit-constructor)
#endif
  /// Takes a format known only at run time.
  keznlsFormatString(keznlsRuntimeFormat format) : text_(format.text) {}  // NOLINT(google-explicit-constructor)
  /// The format.
  const char* text() const { return text_; }

 private:
  const char* text_;
};

/// The parameter type of a typed call's format: `A...` come from the
/// arguments, not from the format.
template <typename... A>
using keznlsFormat = keznlsFormatString<typename keznls_check::identity<A>::type...>;

#endif  // KEZNLS_TYPED_FORMAT_H
