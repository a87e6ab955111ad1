#include <gtest/gtest.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <memory>
#include <string>

#include "keznls/engine.h"
#include "format/text_reads.h"
#include "output/pipeline.h"
#include "support/alloc_counter.h"
#include "support/unchecked.h"

namespace {

std::string str(const utString& s) { return s.c_str(); }

TEST(Sprintf, LiteralTextAndSlots) {
  const keznlsSprintf e(ut_lit("."));
  EXPECT_EQ(str(e.gui_sprintf("%d%d%d%d%d%d%d%d%d", 1, 2, 3, 4, 5, 6, 7, 8, 9)), "123456789");
  EXPECT_EQ(str(e.gui_sprintf("%9$d%8$d%7$d%6$d%5$d%4$d%3$d%2$d%1$d", 1, 2, 3, 4, 5, 6, 7, 8, 9)),
            "987654321");
  // Results around and beyond a message's usual size.
  for (const std::size_t n : {1023, 1024, 1025}) {
    const std::string text(n, 'y');
    EXPECT_EQ(str(e.gui_sprintf("<%s>", text.c_str())), "<" + text + ">");
    EXPECT_EQ(str(e.gui_sprintf((text + "%d%%").c_str(), 5)), text + "5%");
  }
}

TEST(Sprintf, ABadConversionOrSlotFailsTheWholeFormat) {
  const keznlsSprintf e(ut_lit("."));
  // The string pointer would crash if the failed format took arguments.
  EXPECT_EQ(str(e.gui_sprintf(unchecked("%d %q %s %%%"), 5, 6)), "<error> <error>q <error> %<error>");
  // Positions are the digits 1 to 9.
  EXPECT_EQ(str(e.gui_sprintf(unchecked("%10$d %0$d"), 5)), "<error>$d <error>$d");
  std::string ten;
  while (ten.size() < 70) ten += "<error>";
  EXPECT_EQ(str(e.gui_sprintf("%d%d%d%d%d%d%d%d%d%d", 1, 2, 3, 4, 5, 6, 7, 8, 9, 10)), ten);
  // One slot named twice: the types could disagree, so nothing is taken.
  EXPECT_EQ(str(e.gui_sprintf(unchecked("%d %1$s"), 5)), "<error> <error>");
  // A conversion's reading stops where its text stops being one: the rest is shown after the error.
  const struct { const char *format, *expected; } stops[] = {
      {"%lld|", "<error>ld|"}, {"%-5d|", "<error>-5d|"}, {"%5", "<error>"}, {"%3.", "<error>"}, {"%0", "<error>"},
      {"%\xb5" "d|", "<error>\xb5" "d|"},  // high bytes are not digits
      {"%99999999999d", "<too large to show>"}, {"%.99999999999x", "<too large to show>"},  // at most INT_MAX
  };
  for (const auto& c : stops) EXPECT_EQ(str(e.gui_sprintf(unchecked(c.format), 7)), c.expected) << c.format;
  EXPECT_EQ(str(e.gui_sprintf(unchecked("%012.3lGtail"), 2.5)), "0000000002.5tail");
}

TEST(Sprintf, OneAllocationForANonEmptyResultNoneForAnEmptyOne) {
  const keznlsSprintf e(ut_lit("."));
  const std::pair<const char*, int> cases[] = {
      {"", 0}, {"%.0d", 0}, {"x%dy%s%fz", 1}, {"%q", 1}, {"%d%d%d%d%d%d%d%d%d%d", 1}};
  // A thread's first formatting allocates, once, its room for what it read of formats.
  e.gui_sprintf("%d", 0);
  for (const auto& [format, allocations] : cases) {
    SCOPED_TRACE(format);
    alloc_counter::Scope scope;
    const utString r = e.gui_sprintf(format, 0, "s", 1.5);
    EXPECT_EQ(scope.count(), allocations);
  }
}

// Into a caller's buffer: the text's length, or -1 when it and its NUL do not fit.
int into(const keznlsSprintf& e, char* buffer, int size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = e.gui_vsprintf_into(buffer, size, format, args);
  va_end(args);
  return n;
}

// A typed call's text, or "(refused)".
template <typename... A>
std::string typed(const keznlsSprintf& e, const char* format, const A&... values) {
  std::string text;
  keznls_pipeline::StringSink sink(text);
  const keznls_args::Pack<A...> pack(values...);
  return e.tformat(sink, format, pack.args()) ? text : "(refused)";
}

// Later calls are rendered from the first reading; too long a format is read each time.
TEST(Sprintf, AFormatSeenBeforeWritesWhatItsFirstReadingWrote) {
  const keznlsSprintf e(ut_lit(","));
  e.gui_sprintf("%d", 0);  // a thread's first formatting allocates its room for plans
  const std::string long_text(200, 'y');
  const struct { std::string format; std::string expected; } cases[] = {
      {"%3$s has %2$.1f and %1$d", "x has 2,5 and 3"}, {"%d %3$s", "3 <unset>"}, {"%q %d", "<error>q <error>"},
      {"", ""}, {"%%%%%%%%%%%%%d", "%%%%%%3"},  // more pieces than a plan holds
      {"%%%%%%%%%%%%%%%%%%%%%%%%%%%d", std::string(13, '%') + "3"},
      {long_text + "%d", long_text + "3"},  // longer than a plan holds
      {std::string(126, 'z') + "%d", std::string(126, 'z') + "3"},  // just fits
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.format);
    const char* format = unchecked(c.format.c_str());
    for (int round = 0; round < 3; ++round) {
      EXPECT_EQ(str(e.gui_sprintf(format, 3, 2.5, "x")), c.expected);
      char buffer[512];
      const int length = static_cast<int>(c.expected.size());
      alloc_counter::Scope scope;
      EXPECT_EQ(into(e, buffer, length + 1, format, 3, 2.5, "x"), length);
      EXPECT_EQ(buffer, c.expected);
      std::fill(buffer, buffer + sizeof buffer, '#');
      EXPECT_EQ(into(e, buffer, length, format, 3, 2.5, "x"), -1);
      EXPECT_EQ(buffer[0], '#');
      EXPECT_EQ(scope.count(), 0);
    }
  }
  const std::string wide(700, 'w');
  for (int round = 0; round < 3; ++round) {
    // A text argument longer than a planned call has room for: read anew.
    EXPECT_EQ(str(e.gui_sprintf("<%s|%d>", wide.c_str(), 5)), "<" + wide + "|5>");
    EXPECT_EQ(typed(e, "<%s|%d>", wide, 5), "<" + wide + "|5>");
    EXPECT_EQ(typed(e, "%s/%d", std::string("a"), 2), "a/2");
    EXPECT_EQ(typed(e, "%s/%d", 2, std::string("a")), "(refused)");
    EXPECT_EQ(typed(e, "%d %d", 1), "(refused)");
  }
}

