// Real catalogues compiled by msgfmt, the environment's choice, damaged files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "catalogue_files.h"

#include "keznls/nls/nls.h"
#include "keznls/translator.h"
#include "catalogue/language.h"
#include "support/mo_image.h"

namespace {

using namespace test_catalogues;
using ::testing::HasSubstr;
using Bytes = std::vector<char>;

std::shared_ptr<const nlsLoadedDomain> load(const Bytes& bytes) {
  return nlsLoadedDomain::from_bytes(bytes.data(), bytes.size());
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

TEST(LanguageTest, OpensTheCatalogueTheEnvironmentAsksForAndSaysWhy) {
  const std::string first = directory("first"), second = directory("second");
  const TempDirectory damaged("de_AT", "demo", Bytes(64, 'x'));
  const char *const fr = "Fran\xC3\xA7" "ais", *const at = "Deutsch (\xC3\x96sterreich)", *const none = "Language";
  const char* const names[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
  auto file = [&](const char* folder, bool bad) {
    return (bad ? damaged.path() : first) + "/" + folder + "/LC_MESSAGES/demo.mo: ";
  };
  struct {
    const char* vars[4]; /* null: unset */ std::string source; const char *domain, *expected;
    std::string explained = "";  // every candidate in the order tried; "": not checked
  } const cases[] = {
      {{}, first, "demo", none, "skipped: none of LC_ALL, LC_MESSAGES, LANG is set, so the locale is C\n"},
      {{"de"}, first, "demo", none},  // no locale: C, LANGUAGE ignored
      {{"xx:de:fr", nullptr, nullptr, "en_US"}, first, "demo", "Deutsch"},
      {{"", "fr", "de", "de"}, first, "demo", fr},  // empty counts as unset
      {{nullptr, nullptr, nullptr, "de_CH.UTF-8@euro"}, first, "demo", "Deutsch"},
      // C and POSIX, with or without a codeset, mean no translation whatever LANGUAGE says.
      {{"de", "C", nullptr, "de"}, first, "demo", none, "skipped: LC_ALL is C\n"},
      {{"de", "C.UTF-8", nullptr, "de"}, first, "demo", none},
      {{"POSIX:de", nullptr, nullptr, "de"}, first, "demo", none},  // and end a list
      {{"fr:it", nullptr, nullptr, "de"}, second + ":" + first, "demo", fr},  // language order first, then each directory
      {{nullptr, nullptr, nullptr, "de"}, "::" + first + ":", "demo", "Deutsch"},
      {{nullptr, nullptr, nullptr, "de"}, first, "", none},
      {{nullptr, nullptr, nullptr, "de"}, "::", "demo", none, "skipped: no catalogue folder given\n"},
      {{nullptr, nullptr, nullptr, "de"}, first, "a/b", none},
      {{"../x:de_AT:C:fr", "de_DE"}, damaged.path() + ":" + first, "demo", at,
       "languages \"../x:de_AT:C:fr\" from LANGUAGE\n"
       "skipped: \"../x\" in LANGUAGE is not a language name\n"
       "stopped: \"C\" in LANGUAGE ends the list\n" +
           file("de_AT", true) + "malformed: not a compiled catalogue (bad magic number)\n" +
           file("de_AT", false) + "loaded, 1 messages\n" + file("de", true) + "missing\n" + file("de", false) +
           "loaded, 6 messages\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    set_language();
    for (int i = 0; i < 4; ++i)
      if (c.vars[i] != nullptr) ::setenv(names[i], c.vars[i], 1);
    const nlsDataBase database(c.source.c_str(), c.domain);
    EXPECT_STREQ(database["Language"], c.expected);
    EXPECT_EQ(database.domain() == nullptr, c.expected == none);
    if (!c.explained.empty()) { EXPECT_EQ(database.explain(), c.explained); }
  }
}

TEST(LanguageTest, ExplainsAPluralRuleItCannotRead) {
  Bytes bytes = read_file(directory("first") + "/pl/LC_MESSAGES/demo.mo");
  overwrite(bytes, "plural=(", "plural=)");
  const TempDirectory dir("pl", "demo", bytes);
  set_language("LANG", "pl");
  const nlsDataBase database(dir.path().c_str(), "demo");
  EXPECT_STREQ(database.find_plural("%d file", 5), "%d pliki");  // the second form, as for 2
  EXPECT_STREQ(database.find_plural("%d file", 1), "jeden plik");
  EXPECT_THAT(database.explain(), HasSubstr("Plural-Forms not used (malformed plural expression at "));
  EXPECT_THAT(database.explain(), HasSubstr("): forms by n != 1, 1 translations refused"));
}

// ISO-8859-1 and EUC-JP catalogues (made by msgconv) hand out UTF-8.
TEST(CharsetTest, LegacyCataloguesAreConvertedToUtf8) {
  set_language("LANG", "de_DE.UTF-8");
  const std::string charsets = directory("charsets");
  ::setenv("LANGUAGE", "de", 1);
  const nlsDataBase german(charsets.c_str(), "legacy");
  EXPECT_STREQ(german["Language"], "Deutsch f\xC3\xBCr \xC3\x96sterreicher");
  // Past this many lookups the catalogue has an index of its own: entries reached later are converted too.
  for (int i = 0; i < 32; ++i) german[std::to_string(i).c_str()];
  EXPECT_STREQ(german["%d file"], "%d Datei (gro\xC3\x9F)");  // plural forms are converted too
  EXPECT_THAT(german.explain(), HasSubstr("loaded, 2 messages, converted from ISO-8859-1\n"));

  // An unknown charset name: passed over. A byte no EUC-JP text holds: that entry passed over.
  Bytes unknown = read_file(charsets + "/de/LC_MESSAGES/legacy.mo");
  Bytes broken = read_file(charsets + "/ja/LC_MESSAGES/legacy.mo");
  overwrite(unknown, "ISO-8859-1", "KEZ-8859-1");
  overwrite(broken, "\xA4\xB3\xA4\xF3", "\xFF");  // in the first two characters of the greeting
  const TempDirectory dir("xx", "legacy", unknown);
  dir.add("yy", "legacy", broken);
  ::setenv("LANGUAGE", "xx:yy:de", 1);
  const nlsDataBase database((dir.path() + ":" + charsets).c_str(), "legacy");
  EXPECT_STREQ(database["Language"], "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E");  // yy's, sound, from EUC-JP
  const char* const greeting = "Hello";
  EXPECT_EQ(database[greeting], greeting);  // yy's is not, and de has none
  EXPECT_THAT(database.explain(),
              HasSubstr("/xx/LC_MESSAGES/legacy.mo: skipped: charset KEZ-8859-1 cannot be converted to UTF-8\n"));
  EXPECT_THAT(database.explain(), HasSubstr("/yy/LC_MESSAGES/legacy.mo: loaded, 2 messages, converted from EUC-JP, "
                                            "1 malformed entries passed over (a translation is not EUC-JP text)\n"));
}

const struct {
  const char *key, *translation;
} kDemo[] = {{"Hello", "Hallo"},       {"Language", "Deutsch"},
             {"%d file", "%d Datei"},  {"menu\x04Open", "\xC3\x96" "ffnen"},
             {"Caf\xC3\xA9", "Kaffeehaus"}, {"%d entries in %s", "%2$s: %1$d Eintr\xC3\xA4ge"}};

// The last case is longer once converted than the converter's work buffer.
TEST(CharsetTest, WhatIsConvertedAndHowMuch) {
  const std::string latin(600, '\xE4');  // 600 "ä": 1200 bytes in UTF-8
  std::string utf8;
  for (int i = 0; i < 600; ++i) utf8 += "\xC3\xA4";
  const struct { const char* charset; /* null: none */ std::string translation, expected; } cases[] = {
      {"UTF-8", "gr\xC3\xBC\xC3\x9F", "gr\xC3\xBC\xC3\x9F"}, {"ANSI_X3.4-1968", "x", "x"}, {nullptr, "x", "x"},
      {"CHARSET", "x", "x"},  // a template nobody filled in: as no charset
      {"ISO-8859-1", latin, utf8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.charset != nullptr ? c.charset : "none");
    const std::string header =
        c.charset != nullptr ? std::string("Content-Type: text/plain; charset=") + c.charset + "\n" : "Project: x\n";
    const auto domain = load(mo_image(header, {{"text", c.translation}}));
    ASSERT_NE(domain, nullptr);
    EXPECT_EQ(domain->translate("text"), c.expected);
  }
}

// Modifier weighs most, then territory, then codeset as written, then normalised.
TEST(LanguageTest, FormsOfALocaleNameInTheOrderTried) {
  using List = std::vector<std::string>;
  const struct { const char* name; List forms; } cases[] = {
      {"de_DE.UTF-8@euro",
       {"de_DE.UTF-8@euro", "de_DE.utf8@euro", "de_DE@euro", "de.UTF-8@euro", "de.utf8@euro", "de@euro",
        "de_DE.UTF-8", "de_DE.utf8", "de_DE", "de.UTF-8", "de.utf8", "de"}},
      {"pl_PL.8859-2", {"pl_PL.8859-2", "pl_PL.iso88592", "pl_PL", "pl.8859-2", "pl.iso88592", "pl"}},
  };
  for (const auto& c : cases) EXPECT_EQ(nls_language::forms(c.name), c.forms) << c.name;
}

// Places remembered by the caller's pointer are checked against the text itself.
// Only the program's own constants are trusted unread.
TEST(DataBaseTest, ABufferUsedAgainForAnotherTextGetsItsOwnAnswer) {
  keznlsTranslatorWithDatabases translator(directory("first").c_str(), "de");
  char name[16], text[16], context[16], plural[16];
  const struct { const char *name, *context, *text, *plural, *expected; } asks[] = {
      {"demo", "", "Hello", "", "Hallo"}, {"demo", "", "Language", "", "Deutsch"}, {"demo", "", "Hell", "", "Hell"},
      {"none", "", "Language", "", "Language"}, {"demo", "menu", "Open", "", "\xC3\x96" "ffnen"},
      {"demo", "state", "Open", "", "Open"}, {"demo", "", "%d file", "%d files", "%d Dateien"},
      {"demo", "", "%d file", "%s files", "%s files"},  // the catalogue's form reads another argument
      {"demo", "", "Hello", "", "Hallo"},
  };
  for (const auto& ask : asks) {
    std::strcpy(name, ask.name), std::strcpy(context, ask.context), std::strcpy(text, ask.text);
    std::strcpy(plural, ask.plural);
    const keznlsMessage m{name, *context != '\0' ? context : nullptr, text, *plural != '\0' ? plural : nullptr, 2};
    EXPECT_STREQ(translator.lend(m), ask.expected) << ask.name << " " << ask.context << " " << ask.plural;
  }
}

// Forms read on a place's first hit again; counts past the three forms take the first.
TEST(DataBaseTest, RememberedPluralsAnswerEachCountAsTheCatalogue) {
  std::string eight;
  for (int i = 0; i < 8; ++i) eight += "form " + std::to_string(i) + '\0';
  eight.pop_back();
  const TempDirectory dir;
  dir.add("de", "forms", mo_image("Content-Type: text/plain; charset=UTF-8\nPlural-Forms: nplurals=8; plural=n%8;\n",
                                  {{std::string("one\0many", 8), eight}, {std::string("a\0b", 3), std::string("x\0y\0z", 5)}}));
  keznlsTranslatorWithDatabases translator(dir.path().c_str(), "de");
  for (int round = 0; round < 2; ++round)
    for (unsigned long n = 0; n < 10; ++n) {
      EXPECT_EQ(std::string(translator.translate_plural("forms", "one", "many", n).c_str()), "form " + std::to_string(n % 8));
      EXPECT_STREQ(translator.translate_plural("forms", "a", "b", n).c_str(), n % 8 < 3 ? &"x\0y\0z"[2 * (n % 8)] : "x");
    }
}

TEST(MalformedCatalogueTest, EveryTruncationIsRefusedOrPassedOverByEntry) {
  for (const char* name : {"demo", "demo_nohash"})
    for (const Bytes& whole : {read(name), byte_swapped(read(name))}) {
      ASSERT_NE(load(whole), nullptr);
      for (std::size_t size = 0; size < whole.size(); ++size) {
        SCOPED_TRACE(std::string(name) + " cut at " + std::to_string(size));
        const auto domain = load({whole.begin(), whole.begin() + static_cast<long>(size)});
        if (domain == nullptr) continue;
        int lost = 0;
        for (const auto& entry : kDemo) {
          const char* got = domain->translate(entry.key);
          if (got == entry.key) ++lost;
          else EXPECT_STREQ(got, entry.translation);
        }
        // The last byte is a terminator of the last string.
        EXPECT_GT(lost, 0);
        EXPECT_GT(domain->audit().malformed, 0u);
      }
    }
}

TEST(MalformedCatalogueTest, DamageRefusesTheFileOrPassesOverTheEntry) {
  using Edit = std::function<void(Bytes*)>;
  // Header words: 8 count, 12 originals, 16 translations, 20 hash size, 24 hash offset.
  auto header = [](std::size_t at, unsigned value) -> Edit { return [=](Bytes* mo) { set_word(mo, at, value); }; };
  // Word `field` (0 length, 4 offset) of descriptor `index`; entry 1 is "%d entries in %s".
  auto descriptor = [](std::size_t table, std::size_t index, std::size_t field, unsigned value) -> Edit {
    return [=](Bytes* mo) { set_word(mo, word(*mo, table) + index * 8 + field, value); };
  };
  const char* const original_problem = "an original past the end or not terminated";
  const char* const translation_problem = "a translation past the end or not terminated";
  const struct {
    const char* label; Edit edit; bool refused;  // at open
    const char *damaged, *problem;  // the entry passed over, if any, and what the audit reports
  } cases[] = {
      {"bad magic", header(0, 0x950412dfu), true, nullptr, nullptr},
      {"major revision 2", header(4, 0x20000u), true, nullptr, nullptr},
      {"originals table past the end", header(12, 0xfffffff0u), true, nullptr, nullptr},
      {"translations table past the end", header(16, 0x1000u), true, nullptr, nullptr},
      {"absurd hash size", header(20, 0x40000000u), true, nullptr, nullptr},
      {"header entry past the end", descriptor(16, 0, 0, 0x1000u), true, nullptr, nullptr},
      {"string length past the end", descriptor(16, 1, 0, 0x1000u), false, "%d entries in %s", translation_problem},
      // In 32 bits this wraps around to a NUL inside the file.
      {"offset + length overflow", descriptor(12, 1, 0, 0xffffffffu), false, "%d entries in %s", original_problem},
      {"unterminated string",
       [](Bytes* mo) { (*mo)[word(*mo, word(*mo, 16) + 20) + word(*mo, word(*mo, 16) + 16)] = 'x'; }, false,
       "%d file", translation_problem},
      // The slot held "Café": not found through the table.
      {"hash slot past the messages",
       [](Bytes* mo) { set_word(mo, word(*mo, 24) + 4 * (word(*mo, 20) - 1), word(*mo, 8) + 1); }, false,
       "Caf\xC3\xA9", nullptr},
      {"major revision 1", header(4, 0x10000u), false, nullptr, nullptr},
      // Too small a table to probe: the sorted originals are searched.
      {"hash size 2", header(20, 2), false, nullptr, nullptr},
      {"hash table without an empty slot",
       [](Bytes* mo) { for (std::size_t i = 0; i < word(*mo, 20); ++i) set_word(mo, word(*mo, 24) + i * 4, 1); },
       false, nullptr, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    Bytes bytes = read("demo");
    c.edit(&bytes);
    const auto domain = load(bytes);
    ASSERT_EQ(domain == nullptr, c.refused);
    if (domain == nullptr) continue;
    const bool full_table = std::string(c.label) == "hash table without an empty slot";
    for (const auto& entry : kDemo) {
      // Every slot names the header there: only the empty key is found.
      if (full_table || (c.damaged != nullptr && std::string(c.damaged) == entry.key))
        EXPECT_EQ(domain->translate(entry.key), entry.key) << entry.key;
      else
        EXPECT_STREQ(domain->translate(entry.key), entry.translation) << entry.key;
    }
    const nlsAudit audit = domain->audit();
    EXPECT_EQ(audit.malformed, c.problem != nullptr ? 1u : 0u);  // the entries, not the table
    EXPECT_EQ(audit.first_malformed, c.problem != nullptr ? c.problem : "");
    EXPECT_EQ(audit.table_problem.empty(), std::string(c.label) != "hash slot past the messages");
  }
}

}  // namespace
