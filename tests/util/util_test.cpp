// The utility layer: strings and math edge values (per-thread caches: the threads tests).
#include <cmath>
#include <cstring>
#include <sstream>

#include <gtest/gtest.h>

#include "keznls/ut/ut_string.h"

namespace {

// An invalid string sorts before every valid one, the empty one included.
TEST(UtString, CompareGivesMinusOneZeroOrOne) {
  const utString invalid(static_cast<const char*>(nullptr));
  const struct { utString a, b; int expected; } cases[] = {
      {"abc", "abd", -1},        {"\xE9", "z", 1},          {"ab", "abc", -1}, {"abc", "abc", 0},
      {invalid, utString(), -1}, {utString(), invalid, 1}, {invalid, invalid, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.a.compare(c.b), c.expected) << '"' << c.a << "\" vs \"" << c.b << '"';
    EXPECT_EQ(c.a == c.b, c.expected == 0 ? 1 : 0);
  }
}

// The sanitizer build reports a leak or double free.
TEST(UtString, CopyOnWriteOverEveryKindOfText) {
  char* const buffer = std::strcpy(new char[6], "owned");
  char source[] = "copied";
  const utString texts[] = {utString(source), ut_lit("literal"), utString(ut_string_claim, buffer, 0)};
  source[0] = 'C';
  const char* const expected[] = {"copied", "literal", "owned"};
  for (int i = 0; i < 3; ++i) {
    utString copy = texts[i];
    utString assigned;
    assigned = copy;
    utString& self = assigned;
    assigned = self;
    EXPECT_EQ(copy.c_str(), texts[i].c_str());
    copy[0] = 'X';
    EXPECT_STREQ(texts[i].c_str(), expected[i]);
    EXPECT_STREQ(assigned.c_str(), expected[i]);
    EXPECT_EQ(copy.c_str()[0], 'X');
    EXPECT_EQ(copy.ref_unique(), 1);
  }

  std::ostringstream os;
  os << utString("a%b") << utString(static_cast<const char*>(nullptr)) << utString("!");
  EXPECT_EQ(os.str(), "a%b!");
}

TEST(UtMath, EdgeValues) {
  EXPECT_FALSE(std::signbit(utMath::abs(-0.0)));
  const struct { double x; int expected; } floors[] = {{-2.5, -3}, {2.9, 2}, {1e300, 2147483647}, {-1e300, -2147483647 - 1}, {std::nan(""), 0}};
  for (const auto& f : floors) EXPECT_EQ(utMath::floor(f.x), f.expected) << f.x;
  EXPECT_EQ(utMath::pow(2.0, -2), 0.25);
}

}  // namespace
