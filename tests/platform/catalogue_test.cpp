// Real catalogues compiled by msgfmt: lookups in every form the reader
// accepts, which catalogue the environment picks, and damaged files.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>

#include "catalogue_files.h"
#include "keznls/nls/nls.h"

namespace {

using namespace test_catalogues;
using Bytes = std::vector<char>;

std::unique_ptr<nlsLoadedDomain> load(const Bytes& bytes) {
  return std::unique_ptr<nlsLoadedDomain>(nlsLoadedDomain::from_bytes(bytes.data(), bytes.size()));
}

TEST(CatalogueTest, TranslatesEachKindOfEntry) {
  const Bytes hashed = read("demo"), sorted = read("demo_nohash");
  ASSERT_NE(word(hashed, 20), 0u);  // one file of each kind
  ASSERT_EQ(word(sorted, 20), 0u);
  struct { const char *text, *expected; /* null: the text itself comes back */ } const cases[] = {
      {"Hello", "Hallo"}, {"Caf\xC3\xA9", "Kaffeehaus"},  // bytes above 0x7f hash unsigned
      {"%d file", "%d Datei"}, {"%d files", nullptr},  // plural: found by its singular, first form
      {"menu\x04Open", "\xC3\x96" "ffnen"}, {"Untranslated", nullptr},  // context key; empty translation
      {"", nullptr}, {"Hell", nullptr},  // the header is no message; a prefix is no match
  };
  int image = 0;
  for (const Bytes& bytes : {hashed, sorted, byte_swapped(hashed), byte_swapped(sorted)}) {
    SCOPED_TRACE(image++);
    const auto domain = load(bytes);
    ASSERT_NE(domain, nullptr);
    for (const auto& c : cases) {
      if (c.expected == nullptr) EXPECT_EQ(domain->translate(c.text), c.text) << c.text;
      else EXPECT_STREQ(domain->translate(c.text), c.expected) << c.text;
    }
  }
}

TEST(CatalogueTest, FindsEveryMessageOfALargeCatalogue) {
  for (const char* name : {"many", "many_nohash"}) {
    const auto domain = load(read(name));
    ASSERT_NE(domain, nullptr) << name;
    for (int i = 1; i <= 600; ++i) {
      const std::string hit = "message " + std::to_string(i), miss = "message " + std::to_string(i + 600);
      EXPECT_EQ(domain->translate(hit.c_str()), "Nachricht " + std::to_string(i)) << name;
      EXPECT_EQ(domain->translate(miss.c_str()), miss.c_str()) << name;
    }
  }
}

TEST(LanguageTest, OpensTheCatalogueTheEnvironmentAsksFor) {
  const std::string first = directory("first"), second = directory("second");
  const TempDirectory damaged;
  damaged.add("de_AT", "demo", Bytes(64, 'x'));
  const char *const fr = "Fran\xC3\xA7" "ais", *const at = "Deutsch (\xC3\x96sterreich)", *const none = "Language";
  const char* const names[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
  struct {
    const char* vars[4];  // as in `names`; null: unset
    std::string source;
    const char *domain, *expected;  // what "Language" becomes
  } const cases[] = {
      {{}, first, "demo", none}, {{"de"}, first, "demo", none},  // no locale: C, LANGUAGE ignored
      {{"xx:de:fr", nullptr, nullptr, "en_US"}, first, "demo", "Deutsch"},
      {{"", "fr", "de", "de"}, first, "demo", fr},  // empty counts as unset
      {{nullptr, nullptr, nullptr, "de_AT.UTF-8"}, damaged.path() + ":" + first, "demo", at},  // bad file skipped
      {{nullptr, nullptr, nullptr, "de_CH.UTF-8@euro"}, first, "demo", "Deutsch"},
      // C and POSIX, with or without a codeset, mean no translation whatever LANGUAGE says.
      {{"de", "C", nullptr, "de"}, first, "demo", none},
      {{"de", "C.UTF-8", nullptr, "de"}, first, "demo", none},
      {{"de", nullptr, "POSIX", "de"}, first, "demo", none},
      {{"POSIX:de", nullptr, nullptr, "de"}, first, "demo", none},  // and end a list
      {{"../second/it:de", nullptr, nullptr, "fr"}, first, "demo", "Deutsch"},  // no paths
      {{"fr:it", nullptr, nullptr, "de"}, second + ":" + first, "demo", fr},  // language order first, then each directory
      {{nullptr, nullptr, nullptr, "de"}, "::" + first + ":", "demo", "Deutsch"},
      {{nullptr, nullptr, nullptr, "de"}, "", "demo", none}, {{nullptr, nullptr, nullptr, "de"}, first, "", none},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    set_language();
    for (int i = 0; i < 4; ++i)
      if (c.vars[i] != nullptr) ::setenv(names[i], c.vars[i], 1);
    const nlsDataBase database(c.source.c_str(), c.domain);
    EXPECT_STREQ(database["Language"], c.expected);
    EXPECT_EQ(database.domain() == nullptr, c.expected == none);
  }
}

// A message the first catalogue of the list lacks comes from the next one
// that has it; the list's order decides between catalogues that both do.
TEST(LanguageTest, EachMessageFallsThroughTheList) {
  set_language("LANG", "de_DE.UTF-8");
  ::setenv("LANGUAGE", "it:xx:de", 1);
  const nlsDataBase database((directory("second") + ":" + directory("first")).c_str(), "demo");
  EXPECT_STREQ(database["Language"], "Italiano");
  EXPECT_STREQ(database["Hello"], "Hallo");
  EXPECT_STREQ(database["menu\x04Open"], "\xC3\x96" "ffnen");
  const char* const untranslated = "Untranslated";
  EXPECT_EQ(database[untranslated], untranslated);
}

TEST(LanguageTest, ExplainsEveryCandidateInTheOrderTried) {
  const TempDirectory damaged;
  damaged.add("de_AT", "demo", Bytes(64, 'x'));
  const std::string first = directory("first"), bad = damaged.path();
  const std::string source = bad + ":" + first;
  auto file = [](const std::string& dir, const char* folder) { return dir + "/" + folder + "/LC_MESSAGES/demo.mo: "; };
  struct {
    const char *language, *lc_all;
    std::string expected;
  } const cases[] = {
      {nullptr, nullptr, "skipped: none of LC_ALL, LC_MESSAGES, LANG is set, so the locale is C\n"},
      {"de", "C", "skipped: LC_ALL is C\n"},
      {"../x:de_AT.UTF-8:C:fr", "de_DE",
       "skipped: \"../x\" in LANGUAGE is not a language name\n"
       "stopped: \"C\" in LANGUAGE ends the list\n" +
           file(bad, "de_AT.UTF-8") + "missing\n" + file(first, "de_AT.UTF-8") + "missing\n" +
           file(bad, "de_AT.utf8") + "missing\n" + file(first, "de_AT.utf8") + "missing\n" +
           file(bad, "de_AT") + "malformed: not a compiled catalogue (bad magic number)\n" +
           file(first, "de_AT") + "loaded, 1 messages\n" +
           file(bad, "de.UTF-8") + "missing\n" + file(first, "de.UTF-8") + "missing\n" +
           file(bad, "de.utf8") + "missing\n" + file(first, "de.utf8") + "missing\n" +
           file(bad, "de") + "missing\n" + file(first, "de") + "loaded, 6 messages\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    set_language();
    if (c.language != nullptr) ::setenv("LANGUAGE", c.language, 1);
    if (c.lc_all != nullptr) ::setenv("LC_ALL", c.lc_all, 1);
    const nlsDataBase database(source.c_str(), "demo");
    EXPECT_EQ(database.explain(), c.expected);
  }
  set_language("LANG", "de");
  EXPECT_EQ(nlsDataBase(first.c_str(), "a/b").explain(), "skipped: a database name must be a file name, not \"a/b\"\n");
  EXPECT_EQ(nlsDataBase("::", "demo").explain(), "skipped: no catalogue folder given\n");
}

// A header whose plural rule cannot be read: the forms follow n != 1, and
// explain() says why.
TEST(LanguageTest, ExplainsAPluralRuleItCannotRead) {
  std::ifstream in(directory("first") + "/pl/LC_MESSAGES/demo.mo", std::ios::binary);
  Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const std::string rule = "plural=(", broken = "plural=)";
  std::copy(broken.begin(), broken.end(), std::search(bytes.begin(), bytes.end(), rule.begin(), rule.end()));
  const TempDirectory dir;
  dir.add("pl", "demo", bytes);
  set_language("LANG", "pl");
  const nlsDataBase database(dir.path().c_str(), "demo");
  EXPECT_STREQ(database.find_plural("%d file", 5), "%d pliki");  // the second form, as for 2
  EXPECT_STREQ(database.find_plural("%d file", 1), "jeden plik");
  const std::string why = database.explain();
  EXPECT_NE(why.find("/pl/LC_MESSAGES/demo.mo: loaded, 4 messages, Plural-Forms not used (malformed plural "
                     "expression at "),
            std::string::npos)
      << why;
  EXPECT_NE(why.find(" of the header): forms by n != 1, 1 translations refused for reading other arguments than "
                     "their originals (\"%s wolnych blok\xC3\xB3w\" for \"%d free blocks\")\n"),
            std::string::npos)
      << why;
}

// Catalogues in ISO-8859-1 and EUC-JP, made by msgconv from UTF-8 sources,
// hand out UTF-8; one whose charset cannot be converted is passed over.
TEST(CharsetTest, LegacyCataloguesAreConvertedToUtf8) {
  set_language("LANG", "de_DE.UTF-8");
  const std::string charsets = directory("charsets");
  ::setenv("LANGUAGE", "de", 1);
  const nlsDataBase german(charsets.c_str(), "legacy");
  EXPECT_STREQ(german["Language"], "Deutsch f\xC3\xBCr \xC3\x96sterreicher");
  EXPECT_STREQ(german["%d file"], "%d Datei (gro\xC3\x9F)");  // plural forms are converted too
  EXPECT_NE(german.explain().find("loaded, 2 messages, converted from ISO-8859-1\n"), std::string::npos);
  ::setenv("LANGUAGE", "ja", 1);
  const nlsDataBase japanese(charsets.c_str(), "legacy");
  EXPECT_STREQ(japanese["Hello"], "\xE3\x81\x93\xE3\x82\x93\xE3\x81\xAB\xE3\x81\xA1\xE3\x81\xAF");
  EXPECT_NE(japanese.explain().find("converted from EUC-JP\n"), std::string::npos);

  // The German catalogue under a charset name no converter knows, and the
  // Japanese one with a byte that is no EUC-JP text: both passed over.
  const auto load_from = [&](const char* language) {
    std::ifstream in(charsets + "/" + language + "/LC_MESSAGES/legacy.mo", std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  Bytes unknown = load_from("de"), broken = load_from("ja");
  const std::string name = "ISO-8859-1", stranger = "KEZ-8859-1";
  std::copy(stranger.begin(), stranger.end(), std::search(unknown.begin(), unknown.end(), name.begin(), name.end()));
  const std::string hello = "\xA4\xB3\xA4\xF3";  // the first two characters of the greeting
  *std::search(broken.begin(), broken.end(), hello.begin(), hello.end()) = '\xFF';
  const TempDirectory dir;
  dir.add("xx", "legacy", unknown);
  dir.add("yy", "legacy", broken);
  ::setenv("LANGUAGE", "xx:yy:de", 1);
  const nlsDataBase database((dir.path() + ":" + charsets).c_str(), "legacy");
  EXPECT_STREQ(database["Language"], "Deutsch f\xC3\xBCr \xC3\x96sterreicher");
  const std::string why = database.explain();
  EXPECT_NE(why.find("/xx/LC_MESSAGES/legacy.mo: skipped: charset KEZ-8859-1 cannot be converted to UTF-8\n"),
            std::string::npos) << why;
  EXPECT_NE(why.find("/yy/LC_MESSAGES/legacy.mo: malformed: a translation is not EUC-JP text\n"), std::string::npos)
      << why;
}

TEST(MalformedCatalogueTest, EveryTruncationIsRefused) {
  for (const char* name : {"demo", "demo_nohash"})
    for (const Bytes& whole : {read(name), byte_swapped(read(name))}) {
      ASSERT_NE(load(whole), nullptr);
      for (std::size_t size = 0; size < whole.size(); ++size)
        EXPECT_EQ(load({whole.begin(), whole.begin() + static_cast<long>(size)}), nullptr) << name << ' ' << size;
    }
}

TEST(MalformedCatalogueTest, DamagedFilesAreRefusedOddButSafeOnesWork) {
  using Edit = std::function<void(Bytes*)>;
  // Header words: 8 count, 12 originals, 16 translations, 20 hash size, 24 hash offset.
  auto header = [](std::size_t at, unsigned value) -> Edit { return [=](Bytes* mo) { set_word(mo, at, value); }; };
  // Word `field` (0 length, 4 offset) of descriptor `index` in the table at header word `table`.
  auto descriptor = [](std::size_t table, std::size_t index, std::size_t field, unsigned value) -> Edit {
    return [=](Bytes* mo) { set_word(mo, word(*mo, table) + index * 8 + field, value); };
  };
  const struct {
    const char* label;
    const char* hello;  // what "Hello" gives afterwards; null: the file is refused
    Edit edit;
  } cases[] = {
      {"bad magic", nullptr, header(0, 0x950412dfu)},
      {"major revision 2", nullptr, header(4, 0x20000u)},
      {"absurd message count", nullptr, header(8, 0xffffffffu)},
      {"originals table past the end", nullptr, header(12, 0xfffffff0u)},
      {"translations table past the end", nullptr, header(16, 0x1000u)},
      {"hash table past the end", nullptr, header(24, 0x1000u)},
      {"absurd hash size", nullptr, header(20, 0x40000000u)},
      {"string offset past the end", nullptr, descriptor(12, 1, 4, 0x1000u)},
      {"string length past the end", nullptr, descriptor(16, 1, 0, 0x1000u)},
      // In 32 bits this wraps around to a NUL inside the file.
      {"offset + length overflow", nullptr, descriptor(12, 1, 0, 0xffffffffu)},
      {"unterminated string", nullptr,
       [](Bytes* mo) { (*mo)[word(*mo, word(*mo, 16) + 20) + word(*mo, word(*mo, 16) + 16)] = 'x'; }},
      {"hash slot past the messages", nullptr,
       [](Bytes* mo) { set_word(mo, word(*mo, 24) + 4 * (word(*mo, 20) - 1), word(*mo, 8) + 1); }},
      {"major revision 1", "Hallo", header(4, 0x10000u)},
      // The file's own hash table is checked but not used for lookups.
      {"hash size 2", "Hallo", header(20, 2)},
      {"hash table without an empty slot", "Hallo",
       [](Bytes* mo) { for (std::size_t i = 0; i < word(*mo, 20); ++i) set_word(mo, word(*mo, 24) + i * 4, 1); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    Bytes bytes = read("demo");
    c.edit(&bytes);
    const auto domain = load(bytes);
    ASSERT_EQ(domain == nullptr, c.hello == nullptr);
    if (domain == nullptr) continue;
    EXPECT_STREQ(domain->translate("Hello"), c.hello);
  }
}

}  // namespace
