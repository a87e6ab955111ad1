// The stream set against std::unordered_set<void*> on the same pointers, and
// the library output object against formatting into a stack buffer.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

#include "support/ratio_reporter.h"
#include "keznls/library_nls.h"
#include "keznls/streams.h"

namespace {

using Set = keznlsBaseStreamcoSetPtrcoPtrcoSet;
using Clock = std::chrono::steady_clock;

class NullStream : public keznlsBaseStream {
 public:
  const keznlsBaseStream& operator<<(const char* text) const override {
    benchmark::DoNotOptimize(text);
    return *this;
  }
};

constexpr int kMaxMembers = 1000000;

const std::vector<NullStream>& streams() {
  static const std::vector<NullStream> all(kMaxMembers);
  return all;
}

// The first n streams in a scattered order; `seed` gives a second order for
// lookups, so neither side walks memory in insertion order.
std::vector<keznlsBaseStream*> keys(int n, unsigned int seed) {
  std::vector<keznlsBaseStream*> result;
  result.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) result.push_back(const_cast<NullStream*>(&streams()[static_cast<std::size_t>(i)]));
  std::shuffle(result.begin(), result.end(), std::mt19937(seed));
  return result;
}

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Ours {
  Ours() : set(4, 50) {}
  void add(keznlsBaseStream* s) { set.add(s); }
  bool find(keznlsBaseStream* s) const { return set.member(s) != 0; }
  void remove(keznlsBaseStream* s) { set.remove(s); }
  Set set;
};

struct Peer {
  void add(keznlsBaseStream* s) { set.insert(s); }
  bool find(keznlsBaseStream* s) const { return set.count(s) != 0; }
  void remove(keznlsBaseStream* s) { set.erase(s); }
  std::unordered_set<void*> set;
};

template <typename Impl>
void BM_add(benchmark::State& state) {
  const std::vector<keznlsBaseStream*> k = keys(static_cast<int>(state.range(0)), 1);
  for (auto _ : state) {
    auto impl = std::make_unique<Impl>();
    const Clock::time_point start = Clock::now();
    for (keznlsBaseStream* s : k) impl->add(s);
    state.SetIterationTime(seconds_since(start));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

template <typename Impl>
void BM_find(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  Impl impl;
  for (keznlsBaseStream* s : keys(n, 1)) impl.add(s);
  const std::vector<keznlsBaseStream*> k = keys(n, 2);
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    int found = 0;
    for (keznlsBaseStream* s : k) found += impl.find(s);
    benchmark::DoNotOptimize(found);
    state.SetIterationTime(seconds_since(start));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

template <typename Impl>
void BM_remove(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<keznlsBaseStream*> fill = keys(n, 1);
  const std::vector<keznlsBaseStream*> k = keys(n, 2);
  for (auto _ : state) {
    auto impl = std::make_unique<Impl>();
    for (keznlsBaseStream* s : fill) impl->add(s);
    const Clock::time_point start = Clock::now();
    for (keznlsBaseStream* s : k) impl->remove(s);
    state.SetIterationTime(seconds_since(start));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

#define SET_BENCH(op)                                                                        \
  BENCHMARK_TEMPLATE(BM_##op, Ours)->RangeMultiplier(10)->Range(1000, kMaxMembers)->UseManualTime(); \
  BENCHMARK_TEMPLATE(BM_##op, Peer)->RangeMultiplier(10)->Range(1000, kMaxMembers)->UseManualTime();
SET_BENCH(add)
SET_BENCH(find)
SET_BENCH(remove)

// 100 characters once formatted.
constexpr const char* kFormat = "Message %d: the operation on item '%s' could not complete (code %#x), retry in %.2f s.";

void format_on_stack(const char* format, ...) {
  char buffer[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  benchmark::DoNotOptimize(buffer);
  benchmark::ClobberMemory();
}

void BM_output_keznls(benchmark::State& state) {
  NullStream sink;
  keznlsLibraryNls nls;
  nls.stream(&sink);
  for (auto _ : state) nls.output(kFormat, 4711, "report-2026", 0xBEEF, 2.5);
}

void BM_output_vsnprintf(benchmark::State& state) {
  for (auto _ : state) format_on_stack(kFormat, 4711, "report-2026", 0xBEEF, 2.5);
}

BENCHMARK(BM_output_keznls);
BENCHMARK(BM_output_vsnprintf);


}  // namespace

int main(int argc, char** argv) {
  char check[256];
  const int length = std::snprintf(check, sizeof check, kFormat, 4711, "report-2026", 0xBEEF, 2.5);
  if (length != 100) {
    std::fprintf(stderr, "the message is %d characters, not 100\n", length);
    return 1;
  }
  // Both sides share one allocator. Left to its own heuristics it returns
  // freed table memory to the system or not depending on which benchmark ran
  // before, and each page faulted back in costs microseconds on this VM; a
  // fixed policy makes the runs comparable. --default-heap keeps glibc's.
  bool fixed_heap = true;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--default-heap") fixed_heap = false;
  }
  if (fixed_heap) {
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
  }
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  for (const char* op : {"add", "find", "remove"}) {
    for (int n = 1000; n <= kMaxMembers; n *= 10) {
      const std::string suffix = "/" + std::to_string(n) + "/manual_time";
      const double ours = reporter.ns(std::string("BM_") + op + "<Ours>" + suffix);
      const double peer = reporter.ns(std::string("BM_") + op + "<Peer>" + suffix);
      if (ours > 0 && peer > 0) std::printf("ratio: %s %d vs std::unordered_set = %.2f\n", op, n, peer / ours);
    }
  }
  if (reporter.ns("BM_output_keznls") > 0 && reporter.ns("BM_output_vsnprintf") > 0) {
    std::printf("ratio: output 100 chars vs vsnprintf = %.2f\n",
                reporter.ns("BM_output_vsnprintf") / reporter.ns("BM_output_keznls"));
  }
  return 0;
}
