// The whole road a caller takes, translate + format + display, through
// keznlsHelper against the usual ways of doing the same: snprintf and
// fmt::sprintf over glibc dgettext, and Boost.Locale's format over its
// translate. Every side reads one 10,000-message German catalogue and leaves
// its text in the same memory buffer. Ends with
// "ratio: e2e <case> vs <peer> = <peer time / our time>".
#include <benchmark/benchmark.h>
#include <fmt/printf.h>
#include <libintl.h>

#include <algorithm>
#include <boost/locale.hpp>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "keznls/keznls.h"
#include "support/default_flags.h"
#include "support/ratio_reporter.h"

namespace {

constexpr const char* kDomain = "bench_e2e";

#define FILES_TEXT "%d files, %.2f MB free, %s\n"
#define NEWS_TEXT "%2$s has %1$d new messages.\n"
#define COPIED_ONE "%d file was copied to %s.\n"
#define COPIED_MANY "%d files were copied to %s.\n"
// The same two messages in Boost.Locale's syntax, numbers as printf gives them.
constexpr const char* kBoostFiles = "{1} files, {2,num=fixed,precision=2} MB free, {3}\n";
constexpr const char* kBoostNews = "{2} has {1} new messages.\n";

// Arguments cycle so no call sees constants. No megabyte value lies on a
// rounding tie, where printf and ICU may part.
constexpr int kValues = 8;
const int kFiles[kValues] = {3, 1024, 0, 17, 250000, 42, 7, 99};
const double kMegabytes[kValues] = {0.5, 12.25, 999.99, 3.14159, 100.0, 47.123, 0.004, 512.75};
const char* const kPlaces[kValues] = {"/home", "/var/tmp", "/", "/mnt/backup", "/srv/data", "/opt", "/tmp",
                                      "/media/usb"};
const int kCounts[kValues] = {1, 7, 0, 12, 3, 250, 42, 5};
const char* const kNames[kValues] = {"Anna", "Ben", "Chloé", "Dmitri", "Eve", "Fatima", "Günther", "Hiro"};
// The same values as a C++ program holds them, for the typed calls.
const std::int64_t kFiles64[kValues] = {3, 1024, 0, 17, 250000, 42, 7, 99};
const std::int64_t kCounts64[kValues] = {1, 7, 0, 12, 3, 250, 42, 5};
const std::string kNameStrings[kValues] = {"Anna", "Ben", "Chloé", "Dmitri", "Eve", "Fatima", "Günther", "Hiro"};
const std::string kPlaceStrings[kValues] = {kPlaces[0], kPlaces[1], kPlaces[2], kPlaces[3],
                                            kPlaces[4], kPlaces[5], kPlaces[6], kPlaces[7]};

char g_out[512];  // where every side leaves its text

void keep(const char* text, std::size_t size) {
  const std::size_t n = std::min(size, sizeof g_out - 1);
  // memmove, as a stream's or a file's write copies: memcpy of a length
  // bounded as here is expanded in line as a string instruction (`rep
  // movs`), whose start-up costs several times a short message's copy.
  std::memmove(g_out, text, n);
  g_out[n] = '\0';
}
void keep(const std::string& text) { keep(text.data(), text.size()); }

/// The bench's own display target: the text copied into memory.
class keznlsDisplayerBuffer : public keznlsDisplayer {
 public:
  void display(const char* text) override { keep(text, std::strlen(text)); }
};

// Built on first use, after main has set the environment they read.
keznlsTranslatorWithDatabases& translator() {
  static keznlsTranslatorWithDatabases translator{utString(BENCH_CATALOGUES)};
  return translator;
}
keznlsHelper& built_helper() {
  static keznlsFormatterSimple formatter{ut_lit(".")};
  static keznlsDisplayerBuffer displayer;
  static keznlsHelper helper(&translator(), &formatter, &displayer);
  return helper;
}
// Reached through a pointer set once in main: a message pays no check of
// whether the helper is built yet, as a program's own helper does not.
keznlsHelper* g_helper = nullptr;
keznlsHelper& helper() { return *g_helper; }
// German messages; numbers without grouping and with a decimal point, as
// the C locale's printf writes them.
const std::locale& boost_locale() {
  static const std::locale locale = [] {
    boost::locale::generator messages;
    messages.categories(boost::locale::message_facet);
    messages.add_messages_path(BENCH_CATALOGUES);
    messages.add_messages_domain(kDomain);
    return messages.generate(boost::locale::generator()("C.UTF-8"), "de_DE.UTF-8");
  }();
  return locale;
}

/// Writes one message, with value set `i`, into g_out.
using Message = void (*)(int i);

struct Side {
  const char* name;
  std::vector<Message> messages;
};

/// What one iteration does, on our side (first) and each peer's.
struct Case {
  const char* name;
  std::vector<Side> sides;
  std::vector<const char*> first;  ///< every side's text for value set 0, message by message
};

const std::vector<Case>& cases() {
  static const std::vector<Case> all = {
      {"pair",
       {{"keznls",
         {[](int i) { helper().tprintf(kDomain, FILES_TEXT, kFiles[i], kMegabytes[i], kPlaces[i]); },
          [](int i) { helper().tprintf(kDomain, NEWS_TEXT, kCounts[i], kNames[i]); }}},
        {"snprintf(dgettext)",
         {[](int i) {
            std::snprintf(g_out, sizeof g_out, dgettext(kDomain, FILES_TEXT), kFiles[i], kMegabytes[i], kPlaces[i]);
          },
          [](int i) { std::snprintf(g_out, sizeof g_out, dgettext(kDomain, NEWS_TEXT), kCounts[i], kNames[i]); }}},
        {"fmt::sprintf(dgettext)",
         {[](int i) { keep(fmt::sprintf(dgettext(kDomain, FILES_TEXT), kFiles[i], kMegabytes[i], kPlaces[i])); },
          [](int i) { keep(fmt::sprintf(dgettext(kDomain, NEWS_TEXT), kCounts[i], kNames[i])); }}},
        {"boost::locale::format",
         {[](int i) {
            keep((boost::locale::format(boost::locale::translate(kBoostFiles)) % kFiles[i] % kMegabytes[i] %
                  kPlaces[i])
                     .str(boost_locale()));
          },
          [](int i) {
            keep((boost::locale::format(boost::locale::translate(kBoostNews)) % kCounts[i] % kNames[i])
                     .str(boost_locale()));
          }}}},
       {"3 Dateien, 0.50 MB frei, /home\n", "1 neue Nachrichten für Anna.\n"}},
      // Counts 0 to 7: both forms, the singular one time in eight.
      {"plural",
       {{"keznls", {[](int i) { helper().ntprintf(kDomain, COPIED_ONE, COPIED_MANY, i, i, kPlaces[i]); }}},
        {"snprintf(dngettext)",
         {[](int i) {
           std::snprintf(g_out, sizeof g_out, dngettext(kDomain, COPIED_ONE, COPIED_MANY, i), i, kPlaces[i]);
         }}},
        {"fmt::sprintf(dngettext)",
         {[](int i) { keep(fmt::sprintf(dngettext(kDomain, COPIED_ONE, COPIED_MANY, i), i, kPlaces[i])); }}}},
       {"0 Dateien wurden nach /home kopiert.\n"}},
      // A C++ program's values: a std::string and an int64_t.
      {"typed pair",
       {{"keznls tprint",
         {[](int i) { helper().tprint(kDomain, FILES_TEXT, kFiles64[i], kMegabytes[i], kPlaceStrings[i]); },
          [](int i) { helper().tprint(kDomain, NEWS_TEXT, kCounts64[i], kNameStrings[i]); }}},
        {"keznls tprintf",
         {[](int i) { helper().tprintf(kDomain, FILES_TEXT, kFiles[i], kMegabytes[i], kPlaces[i]); },
          [](int i) { helper().tprintf(kDomain, NEWS_TEXT, kCounts[i], kNames[i]); }}},
        // C's printf has no %d for an int64_t: the program narrows it.
        {"snprintf(dgettext)",
         {[](int i) {
            std::snprintf(g_out, sizeof g_out, dgettext(kDomain, FILES_TEXT), static_cast<int>(kFiles64[i]),
                          kMegabytes[i], kPlaceStrings[i].c_str());
          },
          [](int i) {
            std::snprintf(g_out, sizeof g_out, dgettext(kDomain, NEWS_TEXT), static_cast<int>(kCounts64[i]),
                          kNameStrings[i].c_str());
          }}},
        {"fmt::sprintf(dgettext)",
         {[](int i) { keep(fmt::sprintf(dgettext(kDomain, FILES_TEXT), kFiles64[i], kMegabytes[i], kPlaceStrings[i])); },
          [](int i) { keep(fmt::sprintf(dgettext(kDomain, NEWS_TEXT), kCounts64[i], kNameStrings[i])); }}}},
       {"3 Dateien, 0.50 MB frei, /home\n", "1 neue Nachrichten für Anna.\n"}},
      {"typed plural",
       {{"keznls ntprint",
         {[](int i) {
           helper().ntprint(kDomain, COPIED_ONE, COPIED_MANY, static_cast<unsigned long>(i), std::int64_t{i},
                            kPlaceStrings[i]);
         }}},
        {"snprintf(dngettext)",
         {[](int i) {
           std::snprintf(g_out, sizeof g_out, dngettext(kDomain, COPIED_ONE, COPIED_MANY, i), i,
                         kPlaceStrings[i].c_str());
         }}}},
       {"0 Dateien wurden nach /home kopiert.\n"}},
  };
  return all;
}

void run_side(benchmark::State& state, const Side* side) {
  int i = 0;
  for (auto _ : state) {
    for (Message message : side->messages) message(i);
    benchmark::DoNotOptimize(g_out);
    benchmark::ClobberMemory();
    if (++i == kValues) i = 0;
  }
}

std::string benchmark_name(const Case& c, const Side& side) { return std::string("e2e/") + c.name + "/" + side.name; }

bool set_up() {
  ::setenv("LOCPATH", BENCH_LOCALES, 1);
  ::unsetenv("LANGUAGE");
  ::setenv("LC_ALL", "de_DE.UTF-8", 1);
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
    std::fprintf(stderr, "cannot set the de_DE.UTF-8 locale from %s\n", BENCH_LOCALES);
    return false;
  }
  std::setlocale(LC_NUMERIC, "C");  // printf's decimal point, as ours and the others write it
  bindtextdomain(kDomain, BENCH_CATALOGUES);
  bind_textdomain_codeset(kDomain, "UTF-8");
  return true;
}

