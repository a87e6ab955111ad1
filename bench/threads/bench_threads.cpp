// Messages printed from several threads at once, on the machine's own
// coreutils catalogues (German, French, Polish, Japanese): short error and
// status messages, plain (the set the ratios are asked of) and with one %s
// or %d (a second set), printed through a
// keznlsHelper into a displayer that only counts bytes. The peers format
// with snprintf into a stack buffer.
//
// - shared: one translator and helper used by 1 and by 2 threads, against
//   snprintf(dgettext()) from as many threads, LANGUAGE=de:fr;
// - rotating: requests whose language turns de, fr, pl, ja, each printed
//   through the helper over its language's translator, against uselocale
//   to the request's locale + dgettext, and Boost.Locale's dgettext with a
//   std::locale per language;
// - rotating, set: the same requests, each finding its language's entry in
//   one keznlsTranslatorSet by the request's language and printing through
//   the entry's helper (numbers in that language), as a server does; and
//   the same with the engine for every entry, as the helpers above;
// - numbers: a grouped integer and float per request in pl, de and fr,
//   keznlsFormatterNamedLocale against uselocale + snprintf with `'`;
// - memory: what 99 more translators over de:fr cost once a first one has
//   loaded the catalogues.
//
// Ends with "ratio: threads <set> <case> vs <peer> = <peer time / our time>"; a
// thread count against another compares messages per second.
#include <benchmark/benchmark.h>
#include <libintl.h>
#include <locale.h>
#include <malloc.h>

#include <algorithm>
#include <boost/locale.hpp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "keznls/keznls.h"
#include "support/default_flags.h"

