// What a one-shot program pays to print one translated message: first the
// spawn-to-exit figures of two such programs (keznls, dgettext) from the
// startup_spawn driver, then the time a fresh translator takes to open a
// catalogue of 1,000, 10,000 or 100,000 messages and look one message up.
// Lazy opening keeps the latter from growing with every message of the file.
// Last, every catalogue on the machine opened at once, each through a
// database of its own: the descriptors they hold together, and what a
// second lookup in each reads.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/file_image.h"
#include "keznls/nls/nls.h"
#include "keznls/translator.h"
#include "startup_message.h"
#include "support/default_flags.h"
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

int open_descriptors() {
  int n = 0;
  if (DIR* dir = ::opendir("/proc/self/fd")) {
    while (::readdir(dir) != nullptr) ++n;
    ::closedir(dir);
  }
  return n - 3;  // ".", ".." and the directory's own
}

// The original of the middle entry of the .mo file at `path`, read here
// without the library; empty when the file is not one.
std::string middle_key(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::uint32_t header[7] = {};
  if (!in.read(reinterpret_cast<char*>(header), sizeof header) || header[0] != 0x950412deu || header[2] < 2) return {};
  std::uint32_t descriptor[2];
  in.seekg(header[3] + 8 * (header[2] / 2));
  if (!in.read(reinterpret_cast<char*>(descriptor), sizeof descriptor)) return {};
  std::string key(descriptor[0], '\0');
  in.seekg(descriptor[1]);
  in.read(key.data(), static_cast<std::streamsize>(key.size()));
  return key.substr(0, key.find('\0'));  // a plural entry is found by its singular
}

// Every catalogue under the machine's locale folder, a database each, all
// alive at once.
void every_catalogue_at_once() {
  struct File {
    std::string language, domain, key;
  };
  std::vector<File> files;
  std::error_code error;
  for (const auto& language : std::filesystem::directory_iterator(STARTUP_LOCALE_DIR, error))
    for (const auto& file : std::filesystem::directory_iterator(language.path() / "LC_MESSAGES", error))
      if (file.path().extension() == ".mo") {
        std::string key = middle_key(file.path().string());
        if (!key.empty())
          files.push_back({language.path().filename().string(), file.path().stem().string(), std::move(key)});
      }
  const int before = open_descriptors();
  int most = 0, answered = 0;
  std::vector<std::unique_ptr<nlsDataBase>> databases;
  const auto start = std::chrono::steady_clock::now();
  for (const File& f : files) {
    databases.emplace_back(new nlsDataBase(STARTUP_LOCALE_DIR, f.domain.c_str(), f.language.c_str()));
    answered += databases.back()->find(f.key.c_str()) != nullptr;
    most = std::max(most, open_descriptors() - before);
  }
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  const std::uint64_t pieces = nlsFileImage::pieces_read();
  for (std::size_t i = 0; i < files.size(); ++i) databases[i]->find(files[i].key.c_str());
  std::printf("every catalogue at once: %zu files under %s opened, one message looked up in each (%d answered), "
              "%.1f ms; descriptors held at most %d (target <= 8), %d once all are open; a second lookup in each "
              "read %llu pieces (target 0)\n",
              files.size(), STARTUP_LOCALE_DIR, answered, ms, most, open_descriptors() - before,
              static_cast<unsigned long long>(nlsFileImage::pieces_read() - pieces));
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
  // Unless told otherwise, each size runs five times, interleaved with the
  // others, and the ratios are of the medians: a single run of a few
  // microseconds swings by a fifth on a shared machine.
  std::vector<char*> args = with_default_flags(
      argc, argv, {"--benchmark_repetitions=5", "--benchmark_enable_random_interleaving=true"});
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 2;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  const double small = reporter.ns("BM_open_and_look_up/1000");
  double fastest = small, slowest = small;
  for (int messages : {10000, 100000}) {
    const double ns = reporter.ns("BM_open_and_look_up/" + std::to_string(messages));
    std::printf("ratio: open and look up, %d messages vs 1000 messages = %.3g (target about 1: flat)\n", messages,
                small / ns);
    fastest = std::min(fastest, ns);
    slowest = std::max(slowest, ns);
  }
  std::printf("ratio: open and look up, slowest of 1000/10000/100000 vs fastest = %.3g (target <= 1.5)\n",
              slowest / fastest);
  every_catalogue_at_once();
  return 0;
}
