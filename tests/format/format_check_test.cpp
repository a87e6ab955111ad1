#include <gtest/gtest.h>

#include <string>

#include "format/format_check.h"
#include "support/alloc_counter.h"

namespace {

using nls_format::ArgumentMap;
using nls_format::FormatError;
using nls_format::Match;

// The map's types as C names, joined by ", ".
std::string types(const ArgumentMap& map) {
  std::string out;
  for (int i = 0; i < map.size(); ++i) out += (i ? ", " : "") + std::string(type_name(map.type(i)));
  return out;
}

TEST(FormatCheckTest, TypesEachLengthWithEachLetter) {
  const char* const lengths[] = {"", "hh", "h", "l", "ll", "L", "q", "j", "z", "Z", "t"};
  // One column per length above; "-" where the letter does not take it.
  struct Row { const char* letters; const char* types[11]; } const rows[] = {
      {"di", {"int", "int", "int", "long", "long long", "long long", "long long", "intmax_t", "ssize_t", "ssize_t", "ptrdiff_t"}},
      {"ouxXbB", {"unsigned int", "int", "int", "unsigned long", "unsigned long long", "unsigned long long",
                  "unsigned long long", "uintmax_t", "size_t", "size_t", "unsigned ptrdiff_t"}},
      {"eEfFgGaA", {"double", "-", "-", "double", "long double", "long double", "long double", "-", "-", "-", "-"}},
      {"c", {"int", "-", "-", "wint_t", "-", "-", "-", "-", "-", "-", "-"}},
      {"s", {"const char*", "-", "-", "const wchar_t*", "-", "-", "-", "-", "-", "-", "-"}},
      {"C", {"wint_t", "-", "-", "-", "-", "-", "-", "-", "-", "-", "-"}},
      {"S", {"const wchar_t*", "-", "-", "-", "-", "-", "-", "-", "-", "-", "-"}},
      {"p", {"void*", "-", "-", "-", "-", "-", "-", "-", "-", "-", "-"}},
      {"n", {"int*", "signed char*", "short*", "long*", "long long*", "long long*", "long long*", "intmax_t*", "ssize_t*",
             "ssize_t*", "ptrdiff_t*"}},
  };
  for (const Row& row : rows)
    for (const char* letter = row.letters; *letter; ++letter)
      for (int i = 0; i < 11; ++i) {
        const std::string format = std::string("%") + lengths[i] + *letter;
        SCOPED_TRACE(format);
        const ArgumentMap map(format.c_str());
        if (std::string(row.types[i]) == "-") EXPECT_EQ(map.error(), FormatError::kBadLength);
        else EXPECT_EQ(types(map) + (map.ok() ? "" : " (refused)"), row.types[i]);
      }
}

TEST(FormatCheckTest, MapsEachArgumentToItsType) {
  struct Case { const char *format, *types; } const cases[] = {
      {"no conversion, 100%% sure", ""}, {"%2$d neue Nachrichten für %1$s", "const char*, int"},
      {"%1$*2$.*3$Lf", "long double, int, int"}, {"%1$d=%1$c", "int"},  // %c reads an int too
      {"%hd %zu of %td", "int, size_t, ptrdiff_t"},
      // glibc's flags, then a `*` width and precision, then the widest width written
      {"%--0-+ #'I0d %-*.*e %2147483647d", "int, int, int, double, int"},
      {"%01$d %2$-+*3$.7Lg", "int, long double, int"},  // 0s in an index
      {"%2$m %2$s %1$d", "int, const char*"},  // %m reads nothing
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    const ArgumentMap map(c.format);
    ASSERT_TRUE(map.ok());
    EXPECT_EQ(map.error_at(), nullptr);
    EXPECT_EQ(types(map), c.types);
  }

  std::string most;  // as many arguments as the map holds, read in order
  for (int i = 0; i < nls_format::kMaxArguments; ++i) most += "%d";
  EXPECT_TRUE(ArgumentMap(most.c_str()).ok());
  EXPECT_EQ(ArgumentMap((most + "%d").c_str()).error(), FormatError::kTooManyArguments);
}

TEST(FormatCheckTest, RefusesMalformedFormats) {
  struct Case { const char* format; FormatError error; int at; /* of the failing `%`; -1: a gap */ } const cases[] = {
      {"50%", FormatError::kIncomplete, 2}, {"%1$", FormatError::kIncomplete, 0},
      {"%d %y", FormatError::kUnknownConversion, 3}, {"%*%", FormatError::kUnknownConversion, 0},
      {"%0$d", FormatError::kUnknownConversion, 0},  // index 0: a `0` flag, then `$`
      {"%*5d", FormatError::kUnknownConversion, 0},  // digits after `*` need a `$`
      {"%hf", FormatError::kBadLength, 0}, {"%2147483648d", FormatError::kNumberTooLarge, 0},
      {"%1$Ld", FormatError::kBadLength, 0},  // glibc's positional reader takes it for an int
      {"%1$*65$d", FormatError::kTooManyArguments, 0}, {"%1$d %d", FormatError::kMixedNumbering, 5},
      {"%*1$d", FormatError::kMixedNumbering, 0},
      {"%1$s %3$d", FormatError::kGap, -1}, {"%2$m %1$d", FormatError::kGap, -1},  // named, never read
      {"%1$d %1$s", FormatError::kTypeConflict, 5}, {"%1$*1$f", FormatError::kTypeConflict, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    ArgumentMap map("%s");
    EXPECT_FALSE(map.parse(c.format));
    EXPECT_EQ(static_cast<int>(map.error()), static_cast<int>(c.error));
    EXPECT_EQ(map.error_at(), c.at < 0 ? nullptr : c.format + c.at);
    EXPECT_EQ(map.size(), 0);  // nothing of the earlier format stays
    EXPECT_FALSE(nls_format::compatible(c.format, c.format));
  }
}

TEST(FormatCheckTest, AcceptsOnlyTranslationsReadingTheOriginalsArguments) {
  struct Case { const char *original, *translation; bool all, leading; /* Match::kAll, kLeading */ } const cases[] = {
      {"Hello", "Hallo", true, true}, {"%s, %s and %d", "%3$d: %2$s, %1$s", true, true},
      {"%s %d", "%1$s %1$s %2$d", true, true},  // reading one twice is fine
      {"Total: %.2f", "Summe: %-9.3f", true, true},  // flags, width and precision are free
      {"%d", "%255d", true, true}, {"%.300f", "%.300f", true, true},  // up to a bound, or the original's
      {"%d", "%2147483646d", false, false}, {"%s", "%.256s", false, false},  // megabytes of padding
      {"%*d", "%2$*1$d", true, true}, {"%*d", "%d %d", true, true},
      {"%d", "%c", true, true}, {"%ls", "%S", true, true}, {"%m: %s", "%s: %m", true, true},
      {"%s", "%d", false, false}, {"%d", "%u", false, false}, {"%d", "%ld", false, false}, {"%zu", "%lu", false, false},
      {"%d", "%d %d", false, false}, {"Hello", "Hallo %s", false, false},
      {"%d", "%d%n", false, false}, {"%d%n", "%d%n", false, false},
      // plural forms: a form may leave out the arguments at the end
      {"%d files", "jeden plik", false, true}, {"%s %d", "%1$s %1$s", false, true},
      {"%d files in %s", "in %2$s", false, false},  // skipping the first is a gap
      // translations of an original that does not parse are never used
      {"50%", "50%", false, false}, {"%2$d", "", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.original) + " -> " + c.translation);
    EXPECT_EQ(nls_format::compatible(c.original, c.translation), c.all);
    EXPECT_EQ(nls_format::compatible(c.original, c.translation, Match::kLeading), c.leading);
  }
}

TEST(FormatCheckTest, ChecksWithoutAllocating) {
  const ArgumentMap original("%1$s has %2$d new messages in %3$s (%4$5.1f%%)");
  ASSERT_TRUE(original.ok());
  alloc_counter::Scope scope;
  EXPECT_TRUE(nls_format::compatible(original, "%3$s: %2$d neue Nachrichten für %1$s (%4$5.1f%%)"));
  EXPECT_TRUE(nls_format::compatible(original, "%s: eine", Match::kLeading));
  EXPECT_FALSE(nls_format::compatible(original, "%3$s %2$d %1$s %4$d"));
  EXPECT_EQ(scope.count(), 0);
}

}  // namespace
