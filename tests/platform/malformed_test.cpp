// Damaged catalogues: every one is refused as a whole, without a crash or
// an exception, and a database over one translates nothing.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "catalogue_files.h"
#include "nls/nls.h"

namespace {

using test_catalogues::read_bytes;
using test_catalogues::set_word;
using test_catalogues::word;

std::vector<char> german(const char* domain = "demo") {
  return read_bytes(test_catalogues::path("first", "de", domain));
}

std::unique_ptr<nlsLoadedDomain> load(const std::vector<char>& bytes) {
  return std::unique_ptr<nlsLoadedDomain>(nlsLoadedDomain::from_bytes(bytes.data(), bytes.size()));
}

TEST(MalformedCatalogueTest, EveryTruncationIsRefused) {
  const std::vector<char> hashed = german("demo");
  const std::vector<char> sorted = german("demo_nohash");
  for (const std::vector<char>& whole :
       {hashed, sorted, test_catalogues::byte_swapped(hashed), test_catalogues::byte_swapped(sorted)}) {
    ASSERT_NE(load(whole), nullptr);
    for (std::size_t size = 0; size < whole.size(); ++size) {
      const std::vector<char> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
      EXPECT_EQ(load(cut), nullptr) << "first " << size << " of " << whole.size() << " bytes";
    }
  }
}

// Each damage applied to the German catalogue with a hash table.
struct Damage {
  const char* label;
  std::function<void(std::vector<char>*)> apply;
};

std::vector<Damage> damages() {
  // Header words: 8 count, 12 originals, 16 translations, 20 hash size, 24 hash offset.
  auto header = [](std::size_t offset, std::uint32_t value) {
    return [=](std::vector<char>* mo) { set_word(mo, offset, value); };
  };
  // Descriptor `field` (0 length, 4 offset) of entry `index` of the table at header word `table`.
  auto descriptor = [](std::size_t table, std::size_t index, std::size_t field, std::uint32_t value) {
    return [=](std::vector<char>* mo) { set_word(mo, word(*mo, table) + index * 8 + field, value); };
  };
  return {
      {"bad magic", header(0, 0x950412dfu)},
      {"major revision 2", header(4, 0x20000u)},
      {"absurd message count", header(8, 0xffffffffu)},
      {"count past the end", header(8, 0x10000000u)},
      {"originals table past the end", header(12, 0xfffffff0u)},
      {"translations table past the end", header(16, 0x1000u)},
      {"hash table past the end", header(24, 0x1000u)},
      {"absurd hash size", header(20, 0x40000000u)},
      {"original offset past the end", descriptor(12, 1, 4, 0x1000u)},
      {"original length past the end", descriptor(12, 1, 0, 0x1000u)},
      // In 32 bits each of these wraps around to a place inside the file.
      {"original offset + length overflow", descriptor(12, 1, 0, 0xffffffffu)},
      {"translation offset + length overflow",
       [](std::vector<char>* mo) {
         const std::size_t d = word(*mo, 16) + 8;
         set_word(mo, d + 4, 0xffffff00u);
         set_word(mo, d, 0x100u + 4);
       }},
      {"unterminated translation",
       [](std::vector<char>* mo) {
         const std::size_t d = word(*mo, 16) + 2 * 8;
         (*mo)[word(*mo, d + 4) + word(*mo, d)] = 'x';
       }},
      {"unterminated last string", [](std::vector<char>* mo) { mo->back() = 'x'; }},
      {"hash slot past the messages",
       [](std::vector<char>* mo) {
         for (std::size_t i = 0; i < word(*mo, 20); ++i) {
           const std::size_t slot = word(*mo, 24) + i * 4;
           if (word(*mo, slot) != 0) set_word(mo, slot, word(*mo, 8) + 1);
         }
       }},
  };
}

TEST(MalformedCatalogueTest, DamagedFilesAreRefused) {
  for (const Damage& damage : damages()) {
    std::vector<char> bytes = german();
    damage.apply(&bytes);
    EXPECT_EQ(load(bytes), nullptr) << damage.label;
  }
}

TEST(MalformedCatalogueTest, DatabaseOverADamagedFileTranslatesNothing) {
  test_catalogues::LocaleEnvironment env;
  env.set("LANGUAGE", "de");
  for (const Damage& damage : damages()) {
    std::vector<char> bytes = german();
    damage.apply(&bytes);
    test_catalogues::TempDirectory dir;
    dir.add("de", "demo", bytes);
    const nlsDataBase database(dir.path().c_str(), "demo");
    EXPECT_EQ(database.domain(), nullptr) << damage.label;
    const char* text = "Hello";
    EXPECT_EQ(database[text], text) << damage.label;
  }
}

TEST(MalformedCatalogueTest, OddButSafeFilesStillWork) {
  struct Case {
    const char* label;
    std::function<void(std::vector<char>*)> apply;
    const char* hit;  // what "Hello" gives afterwards
  };
  const Case cases[] = {
      {"minor revision", [](std::vector<char>* mo) { set_word(mo, 4, 1); }, "Hallo"},
      {"major revision 1", [](std::vector<char>* mo) { set_word(mo, 4, 0x10000u); }, "Hallo"},
      // Too small to probe: binary search instead.
      {"hash size 2", [](std::vector<char>* mo) { set_word(mo, 20, 2); }, "Hallo"},
      // No empty slot: probing must stop by itself.
      {"hash table without an empty slot",
       [](std::vector<char>* mo) {
         for (std::size_t i = 0; i < word(*mo, 20); ++i) set_word(mo, word(*mo, 24) + i * 4, 1);
       },
       "Hello"},
  };
  for (const Case& c : cases) {
    std::vector<char> bytes = german();
    c.apply(&bytes);
    const std::unique_ptr<nlsLoadedDomain> domain = load(bytes);
    ASSERT_NE(domain, nullptr) << c.label;
    EXPECT_STREQ(domain->translate("Hello"), c.hit) << c.label;
    const char* miss = "not in the catalogue";
    EXPECT_EQ(domain->translate(miss), miss) << c.label;
  }
}

}  // namespace
