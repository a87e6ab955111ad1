// One (domain, language list) compared in a child process of its own, so a
// crash on either side ends only that run.
#ifndef KEZNLS_TOOLS_COMPARE_COMPARE_RUN_H
#define KEZNLS_TOOLS_COMPARE_COMPARE_RUN_H

#include <cstddef>
#include <string>
#include <vector>

#include "lookups.h"
#include "runs.h"

namespace keznls_compare {

struct Settings {
  std::string dir;     ///< the catalogue directory both sides are given
  std::string locale;  ///< a UTF-8 locale whose messages category is not "C"
  unsigned timeout_seconds = 120;
  /// How many differences of each kind a run still reports in full; the
  /// others are only counted.
  std::size_t wanted[kDifferenceKinds] = {};
};

struct Sample {
  Difference kind = kSame;
  std::string lookup;
  unsigned long n = kNoCount;
  std::string key;
  std::string glibc;
  std::string ours;
};

struct RunResult {
  enum Outcome { kDone, kCrashed, kFailed };
  Outcome outcome = kDone;
  std::string detail;  ///< the signal and where it struck, or the error
  unsigned long messages = 0;
  unsigned long differences[kDifferenceKinds] = {};
  bool all_utf8 = true;  ///< every catalogue reached declares UTF-8
  /// Translations of the list's first catalogue that glibc did not give
  /// back: glibc did not look the list up as asked.
  unsigned long off_list = 0;
  std::string off_list_example;
  std::vector<Sample> samples;
};

/// Forks, compares `run` in the child and collects what it found.
RunResult compare_in_child(const Run& run, const Settings& settings);

}  // namespace keznls_compare

#endif  // KEZNLS_TOOLS_COMPARE_COMPARE_RUN_H
