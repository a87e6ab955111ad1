// Console reporter that also keeps each benchmark's time per iteration, so a
// program can print "ratio: <case> vs <peer> = <peer time / our time>".
#ifndef KEZNLS_BENCH_RATIO_REPORTER_H
#define KEZNLS_BENCH_RATIO_REPORTER_H

#include <benchmark/benchmark.h>

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
        ns_[run.benchmark_name()] = run.real_accumulated_time * 1e9 / static_cast<double>(run.iterations);
  }
  /// Nanoseconds per iteration of `name`; 0 when it did not run.
  double ns(const std::string& name) const {
    const auto it = ns_.find(name);
    return it == ns_.end() ? 0.0 : it->second;
  }

 private:
  std::map<std::string, double> ns_;
};

#endif  // KEZNLS_BENCH_RATIO_REPORTER_H
