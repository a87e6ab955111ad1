// Console reporter that also keeps each benchmark's time per iteration, so a
// program can print "ratio: <case> vs <peer> = <peer time / our time>".
#ifndef KEZNLS_BENCH_RATIO_REPORTER_H
#define KEZNLS_BENCH_RATIO_REPORTER_H

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter() : ConsoleReporter(OO_None) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Iteration)
        ns_[run.benchmark_name()].push_back(run.real_accumulated_time * 1e9 /
                                                  static_cast<double>(run.iterations));
  }
  /// Nanoseconds per iteration of `name`, the median of its repetitions;
  /// 0 when it did not run.
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
};

#endif  // KEZNLS_BENCH_RATIO_REPORTER_H