namespace {

constexpr const char* kDomain = "coreutils";
constexpr const char* kCatalogues = "/usr/share/locale";

enum class Arg { none, text, number };
struct Message {
  const char* text;
  Arg arg;  ///< what the message is printed with
};

// Translated by each of the four catalogues, and by none into the original.
// The plain ones are what the ratios are asked of; the formatted ones show
// how much of a message's time formatting one argument takes on each side.
const Message kPlain[] = {
    {"write error", Arg::none},
    {"read error", Arg::none},
    {"memory exhausted", Arg::none},
    {"missing operand", Arg::none},
    {"missing file operand", Arg::none},
    {"standard input", Arg::none},
    {"standard output", Arg::none},
    {"regular file", Arg::none},
    {"directory", Arg::none},
    {"symbolic link", Arg::none},
    {"Killed", Arg::none},
    {"Interrupt", Arg::none},
    {"Power failure", Arg::none},
    {"File size limit exceeded", Arg::none},
    {"Request canceled", Arg::none},
    {"System error", Arg::none},
    {"Aborted", Arg::none},
    {"Bus error", Arg::none},
    {"Quit", Arg::none},
    {"Invalid regular expression", Arg::none},
    {"Unknown error", Arg::none},
    {"Success", Arg::none},
    {"No match", Arg::none},
    {"Invalid number", Arg::none},
    {"Memory exhausted", Arg::none},
    {"cannot read", Arg::none},
    {"cannot set date", Arg::none},
    {"close failed", Arg::none},
    {"cannot get current directory", Arg::none},
    {"cannot determine hostname", Arg::none},
    {"block special file", Arg::none},
    {"character special file", Arg::none},
    {"invalid number of lines", Arg::none},
    {"invalid tab size", Arg::none},
    {"no files remaining", Arg::none},
    {"division by zero", Arg::none},
    {"integer overflow", Arg::none},
    {"Stopped", Arg::none},
    {"Continued", Arg::none},
    {"Child exited", Arg::none},
};
const Message kFormatted[] = {
    {"invalid argument %s", Arg::text},
    {"cannot stat %s", Arg::text},
    {"cannot remove %s", Arg::text},
    {"cannot open directory %s", Arg::text},
    {"cannot create directory %s", Arg::text},
    {"failed to open %s", Arg::text},
    {"omitting directory %s", Arg::text},
    {"extra operand %s", Arg::text},
    {"invalid mode: %s", Arg::text},
    {"cannot access %s", Arg::text},
    {"Unknown signal %d", Arg::number},
    {"Real-time signal %d", Arg::number},
    {"file %d is not in sorted order", Arg::number},
    {"failed to get signal action for signal %d", Arg::number},
    {"unknown status from command (%d)", Arg::number},
    {"%s: no such user", Arg::text},
    {"%s: read error", Arg::text},
    {"%s: write error", Arg::text},
    {"%s: file truncated", Arg::text},
    {"error reading %s", Arg::text},
    {"error writing %s", Arg::text},
    {"creating directory %s", Arg::text},
    {"changing permissions of %s", Arg::text},
    {"cannot change directory to %s", Arg::text},
    {"invalid user %s", Arg::text},
    {"invalid group %s", Arg::text},
};

struct MessageSet {
  const char* name;
  const Message* messages;
  int count;
};
const MessageSet kSets[] = {{"plain", kPlain, sizeof kPlain / sizeof kPlain[0]},
                            {"formatted", kFormatted, sizeof kFormatted / sizeof kFormatted[0]}};

// Arguments vary with the message, so no call sees constants.
constexpr int kValues = 8;
const char* const kFiles[kValues] = {"/home/anna/notes.txt", "build", "/var/log/syslog", "Überweisung.pdf",
                                     "/tmp/x",               "src/a.c", "/mnt/backup",  "README"};
const int kNumbers[kValues] = {1, 15, 3, 64, 250, 9, 42, 7};

// The numbers group's locales, turning with every request.
const char* const kNumberLocales_[] = {"pl_PL.UTF-8", "de_DE.UTF-8", "fr_FR.UTF-8"};
constexpr int kNumberLocales = sizeof kNumberLocales_ / sizeof kNumberLocales_[0];
constexpr const char* kNumbersFormat = "%'d files, %'.1f MB";
const double kSizes[kValues] = {1024.0, 12.5, 987654.25, 3.0, 65536.5, 100.0, 4096.75, 1234567.0};

struct Language {
  const char* code;    ///< the catalogue's folder, our translator's list
  const char* locale;  ///< what glibc and Boost.Locale are given
};
const Language kLanguages[] = {
    {"de", "de_DE.UTF-8"}, {"fr", "fr_FR.UTF-8"}, {"pl", "pl_PL.UTF-8"}, {"ja", "ja_JP.UTF-8"}};
constexpr int kLanguageCount = sizeof kLanguages / sizeof kLanguages[0];

// What every side displays, per thread: a thread's count is a line no other
// thread writes.
thread_local std::size_t t_bytes = 0;

/// The bench's display target: counts the bytes, shows nothing.
class keznlsDisplayerCount : public keznlsDisplayer {
 public:
  void display(const char* text) override { t_bytes += std::strlen(text); }
};

/// For the checks: keeps the last text.
class keznlsDisplayerKeep : public keznlsDisplayer {
 public:
  void display(const char* text) override { text_ = text; }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

void print(keznlsHelper& helper, const Message& message, int m) {
  switch (message.arg) {
    case Arg::none: helper.tprintf(kDomain, message.text, 0); break;  // unused, as for the peers below
    case Arg::number: helper.tprintf(kDomain, message.text, kNumbers[m % kValues]); break;
    case Arg::text: helper.tprintf(kDomain, message.text, kFiles[m % kValues]); break;
  }
}

/// The peers' formatting: message `m`'s arguments through `format`.
int format_into(char* out, std::size_t size, const char* format, const Message& message, int m) {
  switch (message.arg) {
    case Arg::none: return std::snprintf(out, size, format, 0);  // unused: keeps compilers quiet on a bare format
    case Arg::number: return std::snprintf(out, size, format, kNumbers[m % kValues]);
    case Arg::text: break;
  }
  return std::snprintf(out, size, format, kFiles[m % kValues]);
}

void print_with_snprintf(const char* format, const Message& message, int m) {
  char out[256];
  t_bytes += static_cast<std::size_t>(format_into(out, sizeof out, format, message, m));
  benchmark::DoNotOptimize(out);
}

/// Every object the timed loops use, made before any of them runs and only
/// read while they do.
struct World {
  World()
      : formatter(ut_lit(".")), shared_translator(utString(kCatalogues)),
        set(kCatalogues, kDomain, set_options(&counter, nullptr)),
        engine_set(kCatalogues, kDomain, set_options(&counter, &formatter)) {
    shared_helper.reset(new keznlsHelper(&shared_translator, &formatter, &counter));
    for (int l = 0; l < kLanguageCount; ++l) {
      translators[l].reset(new keznlsTranslatorWithDatabases(utString(kCatalogues), utString(kLanguages[l].code)));
      helpers[l].reset(new keznlsHelper(translators[l].get(), &formatter, &counter));
      locales[l] = newlocale(LC_MESSAGES_MASK, kLanguages[l].locale, static_cast<locale_t>(0));
      boost::locale::generator messages;
      messages.categories(boost::locale::message_facet);
      messages.add_messages_path(kCatalogues);
      messages.add_messages_domain(kDomain);
      boost_locales[l] = messages.generate(boost::locale::generator()("C.UTF-8"), kLanguages[l].locale);
      set.for_languages(kLanguages[l].code);  // made before the timing, as a running server's are
      engine_set.for_languages(kLanguages[l].code);
    }
    for (int l = 0; l < kNumberLocales; ++l) {
      named[l].reset(new keznlsFormatterNamedLocale(kNumberLocales_[l]));
      numeric[l] = newlocale(LC_NUMERIC_MASK, kNumberLocales_[l], static_cast<locale_t>(0));
    }
  }
  static keznlsTranslatorSetOptions set_options(keznlsDisplayer* displayer, keznlsFormatter* formatter) {
    keznlsTranslatorSetOptions options;
    options.displayer = displayer;
    options.formatter = formatter;
    return options;
  }
  ~World() {
    for (locale_t locale : locales)
      if (locale != static_cast<locale_t>(0)) freelocale(locale);
    for (locale_t locale : numeric)
      if (locale != static_cast<locale_t>(0)) freelocale(locale);
  }

