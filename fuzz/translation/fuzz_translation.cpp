// Pairs of formats, an original and its translation. Whenever the check
// lets the translation stand in for the original, the translation is
// formatted with arguments of the types the original reads, through the
// engine and through vsnprintf, which must stay clean under the sanitizers.
// Every format the check reads is also held against glibc's own reading
// (parse_printf_format): the same number of arguments, each travelling the
// same way.
//
// The same pair as a plural entry of a catalogue whose msgid_plural is a
// third text: a form is handed out for a call's plural only when it may
// stand in for that plural, whatever the catalogue says it was made for.
//
// Input: the original, a NUL, the translation, a NUL, the catalogue's
// plural, a NUL, bytes that seed the values.
#include <printf.h>

#include <clocale>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "../support/fuzz_bytes.h"
#include "format/format_check.h"
#include "keznls/engine.h"
#include "keznls/nls/nls.h"

namespace {

using nls_format::ArgType;
using nls_format::ArgumentMap;
using nls_format::find_conversion;
using nls_format::read_conversion;

// Arguments passed in one call; each class multiplies the instantiations.
constexpr int kMaxPassed = 5;
// glibc allocates work space as wide as a width or precision: a large one
// costs memory, not safety.
constexpr int kMaxBound = 4000;

// An argument's class. On x86-64 integers and pointers travel alike, in
// 8-byte integer slots; doubles go in SSE registers, long doubles in
// memory. glibc's reading still tells pointers apart, and so do we.
enum class Class { kInteger, kPointer, kDouble, kLongDouble };

Class class_of(ArgType type) {
  switch (type) {
    case ArgType::kDouble: return Class::kDouble;
    case ArgType::kLongDouble: return Class::kLongDouble;
    case ArgType::kString: case ArgType::kWideString: case ArgType::kPointer: return Class::kPointer;
    default: return nls_format::writes_count(type) ? Class::kPointer : Class::kInteger;
  }
}

Class class_of_glibc(int type) {
  if (type & PA_FLAG_PTR) return Class::kPointer;
  switch (type & ~PA_FLAG_MASK) {
    case PA_STRING: case PA_WSTRING: case PA_POINTER: return Class::kPointer;
    case PA_FLOAT: case PA_DOUBLE:
      return type & PA_FLAG_LONG_DOUBLE ? Class::kLongDouble : Class::kDouble;
    default: return Class::kInteger;
  }
}

// A format the check reads must be read alike by glibc.
void agree_with_glibc(const char* format, const ArgumentMap& map) {
  if (!map.ok()) return;
  int types[nls_format::kMaxArguments];
  const std::size_t n = parse_printf_format(format, nls_format::kMaxArguments, types);
  if (n != static_cast<std::size_t>(map.size())) std::abort();
  for (int i = 0; i < map.size(); ++i)
    if (class_of(map.type(i)) != class_of_glibc(types[i])) std::abort();
}

struct Plan {
  const char* translation;
  const ArgumentMap* original;
  bool star[nls_format::kMaxArguments];  // read by the translation as a width or precision
  bool call_vsnprintf;
};

void format_both(const Plan* plan, ...) {
  static const keznlsSprintf engine(ut_lit(","));
  va_list args;
  va_start(args, plan);
  va_list copy;
  va_copy(copy, args);
  const utString text = engine.gui_vsprintf(plan->translation, copy);
  va_end(copy);
  if (text.invalid() || mca_strlen(text.c_str()) < 0) std::abort();
  if (plan->call_vsnprintf) {
    va_copy(copy, args);
    const int size = std::vsnprintf(nullptr, 0, plan->translation, copy);
    va_end(copy);
    if (size >= 0) {
      const std::unique_ptr<char[]> buffer(new char[static_cast<std::size_t>(size) + 1]);
      va_copy(copy, args);
      std::vsnprintf(buffer.get(), static_cast<std::size_t>(size) + 1, plan->translation, copy);
      va_end(copy);
    }
  }
  va_end(args);
}

// Values drawn from the seed bytes; pointers always point where the type
// says.
struct Values : FuzzBytes {
  std::uint64_t slot(const Plan& plan, int index) {
    static const char* const strings[] = {nullptr, "", "abc", "%d%s%n",
                                          "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC"};
    static const wchar_t* const wide[] = {nullptr, L"", L"wide", L"\u00e9t\u00e9 \u20ac",
                                          L"\U0001F600"};
    alignas(16) static long long count[2];
    const ArgType type = plan.original->type(index);
    if (type == ArgType::kString) return address(strings[take(1) % 5]);
    if (type == ArgType::kWideString) return address(wide[take(1) % 5]);
    if (nls_format::writes_count(type)) return address(count);
    if (plan.star[index]) {
      const int bound = static_cast<int>(take(2) % (2 * kMaxBound + 1)) - kMaxBound;
      return static_cast<std::uint64_t>(bound);
    }
    return take(8);
  }
  static std::uint64_t address(const void* p) { return reinterpret_cast<std::uintptr_t>(p); }
};

// One fixed-arity call per sequence of argument classes.
template <typename... A>
void call(const Plan& plan, int i, Values& v, A... a) {
  if (i == plan.original->size()) return format_both(&plan, a...);
  if constexpr (sizeof...(A) < kMaxPassed) {
    switch (class_of(plan.original->type(i))) {
      case Class::kInteger: case Class::kPointer: return call(plan, i + 1, v, a..., v.slot(plan, i));
      case Class::kDouble: return call(plan, i + 1, v, a..., v.real());
      case Class::kLongDouble: return call(plan, i + 1, v, a..., static_cast<long double>(v.real()));
    }
  }
}

// Marks the translation's `*` arguments and tells whether its written
// bounds are small enough for vsnprintf.
bool read_bounds(const char* format, Plan& plan) {
  bool small = true;
  int next_arg = 0;
  for (const char* p = find_conversion(format); p != nullptr; p = find_conversion(p)) {
    nls_format::Conversion c;
    if (read_conversion(p, next_arg, c) != nls_format::FormatError::kNone) std::abort();
    if (c.width_arg >= 0) plan.star[c.width_arg] = true;
    if (c.precision_arg >= 0) plan.star[c.precision_arg] = true;
    if (c.width > kMaxBound || c.precision > kMaxBound) small = false;
  }
  return small;
}

// The bytes up to the next NUL (or the end), and `p` past that NUL.
std::string take(const std::uint8_t*& p, const std::uint8_t* end) {
  const void* nul = std::memchr(p, 0, static_cast<std::size_t>(end - p));
  const std::uint8_t* stop = nul ? static_cast<const std::uint8_t*>(nul) : end;
  std::string s(reinterpret_cast<const char*>(p), static_cast<std::size_t>(stop - p));
  p = nul ? stop + 1 : end;
  return s;
}

// A catalogue of one plural entry, "key" with `plural` as msgid_plural and
// `form` as both its forms, two forms by n != 1.
std::shared_ptr<const nlsLoadedDomain> plural_catalogue(const std::string& plural, const std::string& form) {
  const std::string header = "Plural-Forms: nplurals=2; plural=(n != 1);\n";
  const std::string original = std::string("key") + '\0' + plural;
  const std::string forms = form + '\0' + form;
  std::string image(28 + 32, '\0');
  auto put = [&image](std::size_t at, std::uint32_t value) { std::memcpy(&image[at], &value, 4); };
  auto add = [&image](const std::string& text) {
    const std::size_t at = image.size();
    image += text;
    image += '\0';
    return static_cast<std::uint32_t>(at);
  };
  put(0, 0x950412de);
  put(8, 2);
  put(12, 28);
  put(16, 44);
  // Originals sorted: the header's empty one first.
  put(28, 0), put(32, add(""));
  put(36, static_cast<std::uint32_t>(original.size())), put(40, add(original));
  put(44, static_cast<std::uint32_t>(header.size())), put(48, add(header));
  put(52, static_cast<std::uint32_t>(forms.size())), put(56, add(forms));
  return nlsLoadedDomain::from_bytes(image.data(), image.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool utf8 = std::setlocale(LC_ALL, "C.UTF-8") != nullptr;
  (void)utf8;
  const std::uint8_t* p = data;
  const std::uint8_t* const end = data + size;
  const std::string original = take(p, end);
  const std::string translation = take(p, end);
  const std::string catalogue_plural = take(p, end);
  Values values{{p, static_cast<std::size_t>(end - p)}};

  const ArgumentMap map(original.c_str());
  agree_with_glibc(original.c_str(), map);
  agree_with_glibc(translation.c_str(), ArgumentMap(translation.c_str()));
  // Every format without %n stands in for itself.
  bool counts = false;
  for (int i = 0; i < map.size(); ++i) counts |= nls_format::writes_count(map.type(i));
  if (map.ok() && !counts && !nls_format::compatible(map, original.c_str())) std::abort();

  const bool all = nls_format::compatible(map, translation.c_str());
  const bool leading =
      nls_format::compatible(map, translation.c_str(), nls_format::Match::kLeading);
  if (all && !leading) std::abort();

  if (const auto domain = plural_catalogue(catalogue_plural, translation)) {
    for (const unsigned long n : {1ul, 2ul}) {
      nlsQuery query("key");
      query.plural = true;
      query.n = n;
      query.plural_text = original.c_str();
      const char* form = domain->find(query);
      if (form != nullptr && (!leading || std::strcmp(form, translation.c_str()) != 0)) std::abort();
    }
  }
  if (!leading || map.size() > kMaxPassed) return 0;

  Plan plan{translation.c_str(), &map, {}, false};
  plan.call_vsnprintf = read_bounds(translation.c_str(), plan);
  call(plan, 0, values);
  return 0;
}
