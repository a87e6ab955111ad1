// The walk every reader of a format shares: literal runs, `%%`, and each
// conversion's slot.
#include <gtest/gtest.h>

#include <string>

#include "format_walk.h"
#include "parse_conversion.h"

namespace {

using namespace keznls_engine;

// Writes down what the walk reports: [text] for a literal run, %% for a
// percent sign, <slot,$> for a conversion (parsed with the engine's parse,
// `!` when it fails), . at the end.
struct Trace {
  std::string seen;
  int conversions = 0;
  int stop_after = -1;  // conversions to accept before stopping the walk

  void text(const char* from, const char* to) {
    if (from != to) seen += "[" + std::string(from, to) + "]";
  }
  bool percent_sign(const char*) {
    seen += "%%";
    return true;
  }
  bool conversion(const ConversionAt& c, const char*& p) {
    keznlsPercent r;
    const bool parsed = parse_conversion(r, p);
    seen += "<" + std::to_string(c.slot) + (c.positional ? ",$" : "") + (parsed ? "" : ",!") + ">";
    return ++conversions != stop_after;
  }
  void end(const char*) { seen += "."; }
};

TEST(FormatWalk, ReportsRunsPercentSignsAndSlots) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "."},
      {"plain text", "[plain text]."},
      {"100%%", "[100]%%."},
      {"a%db%sc", "[a]<0>[b]<1>[c]."},
      {"%2$s-%1$d", "<1,$>[-]<0,$>."},
      // A numbered conversion counts too.
      {"%3$d%d", "<2,$><1>."},
      // A failed parse leaves its letter to be read as text.
      {"%d %q", "<0>[ ]<1,!>[q]."},
      {"50%", "[50]<0,!>."},
      // One digit only: %10$d is a width of 10, then a bad `$`.
      {"%10$d", "<0,!>[$d]."},
      {"%0$d", "<0,!>[$d]."},
      // Conversions count up to the tenth slot, which is past the nine.
      {"%d%d%d%d%d%d%d%d%d%d%d%1$d", "<0><1><2><3><4><5><6><7><8><9><9><0,$>."},
  };
  for (const auto& [format, expected] : cases) {
    Trace trace;
    EXPECT_TRUE(walk_format(format, trace));
    EXPECT_EQ(trace.seen, expected) << format;
  }
}

TEST(FormatWalk, StopsWhereTheConsumerSays) {
  Trace trace;
  trace.stop_after = 2;
  EXPECT_FALSE(walk_format("%d,%d,%d", trace));
  EXPECT_EQ(trace.seen, "<0>[,]<1>");
}

}  // namespace
