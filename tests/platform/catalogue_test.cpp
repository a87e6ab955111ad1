// Real catalogues compiled by msgfmt: lookups in every form the reader
// accepts, which catalogue the environment picks, and damaged files.
#include <gtest/gtest.h>

#include <functional>
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
      {{}, first, "demo", none}, {{"xx:de:fr"}, first, "demo", "Deutsch"},
      {{"", "fr", "de", "de"}, first, "demo", fr},  // empty counts as unset
      {{nullptr, nullptr, "fr", "de"}, first, "demo", fr},
      {{nullptr, nullptr, nullptr, "de_AT.UTF-8"}, damaged.path() + ":" + first, "demo", at},  // bad file skipped
      {{nullptr, nullptr, nullptr, "de_CH.UTF-8@euro"}, first, "demo", "Deutsch"},
      {{"POSIX:de"}, first, "demo", none},
      {{nullptr, "C.UTF-8", nullptr, "de"}, first, "demo", none},
      {{"fr:C:de"}, first, "demo_nohash", none},  // C ends the list
      {{"../second/it:de"}, first, "demo", "Deutsch"},  // no paths
      {{"fr:it"}, second + ":" + first, "demo", fr},  // language order first, then each directory
      {{"de"}, "::" + first + ":", "demo", "Deutsch"}, {{"de"}, "", "demo", none}, {{"de"}, first, "", none},
      {{"de"}, first, "../de/LC_MESSAGES/demo", none},
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
      {"hash size 2: binary search", "Hallo", header(20, 2)},
      {"hash table without an empty slot: probing must stop", "Hello",
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
