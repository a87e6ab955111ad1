// The printf grammar as glibc reads it, cut down where glibc itself is
// unsafe or inconsistent: refusing a format only means its translations
// are not used.
#include "format/format_check.h"

#include <climits>
#include <cstdint>

namespace nls_format {

namespace {

// Signed-char comparison, so bytes 0x80 and above are never digits.
bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool is_flag(char c) {
  switch (c) {
    case '-': case '+': case ' ': case '#': case '0':
    case '\'': case 'I':  // glibc: thousands grouping, locale digits
      return true;
    default:
      return false;
  }
}

// A run of digits; stops growing past INT_MAX so a long run stays one
// (too large) number.
std::int64_t read_number(const char*& p) {
  std::int64_t n = 0;
  for (; is_digit(*p); ++p)
    if (n <= INT_MAX) n = n * 10 + (*p - '0');
  return n;
}

// `n$` with n >= 1 sets `index`; anything else leaves `p` where it was,
// as glibc does (so "%0$d" is a `0` flag followed by a bad letter).
FormatError read_index(const char*& p, int& index) {
  if (!is_digit(*p)) return FormatError::kNone;
  const char* const digits = p;
  const std::int64_t n = read_number(p);
  if (n == 0 || *p != '$') {
    p = digits;
    return FormatError::kNone;
  }
  if (n > kMaxArguments) {
    p = digits;
    return FormatError::kTooManyArguments;
  }
  index = static_cast<int>(n - 1);
  ++p;
  return FormatError::kNone;
}

FormatError next_index(int& next_arg, int& index) {
  if (next_arg >= kMaxArguments) return FormatError::kTooManyArguments;
  index = next_arg++;
  return FormatError::kNone;
}

// Which references a conversion makes.
struct Numbering {
  bool numbered = false;
  bool unnumbered = false;
};

// `*` or `*m$`, with `p` on the `*` and `arg` at -1.
FormatError read_star(const char*& p, int& next_arg, int& arg, Numbering& numbering) {
  ++p;
  const FormatError error = read_index(p, arg);
  if (error != FormatError::kNone || arg >= 0) {
    numbering.numbered = true;
    return error;
  }
  numbering.unnumbered = true;
  return next_index(next_arg, arg);
}

// A width or precision written as digits.
FormatError read_bound(const char*& p, int& bound) {
  const char* const digits = p;
  const std::int64_t n = read_number(p);
  if (n > INT_MAX) {
    p = digits;
    return FormatError::kNumberTooLarge;
  }
  bound = static_cast<int>(n);
  return FormatError::kNone;
}

enum Length : std::uint8_t {
  kNoLength,
  kHH,
  kH,
  kL,
  kLL,
  kLegacyLL,  // L and q
  kJ,
  kZ,  // z and glibc's Z
  kT,
  kLengths,
};

Length read_length(const char*& p) {
  switch (*p) {
    case 'h':
      ++p;
      if (*p != 'h') return kH;
      ++p;
      return kHH;
    case 'l':
      ++p;
      if (*p != 'l') return kL;
      ++p;
      return kLL;
    case 'L': case 'q': ++p; return kLegacyLL;
    case 'j': ++p; return kJ;
    case 'z': case 'Z': ++p; return kZ;
    case 't': ++p; return kT;
    default: return kNoLength;
  }
}

using T = ArgType;
constexpr T kNo = T::kNone;  // the letter does not take this length

// Columns in Length order: none hh h l ll L/q j z t. Short types arrive
// promoted to int. Conversions missing from here take no length at all.
constexpr T kSignedTypes[kLengths] = {T::kInt, T::kInt, T::kInt, T::kLong, T::kLongLong,
                                      T::kLongLong, T::kIntmax, T::kSignedSize, T::kPtrdiff};
constexpr T kUnsignedTypes[kLengths] = {T::kUnsigned, T::kInt, T::kInt, T::kUnsignedLong,
                                        T::kUnsignedLongLong, T::kUnsignedLongLong, T::kUintmax,
                                        T::kSize, T::kUnsignedPtrdiff};
// glibc reads `ll` and `q` like `L` here, and ignores h, j, z and t, which
// the compiler's format check refuses: so do we.
constexpr T kFloatTypes[kLengths] = {T::kDouble, kNo, kNo, T::kDouble, T::kLongDouble,
                                     T::kLongDouble, kNo, kNo, kNo};
constexpr T kCountTypes[kLengths] = {T::kIntCount, T::kSignedCharCount, T::kShortCount,
                                     T::kLongCount, T::kLongLongCount, T::kLongLongCount,
                                     T::kIntmaxCount, T::kSignedSizeCount, T::kPtrdiffCount};
// `%c` and `%s` take `l` only: glibc reads `%zs`, `%js` and `%Ls` as wide
// in one of its two readers and as narrow in the other.
constexpr T kCharTypes[kLengths] = {T::kInt, kNo, kNo, T::kWint, kNo, kNo, kNo, kNo, kNo};
constexpr T kStringTypes[kLengths] = {T::kString, kNo, kNo, T::kWideString, kNo,
                                      kNo, kNo, kNo, kNo};

// The type `letter` with `length` reads; kNone with an error when the pair
// is refused.
FormatError type_for(char letter, Length length, bool numbered, ArgType& type) {
  const T* column = nullptr;
  switch (letter) {
    case 'd': case 'i':
      column = kSignedTypes;
      break;
    case 'o': case 'u': case 'x': case 'X': case 'b': case 'B':
      column = kUnsignedTypes;
      break;
    case 'e': case 'E': case 'f': case 'F': case 'g': case 'G': case 'a': case 'A':
      column = kFloatTypes;
      break;
    case 'n':
      column = kCountTypes;
      break;
    case 'c':
      column = kCharTypes;
      break;
    case 's':
      column = kStringTypes;
      break;
    case 'C': type = T::kWint; break;
    case 'S': type = T::kWideString; break;
    case 'p': type = T::kPointer; break;
    case 'm': type = T::kNone; break;
    case '\0': return FormatError::kIncomplete;
    default: return FormatError::kUnknownConversion;
  }
  if (column == nullptr) return length == kNoLength ? FormatError::kNone : FormatError::kBadLength;
  // glibc's positional reader takes `%1$Ld` and `%1$qd` for an int while
  // its other reader takes a long long: refused rather than guessed.
  if (length == kLegacyLL && numbered && column != kFloatTypes) return FormatError::kBadLength;
  type = column[length];
  return type == kNo ? FormatError::kBadLength : FormatError::kNone;
}

}  // namespace

FormatError read_conversion(const char*& cursor, int& next_arg, Conversion& out) {
  const char* const begin = cursor;
  const char* p = cursor + 1;
  const auto stop = [&](FormatError error) {
    cursor = p;
    return error;
  };
  out.width = out.precision = out.width_arg = out.precision_arg = out.value_arg = -1;
  Numbering numbering;
  FormatError error = read_index(p, out.value_arg);
  if (error != FormatError::kNone) return stop(error);
  numbering.numbered = out.value_arg >= 0;

  while (is_flag(*p)) ++p;
  if (*p == '*') error = read_star(p, next_arg, out.width_arg, numbering);
  else if (is_digit(*p)) error = read_bound(p, out.width);
  if (error != FormatError::kNone) return stop(error);
  if (*p == '.') {
    ++p;
    if (*p == '*') error = read_star(p, next_arg, out.precision_arg, numbering);
    else error = read_bound(p, out.precision);  // no digits: 0
    if (error != FormatError::kNone) return stop(error);
  }
  const Length length = read_length(p);
  out.letter = *p;
  error = type_for(out.letter, length, numbering.numbered, out.type);
  if (error != FormatError::kNone) return stop(error);
  ++p;
  // A value taken in order comes after the `*` arguments; `%m` takes none.
  if (out.value_arg < 0 && out.letter != 'm') {
    numbering.unnumbered = true;
    error = next_index(next_arg, out.value_arg);
  }
  if (error == FormatError::kNone && numbering.numbered && numbering.unnumbered)
    error = FormatError::kMixedNumbering;
  out.numbered = numbering.numbered;
  out.text = std::string_view(begin, static_cast<std::size_t>(p - begin));
  return stop(error);
}

bool ArgumentMap::parse(const char* format) {
  size_ = widest_ = 0;
  error_ = FormatError::kNone;
  error_at_ = nullptr;
  enum { kUnset, kNumbered, kUnnumbered } numbering = kUnset;
  int next_arg = 0;
  for (const char* p = find_conversion(format); p != nullptr; p = find_conversion(p)) {
    const char* const start = p;
    Conversion c;
    FormatError error = read_conversion(p, next_arg, c);
    if (error != FormatError::kNone) return fail(error, start);
    if (c.width > widest_) widest_ = c.width;
    if (c.precision > widest_) widest_ = c.precision;
    if (c.value_arg < 0 && c.width_arg < 0 && c.precision_arg < 0) continue;  // plain %m
    const auto mode = c.numbered ? kNumbered : kUnnumbered;
    if (numbering == kUnset) numbering = mode;
    else if (numbering != mode) return fail(FormatError::kMixedNumbering, start);
    if (c.width_arg >= 0) error = add(c.width_arg, ArgType::kInt, c.text);
    if (error == FormatError::kNone && c.precision_arg >= 0)
      error = add(c.precision_arg, ArgType::kInt, c.text);
    if (error == FormatError::kNone && c.value_arg >= 0) error = add(c.value_arg, c.type, c.text);
    if (error != FormatError::kNone) return fail(error, start);
  }
  // glibc cannot know how to step over an argument no conversion reads.
  for (int i = 0; i < size_; ++i)
    if (args_[i].type == ArgType::kNone) return fail(FormatError::kGap, nullptr);
  return true;
}

FormatError ArgumentMap::add(int index, ArgType type, std::string_view conversion) {
  while (size_ <= index) args_[size_++] = Arg{ArgType::kNone, 0, nullptr};
  Arg& arg = args_[index];
  if (type == ArgType::kNone || arg.type == type) return FormatError::kNone;
  if (arg.type != ArgType::kNone) return FormatError::kTypeConflict;
  arg = Arg{type, static_cast<std::uint32_t>(conversion.size()), conversion.data()};
  return FormatError::kNone;
}

bool ArgumentMap::fail(FormatError error, const char* at) {
  size_ = 0;
  error_ = error;
  error_at_ = at;
  return false;
}

bool compatible(const ArgumentMap& original, const char* translation, Match match) {
  if (!original.ok()) return false;
  const ArgumentMap map(translation);
  if (!map.ok() || map.size() > original.size()) return false;
  if (map.widest() > kMaxBound && map.widest() > original.widest()) return false;
  if (match == Match::kAll && map.size() != original.size()) return false;
  for (int i = 0; i < map.size(); ++i)
    if (map.type(i) != original.type(i) || writes_count(map.type(i))) return false;
  return true;
}

bool compatible(const char* original, const char* translation, Match match) {
  return compatible(ArgumentMap(original), translation, match);
}

const char* type_name(ArgType type) {
  switch (type) {
    case ArgType::kNone: return "nothing";
    case ArgType::kInt: return "int";
    case ArgType::kUnsigned: return "unsigned int";
    case ArgType::kLong: return "long";
    case ArgType::kUnsignedLong: return "unsigned long";
    case ArgType::kLongLong: return "long long";
    case ArgType::kUnsignedLongLong: return "unsigned long long";
    case ArgType::kIntmax: return "intmax_t";
    case ArgType::kUintmax: return "uintmax_t";
    case ArgType::kSize: return "size_t";
    case ArgType::kSignedSize: return "ssize_t";
    case ArgType::kPtrdiff: return "ptrdiff_t";
    case ArgType::kUnsignedPtrdiff: return "unsigned ptrdiff_t";
    case ArgType::kDouble: return "double";
    case ArgType::kLongDouble: return "long double";
    case ArgType::kWint: return "wint_t";
    case ArgType::kString: return "const char*";
    case ArgType::kWideString: return "const wchar_t*";
    case ArgType::kPointer: return "void*";
    case ArgType::kSignedCharCount: return "signed char*";
    case ArgType::kShortCount: return "short*";
    case ArgType::kIntCount: return "int*";
    case ArgType::kLongCount: return "long*";
    case ArgType::kLongLongCount: return "long long*";
    case ArgType::kIntmaxCount: return "intmax_t*";
    case ArgType::kSignedSizeCount: return "ssize_t*";
    case ArgType::kPtrdiffCount: return "ptrdiff_t*";
  }
  return "?";
}

}  // namespace nls_format
