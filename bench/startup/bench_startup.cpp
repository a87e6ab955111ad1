// What a one-shot program pays to print one translated message: first the
// spawn-to-exit figures of two such programs (keznls, dgettext) from the
// startup_spawn driver, then the time a fresh translator takes to open a
// catalogue of 1,000, 10,000 or 100,000 messages and look one message up.
// Lazy opening keeps the latter from growing with every message of the file.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "keznls/translator.h"
#include "support/ratio_reporter.h"

extern char** environ;

namespace {

constexpr int kSizes[] = {1000, 10000, 100000};

std::string domain(int messages) { return "startup_" + std::to_string(messages); }

// The messages looked up, one per opening: 16 spread over the catalogue.
// How many probes of the file's hash table one message takes is the luck
// of its hash (1 to 4 here); the 16 together give the usual cost.
constexpr int kLooked = 16;
int number(int messages, int k) { return (2 * k + 1) * messages / (2 * kLooked); }
std::string original(int number) {
  return "Message " + std::to_string(number) + ": the operation on the selected item could not be completed";
}
std::string translation(int number) {
  return "Meldung " + std::to_string(number) + ": der Vorgang am gewählten Element konnte nicht beendet werden";
}

void BM_open_and_look_up(benchmark::State& state) {
  const int messages = static_cast<int>(state.range(0));
  const std::string name = domain(messages);
  std::string texts[kLooked];
  for (int k = 0; k < kLooked; ++k) texts[k] = original(number(messages, k));
  int k = 0;
  for (auto _ : state) {
    keznlsTranslatorWithDatabases translator{utString(BENCH_STARTUP_CATALOGUES)};
    benchmark::DoNotOptimize(translator.translate(name.c_str(), texts[k].c_str()));
    if (++k == kLooked) k = 0;
  }
}
BENCHMARK(BM_open_and_look_up)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

bool catalogues_translate() {
  ::unsetenv("LANGUAGE");
  ::setenv("LC_ALL", "de_DE.UTF-8", 1);
  for (int messages : kSizes)
    for (int k = 0; k < kLooked; ++k) {
      keznlsTranslatorWithDatabases translator{utString(BENCH_STARTUP_CATALOGUES)};
      const int n = number(messages, k);
      const std::string got = translator.translate(domain(messages).c_str(), original(n).c_str()).c_str();
      if (got != translation(n)) {
        std::fprintf(stderr, "%s under %s translates \"%s\" as \"%s\"\n", domain(messages).c_str(),
                     BENCH_STARTUP_CATALOGUES, original(n).c_str(), got.c_str());
        return false;
      }
    }
  return true;
}

// Runs the spawn driver with our standard output; false when it fails.
bool run_driver(const char* pairs) {
  std::fflush(stdout);
  char* argv[] = {const_cast<char*>(BENCH_STARTUP_SPAWN), const_cast<char*>(pairs), nullptr};
  pid_t pid;
  const int error = posix_spawn(&pid, BENCH_STARTUP_SPAWN, nullptr, nullptr, argv, environ);
  if (error != 0) {
    std::fprintf(stderr, "cannot spawn %s: %s\n", BENCH_STARTUP_SPAWN, std::strerror(error));
    return false;
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  // --pairs=N: how many pairs of one-shot programs the driver spawns.
  std::string pairs = "400";
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--pairs=", 8) == 0)
      pairs = argv[i] + 8;
    else
      argv[kept++] = argv[i];
  }
  argc = kept;

  if (!run_driver(pairs.c_str())) return 1;
  if (!catalogues_translate()) return 1;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  const double small = reporter.ns("BM_open_and_look_up/1000");
  for (int messages : {10000, 100000})
    std::printf("ratio: open and look up, %d messages vs 1000 messages = %.3g (target about 1: flat)\n", messages,
                small / reporter.ns("BM_open_and_look_up/" + std::to_string(messages)));
  return 0;
}
