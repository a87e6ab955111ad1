// Run under ThreadSanitizer too, which reports any unsynchronised first use.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <future>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "catalogue_files.h"
#include "catalogue/catalogue_cache.h"
#include "catalogue/file_image.h"
#include "keznls/keznls.h"
#include "output/pipeline.h"
#include "support/mo_image.h"
#include "support/race.h"

namespace {

using namespace test_catalogues;
using ::testing::HasSubstr;

constexpr int kThreads = 4;

// Every kind of question; each answers with the text to use.
std::vector<std::function<std::string(keznlsTranslatorWithDatabases&)>> questions() {
  using T = keznlsTranslatorWithDatabases;
  std::vector<std::function<std::string(T&)>> q;
  const auto lent = [](T& t, const keznlsMessage& m) {
    const char* text = t.lend(m);
    return std::string(text != nullptr ? text : "(none)");
  };
  for (const char* name : {"demo", "hostile", "legacy", "nope", "DO_NOT_TRANSLATE"}) {
    for (const char* text : {"Hello", "Language", "Untranslated", "%d entries in %s", "%d files\n", "Total: %.2f\n",
                             "%d apples\n", "%s has %d new messages\n"}) {
      q.push_back([=](T& t) { return std::string(t.translate(name, text).c_str()); });
      // Texts outside the program's constants: compared at every hit.
      q.push_back([=](T& t) { return std::string(t.translate(std::string(name).c_str(), std::string(text).c_str()).c_str()); });
      for (const keznlsGrammar g : {keznlsGrammar::c_printf, keznlsGrammar::engine})
        q.push_back([=](T& t) { return lent(t, keznlsMessage{name, nullptr, text, nullptr, 0, g}); });
      q.push_back([=](T& t) { return t.answered_language(keznlsMessage{name, nullptr, text, nullptr, 0}); });
    }
    for (const unsigned long n : {0ul, 1ul, 2ul, 5ul, 22ul}) {
      q.push_back([=](T& t) { return std::string(t.translate_plural(name, "%d file", "%d files", n).c_str()); });
      q.push_back([=](T& t) { return std::string(t.translate_plural(name, "%d file\n", "%d files\n", n).c_str()); });
      q.push_back([=](T& t) {
        return std::string(t.translate_plural_in_context(name, "disk", "%d free block", "%d free blocks", n).c_str());
      });
      q.push_back(
          [=](T& t) { return lent(t, keznlsMessage{name, nullptr, "%d file", "%d files", n, keznlsGrammar::engine}); });
      q.push_back([=](T& t) {
        return t.answered_language(keznlsMessage{name, "disk", "%d free block", "%d free blocks", n});
      });
    }
    for (const char* context : {"menu", "state", "window"})
      q.push_back([=](T& t) { return std::string(t.translate_in_context(name, context, "Open").c_str()); });
  }
  return q;
}

// Later catalogues of the list load when first needed.
class SharedTranslator : public ::testing::Test {
 protected:
  void SetUp() override { set_language("LANG", "de_DE.UTF-8"); }
  const std::string source = directory("second") + ":" + directory("first") + ":" + directory("charsets");
  const char* const languages = "xx:pl:it:de";
};

TEST_F(SharedTranslator, ThreadsFromTheFirstLookupGetWhatOneThreadGets) {
  const auto asked = questions();
  std::vector<std::vector<std::string>> answers(kThreads);
  {
    keznlsTranslatorWithDatabases shared(source.c_str(), languages);
    race(kThreads, [&](int t) {
      // Each thread asks in its own order, so different first uses meet.
      for (std::size_t i = 0; i < asked.size(); ++i) {
        const std::size_t k = (i * (2 * t + 1) + static_cast<std::size_t>(t) * 7) % asked.size();
        answers[t].push_back(asked[k](shared));
      }
    });
    EXPECT_THAT(shared.explain("demo").c_str(), HasSubstr("/it/LC_MESSAGES/demo.mo: loaded"));
  }
  ASSERT_EQ(nls_catalogues::alive(), 0u);  // gone with the translator: the reference loads afresh
  keznlsTranslatorWithDatabases alone(source.c_str(), languages);
  std::vector<std::string> reference;
  for (const auto& question : asked) reference.push_back(question(alone));
  EXPECT_EQ(reference[0], "Hallo");  // pl and it have none: de's
  for (int t = 0; t < kThreads; ++t)
    for (std::size_t i = 0; i < asked.size(); ++i) {
      const std::size_t k = (i * (2 * t + 1) + static_cast<std::size_t>(t) * 7) % asked.size();
      ASSERT_EQ(answers[t][i], reference[k]) << "thread " << t << ", question " << k;
    }
}

TEST_F(SharedTranslator, EachCatalogueIsLoadedOncePerProcess) {
  ASSERT_EQ(nls_catalogues::alive(), 0u);
  const std::size_t before = nls_catalogues::files_read();
  auto first = std::make_unique<keznlsTranslatorWithDatabases>(source.c_str(), "de");
  EXPECT_STREQ(first->translate("demo", "Hello").c_str(), "Hallo");
  EXPECT_EQ(nls_catalogues::files_read() - before, 1u);
  {
    // Translators of other languages at once: de shared, pl and it read once whoever asks first.
    keznlsTranslatorWithDatabases german(source.c_str(), "de"), polish(source.c_str(), "pl"),
        italian(source.c_str(), "it:de");
    keznlsTranslatorWithDatabases* by_language[] = {&german, &polish, &italian};
    const char* expected[] = {"Deutsch", "Language", "Italiano"};
    const char* files[] = {"%d Dateien", "%d pliki", "%d Dateien"};  // it has none: de's
    std::atomic<int> wrong{0};
    race(kThreads, [&](int t) {
      keznlsTranslatorWithDatabases another(source.c_str(), "de");
      if (std::string(another.translate("demo", "Hello").c_str()) != "Hallo") wrong.fetch_add(1);
      for (int i = 0; i < 300; ++i) {
        const int l = (i + t) % 3;
        keznlsTranslatorWithDatabases& tr = *by_language[l];
        if (std::string(tr.translate("demo", "Language").c_str()) != expected[l]) wrong.fetch_add(1);
        if (std::string(tr.translate_plural("demo", "%d file", "%d files", 3).c_str()) != files[l]) wrong.fetch_add(1);
      }
    });
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(nls_catalogues::files_read() - before, 3u);
    EXPECT_EQ(nls_catalogues::alive(), 3u);
  }
  EXPECT_EQ(nls_catalogues::alive(), 1u);
  first.reset();
  EXPECT_EQ(nls_catalogues::alive(), 0u);

  // A file replaced on disk: a translator made before keeps its copy.
  const TempDirectory dir("de", "demo", read("demo"));
  keznlsTranslatorWithDatabases before_change(dir.path().c_str(), "de");
  EXPECT_STREQ(before_change.translate("demo", "Hello").c_str(), "Hallo");
  std::vector<char> changed = read("demo");
  overwrite(changed, "Hallo", "Servu");
  dir.add("de", "next", changed);
  const std::string folder = dir.path() + "/de/LC_MESSAGES/";
  ASSERT_EQ(std::rename((folder + "next.mo").c_str(), (folder + "demo.mo").c_str()), 0);
  keznlsTranslatorWithDatabases after_change(dir.path().c_str(), "de");
  EXPECT_STREQ(after_change.translate("demo", "Hello").c_str(), "Servu");
  EXPECT_STREQ(before_change.translate("demo", "Hello").c_str(), "Hallo");
}

// More catalogues than the process keeps descriptors for; the first has an entry that lost its terminator.
TEST_F(SharedTranslator, CataloguesReadInPiecesByManyThreadsAtOnce) {
  const TempDirectory dir;
  std::vector<char> numbers = read("numbers");
  constexpr int kFiles = 40;
  for (int i = 1; i < kFiles; ++i) dir.add("de", ("numbers" + std::to_string(i)).c_str(), numbers);
  overwrite(numbers, std::string("Meldung Nummer 1999", 20), "Meldung Nummer 1999x");
  dir.add("de", "numbers0", numbers);
  const int descriptors = open_descriptors();
  keznlsTranslatorWithDatabases shared(dir.path().c_str(), "de");
  std::atomic<int> wrong{0};
  const auto ask = [&](int t) {
    if (std::string(shared.translate("numbers0", "message number 1999").c_str()) != "message number 1999")
      wrong.fetch_add(1);
    for (int i = 0; i < 600; ++i) {
      const int n = (i * 7 + t * 101) % 1999;
      const std::string name = "numbers" + std::to_string((i + t) % kFiles);
      if (shared.translate(name.c_str(), original(n).c_str()).c_str() != translation(n)) wrong.fetch_add(1);
    }
  };
  race(kThreads, ask);
  EXPECT_LE(open_descriptors() - descriptors, 8);
  const std::uint64_t pieces = nlsFileImage::pieces_read();
  ask(0);  // asked again: nothing read
  EXPECT_EQ(nlsFileImage::pieces_read(), pieces);
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_THAT(shared.explain("numbers0").c_str(), HasSubstr("1 malformed entries passed over"));
}

// The process's catalogue descriptors: a reader that finds all of them lent
// waits, and goes on when one comes back.
TEST(SharedDescriptors, AnOpenWaitsWhileAllAreLentAndGoesOnWhenOneComesBack) {
  const TempDirectory dir("de", "demo", read("demo"));
  const std::string path = dir.path() + "/de/LC_MESSAGES/demo.mo";
  std::vector<std::unique_ptr<nlsOpenedFile>> lent;  // an opened file holds its slot until destroyed
  nlsOpenProblem failure;
  for (int i = 0; i < 8; ++i) {
    lent.push_back(std::make_unique<nlsOpenedFile>(path.c_str(), &failure));
    ASSERT_TRUE(lent.back()->ok()) << failure.problem;
  }
  EXPECT_EQ(nlsFileImage::descriptors_open(), 8);
  auto ninth = std::async(std::launch::async, [&] {
    nlsOpenProblem problem;
    return nlsOpenedFile(path.c_str(), &problem).ok();
  });
  EXPECT_EQ(ninth.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout) << "did not wait";
  lent.pop_back();
  if (ninth.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
    ADD_FAILURE() << "a slot given back does not wake the open waiting for one";
    std::_Exit(1);  // the waiting thread cannot be joined
  }
  EXPECT_TRUE(ninth.get());
}

TEST(SharedHelper, MessagesFromManyThreadsNeverInterleave) {
  set_language("LANG", "de");
  keznlsTranslatorWithDatabases translator(directory("first").c_str());
  keznlsFormatterSimple formatter(",");
  keznlsDisplayerDefault screen;
  keznlsHelper helper(&translator, &formatter, &screen);
  char path[] = "/tmp/keznls-threads-XXXXXX";
  const int file = ::mkstemp(path);
  ASSERT_GE(file, 0);
  std::fflush(stdout);
  const int saved = ::dup(1);
  ::dup2(file, 1);
  race(kThreads, [&](int t) {
    // Long enough to take several writes of a small buffer.
    const std::string filler(3000 + 500 * t, static_cast<char>('a' + t));
    for (int i = 0; i < 50; ++i) helper.tprintf("demo", "<%d %s %d>\n", t, filler.c_str(), i);
  });
  std::fflush(stdout);
  ::dup2(saved, 1);
  ::close(saved);
  ::close(file);
  std::ifstream in(path);
  std::string line;
  int lines = 0;
  while (std::getline(in, line)) {
    ++lines;
    ASSERT_GE(line.size(), 8u);
    const int t = line[1] - '0';
    ASSERT_TRUE(t >= 0 && t < kThreads) << line.substr(0, 20);
    const std::string filler(3000 + 500 * t, static_cast<char>('a' + t));
    EXPECT_EQ(line.substr(3, filler.size()), filler) << "message broken by another thread";
  }
  std::remove(path);
  EXPECT_EQ(lines, kThreads * 50);
  EXPECT_FALSE(screen.failed());
}

TEST(SharedFormatter, FormatsSeenFirstByManyThreadsAtOnce) {
  keznlsFormatterSimple formatter(",");
  static const char* const kFormats[] = {"%2$s has %1$d new messages.\n", "%d files, %.2f MB free, %s\n",
                                         "100%% of %d%%", "%3$s|%1$05d|%2$8.3f"};
  const auto varargs = [&](const char* format, int i) {
    return std::string(formatter.format(format, i, 2.5 + i, "place").c_str());
  };
  const std::string name = "place";
  const auto typed = [&](const char* format, int i) {
    std::string text;
    keznls_pipeline::StringSink sink(text);
    const keznls_args::Pack<int, double, std::string> pack(i, 2.5 + i, name);
    return formatter.tformat(sink, format, pack.args()) ? text : "(refused)";
  };
  std::vector<std::string> expected;
  for (int i = 0; i < 20; ++i)
    for (const char* format : kFormats) expected.push_back(varargs(format, i) + typed(format, i));
  std::atomic<int> wrong{0};
  race(kThreads, [&](int) {
    std::size_t k = 0;
    for (int i = 0; i < 20; ++i)
      for (const char* format : kFormats)
        if (varargs(format, i) + typed(format, i) != expected[k++]) wrong.fetch_add(1);
  });
  EXPECT_EQ(wrong.load(), 0);
}

TEST(SharedFormatter, CataloguesFreedWhileOtherThreadsPrint) {
  // Two threads each make and drop translators of their own, turn by turn
  // over two catalogues as long with other texts, which mostly land where
  // the one before lay; the others print from first use through one that
  // lives on. The engine may know a catalogue's text by its address only
  // until a catalogue is freed.
  constexpr char kHeader[] = "Content-Type: text/plain; charset=UTF-8\n";
  const char* const translations[] = {"%1$d von %2$s", "%2$s hat %1$d"};
  const auto folder = [&](int turn) {
    return std::make_unique<TempDirectory>("de", "m", mo_image(kHeader, {{"%d of %s", translations[turn]}}));
  };
  // Each churning thread its own two folders: no catalogue of theirs is shared.
  const std::unique_ptr<TempDirectory> folders[2][2] = {{folder(0), folder(1)}, {folder(0), folder(1)}};
  const std::unique_ptr<TempDirectory> lasting = folder(1);
  keznlsTranslatorWithDatabases kept(lasting->path().c_str(), "de");
  keznlsFormatterSimple engine(".");
  std::atomic<int> wrong{0};
  race(kThreads, [&](int t) {
    for (int i = 0; i < 30; ++i) {
      std::ostringstream stream;
      keznlsDisplayerOstream displayer(stream);
      const int turn = t < 2 ? i % 2 : 1;
      keznlsTranslatorWithDatabases own(t < 2 ? folders[t][turn]->path().c_str() : "/nonexistent", "de");
      keznlsHelper helper(t < 2 ? &own : &kept, &engine, &displayer);
      helper.tprintf("m", "%d of %s", i, "x");
      helper.tprint("m", "%d of %s", i, std::string("x"));  // the typed road to the displayer
      const std::string expected = turn == 0 ? std::to_string(i) + " von x" : "x hat " + std::to_string(i);
      if (stream.str() != expected + expected || helper.stprint("m", "%d of %s", i, "x") != expected)
        wrong.fetch_add(1);
    }
  });
  EXPECT_EQ(wrong.load(), 0);
}

TEST(SharedString, CopiesLiveAndDieInManyThreads) {
  const utString original("shared text");
  race(kThreads, [&](int) {
    for (int i = 0; i < 2000; ++i) {
      utString copy = original;
      utString again(copy);
      copy = utString();
      ASSERT_STREQ(again.c_str(), "shared text");
    }
  });
  EXPECT_EQ(original.ref_unique(), 1);
}

// Counts the texts that arrive as their writer formatted them.
class Checking : public keznlsBaseStream {
 public:
  const keznlsBaseStream& operator<<(const char* text) const override {
    int thread = -1, round = -1;
    char tail[64] = "";
    const bool whole = std::sscanf(text, "thread %d round %d %63s", &thread, &round, tail) == 3 &&
                       std::string(tail) == std::string(static_cast<std::size_t>(thread) + 1, 'x');
    (whole ? good_ : bad_).fetch_add(1, std::memory_order_relaxed);
    return *this;
  }
  mutable std::atomic<int> good_{0}, bad_{0};
};

TEST(LibraryNlsThreads, OutputCallsFromSeveralThreadsNeverMix) {
  constexpr int kRounds = 2000;
  Checking stream;
  keznlsLibraryNls library;
  library.stream(&stream);
  race(kThreads, [&library](int t) {
    const std::string tail(static_cast<std::size_t>(t) + 1, 'x');
    for (int r = 0; r < kRounds; ++r) {
      if (r % 2 == 0) library.output("thread %d round %d %s", t, r, tail.c_str());
      else library.print("thread %d round %d %s", std::int64_t{t}, r, tail);
    }
  });
  EXPECT_EQ(stream.good_.load(), kThreads * kRounds);
  EXPECT_EQ(stream.bad_.load(), 0);
}

// A server's shared objects.
TEST(RequestThreadsTest, TheSetRacedFromFirstUse) {
  const struct { const char *header, *language, *plural; /* "%d file" for 3 */ } requests[] = {
      {"de-AT,de;q=0.9", "Deutsch (Österreich)", "3 Dateien"},
      {"pl-PL,pl;q=0.9,en;q=0.5", "Language", "3 pliki"},
      {"fr-FR,fr;q=0.9", "Français", "3 files"},
      {"en-US,en;q=0.9,fr;q=0.8", "Language", "3 files"},
      {"de", "Deutsch", "3 Dateien"},
  };
  constexpr int kRequests = sizeof requests / sizeof requests[0];
  constexpr int kSetThreads = 6;
  for (int round = 0; round < 3; ++round) {
    keznlsTranslatorSet set(directory("source"), "demo");
    keznlsTranslatorSetEntry* seen[kSetThreads][kRequests] = {};
    std::atomic<int> wrong{0};
    race(kSetThreads, [&](int t) {
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
      for (int t = 1; t < kSetThreads; ++t) EXPECT_EQ(seen[t][r], seen[0][r]) << requests[r].header;  // made once
    EXPECT_EQ(set.size(), 1u + kRequests);
  }
}

// Each thread's own formatter, from its first use, beside one of the other locale.
TEST(RequestThreadsTest, NumbersInTwoLocalesAtOnce) {
  std::string rare[4];  // grouping with zeros: rendered by the C library, compared below with one thread's
  std::atomic<int> wrong{0};
  race(4, [&](int t) {
    keznlsFormatterNamedLocale own(t % 2 == 0 ? "pl" : "de");
    const char* want = t % 2 == 0 ? "1\u202f234\u202f567,50 zł" : "1.234.567,50 zł";
    rare[t] = own.format("%'012.1f", 1234567.5).c_str();
    for (int i = 0; i < 2000; ++i) {
      if (std::string(own.format("%'.2f zł", 1234567.5).c_str()) != want) ++wrong;
      if (std::string(own.format("%'d", 10000).c_str()) != (t % 2 == 0 ? "10\u202f000" : "10.000")) ++wrong;
      if (i % 10 == 0 && std::string(own.format("%'012.1f", 1234567.5).c_str()) != rare[t]) ++wrong;
    }
  });
  EXPECT_EQ(wrong.load(), 0);
  keznlsFormatterNamedLocale polish("pl"), german("de");
  ASSERT_TRUE(polish.installed());
  ASSERT_TRUE(german.installed());
  for (int t = 0; t < 4; ++t)
    EXPECT_STREQ(rare[t].c_str(), (t % 2 == 0 ? polish : german).format("%'012.1f", 1234567.5).c_str()) << t;
}

}  // namespace
