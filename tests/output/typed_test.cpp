// Built as C++17 and as C++20 (where the formats below are checked while compiling).
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <limits>
#include <sstream>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "keznls/keznls.h"

namespace {

// Argument-list slots only: typed calls reach it through a C variadic call.
class Bracketing : public keznlsFormatter {
 public:
  utString format(const char* format, ...) override {
    va_list args;
    va_start(args, format);
    utString text = vformat(format, args);
    va_end(args);
    return text;
  }
  utString vformat(const char* format, va_list args) override {
    char buffer[512];
    std::vsnprintf(buffer, sizeof buffer, format, args);
    return utString(("[" + std::string(buffer) + "]").c_str());
  }
};

using Call = std::function<std::string(const kezabsOutput&)>;
struct Case {
  Call call;
  std::string expected;
};

std::vector<Case> value_cases() {
  static const char buffer[] = "--abcdef--";
  static const utString earlier("round trip");
  using O = const kezabsOutput&;
#define SHOWN(...) [](O o) { return o.stprint("db", __VA_ARGS__); }
  return {
      {SHOWN("%d", std::numeric_limits<std::int64_t>::min()), "-9223372036854775808"},
      {SHOWN("%u", std::numeric_limits<std::uint64_t>::max()), "18446744073709551615"},
      // Length modifiers change nothing; an int is shown at its own width.
      {SHOWN("%hhd %hd %ld %lld %jd %zd %td %.1Lf", std::int64_t{-300}, std::int64_t{70000}, 1, 2, 3, 4, 5, 0.5),
       "-300 70000 1 2 3 4 5 0.5"},
      {SHOWN("%x", -1), "ffffffff"},
      {SHOWN("%hhu", static_cast<unsigned char>(200)), "200"}, {SHOWN("%c%c", 'o', 'k'), "ok"},
      // A view into the middle of a buffer, an empty one, a utString back in.
      {SHOWN("<%s>", std::string_view(buffer + 2, 3)), "<abc>"}, {SHOWN("[%s]", std::string_view()), "[]"},
      {SHOWN("%s!", earlier), "round trip!"}, {SHOWN("%s", static_cast<const char*>(nullptr)), "(null)"},
      {SHOWN("%2$s has %1$d new messages.", std::int64_t{5000000000}, std::string("Anna")),
       "Anna has 5000000000 new messages."},
      {SHOWN("%.2f|%g", 2.5, 0.25f), "2.50|0.25"},
      {[](O o) { return o.nstprint("db", "one file", "%d files", 3, 3); }, "3 files"},
      {[](O o) { return o.pstprint("db", "menu", "Open %s", std::string("x")); }, "Open x"},
      {[](O o) { return o.npstprint("db", "disk", "one block", "%d blocks", 1, 1); }, "one block"},  // no count
      // Known only at run time: refused where it does not suit, never misread.
      {SHOWN(keznlsRuntimeFormat{"n=%d"}, std::string("x")), "n=<error>"},
      {SHOWN(keznlsRuntimeFormat{"%d %d"}, 1), "<error> <error>"},
      {SHOWN(keznlsRuntimeFormat{"%2$d"}, 1, 2), "<error>"},
  };
#undef SHOWN
}

// `%ld`, `%lu` and `%lx` read a long, wider than int here.
TEST(Typed, EveryValueThroughEveryFormatterAndFrontEnd) {
  keznlsFormatterSimple engine{ut_lit(".")};
  keznlsFormatterDefault c_printf;
  keznlsFormatterLocale locale;
  Bracketing user;
  keznlsTranslatorDefault translator;
  for (keznlsFormatter* formatter : std::initializer_list<keznlsFormatter*>{&engine, &c_printf, &locale, &user}) {
    const auto shown = [&](const std::string& s) { return formatter == &user ? "[" + s + "]" : s; };
    std::ostringstream stream;
    keznlsDisplayerOstream displayer(stream);
    keznlsHelper helper(&translator, formatter, &displayer);
    keznlsConnector connector(&translator, formatter, &displayer);
    for (const Case& c : value_cases()) {
      SCOPED_TRACE(shown(c.expected));
      // A refused format shows the same whatever the formatter.
      const std::string want = c.expected.find("<error>") != std::string::npos ? c.expected : shown(c.expected);
      EXPECT_EQ(c.call(helper), want);
      EXPECT_EQ(c.call(connector), want);
    }
    helper.tprint("db", "%d|", std::numeric_limits<std::int64_t>::min());
    connector.ntprint("db", "%d file|", "%d files|", 1, std::int8_t{1});
    helper.tprintf("db", "%ld %lu %lx", -5000000000L, 4294967303UL, 0x123456789abUL);
    // Displayed, and again from what the first call read of the format.
    for (int i = 0; i < 2; ++i) helper.tprint("db", keznlsRuntimeFormat{"|n=%d"}, std::string("x"));
    EXPECT_EQ(stream.str(), shown("-9223372036854775808|") + shown("1 file|") +
                                shown("-5000000000 4294967303 123456789ab") + "|n=<error>|n=<error>");
  }
}

// An output an application wrote with the argument-list calls only.
class Recording : public kezabsOutput {
 public:
  void tprintf(const char* name, const char* format, ...) override {
    va_list args;
    va_start(args, format);
    vtprintf(name, format, args);
    va_end(args);
  }
  void vtprintf(const char* name, const char* format, va_list args) override {
    shown += std::string(name) + ":" + vtsprintf(name, format, args).c_str() + ";";
  }
  utString vtsprintf(const char*, const char* format, va_list args) const override {
    char buffer[256];
    std::vsnprintf(buffer, sizeof buffer, format, args);
    return utString(buffer);
  }
  std::string shown;
};

TEST(Typed, OtherFrontEndsFormatTypedArguments) {
  Recording recording;
  recording.tprint("db", "%s %d %x %c", std::string_view("abcd", 2), std::int64_t{-5000000000}, std::int16_t{-1}, 'z');
  recording.ntprint("db", "%d file", "%d files", 2, 2);
  EXPECT_EQ(recording.shown, "DO_NOT_TRANSLATE:ab -5000000000 ffff z;DO_NOT_TRANSLATE:2 files;");
  EXPECT_EQ(recording.stprint("db", "%s", utString("u")), "u");
  EXPECT_EQ(recording.stprint("db", keznlsRuntimeFormat{"%*d"}, 3, 4), "<error>");  // the list cannot carry the int

  std::ostringstream stream;
  kezabsOutputOstream out(&stream);
  out.tprint("db", "%s=%lld;", std::string_view("big"), std::numeric_limits<std::int64_t>::max());
  out.ntprint("db", "%d thing;", "%d things;", 2, 2u);
  EXPECT_EQ(stream.str(), "big=9223372036854775807;2 things;");

  keznlsTranslatorDefault translator;
  keznlsFormatterSimple engine(ut_lit(","));
  const keznlsTranslatorAndFormatter pair(&translator, &engine);
  EXPECT_EQ(pair.stprint("db", "%.1f %s", 2.25, utString("x")), "2,3 x");
  EXPECT_EQ(pair.nstprint("db", "%d Datei", "%d Dateien", 2, std::uint64_t{2}), "2 Dateien");

  std::ostringstream sink;
  keznlsOstream to_sink(&sink);
  keznlsLibraryNls library;
  library.stream(&to_sink);
  library.print("%s: %d;", std::string("size"), std::int64_t{5000000000});
  library.print(keznlsRuntimeFormat{"%s;"}, 1);
  library.print_error("dropped %d", 1);
  library.output("%ld", -5000000000L);  // an argument-list call reads a long
  EXPECT_EQ(sink.str(), "size: 5000000000;<error>;-5000000000");
}

TEST(Typed, UtStringConvertsToAndFromStandardStrings) {
  const utString from_string(std::string("hello"));
  const utString from_view(std::string_view("hello world").substr(6));
  EXPECT_EQ(from_string.size(), 5u);
  EXPECT_EQ(std::string_view(from_view), "world");
  EXPECT_EQ(utString(std::string_view("a\0b", 3)).size(), 1u);
  EXPECT_EQ(ut_lit("literal").size(), 7u);
  EXPECT_EQ(std::string_view(utString(static_cast<const char*>(nullptr))), "");

  std::ostringstream stream;
  keznlsDisplayerOstream displayer(stream);
  displayer.display(std::string_view("abcdef").substr(1, 3));
  displayer.display(std::string(300, 'x'));
  EXPECT_EQ(stream.str(), "bcd" + std::string(300, 'x'));
}

}  // namespace
