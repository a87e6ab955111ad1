// Reading printf formats the way the C library does, to tell whether a
// translation reads the same arguments as the original it replaces. A
// catalogue is data from outside the program: a translation that reads an
// argument as another type, or one the caller never passed, must not reach
// a formatter.
#ifndef NLS_FORMAT_CHECK_H
#define NLS_FORMAT_CHECK_H

#include <cstdint>
#include <cstring>
#include <string_view>

namespace nls_format {

/// The C type an argument is read as, after the default argument
/// promotions (`%hd`, `%hhu` and `%c` read an `int`). Types are told apart
/// as C names them, not by their size here: `%zu` and `%lu` differ, so a
/// catalogue gets the same verdict on every platform.
enum class ArgType : std::uint8_t {
  kNone,  ///< not read by any conversion
  kInt,
  kUnsigned,
  kLong,
  kUnsignedLong,
  kLongLong,
  kUnsignedLongLong,
  kIntmax,
  kUintmax,
  kSize,
  kSignedSize,
  kPtrdiff,
  kUnsignedPtrdiff,
  kDouble,
  kLongDouble,
  kWint,
  kString,      ///< const char*
  kWideString,  ///< const wchar_t*
  kPointer,     ///< void*
  // Where `%n` stores the count so far.
  kSignedCharCount,
  kShortCount,
  kIntCount,
  kLongCount,
  kLongLongCount,
  kIntmaxCount,
  kSignedSizeCount,
  kPtrdiffCount,
};

/// The type as C spells it: "int", "const wchar_t*", "long long*".
const char* type_name(ArgType type);

/// Whether a conversion of this type writes through its argument (`%n`).
inline bool writes_count(ArgType type) { return type >= ArgType::kSignedCharCount; }

/// Why a format does not parse.
enum class FormatError : std::uint8_t {
  kNone,
  kIncomplete,         ///< the text ends inside a conversion
  kUnknownConversion,  ///< no conversion letter where one must be
  kBadLength,          ///< a length modifier the letter does not take
  kNumberTooLarge,     ///< a width or precision above INT_MAX
  kTooManyArguments,   ///< an argument index above kMaxArguments
  kMixedNumbering,     ///< `n$` references together with plain ones
  kGap,                ///< a numbered argument that no conversion reads
  kTypeConflict,       ///< one argument read as two types
};

/// Arguments a format may read. glibc allows thousands; a message needs a
/// handful, and a bound keeps the map free of allocation. A format that
/// reads more does not parse, so its translations stay unused.
constexpr int kMaxArguments = 64;

/// One conversion specification as read from a format.
struct Conversion {
  std::string_view text;  ///< from the `%` to the conversion letter
  int width;              ///< written width; -1: none, or `*`
  int precision;          ///< written precision (`.` alone is 0); -1: none, or `*`
  int width_arg;          ///< argument a `*` width reads; -1: none
  int precision_arg;      ///< argument a `*` precision reads; -1: none
  int value_arg;          ///< argument converted; -1: none (`%m`)
  ArgType type;           ///< what `value_arg` is read as; kNone for `%n$m`,
                          ///< which names an argument without reading it
  char letter;
  bool numbered;          ///< its arguments are named by `n$`
};

/// The next `%` at or after `p` that starts a conversion (`%%` is text), or
/// null at the end of the format.
inline const char* find_conversion(const char* p) {
  for (;; p += 2) {
    p = std::strchr(p, '%');
    if (p == nullptr || p[1] != '%') return p;
  }
}

/// Reads the conversion whose `%` is at `cursor` and moves `cursor` past
/// it. Unnumbered references take `next_arg`, counting it up. On failure
/// `cursor` is left where reading stopped.
FormatError read_conversion(const char*& cursor, int& next_arg, Conversion& out);

/// Which argument each index is, for one format: filled by `parse`, which
/// also checks that the references are consistent (all numbered or none,
/// no gap, one type per argument). Default-constructed, it is the map of a
/// format without conversions. It points into the format it read.
class ArgumentMap {
 public:
  ArgumentMap() = default;
  explicit ArgumentMap(const char* format) { parse(format); }

  /// Reads `format`; false, with `error()` set, when it does not parse.
  bool parse(const char* format);

  bool ok() const { return error_ == FormatError::kNone; }
  FormatError error() const { return error_; }
  /// The `%` of the conversion that failed; null for a gap.
  const char* error_at() const { return error_at_; }

  /// Arguments read: indices 0 to size() - 1, every one of them typed.
  int size() const { return size_; }
  /// The largest width or precision written as digits; 0 for none.
  int widest() const { return widest_; }
  ArgType type(int index) const { return args_[index].type; }
  /// The first conversion that reads argument `index`, as written.
  std::string_view conversion(int index) const {
    return std::string_view(args_[index].conversion, args_[index].length);
  }

 private:
  FormatError add(int index, ArgType type, std::string_view conversion);
  bool fail(FormatError error, const char* at);

  struct Arg {
    ArgType type;
    std::uint32_t length;
    const char* conversion;
  };
  // Only [0, size_) is ever written or read.
  Arg args_[kMaxArguments];
  int size_ = 0;
  int widest_ = 0;
  FormatError error_ = FormatError::kNone;
  const char* error_at_ = nullptr;
};

/// How many of the original's arguments a translation must read.
enum class Match : std::uint8_t {
  kAll,  ///< every one, each as the original reads it
  /// The first k for some k, each as the original reads it: for plural
  /// forms, since a form used for a single number often leaves the count
  /// out ("jeden plik" for "%d files"). Reading fewer leading arguments
  /// than were passed is safe for every formatter: the C library and the
  /// engine read in order, or (with `n$`) learn each type from the format
  /// up to the highest index, and never touch what lies past it. Skipping
  /// an earlier argument is not safe: that is a gap, which does not parse.
  kLeading,
};

/// Widths and precisions a translation may write beyond its original's: a
/// catalogue must not make a formatter fill megabytes of padding.
constexpr int kMaxBound = 255;

/// Whether `translation` may stand in for the format `original` was parsed
/// from: it parses, writes through no `%n`, reads the original's arguments
/// (all of them, or a leading part) with the original's types, in any
/// order, and writes no width or precision above both kMaxBound and the
/// original's largest. Nothing is usable for an original that did not
/// parse.
bool compatible(const ArgumentMap& original, const char* translation, Match match = Match::kAll);
bool compatible(const char* original, const char* translation, Match match = Match::kAll);

}  // namespace nls_format

#endif  // NLS_FORMAT_CHECK_H
