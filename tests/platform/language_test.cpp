// Which catalogue a database opens, from the environment and the list of
// catalogue directories.
#include <gtest/gtest.h>

#include <string>

#include "catalogue_files.h"
#include "nls/nls.h"

namespace {

using test_catalogues::directory;

TEST(LanguageTest, ChoosesTheCatalogueTheEnvironmentAsksFor) {
  const std::string first = directory("first");
  const std::string both = first + ":" + directory("second");
  const std::string reversed = directory("second") + ":" + first;
  struct Case {
    const char* language;  // null: unset
    const char* lc_all;
    const char* lc_messages;
    const char* lang;
    const std::string& source;
    const char* domain;
    const char* expected;  // the translation of "Language"
  };
  const Case cases[] = {
      {nullptr, nullptr, nullptr, nullptr, first, "demo", "Language"},
      {"fr:de", nullptr, nullptr, nullptr, first, "demo", "Fran\xC3\xA7" "ais"},
      {"xx:de:fr", nullptr, nullptr, nullptr, first, "demo", "Deutsch"},
      {"", "fr", "de", "de", first, "demo", "Fran\xC3\xA7" "ais"},  // empty LANGUAGE is unset
      {nullptr, "fr", "de", "de", first, "demo", "Fran\xC3\xA7" "ais"},
      {nullptr, nullptr, "fr", "de", first, "demo", "Fran\xC3\xA7" "ais"},
      {nullptr, nullptr, "", "fr", first, "demo", "Fran\xC3\xA7" "ais"},
      {nullptr, nullptr, nullptr, "de_AT.UTF-8", first, "demo", "Deutsch (\xC3\x96sterreich)"},
      {nullptr, nullptr, nullptr, "de_AT@euro", first, "demo", "Deutsch (\xC3\x96sterreich)"},
      {nullptr, nullptr, nullptr, "de_CH.UTF-8@euro", first, "demo", "Deutsch"},
      {nullptr, nullptr, nullptr, "C", first, "demo", "Language"},
      {nullptr, nullptr, nullptr, "POSIX", first, "demo", "Language"},
      {nullptr, "C.UTF-8", nullptr, "de", first, "demo", "Language"},
      {"C:de", nullptr, nullptr, nullptr, first, "demo", "Language"},  // C ends the list
      {"fr:C:de", nullptr, nullptr, nullptr, first, "demo", "Fran\xC3\xA7" "ais"},
      {"../second/it:de", nullptr, nullptr, nullptr, first, "demo", "Deutsch"},  // no paths
      {"it", nullptr, nullptr, nullptr, first, "demo", "Language"},
      {"it", nullptr, nullptr, nullptr, both, "demo", "Italiano"},
      {"de", nullptr, nullptr, nullptr, both, "extra", "Deutsch"},
      {"fr:it", nullptr, nullptr, nullptr, reversed, "demo", "Fran\xC3\xA7" "ais"},  // language order first
      {"de", nullptr, nullptr, nullptr, "::" + first + ":", "demo", "Deutsch"},
      {"de", nullptr, nullptr, nullptr, "", "demo", "Language"},
  };
  for (const Case& c : cases) {
    test_catalogues::LocaleEnvironment env;
    if (c.language) env.set("LANGUAGE", c.language);
    if (c.lc_all) env.set("LC_ALL", c.lc_all);
    if (c.lc_messages) env.set("LC_MESSAGES", c.lc_messages);
    if (c.lang) env.set("LANG", c.lang);
    const nlsDataBase database(c.source.c_str(), c.domain);
    EXPECT_STREQ(database["Language"], c.expected)
        << "LANGUAGE=" << (c.language ? c.language : "-") << " LC_ALL=" << (c.lc_all ? c.lc_all : "-")
        << " LC_MESSAGES=" << (c.lc_messages ? c.lc_messages : "-") << " LANG=" << (c.lang ? c.lang : "-")
        << " source=" << c.source << " domain=" << c.domain;
  }
}

TEST(LanguageTest, EnvironmentIsReadWhenTheDatabaseIsOpened) {
  test_catalogues::LocaleEnvironment env;
  const std::string source = directory("first");
  env.set("LANGUAGE", "fr");
  const nlsDataBase french(source.c_str(), "demo");
  env.set("LANGUAGE", "de");
  const nlsDataBase german(source.c_str(), "demo");
  EXPECT_STREQ(french["Hello"], "Bonjour");
  EXPECT_STREQ(german["Hello"], "Hallo");
}

TEST(LanguageTest, MalformedFileGivesWayToALessSpecificOne) {
  test_catalogues::LocaleEnvironment env;
  test_catalogues::TempDirectory dir;
  dir.add("de_AT", "demo", {'n', 'o', 't', ' ', 'a', ' ', 'c', 'a', 't', 'a', 'l', 'o', 'g', 'u', 'e'});
  dir.add("de", "demo", test_catalogues::read_bytes(test_catalogues::path("first", "de", "demo")));
  env.set("LANG", "de_AT.UTF-8");
  const nlsDataBase database(dir.path().c_str(), "demo");
  EXPECT_STREQ(database["Hello"], "Hallo");
}

}  // namespace