  keznlsFormatterSimple formatter;
  keznlsDisplayerCount counter;
  // Its languages from the environment, LANGUAGE=de:fr as glibc's.
  keznlsTranslatorWithDatabases shared_translator;
  std::unique_ptr<keznlsHelper> shared_helper;
  // One per language, the language given: a request's own.
  std::unique_ptr<keznlsTranslatorWithDatabases> translators[kLanguageCount];
  std::unique_ptr<keznlsHelper> helpers[kLanguageCount];
  locale_t locales[kLanguageCount] = {};
  std::locale boost_locales[kLanguageCount];
  // A request's translator found by its language, as a server finds it.
  mutable keznlsTranslatorSet set;
  // The same with the engine for every entry, as the helpers above format.
  mutable keznlsTranslatorSet engine_set;
  std::unique_ptr<keznlsFormatterNamedLocale> named[kNumberLocales];
  locale_t numeric[kNumberLocales] = {};
};
const World* g_world;

// glibc reads LANGUAGE at every call, and it outranks a thread's locale:
// set for the shared case, unset for the rotating one. Benchmark threads
// start after these run.
void language_list() { ::setenv("LANGUAGE", "de:fr", 1); }
void no_language_list() { ::unsetenv("LANGUAGE"); }
void language_list(const benchmark::State&) { language_list(); }
void no_language_list(const benchmark::State&) { no_language_list(); }

// What each side does for one message: message `m` of the set, in
// language `l` for the rotating cases (the shared ones ignore it).
void shared_keznls(int, const Message& message, int m) { print(*g_world->shared_helper, message, m); }

void shared_dgettext(int, const Message& message, int m) {
  print_with_snprintf(dgettext(kDomain, message.text), message, m);
}

// No catalogue: what two threads of this machine give for work that shares
// nothing, the ceiling of the scaling above.
void shared_snprintf_alone(int, const Message& message, int m) { print_with_snprintf(message.text, message, m); }

void rotating_keznls(int l, const Message& message, int m) { print(*g_world->helpers[l], message, m); }

// The thread's locale stays set until the next request's (and the loop's end).
void rotating_uselocale(int l, const Message& message, int m) {
  uselocale(g_world->locales[l]);
  print_with_snprintf(dgettext(kDomain, message.text), message, m);
}

void rotating_boost(int l, const Message& message, int m) {
  const std::string format = boost::locale::dgettext(kDomain, message.text, g_world->boost_locales[l]);
  print_with_snprintf(format.c_str(), message, m);
}

// The request's entry from the set by its language, then its helper.
void rotating_set(int l, const Message& message, int m) {
  print(g_world->set.for_languages(kLanguages[l].code).helper(), message, m);
}

int format_into(keznlsFormatter& formatter, char* out, int size, const char* format, ...) KEZNLS_PRINTF(4, 5);
int format_into(keznlsFormatter& formatter, char* out, int size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = formatter.vformat_into(out, size, format, args);
  va_end(args);
  return n;
}

void rotating_engine_set(int l, const Message& message, int m) {
  print(g_world->engine_set.for_languages(kLanguages[l].code).helper(), message, m);
}

// A request's numbers, in locale `l % kNumberLocales`, into a buffer of
// the caller's on both sides.
int numbers_into(int l, int m, char* out, int size) {
  return format_into(*g_world->named[l % kNumberLocales], out, size, kNumbersFormat, kNumbers[m % kValues] * 1000 + m,
                     kSizes[m % kValues]);
}
int glibc_numbers_into(int l, int m, char* out, int size) {
  uselocale(g_world->numeric[l % kNumberLocales]);
  return std::snprintf(out, static_cast<std::size_t>(size), kNumbersFormat, kNumbers[m % kValues] * 1000 + m,
                       kSizes[m % kValues]);
}

void numbers_keznls(int l, const Message&, int m) {
  char out[128];
  t_bytes += static_cast<std::size_t>(numbers_into(l, m, out, sizeof out));
  benchmark::DoNotOptimize(out);
}

void numbers_uselocale(int l, const Message&, int m) {
  char out[128];
  t_bytes += static_cast<std::size_t>(glibc_numbers_into(l, m, out, sizeof out));
  benchmark::DoNotOptimize(out);
}

using Each = void (*)(int l, const Message& message, int m);

/// The timed loop of `each`. Threads start apart in the message list, as a
/// program's threads print different messages; the language turns with
/// every message.
template <Each each>
void timed(benchmark::State& state, const MessageSet& set) {
  int m = state.thread_index() * set.count / 2 % set.count, l = state.thread_index() % kLanguageCount;
  for (auto _ : state) {
    each(l, set.messages[m], m);
    if (++m == set.count) m = 0;
    if (++l == kLanguageCount) l = 0;
  }
  uselocale(LC_GLOBAL_LOCALE);
  benchmark::DoNotOptimize(t_bytes);
  state.SetItemsProcessed(state.iterations());
}

enum class Kind { shared, rotating, untranslated, numbers };
struct Bench {
  const char* group;
  const char* side;
  Kind kind;
  Each each;
  void (*run)(benchmark::State&, const MessageSet&);
  void (*environment)();  ///< language_list or no_language_list
  void (*setup)(const benchmark::State&);
  std::string name(const MessageSet& set) const {
    return std::string("threads/") + group + "/" + set.name + "/" + side;
  }
};
enum {
  kSharedOurs,
  kSharedGlibc,
  kSharedAlone,
  kRotatingOurs,
  kRotatingGlibc,
  kRotatingBoost,
  kRotatingSet,
  kRotatingEngineSet,
  kNumbersOurs,
  kNumbersGlibc
};
#define KEZNLS_BENCH(group, side, kind, each, environment) \
  {group, side, Kind::kind, each, timed<each>, environment, environment}
const Bench kBenches[] = {
    KEZNLS_BENCH("shared", "keznls", shared, shared_keznls, language_list),
    KEZNLS_BENCH("shared", "snprintf(dgettext)", shared, shared_dgettext, language_list),
    KEZNLS_BENCH("shared", "snprintf alone", untranslated, shared_snprintf_alone, language_list),
    KEZNLS_BENCH("rotating", "keznls", rotating, rotating_keznls, no_language_list),
    KEZNLS_BENCH("rotating", "uselocale+dgettext", rotating, rotating_uselocale, no_language_list),
    KEZNLS_BENCH("rotating", "boost::locale::dgettext", rotating, rotating_boost, no_language_list),
    KEZNLS_BENCH("rotating", "keznls set", rotating, rotating_set, no_language_list),
    KEZNLS_BENCH("rotating", "keznls set, engine", rotating, rotating_engine_set, no_language_list),
    KEZNLS_BENCH("numbers", "keznls named locale", numbers, numbers_keznls, no_language_list),
    KEZNLS_BENCH("numbers", "uselocale+snprintf", numbers, numbers_uselocale, no_language_list),
};
#undef KEZNLS_BENCH

/// The name Google Benchmark gives a run of `bench` over `set` on `threads` threads.
std::string run_name(const Bench& bench, const MessageSet& set, int threads) {
  return bench.name(set) + "/real_time/threads:" + std::to_string(threads);
}

/// Shows the medians of the repetitions, in the order the benchmarks were
/// registered, and keeps each run's time per message so the ratios can
/// take medians too. One pass on this shared virtual machine may run faster
/// or slower than the next by a third, so a ratio of single runs taken
/// seconds apart says little; repetitions in random order, compared by
/// their medians, do.
class MedianReporter : public benchmark::ConsoleReporter {
 public:
  MedianReporter() : ConsoleReporter(OO_None) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration)
        ns_[run.run_name.str()].push_back(run.real_accumulated_time * 1e9 / static_cast<double>(run.iterations));
      if (run.run_type == Run::RT_Iteration ? run.repetitions <= 1 : run.aggregate_name == "median")
        shown_.push_back(run);
    }
  }
  void Finalize() override {
    std::stable_sort(shown_.begin(), shown_.end(), [](const Run& a, const Run& b) {
      return a.family_index != b.family_index ? a.family_index < b.family_index
                                              : a.per_family_instance_index < b.per_family_instance_index;
    });
    if (!shown_.empty()) ConsoleReporter::ReportRuns(shown_);
    ConsoleReporter::Finalize();
  }
  /// The median nanoseconds per message of `name`; 0 when it did not run.
  double ns(const std::string& name) const {
    const auto it = ns_.find(name);
    if (it == ns_.end()) return 0.0;
    std::vector<double> times = it->second;
    std::sort(times.begin(), times.end());
    const std::size_t n = times.size();
    return n % 2 == 1 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
  }

 private:
  std::map<std::string, std::vector<double>> ns_;
  std::vector<Run> shown_;
};

