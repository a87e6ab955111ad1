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

TEST(TranslatorTest, TranslatesThroughTheNamedDatabase) {
  set_language("LANGUAGE", "de");
  // Databases that would translate under the reserved name, and under a
  // name that differs from it only in case.
  const TempDirectory dir;
  dir.add("de", "DO_NOT_TRANSLATE", read("demo"));
  dir.add("de", "do_not_translate", read("demo"));
  keznlsTranslatorWithDatabases translator(utString((directory("first") + ":" + dir.path()).c_str()));
  const struct { const char *name, *message, *expected; } cases[] = {
      {"demo", "Hello", "Hallo"}, {"demo_nohash", "Caf\xC3\xA9", "Kaffeehaus"},
      {"demo", "not in the catalogue", "not in the catalogue"}, {"no_such_domain", "Hello", "Hello"},
      {"", "Hello", "Hello"}, {"DO_NOT_TRANSLATE", "Hello", "Hello"}, {"do_not_translate", "Hello", "Hallo"},
  };
  for (const auto& c : cases) EXPECT_EQ(text(translator, c.name, c.message), c.expected) << c.name;
  {
    const alloc_counter::Scope scope;
    text(translator, "DO_NOT_TRANSLATE", "Hello");
    EXPECT_EQ(live(scope), 0);  // no table entry, no database
  }
}

TEST(TranslatorTest, OpensEachDatabaseOnceAndReleasesThemAll) {
  set_language("LANGUAGE", "de");
  const TempDirectory dir;
  dir.add("de", "demo", read("demo"));
  const alloc_counter::Scope scope;
  auto* translator = new keznlsTranslatorWithDatabases(utString(dir.path().c_str()));
  alloc_counter::fail_nothrow = true;
  const std::string failed = text(*translator, "demo", "Hello");
  alloc_counter::fail_nothrow = false;
  EXPECT_EQ(failed, "Hello");
  utString kept = translator->translate("demo", "Hello");  // retried after the failed allocation
  EXPECT_STREQ(kept.c_str(), "Hallo");
  EXPECT_EQ(text(*translator, "late", "Hello"), "Hello");

  // What changes after the first use is not seen by the open databases.
  ::setenv("LANGUAGE", "fr", 1);
  dir.add("de", "late", read("demo"));
  const int opened = live(scope);
  EXPECT_EQ(text(*translator, "demo", "Hello"), "Hallo");
  EXPECT_EQ(text(*translator, "late", "Hello"), "Hello");
  EXPECT_EQ(live(scope), opened);

  delete translator;
  EXPECT_STREQ(kept.c_str(), "Hallo");  // results do not borrow from a database
  kept = utString();
  EXPECT_EQ(live(scope), 0);
}

}  // namespace
