// The engine's gui_sprintf against its peers on typical messages. Ends with
// "ratio: <case> vs <peer> = <peer time / our time>" lines.
#include <benchmark/benchmark.h>
#include <fmt/format.h>
#include <fmt/printf.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "keznls/engine.h"
#include "support/default_flags.h"

#define STB_SPRINTF_DECORATE(name) stbsp_##name
#include "stb_sprintf.h"

namespace {

const keznlsSprintf engine(ut_lit("."));

// Values cycle so no call sees constants.
constexpr int kValues = 8;
const int kInts[kValues] = {3, 1024, -17, 0, 99999, 42, -2147483647, 7};
const unsigned kUnsigned[kValues] = {0u, 1u, 4096u, 4294967295u, 77u, 123456u, 9u, 31u};
const double kDoubles[kValues] = {1.5, 1234.5678, 0.000123, 98765.4321, 3.14159, 2.5e10, 0.5, 42.0};
const char* const kStrings[kValues] = {"ok", "/home/user/data", "disk full", "", "x", "archive.tar.gz",
                                       "network", "done"};

#define LONG_TEXT                                                                              \
  "The operation completed after processing all of the requested items in the queue; " \
  "%d of them were skipped because they were already up to date, and the log was "     \
  "written to %s for later review by the operator.."

// Format strings per message, in each peer's own syntax.
struct Message {
  const char* printf_format;    // engine, vsnprintf, fmt::sprintf
  const char* stb_format;       // stb has no positional arguments
  const char* fmt_format;       // fmt::format
};

const Message kFiles = {"%d files, %.2f MB free, %s", "%d files, %.2f MB free, %s",
                        "{} files, {:.2f} MB free, {}"};
const Message kPositional = {"%2$s: %1$d", "%s: %d", "{1}: {0}"};
const Message kIntegers = {"%d items, %u left, id %x, code %05d", "%d items, %u left, id %x, code %05d",
                           "{} items, {} left, id {:x}, code {:05}"};
const Message kFloats = {"%f %e %g", "%f %e %g", "{:f} {:e} {:g}"};
const Message kLong = {LONG_TEXT, LONG_TEXT, "The operation completed after processing all of the requested items in the queue; "
                       "{} of them were skipped because they were already up to date, and the log was "
                       "written to {} for later review by the operator.."};

int stack_vsnprintf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  char buffer[512];
  const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  benchmark::DoNotOptimize(buffer);
  return n;
}

int stack_stb(const char* format, ...) {
  va_list args;
  va_start(args, format);
  char buffer[512];
  const int n = stbsp_vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  benchmark::DoNotOptimize(buffer);
  return n;
}

// kLengths is not timed: it notes the length of the engine's result.
enum Peer { kEngine, kVsnprintf, kFmtFormat, kFmtSprintf, kStb, kLengths };
const char* const kPeerNames[] = {"engine", "vsnprintf", "fmt::format", "fmt::sprintf", "stb"};
std::vector<std::size_t> noted_lengths;

// One message formatted by `peer`; fmt::format reads the format at run
// time, as the others do.
template <Peer peer, typename... A>
void format(const Message& m, A... a) {
  if constexpr (peer == kEngine) benchmark::DoNotOptimize(engine.gui_sprintf(m.printf_format, a...));
  if constexpr (peer == kVsnprintf) stack_vsnprintf(m.printf_format, a...);
  if constexpr (peer == kFmtFormat) benchmark::DoNotOptimize(fmt::format(fmt::runtime(m.fmt_format), a...));
  if constexpr (peer == kFmtSprintf) benchmark::DoNotOptimize(fmt::sprintf(m.printf_format, a...));
  if constexpr (peer == kStb) stack_stb(m.stb_format, a...);
  if constexpr (peer == kLengths)
    noted_lengths.push_back(std::strlen(engine.gui_sprintf(m.printf_format, a...).c_str()));
}

// One message of each kind, formatted by `peer` with the values at `i`.
template <Peer peer>
void files(int i) {
  format<peer>(kFiles, kInts[i], kDoubles[i], kStrings[i]);
}

template <Peer peer>
void positional(int i) {
  // stb has no positional arguments: it gets them in the order it shows them.
  if constexpr (peer == kStb) stack_stb(kPositional.stb_format, kStrings[i], kInts[i]);
  else format<peer>(kPositional, kInts[i], kStrings[i]);
}

