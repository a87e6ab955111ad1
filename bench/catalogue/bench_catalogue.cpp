// translate through our catalogue layer against glibc dcgettext on the same
// .mo file, for messages it holds and messages it does not, and the time to
// open that catalogue.
#include <benchmark/benchmark.h>
#include <libintl.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "support/ratio_reporter.h"
#include "keznls/translator.h"
#include "keznls/nls/nls.h"

namespace {

constexpr int kMessages = 10000;
constexpr const char* kDomain = "bench";

std::vector<std::string> make_keys(const char* form) {
  std::vector<std::string> keys;
  for (int i = 1; i <= kMessages; ++i) {
    char text[128];
    std::snprintf(text, sizeof text, form, i);
    keys.emplace_back(text);
  }
  // The same scattered order for both sides, so caches favour neither.
  std::shuffle(keys.begin(), keys.end(), std::mt19937(12345));
  return keys;
}

const std::vector<std::string>& hits() {
  static const std::vector<std::string> keys =
      make_keys("Message %d: the operation on the selected item could not be completed");
  return keys;
}

const std::vector<std::string>& misses() {
  static const std::vector<std::string> keys =
      make_keys("Message %d: the operation on the chosen item could not be completed");
  return keys;
}

const nlsDataBase& database() {
  static const nlsDataBase opened(BENCH_CATALOGUES, kDomain);
  return opened;
}

const nlsLoadedDomain& domain() { return *database().domain(); }

// The same catalogue under three languages of a LANGUAGE list: a miss is
// looked up in each of them.
const nlsDataBase& three_languages() {
  static const nlsDataBase opened = [] {
    ::setenv("LANGUAGE", "es:fr:de", 1);
    struct Unset {
      ~Unset() { ::unsetenv("LANGUAGE"); }
    } unset;
    return nlsDataBase(BENCH_CATALOGUES, kDomain);
  }();
  return opened;
}

template <typename Translate>
void run(benchmark::State& state, const std::vector<std::string>& keys, Translate translate) {
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(translate(keys[i].c_str()));
    if (++i == keys.size()) i = 0;
  }
}

void BM_hit_keznls(benchmark::State& state) {
  run(state, hits(), [](const char* k) { return domain().translate(k); });
}
void BM_hit_dcgettext(benchmark::State& state) {
  run(state, hits(), [](const char* k) { return dcgettext(kDomain, k, LC_MESSAGES); });
}
void BM_miss_keznls(benchmark::State& state) {
  run(state, misses(), [](const char* k) { return domain().translate(k); });
}
void BM_miss_three_languages(benchmark::State& state) {
  run(state, misses(), [](const char* k) { return three_languages()[k]; });
}
void BM_miss_dcgettext(benchmark::State& state) {
  run(state, misses(), [](const char* k) { return dcgettext(kDomain, k, LC_MESSAGES); });
}
// The whole translator road: name check, database table, result string.
void BM_hit_translator(benchmark::State& state) {
  static keznlsTranslatorWithDatabases translator{utString(BENCH_CATALOGUES)};
  run(state, hits(), [](const char* k) { return translator.translate(kDomain, k); });
}
// Plural entries: the singular, the plural and a count that walks every form.
constexpr const char* kPluralDomain = "bench_plural";
struct PluralKey {
  std::string singular, plural;
  unsigned long n;
};
const std::vector<PluralKey>& plural_keys() {
  static const std::vector<PluralKey> keys = [] {
    std::vector<PluralKey> out;
    for (int i = 1; i <= 1000; ++i) {
      const std::string head = "Message " + std::to_string(i) + ": %d item";
      out.push_back({head + " was processed", head + "s were processed", static_cast<unsigned long>(i % 31)});
    }
    std::shuffle(out.begin(), out.end(), std::mt19937(54321));
    return out;
  }();
  return keys;
}
template <typename Translate>
void run_plural(benchmark::State& state, Translate translate) {
  const std::vector<PluralKey>& keys = plural_keys();
  std::size_t i = 0;
  for (auto _ : state) {
    const PluralKey& k = keys[i];
    benchmark::DoNotOptimize(translate(k));
    if (++i == keys.size()) i = 0;
  }
}
void BM_plural_hit_translator(benchmark::State& state) {
  static keznlsTranslatorWithDatabases translator{utString(BENCH_CATALOGUES)};
  run_plural(state, [](const PluralKey& k) {
    return translator.translate_plural(kPluralDomain, k.singular.c_str(), k.plural.c_str(), k.n);
  });
}
void BM_plural_hit_dngettext(benchmark::State& state) {
  run_plural(state, [](const PluralKey& k) {
    return dngettext(kPluralDomain, k.singular.c_str(), k.plural.c_str(), k.n);
  });
}

