/// \file
/// Typed arguments: each C++ value of a typed call (`tprint` and its
/// kin) travels with its type, so a formatter reads it as what it is.
/// A pack lives on the calling thread's stack for one call and points at
/// the caller's values: nothing here is shared between threads.
#ifndef KEZNLS_ARGS_H
#define KEZNLS_ARGS_H

#include "keznls/export.h"

#include <cstdarg>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "keznls/ut/ut_string.h"

/// What a conversion reads: a translation may read an argument only as
/// the kind the caller passed.
enum class keznlsArgKind : unsigned char {
  integer,    ///< `d i u x X o`
  floating,   ///< `f F e E g G a A`
  text,       ///< `s`
  character,  ///< `c`
};

/// One argument of a typed call. Texts are borrowed for the call.
struct keznlsArg {
  /// How the value is held.
  enum class Type : unsigned char { signed_integer, unsigned_integer, floating, text, character };
  Type type;            ///< how the value is held
  unsigned char bytes;  ///< an integer's width as passed: 1, 2, 4 or 8
  bool terminated;      ///< a text with a NUL after its `size` characters
  union {
    long long i;         ///< signed_integer, widened
    unsigned long long u;  ///< unsigned_integer, widened
    double f;            ///< floating
    char c;              ///< character
    struct {
      const char* data;  ///< null for a null `const char*`
      std::size_t size;
    } s;                 ///< text: exactly `size` characters, no NUL needed
  };

  /// The kind a conversion must read this argument as.
  keznlsArgKind kind() const {
    switch (type) {
      case Type::floating: return keznlsArgKind::floating;
      case Type::text: return keznlsArgKind::text;
      case Type::character: return keznlsArgKind::character;
      default: return keznlsArgKind::integer;
    }
  }
};

/// Calls back with a C argument list: see `keznlsArgs::as_varargs`.
using keznlsVaCall = int (*)(void* context, const char* format, va_list args);

/// The arguments of one typed call.
struct keznlsArgs {
  const keznlsArg* args;  ///< `count` of them
  int count;              ///< the number of arguments
  /// Calls `call(context, format, list)` with `args` (these arguments, or
  /// a copy with texts made NUL-terminated) as a C variadic call passes
  /// them: integers up to `int`'s width as `int` or `unsigned`, wider ones
  /// as `long` or `unsigned long` (`long long` where `long` is narrower),
  /// floating as `double`, characters as `int`, texts as `const char*`.
  /// `format` must read exactly these types; returns what `call` returns.
  int (*as_varargs)(const keznlsArg* args, keznlsVaCall call, void* context, const char* format);
};

/// Where a formatter puts a typed call's text.
class KEZNLS_API keznlsTextSink {
 public:
  /// Room for `size` characters and a NUL after them, valid until the
  /// next call; the formatter writes the text and its NUL there.
  virtual char* room(std::size_t size) = 0;

 protected:
  ~keznlsTextSink() = default;
};

