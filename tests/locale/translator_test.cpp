// The database translator over real catalogues: which database answers,
// when databases are opened, and that the translator releases them all.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <sstream>
#include <string>

#include "catalogue_files.h"
#include "keznls/engine.h"
#include "keznls/output.h"
#include "keznls/translator.h"

// Live global allocations of this program, and a switch that makes the
// non-throwing new fail as an exhausted heap would.
namespace {
long g_live = 0;
bool g_fail_nothrow = false;
void* allocate(std::size_t size) {
  void* p = std::malloc(size == 0 ? 1 : size);
  g_live += p != nullptr;
  return p;
}
void release(void* p) {
  g_live -= p != nullptr;
  std::free(p);
}
}  // namespace

void* operator new(std::size_t size) {
  if (void* p = allocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return g_fail_nothrow ? nullptr : allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return g_fail_nothrow ? nullptr : allocate(size); }
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }

namespace {

using namespace test_catalogues;

std::string text(keznlsTranslator& translator, const char* name, const char* message) {
  return translator.translate(name, message).c_str();
}

TEST(TranslatorTest, TranslatesThroughTheNamedDatabase) {
  clear_locale_environment();
  ::setenv("LANGUAGE", "de", 1);
  // Databases that would translate under the reserved name, and under a
  // name that differs from it only in case.
  const TempDirectory dir;
  dir.add("de", "DO_NOT_TRANSLATE", read("demo"));
  dir.add("de", "do_not_translate", read("demo"));
  keznlsTranslatorWithDatabases translator(utString((directory("first") + ":" + dir.path()).c_str()));
  const struct { const char *name, *message, *expected; } cases[] = {
      {"demo", "Hello", "Hallo"},
      {"demo_nohash", "Caf\xC3\xA9", "Kaffeehaus"},
      {"demo", "not in the catalogue", "not in the catalogue"},
      {"no_such_domain", "Hello", "Hello"},
      {"", "Hello", "Hello"},
      {"DO_NOT_TRANSLATE", "Hello", "Hello"},
      {"do_not_translate", "Hello", "Hallo"},
  };
  for (const auto& c : cases) EXPECT_EQ(text(translator, c.name, c.message), c.expected) << c.name;

  const long before = g_live;
  text(translator, "DO_NOT_TRANSLATE", "Hello");
  EXPECT_EQ(g_live, before);  // no table entry, no database

  keznlsFormatterSimple formatter(utString("."));
  std::ostringstream out;
  keznlsDisplayerOstream displayer(out);
  keznlsHelper(&translator, &formatter, &displayer).tprintf("demo", "%d entries in %s", 3, "Ordner");
  EXPECT_EQ(out.str(), "Ordner: 3 Eintr\xC3\xA4ge");
}

TEST(TranslatorTest, OpensEachDatabaseOnceAndReleasesThemAll) {
  clear_locale_environment();
  ::setenv("LANGUAGE", "de", 1);
  const TempDirectory dir;
  dir.add("de", "demo", read("demo"));
  const long before = g_live;
  auto* translator = new keznlsTranslatorWithDatabases(utString(dir.path().c_str()));
  g_fail_nothrow = true;
  const std::string failed = text(*translator, "demo", "Hello");
  g_fail_nothrow = false;
  EXPECT_EQ(failed, "Hello");
  utString kept = translator->translate("demo", "Hello");  // retried after the failed allocation
  EXPECT_STREQ(kept.c_str(), "Hallo");
  EXPECT_EQ(text(*translator, "late", "Hello"), "Hello");

  // What changes after the first use is not seen by the open databases.
  ::setenv("LANGUAGE", "fr", 1);
  dir.add("de", "late", read("demo"));
  const long opened = g_live;
  EXPECT_EQ(text(*translator, "demo", "Hello"), "Hallo");
  EXPECT_EQ(text(*translator, "late", "Hello"), "Hello");
  EXPECT_EQ(g_live, opened);

  delete translator;
  EXPECT_STREQ(kept.c_str(), "Hallo");  // results do not borrow from a database
  kept = utString();
  EXPECT_EQ(g_live, before);
}

}  // namespace
