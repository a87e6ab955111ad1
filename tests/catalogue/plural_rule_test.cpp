// Expected forms were checked against the C library's dngettext.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "catalogue/plural_rule.h"

namespace {

// The forms a rule picks at kCounts, one digit per count.
std::string forms(const nlsPluralRule& rule) {
  static const unsigned long kCounts[] = {0,  1,  2,  3,   4,   5,   7,   10,  11,      12,       14,
                                          21, 22, 25, 101, 102, 103, 111, 112, 1000000, ULONG_MAX};
  std::string digits;
  for (unsigned long n : kCounts) digits += std::to_string(rule.form(n));
  return digits;
}

nlsPluralRule rule(const std::string& plural, const char* nplurals = "1000") {
  return nlsPluralRule::from_header(
      ("Content-Type: text/plain; charset=UTF-8\nPlural-Forms: nplurals=" + std::string(nplurals) +
       "; plural=" + plural + "\n").c_str());
}

TEST(PluralRuleTest, ReadsTheHeaderAsTheCLibraryDoes) {
  using S = nlsPluralStatus;
  const std::string pf = "Plural-Forms: nplurals=";
  struct { std::string header; /* "-": none */ S status; unsigned long nplurals; const char* expected; } const cases[] = {
      // Rules of real catalogues: ja (a constant), de (one comparison), pl and ar (the program).
      {pf + "1; plural=0;", S::taken, 1, "000000000000000000000"},
      {pf + "2; plural=(n != 1);", S::taken, 2, "101111111111111111111"},
      {pf + "3; plural=(n==1 ? 0 : n%10>=2 && n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2);", S::taken, 3,
       "201112222222122112222"},
      {pf + "6; plural=n==0 ? 0 : n==1 ? 1 : n==2 ? 2 : n%100>=3 && n%100<=10 ? 3 : n%100>=11 ? 4 : 5;", S::taken,
       6, "012333334444445534454"},
      {pf + "3; plural=n%3;\n", S::taken, 3, "012012112020112010110"},
      // The first nplurals= and plural= anywhere count, in any field and order.
      {"X-Rule: plural=n>1;\nPlural-Forms: nplurals=2; plural=n%3;\n", S::taken, 2, "001111111111111111111"},
      {"plural-forms: plural=n%3; nplurals=3", S::taken, 3, "012012112020112010110"},
      {"Plural-Forms: nplurals=\r\n 03x; plural=\tn%3 ;rest\n", S::taken, 3, "012012112020112010110"},
      {pf + "3; plural=n%3\nLanguage: ru\n", S::taken, 3, "012012112020112010110"},
      {pf + "2; plural=n%3;\n", S::taken, 2, "010010110000110010110"},  // 2 is out of range
      {pf + "0; plural=n%3;\n", S::taken, 0, "000000000000000000000"},
      {pf + "99999999999999999999999; plural=n%3;\n", S::taken, ULONG_MAX, "012012112020112010110"},
      // Everything else: the fallback, n != 1.
      {"-", S::no_header, 2, "101111111111111111111"},
      {"Content-Type: text/plain\n", S::no_nplurals, 2, "101111111111111111111"},
      {pf + "-3; plural=n%3;\n", S::bad_nplurals, 2, "101111111111111111111"},
      {pf + "3;\n", S::no_plural, 2, "101111111111111111111"},
      {pf + "3; plural=n %\n 3;\n", S::malformed, 2, "101111111111111111111"},
  };
  for (const auto& c : cases) {
    const nlsPluralRule r = nlsPluralRule::from_header(c.header == "-" ? nullptr : c.header.c_str());
    EXPECT_EQ(r.status(), c.status) << c.header << ": " << r.reason() << " at " << r.position();
    EXPECT_EQ(r.nplurals(), c.nplurals) << c.header;
    EXPECT_EQ(forms(r), c.expected) << c.header;
  }
}

TEST(PluralRuleTest, EvaluatesCOperatorsInUnsignedLong) {
  struct { const char* plural; unsigned long n, expected; } const cases[] = {
      {"2 + 3 * n", 4, 14}, {"10 - n - 1", 3, 6}, {"100 / n / 2", 5, 10}, {"100 % n % 3", 7, 2},
      {"!n + 1", 0, 2}, {"!!!n", 7, 0}, {"3 == 0 < 1", 0, 0}, {"3 > 2 > 1", 0, 0},
      {"1 || 0 && 0", 0, 1}, {"n * 7 && n * 9", 2, 1}, {"n || 0", 0, 0},
      {"n ? n ? 1 : 2 : 3", 5, 1}, {"0 ? 2 : 0 || 5 ? 6 : 7", 0, 6}, {"n ? 1 : 3 + 4", 0, 7}, {"010", 0, 10},
      // Wrapping arithmetic and numbers, as the C library computes them.
      {"n - 1 > 5", 0, 1}, {"n == 18446744073709551617", 1, 1}, {"n * n % 97", ULONG_MAX, 1},
      // Only the branch taken is evaluated; a zero divisor elsewhere gives form 0.
      {"1 || 1 / 0", 0, 1}, {"n ? 5 : 1 / n", 3, 5}, {"7 + 100 / n", 0, 0},
  };
  for (const auto& c : cases) {
    const nlsPluralRule r = rule(std::string(c.plural) + ";", "1000");
    ASSERT_TRUE(r.taken()) << c.plural << ": " << r.reason() << " at " << r.position();
    EXPECT_EQ(r.form(c.n), c.expected) << c.plural << " at n=" << c.n;
  }
}

TEST(PluralRuleTest, OneComparisonPicksWhatItsExpressionSays) {
  // Such rules skip the program; a single form is taken by every count.
  struct { const char* op; bool (*holds)(unsigned long, unsigned long); } const comparisons[] = {
      {"==", [](unsigned long n, unsigned long c) { return n == c; }}, {"!=", [](unsigned long n, unsigned long c) { return n != c; }},
      {"<", [](unsigned long n, unsigned long c) { return n < c; }}, {"<=", [](unsigned long n, unsigned long c) { return n <= c; }},
      {">", [](unsigned long n, unsigned long c) { return n > c; }}, {">=", [](unsigned long n, unsigned long c) { return n >= c; }},
  };
  for (const auto& comparison : comparisons)
    for (const unsigned long c : {0ul, 1ul, 2ul, 16777215ul})
      for (const unsigned long nplurals : {1ul, 2ul}) {
        const std::string plural = std::string("n ") + comparison.op + " " + std::to_string(c) + ";";
        const nlsPluralRule r = rule(plural, std::to_string(nplurals).c_str());
        for (const unsigned long n : {0ul, 1ul, c - 1, c, c + 1, ULONG_MAX}) {
          const unsigned long expected = comparison.holds(n, c) && nplurals == 2 ? 1 : 0;
          EXPECT_EQ(r.form(n), expected) << plural << " nplurals=" << nplurals << " at n=" << n;
        }
      }
}

TEST(PluralRuleTest, RefusesHostileExpressionsAndSaysWhere) {
  const std::string deep_enough = std::string(32, '(') + "n" + std::string(32, ')');
  const std::string too_deep = "(" + deep_enough + ")";
  std::string long_chain, nots(100000, '!'), waiting;  // waiting: four left sides pushed per level
  for (int i = 0; i < 100; ++i) long_chain += "n==" + std::to_string(i) + " ? " + std::to_string(i) + " : ";
  for (int i = 0; i < 9; ++i) waiting += "1 == 1 < 1 + 1 * (";
  waiting += "n" + std::string(9, ')');
  const std::size_t anywhere = std::string::npos;
  struct { std::string plural; nlsPluralStatus status; std::size_t position; } const cases[] = {
      {deep_enough, nlsPluralStatus::taken, 0}, {nots + "n", nlsPluralStatus::taken, 0},
      {too_deep, nlsPluralStatus::too_complex, 32}, {long_chain + "0", nlsPluralStatus::too_complex, anywhere},
      {waiting, nlsPluralStatus::too_complex, anywhere},
      {"n n", nlsPluralStatus::malformed, 2}, {"n = 1", nlsPluralStatus::malformed, 2},
      {"(n", nlsPluralStatus::malformed, 2}, {"n)", nlsPluralStatus::malformed, 1},
      {"n ? 1", nlsPluralStatus::malformed, 5}, {"n ? : 1", nlsPluralStatus::malformed, 4},
      {"0x10", nlsPluralStatus::malformed, 1}, {"n%3\r", nlsPluralStatus::malformed, 3},
  };
  const std::string prefix = "Plural-Forms: nplurals=5; plural=";
  for (const auto& c : cases) {
    const nlsPluralRule r = nlsPluralRule::from_header((prefix + c.plural + ";").c_str());
    const std::string shown = c.plural.substr(0, 40);
    EXPECT_EQ(r.status(), c.status) << shown << ": " << r.reason();
    if (c.status == nlsPluralStatus::taken) continue;
    if (c.position != anywhere) { EXPECT_EQ(r.position(), prefix.size() + c.position) << shown; }
    EXPECT_EQ(r.nplurals(), 2u) << shown;
    EXPECT_EQ(r.form(1), 0u) << shown;
    EXPECT_EQ(r.form(5), 1u) << shown;
  }
}

}  // namespace
