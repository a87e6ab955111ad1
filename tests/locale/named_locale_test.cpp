// What glibc's printf writes in the named locale, no locale of ours touched.
#include <gtest/gtest.h>

#include <locale.h>

#include <cmath>
#include <cstdint>
#include <cstdarg>
#include <cstdio>
#include <limits>
#include <string>

#include "keznls/locale_formatter.h"

namespace {

int into(keznlsFormatter& f, char* buffer, int size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = f.vformat_into(buffer, size, format, args);
  va_end(args);
  return n;
}

TEST(NamedLocaleTest, FormatsAsTheCLibraryDoesInThatLocale) {
  for (const char* name : {"pl_PL.UTF-8", "de_DE.UTF-8", "fr_FR.UTF-8", "C"}) {
    const locale_t theirs = newlocale(LC_NUMERIC_MASK, name, static_cast<locale_t>(nullptr));
    ASSERT_NE(theirs, static_cast<locale_t>(nullptr)) << name << " is not generated (LOCPATH)";
    keznlsFormatterNamedLocale ours(name);
    EXPECT_TRUE(ours.installed()) << name;
    // glibc's own answer in the locale, the way a server would get it per request.
    const auto both = [&](const char* format, auto... args) {
      const locale_t previous = uselocale(theirs);
      char want[512], got[512];
      std::snprintf(want, sizeof want, format, args...);
      uselocale(previous);
      EXPECT_EQ(ours.format(format, args...).c_str(), std::string(want)) << name << ": " << format;
      const int n = into(ours, got, sizeof got, format, args...);
      EXPECT_EQ(std::string(got, static_cast<std::size_t>(n < 0 ? 0 : n)), want) << name << " (into): " << format;
    };
    both("%'d|%'i|%'u|%'ld|%'lld", -1000, 999, 4000000000u, -9223372036854775807L, 123456789012LL);
    both("%'15d|%'13d|%-'15d|%'15.1f|%'40lld", 1234567, 1234567, 1234567, 1234567.0, -4921502395214680366LL);
    both("%'.0f", -1.2345678901234567e+200);  // 67 groups
    both("%'15.3f|%-'15.1f|%+'f|% 'g", 1234567.891, -1234.5, 12345.0, 1234567.0);
    both("%f %e %E %g %G %.0f %#.0f %.3e", 3.5, 123456.789, 0.000123, 0.0001, 1e20, 2.5, 2.0, -1e-300);
    both("%'g %'G %g %'.10g", 123456.0, 1234567.0, 100000.0, 9876543210.0);
    both("%f %F %e %'f %5.1f", std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
         std::nan(""), -0.0, -0.04);
    both("%05d|%-5d|%+d|% d|%.3d|%.0d|%x|%#X|%#o|%o", 42, 42, 42, 42, 7, 0, 255u, 255u, 8u, 0u);
    both("%hhd %hd %hu %zu %jd %c|%5c|%-3c|", 300, 70000, 70000u, static_cast<std::size_t>(12345678),
         static_cast<intmax_t>(-5), 'x', 'y', 'z');
    both("%s|%10s|%-10s|%.2s|%5.1s|%%|%p", "abc", "right", "left", "cut", "xy", static_cast<void*>(nullptr));
    both("%*d|%-*d|%.*f|%*.*f", 6, 12, 6, 12, 2, 3.14159, 9, 1, 2.25);
    both("%2$'d zł za %1$s (%3$'.2f)", "bilet", 12500, 12500.5);
    both("%1$s %1$s %2$d", "twice", 3);
    // What only the C library renders, still in the locale.
    both("%'010d|%'.6d|%a|%Lf|%#g", 1234567, 1234, 1.5, static_cast<long double>(1234.5), 2.0);
    freelocale(theirs);
  }
}

// Few decimals take a shorter road: ties and their neighbours must still match.
TEST(NamedLocaleTest, RoundsAsTheCLibraryDoes) {
  keznlsFormatterNamedLocale c("C");
  std::uint64_t state = 42;
  auto next = [&state] { return state = state * 6364136223846793005u + 1442695040888963407u; };
  int mismatches = 0;
  for (int i = 0; i < 20000 && mismatches < 5; ++i) {
    const int precision = i % 4;
    double v;
    switch (i % 3) {
      case 0: v = static_cast<double>(next() >> 40) / 1000.0; break;        // decimal-looking amounts
      case 1: v = static_cast<double>(next() >> 44) / 16.0; break;          // exact ties in binary
      default: v = std::ldexp(static_cast<double>(next() >> 11), static_cast<int>(next() % 60) - 53);
    }
    char want[400];
    std::snprintf(want, sizeof want, "%.*f", precision, v);
    const std::string got = c.format("%.*f", precision, v).c_str();
    if (got != want) {
      ++mismatches;
      ADD_FAILURE() << "%." << precision << "f of " << v << ": " << got << ", C library " << want;
    }
  }
}

// A missing locale gives the C conventions.
TEST(NamedLocaleTest, ConventionsReadOnceFromTheLocale) {
  const struct { const char *name, *locale, *decimal_point, *grouped; } cases[] = {
      {"de", "de_DE.UTF-8", ",", "1.024,5|1.000.000"}, {"de_DE.UTF-8", "de_DE.UTF-8", ",", "1.024,5|1.000.000"},
      {"fr_FR", "fr_FR.UTF-8", ",", "1\u202f024,5|1\u202f000\u202f000"},
      {"xx_YY", "C", ".", "1024.5|1000000"}, {"", "C", ".", "1024.5|1000000"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    keznlsFormatterNamedLocale f(c.name);
    EXPECT_EQ(f.installed(), std::string(c.locale) != "C");
    EXPECT_EQ(f.locale(), c.locale);
    EXPECT_EQ(f.decimal_point(), c.decimal_point);
    EXPECT_STREQ(f.format("%'.1f|%'d", 1024.5, 1000000).c_str(), c.grouped);
  }
}

TEST(NamedLocaleTest, LongTextsAndShortBuffers) {
  keznlsFormatterNamedLocale f("de");
  const std::string long_text(3000, 'x');
  const std::string want = long_text + " 1.000,5";
  EXPECT_EQ(f.format("%s %'.1f", long_text.c_str(), 1000.5).c_str(), want);
  char small[8];
  EXPECT_EQ(into(f, small, sizeof small, "%'d", 1000), 5);
  EXPECT_STREQ(small, "1.000");
  EXPECT_EQ(into(f, small, sizeof small, "%'d", 1000000), -1);  // "1.000.000" and its NUL need 10
}

}  // namespace
