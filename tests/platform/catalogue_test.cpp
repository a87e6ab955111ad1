// Lookups in real catalogues compiled by msgfmt, in every form the reader
// accepts: with and without a hash table, in either byte order.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "catalogue_files.h"
#include "nls/nls.h"

namespace {

using test_catalogues::read;

TEST(CatalogueTest, TranslatesEachKindOfEntry) {
  const std::vector<char> hashed = read("first", "de", "demo");
  const std::vector<char> sorted = read("first", "de", "demo_nohash");
  ASSERT_NE(test_catalogues::word(hashed, 20), 0u);  // one file of each kind
  ASSERT_EQ(test_catalogues::word(sorted, 20), 0u);
  const std::vector<char> images[] = {hashed, sorted, test_catalogues::byte_swapped(hashed),
                                      test_catalogues::byte_swapped(sorted)};
  struct Case {
    const char* text;
    const char* expected;  // null: the text itself comes back
  } const cases[] = {
      {"Hello", "Hallo"},
      {"%d file", "%d Datei"},  // plural: found by its singular, first form
      {"%d files", nullptr},
      {"menu\x04Open", "\xC3\x96" "ffnen"},
      {"Open", nullptr},   // only present with its context
      {"Draft", nullptr},  // fuzzy entries are not compiled
      {"%d entries in %s", "%2$s: %1$d Eintr\xC3\xA4ge"},
      {"Caf\xC3\xA9", "Kaffeehaus"},
      {"Untranslated", nullptr},  // empty translation
      {"", nullptr},              // the header is no message
      {"Hell", nullptr},
      {"Hello!", nullptr},
      {"\x01", nullptr},
      {"\xFF", nullptr},
  };
  for (std::size_t i = 0; i < std::size(images); ++i) {
    std::unique_ptr<nlsLoadedDomain> domain(nlsLoadedDomain::from_bytes(images[i].data(), images[i].size()));
    ASSERT_NE(domain, nullptr) << "image " << i;
    for (const Case& c : cases) {
      const char* result = domain->translate(c.text);
      if (c.expected == nullptr)
        EXPECT_EQ(result, c.text) << "image " << i << ": " << c.text;
      else
        EXPECT_STREQ(result, c.expected) << "image " << i << ": " << c.text;
    }
  }
}

TEST(CatalogueTest, FindsEveryMessageOfALargeCatalogue) {
  for (const char* name : {"many", "many_nohash"}) {
    const std::vector<char> bytes = read("first", "de", name);
    std::unique_ptr<nlsLoadedDomain> domain(nlsLoadedDomain::from_bytes(bytes.data(), bytes.size()));
    ASSERT_NE(domain, nullptr) << name;
    for (int i = 1; i <= 600; ++i) {
      const std::string hit = "message " + std::to_string(i), miss = "message " + std::to_string(i + 600);
      EXPECT_EQ(domain->translate(hit.c_str()), "Nachricht " + std::to_string(i)) << name;
      EXPECT_EQ(domain->translate(miss.c_str()), miss.c_str()) << name;
    }
  }
}

TEST(CatalogueTest, OwnershipMovesOnAssignmentAndTableKeysCompareByText) {
  utStringnlsDataBasecoTablePrgcoPrgcoTable table(4, 50);
  nlsDataBasecoTablePrgcoPrg& entry = table[utString("demo")];
  EXPECT_EQ(static_cast<nlsDataBase*>(entry), nullptr);  // inserted empty

  nlsDataBase* database = new nlsDataBase("", "demo");
  const nlsDataBasecoTablePrgcoPrg temporary(database);
  entry = temporary;
  EXPECT_EQ(static_cast<nlsDataBase*>(entry), database);
  EXPECT_EQ(static_cast<nlsDataBase*>(temporary), nullptr);
  const nlsDataBasecoTablePrgcoPrg& same = entry;
  entry = same;
  EXPECT_EQ(static_cast<nlsDataBase*>(entry), database);
  // Assigning over a full pointer deletes its database; the sanitizer
  // build reports a leak otherwise.
  entry = nlsDataBasecoTablePrgcoPrg(new nlsDataBase("", "demo"));

  char name[] = "demo";  // another string with the same text
  EXPECT_EQ(&table[utString(name)], &entry);
  EXPECT_NE(&table[utString("Demo")], &entry);
  EXPECT_EQ(table.size(), 2);
}

}  // namespace