// ---- checks, before any timing ----

std::string formatted(const char* format, const Message& message, int m) {
  char out[256];
  format_into(out, sizeof out, format, message, m);
  return out;
}

std::string ours(keznlsTranslatorWithDatabases& translator, const Message& message, int m) {
  keznlsFormatterSimple formatter(ut_lit("."));
  keznlsDisplayerKeep keep;
  keznlsHelper helper(&translator, &formatter, &keep);
  print(helper, message, m);
  return keep.text();
}

bool same(const std::string& what, const Message& message, const std::string& got, const std::string& want) {
  if (got == want) return true;
  std::fprintf(stderr, "%s, \"%s\": \"%s\", ours \"%s\"\n", what.c_str(), message.text, got.c_str(), want.c_str());
  return false;
}

bool translated(const std::string& where, const Message& message, const std::string& text, int m) {
  if (text != formatted(message.text, message, m)) return true;
  std::fprintf(stderr, "%s: \"%s\" is not translated\n", where.c_str(), message.text);
  return false;
}

/// Every side gives the same text for every message and language, and
/// none gives the original: the catalogues translate every one of them.
/// Then the timed code itself: a pass over the messages counts as many
/// bytes on each side as the checked texts have (the originals' for the
/// side without a catalogue).
bool check(World& world, const MessageSet& set) {
  bool ok = true;
  std::size_t shared_bytes = 0, rotating_bytes = 0, original_bytes = 0;

  language_list();
  for (int m = 0; m < set.count; ++m) {
    const Message& message = set.messages[m];
    const std::string want = ours(world.shared_translator, message, m);
    ok &= translated("de:fr", message, want, m);
    ok &= same("de:fr, dgettext", message, formatted(dgettext(kDomain, message.text), message, m), want);
    shared_bytes += want.size();
    original_bytes += formatted(message.text, message, m).size();
  }

  no_language_list();
  for (int l = 0; l < kLanguageCount; ++l)
    for (int m = 0; m < set.count; ++m) {
      const Message& message = set.messages[m];
      const std::string want = ours(*world.translators[l], message, m);
      const std::string where = kLanguages[l].code;
      ok &= translated(where, message, want, m);
      uselocale(world.locales[l]);
      const std::string glibc = formatted(dgettext(kDomain, message.text), message, m);
      uselocale(LC_GLOBAL_LOCALE);
      ok &= same(where + ", uselocale + dgettext", message, glibc, want);
      const std::string boost = boost::locale::dgettext(kDomain, message.text, world.boost_locales[l]);
      ok &= same(where + ", Boost.Locale", message, formatted(boost.c_str(), message, m), want);
      rotating_bytes += want.size();
    }

  // Numbers: the same text on both sides, in every locale.
  for (int l = 0; l < kNumberLocales; ++l)
    for (int m = 0; m < kValues; ++m) {
      char ours_text[128], glibc_text[128];
      numbers_into(l, m, ours_text, sizeof ours_text);
      glibc_numbers_into(l, m, glibc_text, sizeof glibc_text);
      uselocale(LC_GLOBAL_LOCALE);
      if (std::strcmp(ours_text, glibc_text) != 0 || std::strchr(ours_text, ',') == nullptr) {
        std::fprintf(stderr, "numbers in %s: \"%s\", glibc \"%s\"\n", kNumberLocales_[l], ours_text, glibc_text);
        ok = false;
      }
    }

  // One pass of each timed loop's body.
  for (const Bench& bench : kBenches) {
    if (bench.kind == Kind::numbers) continue;
    const bool rotates = bench.kind == Kind::rotating;
    bench.environment();
    const std::size_t before = t_bytes;
    for (int l = 0; l < (rotates ? kLanguageCount : 1); ++l)
      for (int m = 0; m < set.count; ++m) bench.each(l, set.messages[m], m);
    uselocale(LC_GLOBAL_LOCALE);
    const std::size_t counted = t_bytes - before;
    const std::size_t want = rotates ? rotating_bytes : bench.kind == Kind::shared ? shared_bytes : original_bytes;
    if (counted != want) {
      std::fprintf(stderr, "%s, %s messages: counts %zu bytes, not %zu\n", bench.name(set).c_str(), set.name, counted,
                   want);
      ok = false;
    }
  }
  return ok;
}