void BM_open(benchmark::State& state) {
  for (auto _ : state) {
    const nlsDataBase database(BENCH_CATALOGUES, kDomain);
    benchmark::DoNotOptimize(database.domain());
  }
}

BENCHMARK(BM_hit_keznls);
BENCHMARK(BM_hit_dcgettext);
BENCHMARK(BM_miss_keznls);
BENCHMARK(BM_miss_three_languages);
BENCHMARK(BM_miss_dcgettext);
BENCHMARK(BM_hit_translator);
BENCHMARK(BM_plural_hit_translator);
BENCHMARK(BM_plural_hit_dngettext);
BENCHMARK(BM_open)->Unit(benchmark::kMicrosecond);


bool set_up_locale() {
  // Both sides read the same German catalogue: glibc through the locale
  // generated into the build tree, our layer through the environment.
  ::setenv("LOCPATH", BENCH_LOCALES, 1);
  ::unsetenv("LANGUAGE");
  ::setenv("LC_ALL", "de_DE.UTF-8", 1);
  ::setenv("LC_MESSAGES", "de_DE.UTF-8", 1);
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
    std::fprintf(stderr, "cannot set the de_DE.UTF-8 locale from %s\n", BENCH_LOCALES);
    return false;
  }
  std::setlocale(LC_NUMERIC, "C");  // the report prints with a decimal point
  bindtextdomain(kDomain, BENCH_CATALOGUES);
  bindtextdomain(kPluralDomain, BENCH_CATALOGUES);
  if (database().domain() == nullptr) {
    std::fprintf(stderr, "no catalogue %s.mo under %s\n", kDomain, BENCH_CATALOGUES);
    return false;
  }
  const std::string& key = hits().front();
  if (dcgettext(kDomain, key.c_str(), LC_MESSAGES) == key.c_str() || domain().translate(key.c_str()) == key.c_str() ||
      std::string(dcgettext(kDomain, key.c_str(), LC_MESSAGES)) != domain().translate(key.c_str())) {
    std::fprintf(stderr, "the two sides do not translate alike\n");
    return false;
  }
  keznlsTranslatorWithDatabases translator{utString(BENCH_CATALOGUES)};
  const PluralKey& p = plural_keys().front();
  for (unsigned long n = 0; n <= 30; ++n) {
    const char* theirs = dngettext(kPluralDomain, p.singular.c_str(), p.plural.c_str(), n);
    if (theirs == p.singular.c_str() || theirs == p.plural.c_str() ||
        std::string(theirs) != translator.translate_plural(kPluralDomain, p.singular.c_str(), p.plural.c_str(), n).c_str()) {
      std::fprintf(stderr, "the two sides choose other plural forms for %lu\n", n);
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (!set_up_locale()) return 1;
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  std::printf("ratio: hit vs dcgettext = %.2f\n", reporter.ns("BM_hit_dcgettext") / reporter.ns("BM_hit_keznls"));
  std::printf("ratio: miss vs dcgettext = %.2f\n", reporter.ns("BM_miss_dcgettext") / reporter.ns("BM_miss_keznls"));
  std::printf("three languages: a miss costs %.2f misses (target <= 3)\n",
              reporter.ns("BM_miss_three_languages") / reporter.ns("BM_miss_keznls"));
  std::printf("ratio: translator plural hit vs dngettext = %.2f\n",
              reporter.ns("BM_plural_hit_dngettext") / reporter.ns("BM_plural_hit_translator"));
  std::printf("ratio: translator hit vs dcgettext = %.2f\n",
              reporter.ns("BM_hit_dcgettext") / reporter.ns("BM_hit_translator"));
  std::printf("open: %.1f us for %d messages (target < 1000 us)\n", reporter.ns("BM_open") / 1e3, kMessages);
  return 0;
}
