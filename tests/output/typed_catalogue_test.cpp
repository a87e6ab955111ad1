// A translation is checked against the kinds passed, not its original's C types.
#include <cstdint>
#include <functional>
#include <sstream>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "catalogue_files.h"
#include "keznls/keznls.h"
#include "support/mo_image.h"

namespace {

constexpr char kHeader[] =
    "Content-Type: text/plain; charset=UTF-8\nPlural-Forms: nplurals=2; plural=(n != 1);\n";

TEST(TypedCatalogue, KindsDecideNotLengthModifiers) {
  // "lengths" differ in length modifiers only; "kinds" and "more" read another kind, or one more.
  const test_catalogues::TempDirectory dir;
  const auto add = [&dir](const char* domain, std::vector<std::pair<std::string, std::string>> entries) {
    dir.add("de", domain, test_catalogues::mo_image(kHeader, std::move(entries)));
  };
  add("lengths", {{"%d files", "%ld Dateien"},
                  {"%s: %u of %d", "%1$s: %2$llu von %3$hd"}, {"%d of %s", "%2$s: %1$lld"},
                  {std::string("%d file\0%d files", 16), std::string("%zu Datei\0%zu Dateien", 21)}});
  add("kinds", {{"%s has %d", "%2$s hat %1$s"}});
  add("more", {{"%c!", "%d!"}, {"%s", "%s %s"}});
  keznlsTranslatorWithDatabases translator(dir.path().c_str(), "de");
  keznlsFormatterSimple engine(ut_lit(","));
  keznlsFormatterDefault c_printf;
  keznlsFormatter* const formatters[] = {&engine, &c_printf};
  for (keznlsFormatter* formatter : formatters) {
    std::ostringstream stream;
    keznlsDisplayerOstream displayer(stream);
    keznlsHelper helper(&translator, formatter, &displayer);
    // Accepted: only length modifiers differ.
    EXPECT_EQ(helper.stprint("lengths", "%d files", std::int64_t{5000000000}), "5000000000 Dateien");
    EXPECT_EQ(helper.stprint("lengths", "%s: %u of %d", std::string("disk"), 2u, std::int8_t{3}), "disk: 2 von 3");
    EXPECT_EQ(helper.stprint("lengths", "%d of %s", std::int16_t{-7}, "x"), "x: -7");
    EXPECT_EQ(helper.nstprint("lengths", "%d file", "%d files", 1, 1), "1 Datei");
    helper.ntprint("lengths", "%d file", "%d files", 4, short{4});
    EXPECT_EQ(stream.str(), "4 Dateien");
    // Refused: the count read as a text, a char as a number, one argument more.
    EXPECT_EQ(helper.stprint("kinds", "%s has %d", "Anna", 2), "Anna has 2");
    EXPECT_EQ(helper.stprint("more", "%c!", 'y'), "y!");
    EXPECT_EQ(helper.stprint("more", "%s", "once"), "once");
    // The argument-list calls keep their stricter check: C types must match.
    EXPECT_STREQ(keznlsTranslatorAndFormatter(&translator, formatter).stprintf("lengths", "%d files", 3).c_str(),
                 "3 files");
  }
  // explain names the refused translation.
  EXPECT_THAT(translator.explain("kinds").c_str(), ::testing::HasSubstr("\"%2$s hat %1$s\" for \"%s has %d\""));
}

// The helper's own roads to the displayer (our translator and the engine),
// typed calls and argument lists: each message shown twice, the first time
// read, the second from what that reading kept.
TEST(TypedCatalogue, DisplayedTwiceAlike) {
  const test_catalogues::TempDirectory dir;
  dir.add("de", "road",
          test_catalogues::mo_image(kHeader, {{"Saved", "Gespeichert"},
                                              {"%s has %d", "%2$s hat %1$s"},
                                              {"%d of %s", "%2$s: %1$lld"},
                                              {"[%s]", "<%s>"}}));
  keznlsTranslatorWithDatabases translator(dir.path().c_str(), "de");
  keznlsFormatterSimple engine(ut_lit(","));
  const std::string long_text(700, 'x');
  struct Case {
    const char* what;
    std::function<void(keznlsHelper&)> call;
    std::string want;
  };
  const Case cases[] = {
      {"no conversion", [](keznlsHelper& h) { h.tprint("road", "Saved"); }, "Gespeichert"},
      {"refused", [](keznlsHelper& h) { h.tprint("road", "%s has %d", "Anna", 2); }, "Anna has 2"},
      {"accepted", [](keznlsHelper& h) { h.tprint("road", "%d of %s", std::int16_t{-7}, "x"); }, "x: -7"},
      {"untranslated", [](keznlsHelper& h) { h.tprint("road", "%d left", 3); }, "3 left"},
      {"longer than the room", [&](keznlsHelper& h) { h.tprint("road", "[%s]", long_text); },
       "<" + long_text + ">"},
      {"list, no conversion", [](keznlsHelper& h) { h.tprintf("road", "Saved"); }, "Gespeichert"},
      // The argument lists' stricter check: `%lld` reads no int.
      {"list, refused", [](keznlsHelper& h) { h.tprintf("road", "%d of %s", -7, "x"); }, "-7 of x"},
      {"list, untranslated", [](keznlsHelper& h) { h.tprintf("road", "%d left", 3); }, "3 left"},
      {"list, longer than the room", [&](keznlsHelper& h) { h.tprintf("road", "[%s]", long_text.c_str()); },
       "<" + long_text + ">"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::ostringstream stream;
    keznlsDisplayerOstream displayer(stream);
    keznlsHelper helper(&translator, &engine, &displayer);
    c.call(helper);
    c.call(helper);
    EXPECT_EQ(stream.str(), c.want + c.want);
  }
}

}  // namespace
