// The stream set against std::unordered_set<void*> on the same pointers
// (single members and set algebra), and the library output object against
// formatting into a stack buffer.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <ctime>
#include <cstdarg>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "support/ratio_reporter.h"
#include "keznls/library_nls.h"
#include "keznls/streams.h"

namespace {

using Set = keznlsBaseStreamcoSetPtrcoPtrcoSet;

class NullStream : public keznlsBaseStream {
 public:
  const keznlsBaseStream& operator<<(const char* text) const override {
    benchmark::DoNotOptimize(text);
    return *this;
  }
};

constexpr int kMaxMembers = 1000000;

// The set algebra's second operand reaches half past the largest set.
const std::vector<NullStream>& streams() {
  static const std::vector<NullStream> all(kMaxMembers + kMaxMembers / 2);
  return all;
}

// Streams [begin, end) in a scattered order; `seed` gives a second order for
// lookups, so neither side walks memory in insertion order.
std::vector<keznlsBaseStream*> keys(int begin, int end, unsigned int seed) {
  std::vector<keznlsBaseStream*> result;
  result.reserve(static_cast<std::size_t>(end - begin));
  for (int i = begin; i < end; ++i) result.push_back(const_cast<NullStream*>(&streams()[static_cast<std::size_t>(i)]));
  std::shuffle(result.begin(), result.end(), std::mt19937(seed));
  return result;
}

// Timed regions run on this thread's CPU clock. The machine these run on is
// shared, and a wall clock also counts the time slices other processes take
// inside a region, which lengthen one side's figure and not the other's.
double thread_seconds() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Reading that clock is a system call: what a reading adds to a region,
// taken from the shortest of many empty regions.
double reading_cost() {
  static const double cost = [] {
    double shortest = 1.0;
    for (int i = 0; i < 1000; ++i) {
      const double start = thread_seconds();
      shortest = std::min(shortest, thread_seconds() - start);
    }
    return shortest;
  }();
  return cost;
}

double seconds_since(double start) { return std::max(thread_seconds() - start - reading_cost(), 1e-9); }

struct Ours {
  Ours() : set(4, 50) {}
  Ours(const Ours& other) : set(ut_copy, other.set) {}
  void add(keznlsBaseStream* s) { set.add(s); }
  bool find(keznlsBaseStream* s) const { return set.member(s) != 0; }
  void remove(keznlsBaseStream* s) { set.remove(s); }
  int size() const { return set.size(); }
  void unite(const Ours& other) { set += other.set; }
  void subtract(const Ours& other) { set -= other.set; }
  void intersect(const Ours& other) { set *= other.set; }
  bool subset_of(const Ours& other) const { return (set <= other.set) != 0; }
  Set set;
};

// The loops a caller of std::unordered_set writes for the same algebra.
struct Peer {
  void add(keznlsBaseStream* s) { set.insert(s); }
  bool find(keznlsBaseStream* s) const { return set.count(s) != 0; }
  void remove(keznlsBaseStream* s) { set.erase(s); }
  int size() const { return static_cast<int>(set.size()); }
  void unite(const Peer& other) {
    for (void* s : other.set) set.insert(s);
  }
  void subtract(const Peer& other) {
    for (void* s : other.set) set.erase(s);
  }
  void intersect(const Peer& other) {
    for (auto it = set.begin(); it != set.end();) it = other.set.count(*it) != 0 ? std::next(it) : set.erase(it);
  }
  bool subset_of(const Peer& other) const {
    if (set.size() > other.set.size()) return false;
    for (void* s : set) {
      if (other.set.count(s) == 0) return false;
    }
    return true;
  }
  std::unordered_set<void*> set;
};

template <typename Impl>
void BM_add(benchmark::State& state) {
  const std::vector<keznlsBaseStream*> k = keys(0, static_cast<int>(state.range(0)), 1);
  for (auto _ : state) {
    auto impl = std::make_unique<Impl>();
    const double start = thread_seconds();
    for (keznlsBaseStream* s : k) impl->add(s);
    state.SetIterationTime(seconds_since(start));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

template <typename Impl>
void BM_find(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  Impl impl;
  for (keznlsBaseStream* s : keys(0, n, 1)) impl.add(s);
  const std::vector<keznlsBaseStream*> k = keys(0, n, 2);
  for (auto _ : state) {
    const double start = thread_seconds();
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
  const std::vector<keznlsBaseStream*> fill = keys(0, n, 1);
  const std::vector<keznlsBaseStream*> k = keys(0, n, 2);
  for (auto _ : state) {
    auto impl = std::make_unique<Impl>();
    for (keznlsBaseStream* s : fill) impl->add(s);
    const double start = thread_seconds();
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

enum Algebra { kUnion, kDifference, kIntersection, kSubset };

template <typename Impl>
std::unique_ptr<Impl> filled(int begin, int end, unsigned int seed) {
  auto impl = std::make_unique<Impl>();
  for (keznlsBaseStream* s : keys(begin, end, seed)) impl->add(s);
  return impl;
}

// Two sets of n members sharing half of them: a holds streams [0, n), b
// streams [n/2, 3n/2). Union, difference and intersection change a copy of a
// made outside the timed region; subset asks whether the shared half lies in
// a, which looks up every one of its members.
template <typename Impl, Algebra op>
void BM_algebra(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const auto a = filled<Impl>(0, n, 1), b = filled<Impl>(n / 2, n + n / 2, 2), shared = filled<Impl>(n / 2, n, 3);
  const int expected = op == kUnion ? n + n / 2 : op == kSubset ? 1 : n / 2;
  for (auto _ : state) {
    Impl target(*a);
    const double start = thread_seconds();
    if (op == kUnion) target.unite(*b);
    if (op == kDifference) target.subtract(*b);
    if (op == kIntersection) target.intersect(*b);
    const int result = op == kSubset ? shared->subset_of(*a) : target.size();
    state.SetIterationTime(seconds_since(start));
    if (result != expected) {
      state.SkipWithError("wrong result");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * n);
}

#define ALGEBRA_BENCH(op)                                                                 \
  BENCHMARK_TEMPLATE(BM_algebra, Ours, op)->Arg(100000)->Arg(kMaxMembers)->UseManualTime(); \
  BENCHMARK_TEMPLATE(BM_algebra, Peer, op)->Arg(100000)->Arg(kMaxMembers)->UseManualTime();
ALGEBRA_BENCH(kUnion)
ALGEBRA_BENCH(kDifference)
ALGEBRA_BENCH(kIntersection)
ALGEBRA_BENCH(kSubset)

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
  const std::pair<const char*, const char*> algebra[] = {
      {"kUnion", "union"}, {"kDifference", "difference"}, {"kIntersection", "intersection"}, {"kSubset", "subset"}};
  for (const auto& [op, label] : algebra) {
    for (int n : {100000, kMaxMembers}) {
      const std::string suffix = std::string(op) + ">/" + std::to_string(n) + "/manual_time";
      const double ours = reporter.ns("BM_algebra<Ours, " + suffix);
      const double peer = reporter.ns("BM_algebra<Peer, " + suffix);
      if (ours > 0 && peer > 0) std::printf("ratio: %s %d vs std::unordered_set = %.2f\n", label, n, peer / ours);
    }
  }
  if (reporter.ns("BM_output_keznls") > 0 && reporter.ns("BM_output_vsnprintf") > 0) {
    std::printf("ratio: output 100 chars vs vsnprintf = %.2f\n",
                reporter.ns("BM_output_vsnprintf") / reporter.ns("BM_output_keznls"));
  }
  return 0;
}
