// A catalogue compiled without msgfmt's format check, through every front end and formatter.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>

#include "catalogue_files.h"
#include "keznls/keznls.h"

namespace {

using ::testing::HasSubstr;

// Refused translations show their original; for the engine, so do those outside its grammar.
using Call = std::function<void(kezabsOutput&)>;
const struct {
  Call call;
  const char* expected;
  const char* engine = nullptr;  // null: as `expected`
} kMessages[] = {
    {[](kezabsOutput& o) { o.tprintf("hostile", "%d files\n", 3); }, "3 files\n"},  // %s for %d
    {[](kezabsOutput& o) { o.tprintf("hostile", "Total: %.2f\n", 2.5); }, "Total: 2.50\n"},  // %d for %.2f
    {[](kezabsOutput& o) { o.tprintf("hostile", "%s is ready\n", "x"); }, "x is ready\n"},  // one more
    {[](kezabsOutput& o) { o.tprintf("hostile", "%d copied\n", 4); }, "4 copied\n"},  // %n
    {[](kezabsOutput& o) { o.tprintf("hostile", "Done\n"); }, "Done\n"},  // a conversion, none in the original
    {[](kezabsOutput& o) { o.tprintf("hostile", "%s has %d new messages\n", "Anna", 3); },
     "3 neue Nachrichten f\xC3\xBCr Anna\n"},  // reordered: compatible
    // A stale plural entry whose forms read a %s the call does not pass.
    {[](kezabsOutput& o) { o.ntprintf("hostile", "%d file\n", "%d files\n", 1, 1); }, "1 file\n"},
    {[](kezabsOutput& o) { o.ntprintf("hostile", "%d file\n", "%d files\n", 2, 2); }, "2 files\n"},
    {[](kezabsOutput& o) { o.ntprintf("hostile", "%d file\n", "%d files\n", 0, 0); }, "0 files\n"},
    // C's printf shows these; the engine would show an error marker.
    {[](kezabsOutput& o) { o.tprintf("hostile", "%d apples\n", 3); }, "3 \xC3\x84pfel\n", "3 apples\n"},
    {[](kezabsOutput& o) { o.tprintf("hostile", "%d pears\n", 3); }, "3     Birnen\n", "3 pears\n"},
    {[](kezabsOutput& o) { o.tprintf("hostile", "%d plums\n", 3); }, "+3 Pflaumen\n", "3 plums\n"},
    {[](kezabsOutput& o) { o.tprintf("hostile", "%d cherries\n", 'K'); }, "K Kirschen\n", "75 cherries\n"},
};

std::string expected_all(bool engine) {
  std::string all;
  for (const auto& m : kMessages) all += engine && m.engine != nullptr ? m.engine : m.expected;
  return all;
}

class HostileCatalogue : public ::testing::Test {
 protected:
  void SetUp() override { test_catalogues::set_language("LANG", "de"); }
  keznlsTranslatorWithDatabases translator{test_catalogues::directory("first").c_str()};
};

TEST_F(HostileCatalogue, EveryFrontEndAndFormatterShowsTheOriginalOfARefusedTranslation) {
  keznlsFormatterDefault by_default;
  keznlsFormatterSimple simple(".");
  keznlsFormatterLocale in_locale;
  for (keznlsFormatter* formatter : {static_cast<keznlsFormatter*>(&by_default),
                                     static_cast<keznlsFormatter*>(&simple), static_cast<keznlsFormatter*>(&in_locale)}) {
    SCOPED_TRACE(formatter == &simple ? "simple" : formatter == &by_default ? "default" : "locale");
    std::ostringstream stream;
    keznlsDisplayerOstream displayer(stream);
    keznlsHelper helper(&translator, formatter, &displayer);
    keznlsConnector connector(&translator, formatter, &displayer);
    for (kezabsOutput* out : {static_cast<kezabsOutput*>(&helper), static_cast<kezabsOutput*>(&connector)}) {
      stream.str("");
      for (const auto& m : kMessages) m.call(*out);
      EXPECT_EQ(stream.str(), expected_all(formatter == &simple));
    }
    const keznlsTranslatorAndFormatter pair(&translator, formatter);
    EXPECT_STREQ(pair.stprintf("hostile", "%d files\n", 3).c_str(), "3 files\n");
    EXPECT_STREQ(pair.stprintf("hostile", "%s has %d new messages\n", "Ben", 2).c_str(),
                 "2 neue Nachrichten f\xC3\xBCr Ben\n");
    EXPECT_STREQ(pair.nstprintf("hostile", "%d file\n", "%d files\n", 2, 2).c_str(), "2 files\n");
    EXPECT_STREQ(pair.stprintf("hostile", "%d pears\n", 4).c_str(), formatter == &simple ? "4 pears\n" : "4     Birnen\n");
  }
  // The library output object, through its own formatting.
  std::ostringstream text;
  keznlsOstream stream(&text);
  keznlsLibraryNls nls;
  nls.stream(&stream);
  nls.nls_data_base(test_catalogues::directory("first").c_str(), "hostile");
  nls.output("%d files\n", 3);
  nls.output("Total: %.2f\n", 2.5);
  nls.output("%s is ready\n", "x");
  nls.output("%d copied\n", 4);
  nls.output("Done\n");
  nls.output("%s has %d new messages\n", "Anna", 3);
  EXPECT_EQ(text.str(), "3 files\nTotal: 2.50\nx is ready\n4 copied\nDone\n3 neue Nachrichten f\xC3\xBCr Anna\n");
}

// The stale call above must not have spoiled the forms.
TEST_F(HostileCatalogue, AFormIsCheckedAgainstThePluralTheCallPasses) {
  for (const unsigned long n : {1ul, 2ul}) {
    EXPECT_STREQ(translator.translate_plural("hostile", "%d file\n", "%d files\n", n).c_str(),
                 n == 1 ? "%d file\n" : "%d files\n");
    EXPECT_STREQ(translator.translate_plural("hostile", "%d file\n", "%d files in %s\n", n).c_str(),
                 n == 1 ? "%d Datei in %s\n" : "%d Dateien in %s\n");
    EXPECT_STREQ(translator.translate_plural("hostile", "%d file\n", "%d files\n", n).c_str(),
                 n == 1 ? "%d file\n" : "%d files\n");
  }
  EXPECT_THAT(translator.explain("hostile").c_str(),
              HasSubstr(", 4 translations use conversions the library's engine does not have (\"%i \xC3\x84pfel\\n\" "
                        "for \"%d apples\\n\", ...)"));
}

}  // namespace