TEST(Sprintf, AnAddressHoldingAnotherFormatIsReadAgain) {
  const keznlsSprintf e(ut_lit("."));
  char format[32];
  const struct { const char* text; std::string expected; } cases[] = {
      {"%1$d apples", "3 apples"}, {"%3$s pears", "<unset> pears"}, {"%1$d applesauce", "3 applesauce"},
      {"%1$5d apples", "    3 apples"},
  };
  for (int round = 0; round < 2; ++round)
    for (const auto& c : cases) {
      SCOPED_TRACE(c.text);
      std::strcpy(format, c.text);
      EXPECT_EQ(str(e.gui_sprintf(unchecked(format), 3, 2.5, "x")), c.expected);
    }
  std::strcpy(format, "%hd|%c");
  EXPECT_EQ(typed(e, format, 5, 'q'), "5|q");
  EXPECT_EQ(str(e.gui_sprintf(unchecked(format), 5, 'q')), "<error>hd|<error>c");
  EXPECT_EQ(typed(e, format, 5, 'q'), "5|q");
}

// Texts of every kept length, at every offset in sixteen bytes, each character changed once.
TEST(Sprintf, AKeptTextMatchesOnlyTheSameText) {
  alignas(16) char at[176];
  for (std::size_t offset = 0; offset < 16; ++offset)
    for (std::size_t size = 0; size < 128; ++size) {
      char* const text = at + offset;
      std::memset(at, 'q', sizeof at);
      for (std::size_t i = 0; i < size; ++i) text[i] = static_cast<char>('a' + i % 26);
      text[size] = '\0';
      auto kept = std::make_unique<keznls_engine::KeptText<128>>();
      kept->keep(text, size);
      ASSERT_TRUE(kept->same(text)) << offset << " " << size;
      for (std::size_t i = 0; i <= size; ++i) {
        const char was = text[i];
        text[i] = i == size ? 'z' : '\0';  // longer, or shorter
        EXPECT_FALSE(kept->same(text)) << offset << " " << size << " " << i;
        text[i] = was;
      }
      text[size + 1] = '!';  // past the NUL: no part of the text
      EXPECT_TRUE(kept->same(text)) << offset << " " << size;
    }
}

// A sink that formats again while asked for room: neither call disturbs the other.
TEST(Sprintf, ASinkFormattingAgainLeavesTheOuterTextWhole) {
  const keznlsSprintf e(ut_lit("."));
  struct Sink final : keznlsTextSink {
    const keznlsSprintf* engine;
    std::string text, inner;
    char* room(std::size_t size) override {
      inner = typed(*engine, "%s/%d", std::string("in"), 99) + str(engine->gui_sprintf("%d-%s", 42, "n"));
      text.resize(size);
      return &text[0];
    }
  } sink;
  sink.engine = &e;
  const std::string out = "out";
  for (int round = 0; round < 3; ++round) {
    const keznls_args::Pack<std::string, int> pack(out, 1);
    ASSERT_TRUE(e.tformat(sink, "%s/%d", pack.args()));
    EXPECT_EQ(sink.text, "out/1");
    EXPECT_EQ(sink.inner, "in/9942-n");
  }
}

}  // namespace
