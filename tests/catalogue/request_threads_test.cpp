// A server's shared objects raced from their first use (run under ThreadSanitizer too).
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "catalogue_files.h"
#include "keznls/keznls.h"
#include "support/race.h"

namespace {

using test_catalogues::directory;

TEST(RequestThreadsTest, TheSetRacedFromFirstUse) {
  const struct { const char *header, *language, *plural; /* "%d file" for 3 */ } requests[] = {
      {"de-AT,de;q=0.9", "Deutsch (Österreich)", "3 Dateien"},
      {"pl-PL,pl;q=0.9,en;q=0.5", "Language", "3 pliki"},
      {"fr-FR,fr;q=0.9", "Français", "3 files"},
      {"en-US,en;q=0.9,fr;q=0.8", "Language", "3 files"},
      {"de", "Deutsch", "3 Dateien"},
  };
  constexpr int kRequests = sizeof requests / sizeof requests[0];
  constexpr int kThreads = 6;
  for (int round = 0; round < 3; ++round) {
    keznlsTranslatorSet set(directory("source"), "demo");
    keznlsTranslatorSetEntry* seen[kThreads][kRequests] = {};
    std::atomic<int> wrong{0};
    race(kThreads, [&](int t) {
      for (int i = 0; i < 4 * kRequests; ++i) {
        const int r = (i + t) % kRequests;
        keznlsTranslatorSetEntry& e = set.for_header(requests[r].header);
        if (seen[t][r] != nullptr && seen[t][r] != &e) ++wrong;
        seen[t][r] = &e;
        if (std::string(e.translator().translate("demo", "Language").c_str()) != requests[r].language) ++wrong;
        if (std::string(e.text().nstprintf("demo", "%d file", "%d files", 3, 3).c_str()) != requests[r].plural)
          ++wrong;
      }
    });
    EXPECT_EQ(wrong.load(), 0);
    for (int r = 0; r < kRequests; ++r)
      for (int t = 1; t < kThreads; ++t) EXPECT_EQ(seen[t][r], seen[0][r]) << requests[r].header;  // made once
    EXPECT_EQ(set.size(), 1u + kRequests);
  }
}

// Asked while other threads first load later catalogues of the list.
TEST(RequestThreadsTest, TheLanguageAnsweredByEachKindOfMessageFromFirstUse) {
  const struct { keznlsMessage message; const char* answered; } asked[] = {
      {{"demo", nullptr, "Language", nullptr, 0}, "de_AT"},
      {{"demo", nullptr, "Hello", nullptr, 0}, "de"},
      {{"demo", nullptr, "%d file", "%d files", 2}, "de"},
      {{"demo", "menu", "Open", nullptr, 0}, "de"},
      {{"demo", "disk", "%d free block", "%d free blocks", 2}, "pl"},  // only in pl
      {{"demo", "disk", "%d free block", "%d free blocks", 5}, "en"},  // pl's form refused
      {{"demo", nullptr, "Untranslated", nullptr, 0}, "en"},            // empty in de: original
      {{"absent", nullptr, "Language", nullptr, 0}, "en"},
      {{"DO_NOT_TRANSLATE", nullptr, "Language", nullptr, 0}, "en"},
  };
  constexpr int kAsked = sizeof asked / sizeof asked[0], kThreads = 4;
  for (int round = 0; round < 5; ++round) {
    keznlsTranslatorWithDatabases translator(directory("source"), std::string("de_AT:pl"), "en");
    std::string got[kThreads][kAsked];
    race(kThreads, [&](int t) {
      for (int i = 0; i < kAsked; ++i) {
        got[t][(i + t) % kAsked] = translator.answered_language(asked[(i + t) % kAsked].message);
        translator.translate_plural_in_context("demo", "disk", "%d free block", "%d free blocks", 2);
      }
    });
    for (int t = 0; t < kThreads; ++t)
      for (int i = 0; i < kAsked; ++i)
        EXPECT_EQ(got[t][i], asked[i].answered) << "thread " << t << ": " << asked[i].message.name << " / "
                                                << asked[i].message.text << " n=" << asked[i].message.n;
    EXPECT_EQ(translator.language("demo"), "de_AT");
    EXPECT_EQ(translator.language("absent"), "en");
  }
}

TEST(RequestThreadsTest, NumbersInTwoLocalesAtOnce) {
  keznlsFormatterNamedLocale polish("pl"), german("de");
  ASSERT_TRUE(polish.installed());
  ASSERT_TRUE(german.installed());
  // Grouping with zeros: rendered by the C library, as one thread alone gets it.
  const std::string rare[] = {polish.format("%'012.1f", 1234567.5).c_str(), german.format("%'012.1f", 1234567.5).c_str()};
  std::atomic<int> wrong{0};
  race(2, [&](int t) {
    keznlsFormatterNamedLocale& f = t == 0 ? polish : german;
    const char* want = t == 0 ? "1\u202f234\u202f567,50 zł" : "1.234.567,50 zł";
    for (int i = 0; i < 2000; ++i) {
      if (std::string(f.format("%'.2f zł", 1234567.5).c_str()) != want) ++wrong;
      if (i % 10 == 0 && std::string(f.format("%'012.1f", 1234567.5).c_str()) != rare[t]) ++wrong;
    }
  });
  EXPECT_EQ(wrong.load(), 0);
  // And both from one formatter's first use on.
  race(4, [&](int t) {
    keznlsFormatterNamedLocale own(t % 2 == 0 ? "fr" : "de");
    const std::string want = t % 2 == 0 ? "10\u202f000" : "10.000";
    for (int i = 0; i < 500; ++i)
      if (std::string(own.format("%'d", 10000).c_str()) != want) ++wrong;
  });
  EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
