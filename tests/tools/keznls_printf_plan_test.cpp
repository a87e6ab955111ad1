// The tool's format handling in process: escapes, and how a format is cut
// into the one-conversion pieces handed to a formatter.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "escapes.h"
#include "format_plan.h"

namespace {

using keznls_printf::expand_escapes;
using keznls_printf::Piece;
using keznls_printf::Plan;
using keznls_printf::plan_format;

TEST(KeznlsPrintfEscapes, ExpandLikeACatalogueSpellsThem) {
  const struct {
    const char* typed;
    std::string expected;
  } cases[] = {
      {"a\\nb", "a\nb"},
      {"\\t\\\\\\\"\\'", "\t\\\"'"},
      {"\\101\\0102", "A\b2"},  // octal stops after three digits
      {"\\18", "\0018"},
      {"\\0x", "x"},            // a NUL would cut the format short: dropped
      {"\\q\\", "\\q\\"},       // unknown escape and trailing backslash kept
      {"100%%", "100%%"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(expand_escapes(c.typed), c.expected) << c.typed;
  }
}

TEST(KeznlsPrintfPlan, OnePiecePerConversionWithoutItsPosition) {
  const std::vector<const char*> args{"1", "2"};
  Plan plan;
  ASSERT_EQ(plan_format("a%%b%1$05.1lf c%s!", args, plan), "");
  ASSERT_EQ(plan.pieces.size(), 3u);
  EXPECT_EQ(plan.arguments, 2);

  const Piece& first = plan.pieces[0];
  EXPECT_EQ(first.format, "a%%b%05.1lf");
  EXPECT_EQ(first.written, "%1$05.1lf");
  EXPECT_EQ(first.argument, 1);
  EXPECT_EQ(first.conversion, 'f');
  EXPECT_TRUE(first.long_modifier);

  const Piece& second = plan.pieces[1];
  EXPECT_EQ(second.format, " c%s");
  EXPECT_EQ(second.argument, 2);  // the second conversion, unnumbered
  EXPECT_FALSE(second.long_modifier);

  EXPECT_EQ(plan.pieces[2].format, "!");
  EXPECT_EQ(plan.pieces[2].argument, 0);
}

TEST(KeznlsPrintfPlan, PositionsFollowTheEngineSlotRule) {
  // An unnumbered conversion takes the argument of its rank among all
  // conversions, numbered ones included.
  const struct {
    const char* format;
    int arguments;
    bool ok;
  } cases[] = {
      {"%1$s %s", 2, true},
      {"%2$s %s", 2, false},  // both would take argument 2
      {"%s %1$s", 1, false},
      {"%10$d", 1, false},    // one digit only: "%10" then '$'
      {"", 0, true},
      {"%%", 0, true},
  };
  for (const auto& c : cases) {
    std::vector<const char*> args(static_cast<size_t>(c.arguments), "7");
    Plan plan;
    EXPECT_EQ(plan_format(c.format, args, plan).empty(), c.ok) << c.format;
  }
}

}  // namespace
