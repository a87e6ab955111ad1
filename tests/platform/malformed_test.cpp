// Damaged catalogues are refused as a whole, without a crash or an
// exception, and a database over one translates nothing.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "catalogue_files.h"
#include "nls/nls.h"

namespace {

using test_catalogues::set_word;
using test_catalogues::word;
using Edit = std::function<void(std::vector<char>*)>;

bool loads(const std::vector<char>& bytes) {
  return std::unique_ptr<nlsLoadedDomain>(nlsLoadedDomain::from_bytes(bytes.data(), bytes.size())) != nullptr;
}

TEST(MalformedCatalogueTest, EveryTruncationIsRefused) {
  for (const char* domain : {"demo", "demo_nohash"}) {
    const std::vector<char> native = test_catalogues::read("first", "de", domain);
    for (const std::vector<char>& whole : {native, test_catalogues::byte_swapped(native)}) {
      ASSERT_TRUE(loads(whole));
      for (std::size_t size = 0; size < whole.size(); ++size)
        EXPECT_FALSE(loads(std::vector<char>(whole.begin(), whole.begin() + static_cast<long>(size))))
            << domain << ": first " << size << " bytes";
    }
  }
}

TEST(MalformedCatalogueTest, DamagedFilesAreRefused) {
  // Header words: 8 count, 12 originals, 16 translations, 20 hash size, 24 hash offset.
  auto header = [](std::size_t at, unsigned value) -> Edit {
    return [=](std::vector<char>* mo) { set_word(mo, at, value); };
  };
  // Word `field` (0 length, 4 offset) of descriptor `index` in the table at header word `table`.
  auto descriptor = [](std::size_t table, std::size_t index, std::size_t field, unsigned value) -> Edit {
    return [=](std::vector<char>* mo) { set_word(mo, word(*mo, table) + index * 8 + field, value); };
  };
  const std::pair<const char*, Edit> damages[] = {
      {"bad magic", header(0, 0x950412dfu)},
      {"major revision 2", header(4, 0x20000u)},
      {"absurd message count", header(8, 0xffffffffu)},
      {"originals table past the end", header(12, 0xfffffff0u)},
      {"translations table past the end", header(16, 0x1000u)},
      {"hash table past the end", header(24, 0x1000u)},
      {"absurd hash size", header(20, 0x40000000u)},
      {"string offset past the end", descriptor(12, 1, 4, 0x1000u)},
      {"string length past the end", descriptor(16, 1, 0, 0x1000u)},
      // In 32 bits these two wrap around to a NUL inside the file.
      {"offset + length overflow", descriptor(12, 1, 0, 0xffffffffu)},
      {"translation offset + length overflow",
       [](std::vector<char>* mo) {
         set_word(mo, word(*mo, 16) + 12, 0xffffff00u);
         set_word(mo, word(*mo, 16) + 8, 0x104u);
       }},
      {"unterminated string",
       [](std::vector<char>* mo) {
         const std::size_t d = word(*mo, 16) + 2 * 8;
         (*mo)[word(*mo, d + 4) + word(*mo, d)] = 'x';
       }},
      {"hash slot past the messages",
       [](std::vector<char>* mo) { set_word(mo, word(*mo, 24) + 4 * (word(*mo, 20) - 1), word(*mo, 8) + 1); }},
  };
  test_catalogues::LocaleEnvironment env;
  env.set("LANGUAGE", "de");
  for (const auto& [label, damage] : damages) {
    std::vector<char> bytes = test_catalogues::read("first", "de", "demo");
    damage(&bytes);
    EXPECT_FALSE(loads(bytes)) << label;
    const test_catalogues::TempDirectory dir;
    dir.add("de", "demo", bytes);
    const nlsDataBase database(dir.path().c_str(), "demo");
    EXPECT_EQ(database.domain(), nullptr) << label;
    const char* text = "Hello";
    EXPECT_EQ(database[text], text) << label;
  }
}

TEST(MalformedCatalogueTest, OddButSafeFilesStillWork) {
  const struct {
    const char* label;
    Edit edit;
    const char* hello;  // what "Hello" gives afterwards
  } cases[] = {
      {"major revision 1", [](std::vector<char>* mo) { set_word(mo, 4, 0x10000u); }, "Hallo"},
      {"hash size 2: binary search", [](std::vector<char>* mo) { set_word(mo, 20, 2); }, "Hallo"},
      {"hash table without an empty slot: probing must stop",
       [](std::vector<char>* mo) {
         for (std::size_t i = 0; i < word(*mo, 20); ++i) set_word(mo, word(*mo, 24) + i * 4, 1);
       },
       "Hello"},
  };
  for (const auto& c : cases) {
    std::vector<char> bytes = test_catalogues::read("first", "de", "demo");
    c.edit(&bytes);
    const std::unique_ptr<nlsLoadedDomain> domain(nlsLoadedDomain::from_bytes(bytes.data(), bytes.size()));
    ASSERT_NE(domain, nullptr) << c.label;
    EXPECT_STREQ(domain->translate("Hello"), c.hello) << c.label;
    const char* miss = "not in the catalogue";
    EXPECT_EQ(domain->translate(miss), miss) << c.label;
  }
}

}  // namespace
