// Which catalogue a database opens, from the environment and the list of
// catalogue directories.
#include <gtest/gtest.h>

#include <string>

#include "catalogue_files.h"
#include "nls/nls.h"

namespace {

using test_catalogues::directory;

TEST(LanguageTest, OpensTheCatalogueTheEnvironmentAsksFor) {
  const std::string first = directory("first"), second = directory("second");
  const char* const fr = "Fran\xC3\xA7" "ais";
  const char* const at = "Deutsch (\xC3\x96sterreich)";
  struct Case {
    const char* vars[4];  // LANGUAGE, LC_ALL, LC_MESSAGES, LANG; null: unset
    std::string source;
    const char* domain;
    const char* expected;  // what "Language" becomes
  } const cases[] = {
      {{}, first, "demo", "Language"},
      {{"fr:de"}, first, "demo", fr},
      {{"xx:de:fr"}, first, "demo", "Deutsch"},
      {{"", "fr", "de", "de"}, first, "demo", fr},  // empty counts as unset
      {{nullptr, nullptr, "fr", "de"}, first, "demo", fr},
      {{nullptr, nullptr, nullptr, "de_AT.UTF-8"}, first, "demo", at},
      {{nullptr, nullptr, nullptr, "de_AT@euro"}, first, "demo", at},
      {{nullptr, nullptr, nullptr, "de_CH.UTF-8@euro"}, first, "demo", "Deutsch"},
      {{nullptr, nullptr, nullptr, "POSIX"}, first, "demo", "Language"},
      {{nullptr, "C.UTF-8", nullptr, "de"}, first, "demo", "Language"},
      {{"fr:C:de"}, first, "demo_nohash", "Language"},  // C ends the list
      {{"../second/it:de"}, first, "demo", "Deutsch"},  // no paths
      {{"it"}, first + ":" + second, "demo", "Italiano"},
      {{"de"}, first + ":" + second, "extra", "Deutsch"},
      {{"fr:it"}, second + ":" + first, "demo", fr},  // language order first
      {{"de"}, "::" + first + ":", "demo", "Deutsch"},
      {{"de"}, "", "demo", "Language"},
      {{"de"}, first, "", "Language"},
      {{"de"}, first, "../de/LC_MESSAGES/demo", "Language"},
  };
  const char* const names[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
  for (const Case& c : cases) {
    test_catalogues::LocaleEnvironment env;
    std::string label = c.source + " " + c.domain;
    for (int i = 0; i < 4; ++i) {
      if (c.vars[i] != nullptr) env.set(names[i], c.vars[i]);
      label += std::string(" ") + names[i] + "=" + (c.vars[i] ? c.vars[i] : "-");
    }
    const nlsDataBase database(c.source.c_str(), c.domain);
    EXPECT_STREQ(database["Language"], c.expected) << label;
    EXPECT_EQ(database.domain() == nullptr, c.expected == std::string("Language")) << label;
  }
}

TEST(LanguageTest, MalformedFileGivesWayToALessSpecificOne) {
  test_catalogues::LocaleEnvironment env;
  const test_catalogues::TempDirectory dir;
  dir.add("de_AT", "demo", {'n', 'o', ' ', 'c', 'a', 't', 'a', 'l', 'o', 'g', 'u', 'e'});
  dir.add("de", "demo", test_catalogues::read("first", "de", "demo"));
  env.set("LANG", "de_AT.UTF-8");
  EXPECT_STREQ(nlsDataBase(dir.path().c_str(), "demo")["Hello"], "Hallo");
}

}  // namespace