// ---- memory ----

/// This process's resident memory, in kB; -1 when unknown.
long resident_kb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.compare(0, 6, "VmRSS:") == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  return -1;
}

struct Growth {
  long resident_kb;
  long heap_bytes;  ///< bytes malloc hands out, for a finer look than pages
  bool translated;
};

/// What 99 translators over de:fr add, each having translated a message,
/// once a first one has loaded what they share.
Growth more_translators() {
  const char* text = kPlain[0].text;
  keznlsTranslatorWithDatabases first(utString(kCatalogues), utString("de:fr"));
  bool translated = std::strcmp(first.translate(kDomain, text).c_str(), text) != 0;
  const long resident = resident_kb();
  const std::size_t heap = mallinfo2().uordblks;
  std::vector<std::unique_ptr<keznlsTranslatorWithDatabases>> more;
  for (int i = 0; i < 99; ++i) {
    more.emplace_back(new keznlsTranslatorWithDatabases(utString(kCatalogues), utString("de:fr")));
    translated &= std::strcmp(more.back()->translate(kDomain, text).c_str(), text) != 0;
  }
  return {resident_kb() - resident, static_cast<long>(mallinfo2().uordblks) - static_cast<long>(heap), translated};
}

bool set_up() {
  ::setenv("LOCPATH", BENCH_LOCALES, 1);
  ::setenv("LC_ALL", "de_DE.UTF-8", 1);
  language_list();
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
    std::fprintf(stderr, "cannot set the de_DE.UTF-8 locale from %s\n", BENCH_LOCALES);
    return false;
  }
  std::setlocale(LC_NUMERIC, "C");  // the ratios' and the flags' decimal point
  bindtextdomain(kDomain, kCatalogues);
  // Translations in UTF-8 whatever a thread's locale says of its charset.
  bind_textdomain_codeset(kDomain, "UTF-8");
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (!set_up()) return 1;
  // First, while the heap holds little that was freed and could be reused.
  const Growth growth = more_translators();
  if (!growth.translated) {
    std::fprintf(stderr, "the translators over de:fr do not translate \"%s\"\n", kPlain[0].text);
    return 1;
  }

  World world;
  g_world = &world;
  for (int l = 0; l < kLanguageCount; ++l)
    if (world.locales[l] == static_cast<locale_t>(0)) {
      std::fprintf(stderr, "no %s locale in %s\n", kLanguages[l].locale, BENCH_LOCALES);
      return 1;
    }
  for (const MessageSet& set : kSets)
    if (!check(world, set)) return 1;

  for (const MessageSet& set : kSets)
    for (const Bench& bench : kBenches) {
      if (bench.kind == Kind::numbers && &set != &kSets[0]) continue;  // no messages: once is enough
      benchmark::RegisterBenchmark(bench.name(set).c_str(), bench.run, set)
          ->Setup(bench.setup)
          ->UseRealTime()
          ->Threads(1)
          ->Threads(2);
    }
  // Unless the command line says otherwise: repetitions in random order,
  // each a fifth of a second.
  std::vector<char*> args = with_default_flags(argc, argv,
                                               {"--benchmark_enable_random_interleaving=true",
                                                "--benchmark_repetitions=9", "--benchmark_min_time=0.2"});
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  // Time per message is wall time over the messages of every thread: its
  // inverse is messages per second. Medians of the repetitions.
  for (const MessageSet& set : kSets) {
    auto ns = [&reporter, &set](int bench, int threads) {
      return reporter.ns(run_name(kBenches[bench], set, threads));
    };
    std::printf("ratio: threads %s shared keznls 2 threads vs 1 thread = %.2f\n", set.name,
                ns(kSharedOurs, 1) / ns(kSharedOurs, 2));
    std::printf("ratio: threads %s shared snprintf(dgettext) 2 threads vs 1 thread = %.2f\n", set.name,
                ns(kSharedGlibc, 1) / ns(kSharedGlibc, 2));
    std::printf("ratio: threads %s shared snprintf alone (untranslated) 2 threads vs 1 thread = %.2f\n", set.name,
                ns(kSharedAlone, 1) / ns(kSharedAlone, 2));
    std::printf("ratio: threads %s rotating keznls 2 threads vs 1 thread = %.2f\n", set.name,
                ns(kRotatingOurs, 1) / ns(kRotatingOurs, 2));
    std::printf("ratio: threads %s rotating keznls set 2 threads vs 1 thread = %.2f\n", set.name,
                ns(kRotatingSet, 1) / ns(kRotatingSet, 2));
    for (int threads = 1; threads <= 2; ++threads) {
      const char* count = threads == 1 ? "1 thread" : "2 threads";
      std::printf("ratio: threads %s shared %s vs snprintf(dgettext) = %.2f\n", set.name, count,
                  ns(kSharedGlibc, threads) / ns(kSharedOurs, threads));
      for (int peer : {kRotatingGlibc, kRotatingBoost}) {
        std::printf("ratio: threads %s rotating %s vs %s = %.2f\n", set.name, count, kBenches[peer].side,
                    ns(peer, threads) / ns(kRotatingOurs, threads));
        std::printf("ratio: threads %s rotating set %s vs %s = %.2f\n", set.name, count, kBenches[peer].side,
                    ns(peer, threads) / ns(kRotatingSet, threads));
        std::printf("ratio: threads %s rotating set, engine %s vs %s = %.2f\n", set.name, count,
                    kBenches[peer].side, ns(peer, threads) / ns(kRotatingEngineSet, threads));
      }
      if (&set == &kSets[0])
        std::printf("ratio: threads numbers %s keznls named locale vs uselocale+snprintf = %.2f\n", count,
                    ns(kNumbersGlibc, threads) / ns(kNumbersOurs, threads));
    }
  }
  std::printf("memory: threads 99 more translators over de:fr = %ld kB resident, %ld kB of heap\n",
              growth.resident_kb, growth.heap_bytes / 1024);
  return 0;
}