template <Peer peer>
void integers(int i) {
  format<peer>(kIntegers, kInts[i], kUnsigned[i], kUnsigned[(i + 3) % kValues], kInts[(i + 5) % kValues]);
}

template <Peer peer>
void floats(int i) {
  format<peer>(kFloats, kDoubles[i], kDoubles[(i + 3) % kValues], kDoubles[(i + 5) % kValues]);
}

template <Peer peer>
void long_text(int i) {
  format<peer>(kLong, kInts[i], kStrings[i]);
}

template <Peer peer>
void mix(int i) {
  files<peer>(i);
  positional<peer>(i);
  integers<peer>(i);
  floats<peer>(i);
  long_text<peer>(i);
}

// The part of each engine call that its interface fixes: one result string
// at the message's length, allocated, filled and released. Lengths of the
// mix's five messages for each set of values, taken from the engine.
std::vector<std::size_t> mix_lengths[kValues];

void measure_mix_lengths() {
  for (int i = 0; i < kValues; ++i) {
    noted_lengths.clear();
    mix<kLengths>(i);
    mix_lengths[i] = noted_lengths;
  }
}

void mix_results(int i) {
  for (const std::size_t n : mix_lengths[i])
    benchmark::DoNotOptimize(utString(ut_string_char, ' ', static_cast<int>(n)));
}

template <void (*Message)(int)>
void run(benchmark::State& state) {
  int i = 0;
  for (auto _ : state) {
    Message(i);
    i = (i + 1) % kValues;
  }
}

template <Peer peer>
void register_peer() {
  const std::string name = kPeerNames[peer];
  benchmark::RegisterBenchmark(("mix/" + name).c_str(), run<mix<peer>>);
  benchmark::RegisterBenchmark(("files/" + name).c_str(), run<files<peer>>);
  benchmark::RegisterBenchmark(("positional/" + name).c_str(), run<positional<peer>>);
  benchmark::RegisterBenchmark(("integers/" + name).c_str(), run<integers<peer>>);
  benchmark::RegisterBenchmark(("floats/" + name).c_str(), run<floats<peer>>);
  benchmark::RegisterBenchmark(("long_text/" + name).c_str(), run<long_text<peer>>);
}

// Keeps the fastest CPU time per iteration of each benchmark over its
// interleaved repetitions: on a shared machine, noise only ever adds time.
// Only the aggregates are shown.
class Collector : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    std::vector<Run> shown;
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Aggregate) {
        shown.push_back(run);
        continue;
      }
      const std::string name = run.run_name.function_name;
      const double t = run.GetAdjustedCPUTime();
      if (times.count(name) == 0 || t < times[name]) times[name] = t;
    }
    if (!shown.empty()) ConsoleReporter::ReportRuns(shown);
  }
  std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
  measure_mix_lengths();
  benchmark::RegisterBenchmark("mix_results/engine", run<mix_results>);
  register_peer<kEngine>();
  register_peer<kVsnprintf>();
  register_peer<kFmtFormat>();
  register_peer<kFmtSprintf>();
  register_peer<kStb>();
  std::vector<char*> args = with_default_flags(argc, argv,
                                               {"--benchmark_repetitions=7",
                                                "--benchmark_enable_random_interleaving=true",
                                                "--benchmark_min_time=0.1"});
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  Collector collector;
  benchmark::RunSpecifiedBenchmarks(&collector);
  const auto results = collector.times.find("mix_results/engine");
  const auto mix = collector.times.find("mix/engine");
  if (results != collector.times.end() && mix != collector.times.end())
    std::printf("result strings: %.0f ns of the engine's %.0f ns per mix\n", results->second, mix->second);
  for (const char* c : {"mix", "files", "positional", "integers", "floats", "long_text"}) {
    const auto ours = collector.times.find(std::string(c) + "/engine");
    if (ours == collector.times.end()) continue;
    for (int peer = kVsnprintf; peer <= kStb; ++peer) {
      const auto theirs = collector.times.find(std::string(c) + "/" + kPeerNames[peer]);
      if (theirs == collector.times.end()) continue;
      std::printf("ratio: %s vs %s = %.2f\n", c, kPeerNames[peer], theirs->second / ours->second);
    }
  }
  benchmark::Shutdown();
  return 0;
}