namespace keznls_args {

template <typename T>
struct dependent_false : std::false_type {};

/// `T` without reference and const.
template <typename T>
using bare = std::remove_cv_t<std::remove_reference_t<T>>;

/// Whether `T` is a text a typed call takes.
template <typename T>
constexpr bool is_text = std::is_same_v<bare<T>, std::string> || std::is_same_v<bare<T>, std::string_view> ||
                         std::is_same_v<bare<T>, utString> || std::is_same_v<std::decay_t<T>, const char*> ||
                         std::is_same_v<std::decay_t<T>, char*>;

/// Whether `T` is an integer a typed call takes (not `bool`, not `char`,
/// which is a character; `signed char` and `unsigned char` are numbers).
template <typename T>
constexpr bool is_integer = std::is_integral_v<bare<T>> && !std::is_same_v<bare<T>, bool> &&
                            !std::is_same_v<bare<T>, char> && !std::is_same_v<bare<T>, wchar_t> &&
                            !std::is_same_v<bare<T>, char16_t> && !std::is_same_v<bare<T>, char32_t> &&
                            sizeof(bare<T>) <= 8;

/// Whether a typed call takes `T` at all.
template <typename T>
constexpr bool accepted = is_integer<T> || is_text<T> || std::is_same_v<bare<T>, char> ||
                          std::is_same_v<bare<T>, float> || std::is_same_v<bare<T>, double>;

/// The kind a value of type `T` is read as.
template <typename T>
constexpr keznlsArgKind kind_of() {
  if constexpr (is_integer<T>) return keznlsArgKind::integer;
  else if constexpr (std::is_same_v<bare<T>, char>) return keznlsArgKind::character;
  else if constexpr (is_text<T>) return keznlsArgKind::text;
  else return keznlsArgKind::floating;
}

/// Refuses a type no conversion reads, naming it in the message.
template <typename T>
constexpr void check_type() {
  static_assert(!std::is_same_v<bare<T>, bool>,
                "keznls: a bool is not a typed argument; pass a text (b ? \"yes\" : \"no\") or an int");
  static_assert(!std::is_enum_v<bare<T>>,
                "keznls: an enum is not a typed argument; convert it to its number or to a text first");
  static_assert(!std::is_same_v<bare<T>, std::nullptr_t>,
                "keznls: nullptr is not a typed argument; pass a text");
  static_assert(std::is_same_v<bare<T>, bool> || std::is_enum_v<bare<T>> ||
                    std::is_same_v<bare<T>, std::nullptr_t> || accepted<T>,
                "keznls: this type is not a typed argument (integers, float, double, char, "
                "const char*, std::string, std::string_view and utString are)");
}

/// Sets `a` to `value` as a typed argument, in place: a copy of a whole
/// argument after its fields were stored one by one would wait for them.
template <typename T>
void fill(keznlsArg& a, const T& value) {
  check_type<T>();
  a.terminated = false;
  if constexpr (is_integer<T>) {
    a.bytes = sizeof(T);
    if constexpr (std::is_signed_v<bare<T>>) {
      a.type = keznlsArg::Type::signed_integer;
      a.i = static_cast<long long>(value);
    } else {
      a.type = keznlsArg::Type::unsigned_integer;
      a.u = static_cast<unsigned long long>(value);
    }
  } else if constexpr (std::is_same_v<bare<T>, char>) {
    a.type = keznlsArg::Type::character;
    a.bytes = 1;
    a.c = value;
  } else if constexpr (std::is_floating_point_v<bare<T>>) {
    a.type = keznlsArg::Type::floating;
    a.bytes = 8;
    a.f = static_cast<double>(value);
  } else {
    a.type = keznlsArg::Type::text;
    a.bytes = 0;
    a.terminated = true;
    const char* const null = "(null)";  // what C's printf shows for a null text
    if constexpr (std::is_same_v<bare<T>, std::string_view>) {
      a.s = {value.data(), value.size()};
      a.terminated = false;
    } else if constexpr (std::is_same_v<bare<T>, std::string>) {
      a.s = {value.c_str(), value.size()};
    } else if constexpr (std::is_same_v<bare<T>, utString>) {
      if (value.invalid()) a.s = {null, 6};
      else a.s = {value.c_str(), value.size()};
    } else if constexpr (std::is_array_v<bare<T>>) {
      a.s = {value, std::strlen(value)};
    } else {
      if (value == nullptr) a.s = {null, 6};
      else a.s = {value, std::strlen(value)};
    }
  }
}

/// The C variadic form of one argument (see `keznlsArgs::as_varargs`).
template <typename T>
auto c_value(const keznlsArg& a) {
  if constexpr (is_integer<T>) {
    using Wide = std::conditional_t<(sizeof(long) >= 8), long, long long>;
    if constexpr (std::is_signed_v<bare<T>>) {
      if constexpr (sizeof(T) <= sizeof(int)) return static_cast<int>(a.i);
      else return static_cast<Wide>(a.i);
    } else {
      if constexpr (sizeof(T) <= sizeof(int)) return static_cast<unsigned>(a.u);
      else return static_cast<std::make_unsigned_t<Wide>>(a.u);
    }
  } else if constexpr (std::is_same_v<bare<T>, char>) {
    return static_cast<int>(a.c);
  } else if constexpr (std::is_floating_point_v<bare<T>>) {
    return a.f;
  } else {
    return a.s.data;
  }
}

/// Starts the list `call` reads.
KEZNLS_API int call_with_list(keznlsVaCall call, void* context, const char* format, ...);

/// The arguments `args` of types `A...` passed to `call` as a C list.
template <typename... A, std::size_t... I>
int as_varargs(const keznlsArg* args, keznlsVaCall call, void* context, const char* format,
               std::index_sequence<I...>) {
  return call_with_list(call, context, format, c_value<A>(args[I])...);
}

/// What `keznlsArgs::as_varargs` points at for arguments of types `A...`.
template <typename... A>
int as_varargs(const keznlsArg* args, keznlsVaCall call, void* context, const char* format) {
  return as_varargs<A...>(args, call, context, format, std::index_sequence_for<A...>());
}

/// The arguments of one call, held for its duration.
template <typename... A>
class Pack {
 public:
  /// Holds `values` as typed arguments.
  explicit Pack(const A&... values) {
    keznlsArg* a = args_;
    (fill(*a++, values), ...);
  }
  /// The arguments, valid while this pack lives.
  keznlsArgs args() const { return {args_, static_cast<int>(sizeof...(A)), &as_varargs<A...>}; }

 private:
  keznlsArg args_[sizeof...(A) == 0 ? 1 : sizeof...(A)];
};

/// A call without arguments.
template <>
class Pack<> {
 public:
  /// No arguments.
  keznlsArgs args() const { return {nullptr, 0, &as_varargs<>}; }
};

}  // namespace keznls_args

#endif  // KEZNLS_ARGS_H
