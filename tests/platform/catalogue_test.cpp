// Lookups in real catalogues compiled by msgfmt, in every form the reader
// accepts: with and without a hash table, in either byte order.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "catalogue_files.h"
#include "nls/nls.h"

namespace {

using test_catalogues::path;
using test_catalogues::read_bytes;

struct Image {
  const char* label;
  std::vector<char> bytes;
};

std::vector<Image> german_images() {
  const std::vector<char> hashed = read_bytes(path("first", "de", "demo"));
  const std::vector<char> sorted = read_bytes(path("first", "de", "demo_nohash"));
  return {{"hash table", hashed},
          {"binary search", sorted},
          {"big-endian, hash table", test_catalogues::byte_swapped(hashed)},
          {"big-endian, binary search", test_catalogues::byte_swapped(sorted)}};
}

TEST(CatalogueTest, BothLookupPathsAreExercised) {
  // Guards the tests below: msgfmt must have written one file of each kind.
  EXPECT_NE(test_catalogues::word(read_bytes(path("first", "de", "demo")), 20), 0u);
  EXPECT_EQ(test_catalogues::word(read_bytes(path("first", "de", "demo_nohash")), 20), 0u);
}

TEST(CatalogueTest, TranslatesEachKindOfEntry) {
  struct Case {
    const char* text;
    const char* expected;  // null: the text itself comes back
  };
  const Case cases[] = {
      {"Hello", "Hallo"},
      {"File %s not found", "Datei %s nicht gefunden"},
      {"%d file", "%d Datei"},  // plural: found by its singular, first form
      {"%d files", nullptr},    // the plural text is not a key
      {"menu\x04Open", "\xC3\x96" "ffnen"},
      {"Open", nullptr},  // only present with its context
      {"Draft", nullptr},  // fuzzy entries are not compiled
      {"%d entries in %s", "%2$s: %1$d Eintr\xC3\xA4ge"},
      {"Street", "Stra\xC3\x9F" "e"},
      {"Caf\xC3\xA9", "Kaffeehaus"},
      {"Untranslated", nullptr},  // empty translation
      {"", nullptr},              // the header is no message
      {"Hell", nullptr},
      {"Hello!", nullptr},
      {"\x01", nullptr},
      {"\xFF\xFF", nullptr},
  };
  for (const Image& image : german_images()) {
    std::unique_ptr<nlsLoadedDomain> domain(nlsLoadedDomain::from_bytes(image.bytes.data(), image.bytes.size()));
    ASSERT_NE(domain, nullptr) << image.label;
    EXPECT_EQ(domain->size(), 9u) << image.label;
    for (const Case& c : cases) {
      const char* result = domain->translate(c.text);
      if (c.expected == nullptr)
        EXPECT_EQ(result, c.text) << image.label << ": " << c.text;
      else
        EXPECT_STREQ(result, c.expected) << image.label << ": " << c.text;
    }
  }
}

TEST(CatalogueTest, FindsEveryMessageOfALargeCatalogue) {
  // 600 messages: enough for colliding hash chains that wrap around.
  for (const char* domain_name : {"many", "many_nohash"}) {
    std::unique_ptr<nlsLoadedDomain> domain(nlsLoadedDomain::from_file(path("first", "de", domain_name).c_str()));
    ASSERT_NE(domain, nullptr) << domain_name;
    for (int i = 1; i <= 600; ++i) {
      const std::string text = "message " + std::to_string(i);
      EXPECT_EQ(domain->translate(text.c_str()), "Nachricht " + std::to_string(i)) << domain_name;
      const std::string miss = "message " + std::to_string(i + 600);
      EXPECT_EQ(domain->translate(miss.c_str()), miss.c_str()) << domain_name;
    }
  }
}

TEST(CatalogueTest, DatabaseFindsItsFileAndFallsBackToTheText) {
  test_catalogues::LocaleEnvironment env;
  env.set("LANGUAGE", "de");
  const std::string source = test_catalogues::directory("first");

  const nlsDataBase loaded(source.c_str(), "demo");
  ASSERT_NE(loaded.domain(), nullptr);
  EXPECT_STREQ(loaded["Hello"], "Hallo");
  const char* miss = "not in the catalogue";
  EXPECT_EQ(loaded[miss], miss);

  for (const char* name : {"no_such_domain", "", "../de/LC_MESSAGES/demo"}) {
    const nlsDataBase empty(source.c_str(), name);
    EXPECT_EQ(empty.domain(), nullptr) << name;
    const char* text = "Hello";
    EXPECT_EQ(empty[text], text) << name;
  }
}

TEST(CatalogueTest, OwningPointerMovesOnAssignment) {
  nlsDataBase* database = new nlsDataBase("", "none");
  const nlsDataBasecoTablePrgcoPrg source(database);
  nlsDataBasecoTablePrgcoPrg target;
  target = source;
  EXPECT_EQ(static_cast<nlsDataBase*>(target), database);
  EXPECT_EQ(static_cast<nlsDataBase*>(source), nullptr);

  const nlsDataBasecoTablePrgcoPrg& same = target;
  target = same;  // self-assignment keeps the database
  EXPECT_EQ(static_cast<nlsDataBase*>(target), database);

  // Assigning over a full pointer deletes its database (the sanitizer build
  // reports a leak otherwise).
  const nlsDataBasecoTablePrgcoPrg other(new nlsDataBase("", "none"));
  target = other;
  EXPECT_NE(static_cast<nlsDataBase*>(target), nullptr);
}

TEST(CatalogueTest, TableKeysCompareByText) {
  utStringnlsDataBasecoTablePrgcoPrgcoTable table(4, 50);
  nlsDataBasecoTablePrgcoPrg& first = table[utString("demo")];
  EXPECT_EQ(static_cast<nlsDataBase*>(first), nullptr);  // inserted empty
  first = nlsDataBasecoTablePrgcoPrg(new nlsDataBase("", "demo"));

  char name[] = "demo";  // another string with the same text
  EXPECT_EQ(&table[utString(name)], &first);
  EXPECT_NE(&table[utString("Demo")], &first);
  EXPECT_NE(&table[utString("")], &first);
  EXPECT_EQ(table.size(), 3);
}

}  // namespace
