#include <cmath>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "ut/ut_string.h"

namespace {

TEST(UtString, CompareGivesMinusOneZeroOrOne) {
  const utString invalid(static_cast<const char*>(nullptr));
  struct Case {
    utString a, b;
    int expected;
  } cases[] = {
      {"abc", "abd", -1},        {"abd", "abc", 1},       {"ab", "abc", -1},
      {"abc", "ab", 1},          {"abc", "abc", 0},       {"", "", 0},
      {"\xE9", "z", 1},          {"a", "z", -1},           {invalid, "", -1},
      {"", invalid, 1},          {invalid, invalid, 0},   {"\x01", "\xFF", -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.a.compare(c.b), c.expected) << '"' << c.a << "\" vs \"" << c.b << '"';
    EXPECT_EQ(c.a == c.b, c.expected == 0 ? 1 : 0);
  }
}

TEST(UtString, CopiesShareUntilWritten) {
  utString a("hello");
  EXPECT_EQ(a.ref_unique(), 1);
  utString b = a;
  EXPECT_EQ(a.c_str(), b.c_str());
  EXPECT_EQ(a.ref_unique(), 0);
  b[0] = 'j';
  EXPECT_STREQ(a.c_str(), "hello");
  EXPECT_STREQ(b.c_str(), "jello");
  EXPECT_EQ(a.ref_unique(), 1);
  EXPECT_EQ(b.ref_unique(), 1);
}

TEST(UtString, AssignmentReleasesAndShares) {
  utString a("one");
  utString b("two");
  utString c = b;
  a = b;  // frees "one", three strings now share "two"
  EXPECT_EQ(a.c_str(), b.c_str());
  utString& self = a;
  a = self;
  EXPECT_STREQ(a.c_str(), "two");
  c = utString("three");
  b = c;
  EXPECT_STREQ(a.c_str(), "two");
  EXPECT_EQ(a.ref_unique(), 1);
  EXPECT_STREQ(b.c_str(), "three");
}

TEST(UtString, LiteralIsNeverWrittenOrFreed) {
  static const char kText[] = "literal";
  utString lit = ut_lit(kText);
  EXPECT_EQ(lit.c_str(), kText);
  EXPECT_EQ(lit.ref_unique(), 0);
  utString copy = lit;
  copy[0] = 'L';
  EXPECT_STREQ(kText, "literal");
  EXPECT_STREQ(copy.c_str(), "Literal");
  EXPECT_NE(copy.c_str(), kText);
  lit = copy;  // giving the literal up frees nothing
  EXPECT_STREQ(lit.c_str(), "Literal");

  utString empty;
  empty = utString();
  EXPECT_STREQ(empty.c_str(), "");
  EXPECT_EQ(empty.invalid(), 0);
}

TEST(UtString, ClaimedBufferIsSharedAndFreedOnce) {
  char* buffer = new char[6];
  std::char_traits<char>::copy(buffer, "owned", 6);
  utString a(ut_string_claim, buffer, 0);
  EXPECT_EQ(a.c_str(), buffer);
  EXPECT_EQ(a.ref_unique(), 1);
  {
    utString b = a;
    utString c;
    c = b;
    EXPECT_EQ(a.ref_unique(), 0);
    c[1] = 'W';  // private copy; the claimed buffer stays as it was
    EXPECT_STREQ(buffer, "owned");
    EXPECT_STREQ(c.c_str(), "oWned");
  }
  EXPECT_EQ(a.ref_unique(), 1);
}  // the sanitizer build reports a leak or double free here

TEST(UtString, FilledAndCopiedTexts) {
  utString filled(ut_string_char, ' ', 4);
  EXPECT_STREQ(filled.c_str(), "    ");
  EXPECT_EQ(filled.ref_unique(), 1);
  filled[3] = 'x';
  EXPECT_STREQ(filled.c_str(), "   x");

  char source[] = "mutable";
  utString copy(ut_copy, source);
  source[0] = 'M';
  EXPECT_STREQ(copy.c_str(), "mutable");

  const utString invalid(static_cast<const char*>(nullptr));
  EXPECT_EQ(invalid.invalid(), 1);
  EXPECT_EQ(static_cast<const char*>(invalid), nullptr);
  std::ostringstream os;
  os << utString("a%b") << invalid << utString("!");
  EXPECT_EQ(os.str(), "a%b!");
}

TEST(UtMath, Functions) {
  EXPECT_FALSE(std::signbit(utMath::abs(-0.0)));
  EXPECT_EQ(utMath::abs(-2.5), 2.5);
  struct {
    double x;
    int expected;
  } floors[] = {{-2.5, -3}, {2.9, 2}, {-0.0, 0}, {1e300, 2147483647},
                {-1e300, -2147483647 - 1}, {std::nan(""), 0}};
  for (const auto& f : floors) EXPECT_EQ(utMath::floor(f.x), f.expected) << f.x;
  EXPECT_EQ(utMath::pow(10.0, 3), 1000.0);
  EXPECT_EQ(utMath::pow(2.0, -2), 0.25);
  EXPECT_EQ(utMath::log10(1000.0), 3.0);
}

}  // namespace
