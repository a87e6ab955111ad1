// A catalogue compiled without msgfmt's format check, whose translations
// read other arguments than their originals, through every front end and
// every formatter: nothing crashes (the sanitizer build runs this too), the
// refused translations show their originals, the compatible one shows.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>

#include "catalogue_files.h"
#include "keznls/keznls.h"

namespace {

// Each message called with the arguments its original names, and what must
// show: the original for every refused translation.
using Call = std::function<void(kezabsOutput&)>;
const struct {
  Call call;
  const char* expected;
} kMessages[] = {
    {[](kezabsOutput& o) { o.tprintf("hostile", "%d files\n", 3); }, "3 files\n"},  // %s for %d
    {[](kezabsOutput& o) { o.tprintf("hostile", "Total: %.2f\n", 2.5); }, "Total: 2.50\n"},  // %d for %.2f
    {[](kezabsOutput& o) { o.tprintf("hostile", "%s is ready\n", "x"); }, "x is ready\n"},  // one more
    {[](kezabsOutput& o) { o.tprintf("hostile", "%d copied\n", 4); }, "4 copied\n"},  // %n
    {[](kezabsOutput& o) { o.tprintf("hostile", "Done\n"); }, "Done\n"},  // a conversion, none in the original
    {[](kezabsOutput& o) { o.tprintf("hostile", "%s has %d new messages\n", "Anna", 3); },
     "3 neue Nachrichten f\xC3\xBCr Anna\n"},  // reordered: compatible
};

std::string expected_all() {
  std::string all;
  for (const auto& m : kMessages) all += m.expected;
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
      EXPECT_EQ(stream.str(), expected_all());
    }
    const keznlsTranslatorAndFormatter pair(&translator, formatter);
    EXPECT_STREQ(pair.stprintf("hostile", "%d files\n", 3).c_str(), "3 files\n");
    EXPECT_STREQ(pair.stprintf("hostile", "%s has %d new messages\n", "Ben", 2).c_str(),
                 "2 neue Nachrichten f\xC3\xBCr Ben\n");
  }
}

TEST_F(HostileCatalogue, TheLibraryOutputObjectToo) {
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
  EXPECT_EQ(text.str(), expected_all());
}

}  // namespace
