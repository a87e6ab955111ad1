// Formats built from the input's bytes, rendered by keznlsFormatterNamedLocale
// and by the C library's printf in the same locale (uselocale for the call):
// the two must agree byte for byte.
//
// Input: a locale choice, the argument values, then conversions, each from
// a few bytes (flags, width, precision, letter, a literal between). Every
// conversion is positional and reads the argument of its type, and the
// format ends by reading all five, so no argument goes unread.
#include <locale.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "keznls/locale_formatter.h"
#include "../support/fuzz_bytes.h"

namespace {

const char* const kLocales[] = {"C", "de_DE.UTF-8", "fr_FR.UTF-8", "pl_PL.UTF-8", "en_US.UTF-8"};
constexpr int kLocaleCount = sizeof kLocales / sizeof kLocales[0];

struct Locales {
  Locales() {
    for (int i = 0; i < kLocaleCount; ++i) {
      ours[i] = new keznlsFormatterNamedLocale(kLocales[i]);
      theirs[i] = newlocale(LC_NUMERIC_MASK, ours[i]->locale().c_str(), static_cast<locale_t>(nullptr));
    }
  }
  keznlsFormatterNamedLocale* ours[kLocaleCount];
  locale_t theirs[kLocaleCount];
};

std::string glibc(locale_t locale, const char* format, ...) {
  const locale_t previous = uselocale(locale);
  char out[4096];
  va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(out, sizeof out, format, args);
  va_end(args);
  uselocale(previous);
  return n < 0 ? "<error>" : std::string(out);
}

// One conversion's text, reading the argument of its letter's type:
// 1 long long, 2 unsigned long long, 3 double, 4 a text, 5 a character.
std::string conversion(FuzzBytes& in) {
  static const char kLetters[] = "diuxXofFeEgGsc";
  const unsigned flags = static_cast<unsigned>(in.take(1));
  const unsigned width = static_cast<unsigned>(in.take(1));
  const unsigned precision = static_cast<unsigned>(in.take(1));
  const char letter = kLetters[in.take(1) % (sizeof kLetters - 1)];
  std::string c = "%";
  switch (letter) {
    case 'd': case 'i': c += "1$"; break;
    case 'u': case 'x': case 'X': case 'o': c += "2$"; break;
    case 's': c += "4$"; break;
    case 'c': c += "5$"; break;
    default: c += "3$";
  }
  const char kFlags[] = "-+ #0'";
  for (int i = 0; i < 6; ++i)
    if (flags & (1u << i)) c += kFlags[i];
  if (width % 3 == 0) c += std::to_string(width % 40);
  if (precision % 3 == 0) c += "." + std::to_string(precision % 25);
  if (letter == 'd' || letter == 'i' || letter == 'u' || letter == 'x' || letter == 'X' || letter == 'o') c += "ll";
  c += letter;
  return c;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Locales locales;
  FuzzBytes in{data, size};
  const int l = static_cast<int>(in.take(1) % kLocaleCount);
  const long long integer = static_cast<long long>(in.take(8));
  const unsigned long long natural = in.take(8);
  double real = in.real();
  if (in.take(1) % 2 == 0) real = static_cast<double>(static_cast<std::int64_t>(in.take(4))) / 1000.0;  // amounts
  const char* const kTexts[] = {"", "abc", "Überweisung", "1234567"};
  const char* text = kTexts[in.take(1) % 4];
  const int character = static_cast<int>('A' + in.take(1) % 26);
  std::string format;
  for (int i = 0; i < 4 && in.at < in.size; ++i) {
    format += conversion(in);
    format += " | ";
  }
  format += "%1$lld %2$llu %3$f %4$s %5$c";
  const std::string ours =
      locales.ours[l]->format(format.c_str(), integer, natural, real, text, character).c_str();
  const std::string theirs = glibc(locales.theirs[l], format.c_str(), integer, natural, real, text, character);
  if (ours != theirs) {
    std::fprintf(stderr, "%s, \"%s\":\n  ours  \"%s\"\n  glibc \"%s\"\n", kLocales[l], format.c_str(), ours.c_str(),
                 theirs.c_str());
    std::abort();
  }
  return 0;
}
