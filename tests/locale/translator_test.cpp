// The database translator over real catalogues: which database answers,
// when databases are opened, and that the translator releases them all.
#include <gtest/gtest.h>

#include <string>

#include "catalogue_files.h"
#include "keznls/translator.h"
#include "support/alloc_counter.h"

namespace {

using namespace test_catalogues;

std::string text(keznlsTranslator& translator, const char* name, const char* message) {
  return translator.translate(name, message).c_str();
}
// Blocks allocated and not yet released since `scope` opened.
int live(const alloc_counter::Scope& scope) { return scope.count() - scope.released(); }

TEST(TranslatorTest, OpensEachNamedDatabaseOnceAndReleasesThemAll) {
  set_language("LANG", "de");  // read when a database is opened
  // Databases that would translate under the reserved name, and under a
  // name that differs from it only in case.
  const TempDirectory dir;
  dir.add("de", "DO_NOT_TRANSLATE", read("demo"));
  dir.add("de", "do_not_translate", read("demo"));
  const alloc_counter::Scope scope;
  auto* translator = new keznlsTranslatorWithDatabases(utString((directory("first") + ":" + dir.path()).c_str()));
  alloc_counter::fail_nothrow = true;
  const std::string failed = text(*translator, "demo", "Hello");
  alloc_counter::fail_nothrow = false;
  EXPECT_EQ(failed, "Hello");
  utString kept = translator->translate("demo", "Hello");  // retried after the failed allocation
  EXPECT_STREQ(kept.c_str(), "Hallo");
  EXPECT_EQ(text(*translator, "do_not_translate", "Hello"), "Hallo");
  const int opened = live(scope);
  EXPECT_EQ(text(*translator, "DO_NOT_TRANSLATE", "Hello"), "Hello");
  EXPECT_EQ(live(scope), opened);  // no table entry, no database
  EXPECT_STREQ(translator->explain("DO_NOT_TRANSLATE").c_str(),
               "not translated: the name DO_NOT_TRANSLATE bypasses the catalogues\n");

  // Each name is opened once: a catalogue added or a language chosen after
  // the first use is not seen, even by a database that found nothing.
  EXPECT_EQ(text(*translator, "late", "Hello"), "Hello");
  dir.add("de", "late", read("demo"));
  EXPECT_EQ(text(*translator, "late", "Hello"), "Hello");
  ::setenv("LANGUAGE", "fr", 1);
  EXPECT_EQ(text(*translator, "demo", "Hello"), "Hallo");

  delete translator;
  EXPECT_STREQ(kept.c_str(), "Hallo");  // results do not borrow from a database
  kept = utString();
  EXPECT_EQ(live(scope), 0);
}

}  // namespace
