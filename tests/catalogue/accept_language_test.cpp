// Accept-Language values as browsers and hostile clients send them.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>

#include "keznls/languages.h"

namespace {

std::string list(const std::string& header) { return keznls_accept_language_list(header.c_str()).c_str(); }

// "aa_AA", "ab_AA", ...: a distinct valid tag for each i below 676 * 676.
std::string tag(int i) {
  const char name[] = {static_cast<char>('a' + i % 26), static_cast<char>('a' + i / 26 % 26), '-',
                       static_cast<char>('A' + i / 676 % 26), static_cast<char>('A' + i / 17576 % 26), '\0'};
  return name;
}
std::string name(int i) {
  std::string n = tag(i);
  n[2] = '_';
  return n;
}

TEST(AcceptLanguageTest, HeadersBecomeListsOfGlibcNames) {
  const struct { const char *header, *list; } cases[] = {
      // Browsers' headers.
      {"de-CH, de;q=0.9, fr;q=0.5, *;q=0.1", "de_CH:de:fr"},
      {"sr-Latn-RS,sr-Latn;q=0.9,sr;q=0.8", "sr_RS@latin:sr@latin:sr"},
      {"es-419,es;q=0.9", "es_419:es"},
      {"zh-Hant-HK,zh-Hans-SG;q=0.8,zh-Hant;q=0.6,zh-Hans;q=0.4", "zh_HK:zh_SG:zh_TW:zh_CN"},
      {"ca-ES-valencia,ca;q=0.9", "ca_ES@valencia:ca"},
      {"EN-us", "en_US"},                 // subtags in any case
      {"ks-Deva", "ks@devanagari"},       // scripts glibc spells as a modifier; the longest
      {"pa-Arab-PK", "pa_PK"},            // other scripts dropped
      {"ja-Hant", "ja"},                  // Hans/Hant imply a region only for Chinese
      {"zh-Hans-TW", "zh_TW"},            // the tag's own region wins
      {"zh-yue-HK", "zh_HK"},             // extended language: the macrolanguage stays
      {"de-DE-1996", "de_DE"},            // other variants dropped
      {"sr-Latn-RS-valencia", "sr_RS@latin"},  // one modifier: the script's
      {"en-US-u-ca-gregory-x-home", "en_US"},  // extensions and private use ignored
      {"ast", "ast"},
      // Ordered by weight, once per name.
      {"fr;q=0.5, de, it;q=0.7, en", "de:en:it:fr"},      // stable for equal q, missing q is 1
      {"de;q=0.500, fr;q=0.5, it;q=0.501", "it:de:fr"},  // all three decimals count
      {"de;q=0.2, en, de-DE;q=0.4, DE;q=0.9", "en:de:de_DE"},  // a duplicate at its best place
      {"en;q=0.8, fr;q=0.8, en;q=0.8", "en:fr"},          // and at its first among equals
      {"zh-Hant, zh-TW, zh-Hant-TW;q=0.1", "zh_TW"},      // duplicates after mapping
      {"de;q=0, de-AT, fr;q=0.0, it;q=0.000", "de_AT"},    // q=0 refuses
      {"*, en;q=0.1, *;q=1", "en"},
      {"en;Q=1.000 , fr ;q=1., de\t;\tq=0.9", "en:fr:de"},
      // Malformed entries skipped.
      {",, en ,,\t, ;q=0.5, fr", "en:fr"},  // empty entries
      // q values outside the grammar
      {"a1;q=1, de;q=1.001, fr;q=2, it;q=0.1234, nl;q=.5, pl;q=-0.5, sv;q=0.5x, en", "en"},
      {"de;q = 0.5, fr;q, it;level=1, nl;q=0.5;q=0.4, pl;, cs;q=, en", "en"},
      // tags outside the grammar or naming no folder
      {"i-klingon, x-pig-latin, english, e, en-, -en, en--US, en-US-US, en-toolongsubtag, en", "en"},
      {"en-Latn-Cyrl, en-US-Latn, en-a, de*, *-US, en_US, de.UTF-8, sv", "sv"},
      // bytes that must never reach a file name
      {"../../etc, de/CH, fr@latin, it:nl, en\x01, \xc3\xa9s, pt\r\n, ru", "ru"},
  };
  for (const auto& c : cases) EXPECT_EQ(list(c.header), c.list) << "header: " << c.header;
  EXPECT_EQ(std::string(keznls_accept_language_list(nullptr).c_str()), "");
  EXPECT_FALSE(keznls_accept_language_list(nullptr).invalid());
  // With the program's own language: the list ends where a reader would get the originals.
  const std::string with_source[][3] = {
      {"pt-BR, fr;q=0.9, en;q=0.8", "en", "pt_BR:fr:en"},
      {"fr, de-CH, de", "de", "fr:de_CH"},
      {"fr, en", "", "fr:en"},
  };
  for (const auto& h : with_source)
    EXPECT_STREQ(keznls_accept_language_list(std::string_view(h[0]), h[1]).c_str(), h[2].c_str()) << h[0];
}

// Megabytes of header must not take quadratic time (the test's timeout).
TEST(AcceptLanguageTest, HostileHeadersCostLittle) {
  std::string many;  // 10000 distinct names at low weights, the best ones last
  for (int i = 0; i < 10000; ++i) many += tag(i) + (i % 2 == 0 ? ";q=0.1," : ";q=0.2,");
  many += "fr;q=0.3, de";
  std::string expected = "de:fr";
  for (int i = 1; i < 28; i += 2) expected += ":" + name(i);  // the first fourteen at q=0.2
  EXPECT_EQ(list(many), expected);

  // Names crowded out at a low weight come back at a higher one.
  std::string crowded;
  for (int i = 0; i < 16; ++i) crowded += tag(i) + ";q=0.5,";
  crowded += tag(100) + ";q=0.4," + tag(101) + ";q=0.5," + tag(100) + ";q=0.6";
  std::string best = name(100);
  for (int i = 0; i < 15; ++i) best += ":" + name(i);
  EXPECT_EQ(list(crowded), best);

  const std::pair<std::string, const char*> cases[] = {
      {std::string(100000, 'a') + ",en", "en"},
      {"en;q=0." + std::string(100000, '0') + ",fr", "fr"},
      {std::string(100000, ',') + "en", "en"},
      {std::string(100000, '-') + ",en", "en"},
      {"en-" + std::string(100000, ' '), ""},
  };
  for (const auto& c : cases) EXPECT_EQ(list(c.first), c.second) << c.first.substr(0, 40);

  std::string bytes;  // every byte value but NUL, repeated
  for (int i = 0; i < 100000; ++i) bytes += static_cast<char>(1 + i * 7 % 255);
  const std::string odd = list(bytes);
  EXPECT_EQ(odd.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_@:"), std::string::npos)
      << odd;
}

}  // namespace
