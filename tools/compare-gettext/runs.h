// What to compare: every catalogue under a directory, each language alone
// and a few LANGUAGE lists, one run per (domain, list).
#ifndef KEZNLS_TOOLS_COMPARE_RUNS_H
#define KEZNLS_TOOLS_COMPARE_RUNS_H

#include <string>
#include <vector>

namespace keznls_compare {

struct Run {
  std::string domain;
  std::string languages;           ///< the LANGUAGE value, e.g. "de" or "de:fr"
  bool is_list = false;            ///< more than one language
  std::vector<std::string> files;  ///< the catalogues the list reaches, in lookup order
};

struct Runs {
  int catalogues = 0;  ///< .mo files found
  std::vector<Run> runs;
};

/// Every `<dir>/<language>/LC_MESSAGES/<domain>.mo` as a run of its own, and
/// one run of each list in `lists` for every domain that has a catalogue for
/// each language of the list. Sorted by domain, singles first.
Runs find_runs(const std::string& dir, const std::vector<std::string>& lists);

}  // namespace keznls_compare

#endif  // KEZNLS_TOOLS_COMPARE_RUNS_H
