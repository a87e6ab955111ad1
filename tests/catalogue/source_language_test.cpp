#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue_files.h"
#include "keznls/keznls.h"

namespace {

using test_catalogues::directory;

// "Hello" is only in de, "Language" in all, "Color" only in en_GB.
TEST(SourceLanguageTest, RequestsStopAtTheProgramsLanguage) {
  const struct { const char *header, *text, *shown, *answered; } cases[] = {
      {"en-US,en;q=0.9,fr;q=0.8", "Language", "Language", "en"},  // no en catalogue: the originals, not French
      {"en-GB", "Language", "English (United Kingdom)", "en_GB"},
      {"en-GB", "Color", "Colour", "en_GB"},
      {"en-GB,de;q=0.8", "Hello", "Hello", "en"},                 // after en_GB the list stops
      {"en-AU,fr;q=0.9", "Language", "Language", "en"},           // no en_AU catalogue: still the originals
      {"pt-BR, fr;q=0.9, en;q=0.8", "Language", "Français", "fr"},
      {"en;q=0, fr", "Language", "Français", "fr"},               // English refused
      {"*", "Language", "Language", "en"},
      {"it, fr;q=0.5", "Language", "Français", "fr"},           // no Italian catalogue here
      {"de-AT", "Language", "Deutsch (Österreich)", "de_AT"},
      {"de-AT", "Hello", "Hallo", "de"},                          // fallen through to de
      {"de-CH,fr;q=0.5", "Language", "Deutsch", "de"},
  };
  for (const auto& c : cases) {
    // The header's whole list; the translator cuts it.
    keznlsTranslatorWithDatabases translator(directory("source").c_str(), keznls_accept_language_list(c.header));
    EXPECT_STREQ(translator.translate("demo", c.text).c_str(), c.shown) << c.header << " / " << c.text;
    EXPECT_EQ(translator.answered_language("demo", c.text), c.answered) << c.header << " / " << c.text;
  }
}

TEST(SourceLanguageTest, TheListFromAHeaderEndsAtTheSourceLanguage) {
  const std::string headers[][3] = {
      {"en-US,en;q=0.9,fr;q=0.8", "en", "en_US"},
      {"pt-BR, fr;q=0.9, en;q=0.8", "en", "pt_BR:fr:en"},
      {"fr, de-CH, de", "de", "fr:de_CH"},
      {"fr, en", "", "fr:en"},
  };
  for (const auto& h : headers)
    EXPECT_STREQ(keznls_accept_language_list(std::string_view(h[0]), h[1]).c_str(), h[2].c_str()) << h[0];
}

TEST(SourceLanguageTest, AProgramWrittenInGerman) {
  const struct { const char *languages, *shown, *answered; } cases[] = {
      {"en_US:de", "Hello", "en"},
      {"fr:de:en", "Hallo", "de"},     // no French; German is the program's own
      {"de_CH:en", "Hallo", "de"},     // a German reader anywhere
      {"", "Hallo", "de"},
  };
  for (const auto& c : cases) {
    keznlsTranslatorWithDatabases translator(directory("german"), std::string(c.languages), "de");
    EXPECT_EQ(translator.source_language(), "de");
    EXPECT_STREQ(translator.translate("demo", "Hallo").c_str(), c.shown) << c.languages;
    EXPECT_EQ(translator.answered_language("demo", "Hallo"), c.answered) << c.languages;
  }
}

// Every mix of the text types picks one constructor, and all agree.
TEST(SourceLanguageTest, ConstructorsTakeEachTextType) {
  const std::string folder = directory("source");
  const std::string_view view = folder;
  const utString legacy(folder.c_str());
  std::unique_ptr<keznlsTranslatorWithDatabases> made[] = {
      std::make_unique<keznlsTranslatorWithDatabases>(folder.c_str(), "de"),
      std::make_unique<keznlsTranslatorWithDatabases>(legacy, "de"),
      std::make_unique<keznlsTranslatorWithDatabases>(folder, "de"),
      std::make_unique<keznlsTranslatorWithDatabases>(view, std::string("de")),
      std::make_unique<keznlsTranslatorWithDatabases>(folder.c_str(), std::string_view("de")),
      std::make_unique<keznlsTranslatorWithDatabases>(legacy, std::string("de")),
      std::make_unique<keznlsTranslatorWithDatabases>(view, "de", "en"),
  };
  for (auto& t : made) EXPECT_STREQ(t->translate("demo", "Language").c_str(), "Deutsch");
  // The environment's languages keep the C library's rule: English without a catalogue falls through.
  test_catalogues::set_language("LANG", "fr_FR.UTF-8");
  ::setenv("LANGUAGE", "en:fr", 1);
  for (auto& t : {std::make_unique<keznlsTranslatorWithDatabases>(folder),
                  std::make_unique<keznlsTranslatorWithDatabases>(view),
                  std::make_unique<keznlsTranslatorWithDatabases>(legacy)})
    EXPECT_STREQ(t->translate("demo", "Language").c_str(), "Français");
  test_catalogues::set_language();
}

TEST(SourceLanguageTest, StatusSaysWhatIsMissing) {
  const struct {
    std::string folder;
    const char *languages, *name;
    bool folder_exists, has_catalogue, any_language;
    const char* language;
  } cases[] = {
      {directory("source"), "de_CH:de", "demo", true, true, true, "de"},
      {directory("source"), "it", "demo", true, false, true, ""},
      {directory("source"), "de", "absent", true, false, false, ""},
      {directory("source") + "/nowhere", "de", "demo", false, false, false, ""},
      {"/nowhere:" + directory("source"), "pl", "demo", true, true, true, "pl"},
  };
  for (const auto& c : cases) {
    keznlsTranslatorWithDatabases translator(c.folder, std::string(c.languages));
    SCOPED_TRACE(c.folder + " " + c.languages);
    const keznlsCatalogueStatus status = translator.status(c.name);
    EXPECT_EQ(std::vector<bool>({status.folder_exists, status.has_catalogue, bool(status), status.any_language}),
              std::vector<bool>({c.folder_exists, c.has_catalogue, c.has_catalogue, c.any_language}));
    EXPECT_EQ(status.language, c.language);
  }
}

}  // namespace
