// The database translator over real catalogues: which database answers,
// when databases are opened, and that the translator releases them all.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <sstream>
#include <string>

#include "catalogue_files.h"
#include "keznls/output.h"
#include "keznls/translator.h"

namespace {

// Live global allocations of this program, and a switch that makes the
// non-throwing form of new fail, as an exhausted heap would.
long g_live = 0;
bool g_fail_nothrow = false;

void* allocate(std::size_t size) {
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p != nullptr) ++g_live;
  return p;
}

void release(void* p) {
  if (p != nullptr) --g_live;
  std::free(p);
}

}  // namespace

void* operator new(std::size_t size) {
  if (void* p = allocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return g_fail_nothrow ? nullptr : allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return g_fail_nothrow ? nullptr : allocate(size);
}
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }

namespace {

using test_catalogues::directory;

class TranslatorTest : public ::testing::Test {
 protected:
  TranslatorTest() { env_.set("LANGUAGE", "de"); }
  std::string text(keznlsTranslator& translator, const char* name, const char* message) {
    return translator.translate(name, message).c_str();
  }
  test_catalogues::LocaleEnvironment env_;
};

TEST_F(TranslatorTest, TranslatesThroughTheNamedDatabase) {
  keznlsTranslatorWithDatabases translator(utString((directory("first") + ":" + directory("second")).c_str()));
  struct Case {
    const char* name;
    const char* message;
    const char* expected;
  };
  const Case cases[] = {
      {"demo", "Hello", "Hallo"},
      {"demo_nohash", "Street", "Stra\xC3\x9F" "e"},
      {"extra", "Language", "Deutsch"},  // found in the second directory
      {"demo", "not in the catalogue", "not in the catalogue"},
      {"no_such_domain", "Hello", "Hello"},
      {"", "Hello", "Hello"},
      {"Demo", "Hello", "Hello"},  // names are case-sensitive file names
  };
  for (const Case& c : cases) EXPECT_EQ(text(translator, c.name, c.message), c.expected) << c.name;
}

TEST_F(TranslatorTest, DoNotTranslateBypassesEveryDatabase) {
  // Databases that would translate, under the reserved name and under a
  // name that differs from it only in case.
  test_catalogues::TempDirectory dir;
  const std::vector<char> german = test_catalogues::read_bytes(test_catalogues::path("first", "de", "demo"));
  dir.add("de", "DO_NOT_TRANSLATE", german);
  dir.add("de", "do_not_translate", german);
  keznlsTranslatorWithDatabases translator(utString(dir.path().c_str()));

  const long before = g_live;
  {
    const char* message = "Hello";
    const utString result = translator.translate("DO_NOT_TRANSLATE", message);
    EXPECT_STREQ(result.c_str(), "Hello");
    EXPECT_NE(result.c_str(), message);  // a copy
  }
  EXPECT_EQ(g_live, before);  // no table entry, no database
  EXPECT_EQ(text(translator, "do_not_translate", "Hello"), "Hallo");
}

TEST_F(TranslatorTest, OpensEachDatabaseOnceAndNeverRetriesAnEmptyOne) {
  test_catalogues::TempDirectory dir;
  const std::vector<char> german = test_catalogues::read_bytes(test_catalogues::path("first", "de", "demo"));
  dir.add("de", "demo", german);
  keznlsTranslatorWithDatabases translator(utString(dir.path().c_str()));

  EXPECT_EQ(text(translator, "demo", "Hello"), "Hallo");
  EXPECT_EQ(text(translator, "late", "Hello"), "Hello");

  // Whatever changes after the first use is not seen by the open databases.
  env_.set("LANGUAGE", "fr");
  dir.add("de", "late", german);
  const long before = g_live;
  EXPECT_EQ(text(translator, "demo", "Hello"), "Hallo");
  EXPECT_EQ(text(translator, "late", "Hello"), "Hello");
  EXPECT_EQ(g_live, before);

  // A new name is opened now, in the new environment.
  env_.set("LANGUAGE", "de");
  EXPECT_EQ(text(translator, "late2", "Hello"), "Hello");
  dir.add("de", "late2", german);
  EXPECT_GT(g_live, before);
}

TEST_F(TranslatorTest, RetriesAfterAFailedAllocation) {
  keznlsTranslatorWithDatabases translator(utString(directory("first").c_str()));
  g_fail_nothrow = true;
  const std::string failed = text(translator, "demo", "Hello");
  g_fail_nothrow = false;
  EXPECT_EQ(failed, "Hello");
  EXPECT_EQ(text(translator, "demo", "Hello"), "Hallo");
}

TEST_F(TranslatorTest, DestroyingTheTranslatorReleasesEveryDatabase) {
  const long before = g_live;
  auto* translator = new keznlsTranslatorWithDatabases(utString(directory("first").c_str()));
  utString kept = translator->translate("demo", "Hello");
  const long one = g_live;
  translator->translate("demo_nohash", "Hello");
  translator->translate("no_such_domain", "Hello");
  EXPECT_GT(g_live, one);
  translator->translate("demo", "Hello");
  translator->translate("demo_nohash", "Hello");
  delete translator;
  EXPECT_STREQ(kept.c_str(), "Hallo");  // results do not borrow from a database
  kept = utString();
  EXPECT_EQ(g_live, before);
}

TEST_F(TranslatorTest, HelperFormatsAReorderedTranslation) {
  keznlsTranslatorWithDatabases translator(utString(directory("first").c_str()));
  keznlsFormatterDefault formatter;
  std::ostringstream out;
  keznlsDisplayerOstream displayer(out);
  keznlsHelper helper(&translator, &formatter, &displayer);
  helper.tprintf("demo", "%d entries in %s", 3, "Ordner");
  EXPECT_EQ(out.str(), "Ordner: 3 Eintr\xC3\xA4ge");
}

}  // namespace