/// Each side translates to the German texts, and for every value set every
/// side writes what ours writes; the first value set is also checked
/// against the text written out here.
bool check() {
  struct Translation {
    const char* side;
    std::string got;
    const char* want;
  };
  const Translation translations[] = {
      {"keznls", translator().translate(kDomain, FILES_TEXT).c_str(), "%d Dateien, %.2f MB frei, %s\n"},
      {"keznls", translator().translate(kDomain, NEWS_TEXT).c_str(), "%1$d neue Nachrichten für %2$s.\n"},
      {"dgettext", dgettext(kDomain, FILES_TEXT), "%d Dateien, %.2f MB frei, %s\n"},
      {"dgettext", dgettext(kDomain, NEWS_TEXT), "%1$d neue Nachrichten für %2$s.\n"},
      {"boost", boost::locale::translate(kBoostFiles).str(boost_locale()),
       "{1} Dateien, {2,num=fixed,precision=2} MB frei, {3}\n"},
      {"boost", boost::locale::translate(kBoostNews).str(boost_locale()), "{1} neue Nachrichten für {2}.\n"},
  };
  bool ok = true;
  for (const Translation& t : translations)
    if (t.got != t.want) {
      std::fprintf(stderr, "%s translates to \"%s\", not \"%s\"\n", t.side, t.got.c_str(), t.want);
      ok = false;
    }

  for (const Case& c : cases()) {
    const Side& ours = c.sides.front();
    for (std::size_t m = 0; m < ours.messages.size(); ++m)
      for (int i = 0; i < kValues; ++i) {
        ours.messages[m](i);
        const std::string want = g_out;
        if (i == 0 && want != c.first[m]) {
          std::fprintf(stderr, "%s writes \"%s\", not \"%s\"\n", ours.name, want.c_str(), c.first[m]);
          ok = false;
        }
        for (std::size_t p = 1; p < c.sides.size(); ++p) {
          const Side& peer = c.sides[p];
          peer.messages[m](i);
          if (want == g_out) continue;
          std::fprintf(stderr, "%s: %s writes \"%s\", %s \"%s\"\n", c.name, peer.name, g_out, ours.name, want.c_str());
          ok = false;
        }
      }
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (!set_up()) return 1;
  g_helper = &built_helper();
  if (!check()) return 1;
  for (const Case& c : cases())
    for (const Side& side : c.sides) benchmark::RegisterBenchmark(benchmark_name(c, side).c_str(), run_side, &side);
  // Unless told otherwise, each side runs five times, interleaved with the
  // others, and a ratio is of the medians: the peers' times swing by a
  // fifth from run to run on a busy machine.
  std::vector<char*> args = with_default_flags(
      argc, argv, {"--benchmark_repetitions=5", "--benchmark_enable_random_interleaving=true"});
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  for (const Case& c : cases()) {
    const double ours = reporter.ns(benchmark_name(c, c.sides.front()));
    for (std::size_t p = 1; p < c.sides.size(); ++p)
      std::printf("ratio: e2e %s vs %s = %.2f\n", c.name, c.sides[p].name,
                  reporter.ns(benchmark_name(c, c.sides[p])) / ours);
  }
  return 0;
}
