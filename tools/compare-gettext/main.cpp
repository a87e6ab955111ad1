// compare-gettext [--all] [--samples N] [--lists L,L...] [--locale NAME] [DIR]
//
// Asks glibc's dgettext and our translator for every message of every
// catalogue under DIR (default /usr/share/locale), for each language alone
// and for a few LANGUAGE lists, and counts where they disagree.
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "compare_run.h"
#include "runs.h"

namespace {

using namespace keznls_compare;

const char* const kUsage =
    "usage: compare-gettext [--all] [--samples N] [--lists L,L...] [--locale NAME] [DIR]\n"
    "  DIR          catalogue directory (default /usr/share/locale)\n"
    "  --all        list every difference, not the first few of each kind\n"
    "  --samples N  how many differences of each kind to list (default 5)\n"
    "  --lists      LANGUAGE lists compared besides each language alone\n"
    "               (default de:fr,de:fr:es,pt_BR:pt:es,sr@latin:sr:hr,nb:nn:no,zh_TW:zh_CN)\n"
    "  --locale     UTF-8 locale both sides run in (default " COMPARE_LOCALE ",\n"
    "               from LOCPATH, else " COMPARE_LOCPATH ")\n";

struct Options {
  Settings settings;
  std::vector<std::string> lists = {"de:fr", "de:fr:es", "pt_BR:pt:es", "sr@latin:sr:hr", "nb:nn:no", "zh_TW:zh_CN"};
  bool all = false;
};

bool parse(int argc, char** argv, Options& options) {
  options.settings.dir = "/usr/share/locale";
  options.settings.locale = COMPARE_LOCALE;
  std::size_t samples = 5;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == "--all") {
      options.all = true;
    } else if (arg == "--samples" && has_value) {
      samples = std::strtoul(argv[++i], nullptr, 10);
    } else if (arg == "--lists" && has_value) {
      options.lists.clear();
      for (std::string rest = argv[++i]; !rest.empty();) {
        const std::size_t comma = rest.find(',');
        if (comma != 0) options.lists.push_back(rest.substr(0, comma));
        rest = comma == std::string::npos ? "" : rest.substr(comma + 1);
      }
    } else if (arg == "--locale" && has_value) {
      options.settings.locale = argv[++i];
    } else if (arg.empty() || arg[0] == '-') {
      return false;
    } else {
      options.settings.dir = arg;
    }
  }
  for (std::size_t& wanted : options.settings.wanted)
    wanted = options.all ? std::numeric_limits<std::size_t>::max() : samples;
  return true;
}

// The table's column of each kind of difference.
const char* const kColumns[kDifferenceKinds] = {"ours-", "glibc-", "both", "refused"};

/// `text` quoted on one line; long texts cut unless `whole`.
std::string shown(const std::string& text, bool whole) {
  constexpr std::size_t kCut = 100;
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size() && (whole || i < kCut); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\n') {
      out += "\\n";
    } else if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7f) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  out += '"';
  if (!whole && text.size() > kCut) out += "...";
  return out;
}

/// One line per difference; a listing of all of them leads each line with
/// the kind's column name in the table, for grep.
void print_sample(const Run& run, const Sample& sample, bool whole) {
  std::printf("%s %s LANGUAGE=%s %s%s %s -> glibc %s, ours %s\n", whole ? kColumns[sample.kind] : " ",
              run.domain.c_str(), run.languages.c_str(), sample.lookup.c_str(),
              sample.n != kNoCount ? (" n=" + std::to_string(sample.n)).c_str() : "", shown(sample.key, whole).c_str(),
              shown(sample.glibc, whole).c_str(), shown(sample.ours, whole).c_str());
}

// The figures are kept apart for single languages in UTF-8, single
// languages in other charsets and lists, where the answers are known to
// part today.
struct Group {
  const char* name;
  unsigned long runs = 0;
  unsigned long messages = 0;
  unsigned long differences[kDifferenceKinds] = {};
};

// Refusals are counted apart: they are no difference of lookup.
unsigned long sum(const unsigned long (&counts)[kDifferenceKinds]) {
  unsigned long total = 0;
  for (int kind = 0; kind < kRefused; ++kind) total += counts[kind];
  return total;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parse(argc, argv, options)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  ::setenv("LOCPATH", COMPARE_LOCPATH, 0);
  if (std::setlocale(LC_ALL, options.settings.locale.c_str()) == nullptr) {
    std::fprintf(stderr, "compare-gettext: no locale %s (LOCPATH=%s)\n", options.settings.locale.c_str(),
                 std::getenv("LOCPATH"));
    return 2;
  }
  std::setlocale(LC_ALL, "C");

  const auto start = std::chrono::steady_clock::now();
  const Runs plan = find_runs(options.settings.dir, options.lists);
  if (plan.runs.empty()) {
    std::fprintf(stderr, "compare-gettext: no catalogues under %s\n", options.settings.dir.c_str());
    return 2;
  }

  Group groups[3] = {{"one language, UTF-8"}, {"one language, other charsets"}, {"language lists"}};
  std::vector<std::pair<const Run*, Sample>> samples;
  std::vector<std::pair<const Run*, RunResult>> broken;
  unsigned long lists = 0;
  unsigned long off_list = 0;
  for (const Run& run : plan.runs) {
    RunResult result = compare_in_child(run, options.settings);
    lists += run.is_list;
    if (result.outcome != RunResult::kDone) {
      broken.emplace_back(&run, result);
      continue;
    }
    Group& group = groups[run.is_list ? 2 : result.all_utf8 ? 0 : 1];
    ++group.runs;
    group.messages += result.messages;
    for (int kind = 0; kind < kDifferenceKinds; ++kind) group.differences[kind] += result.differences[kind];
    for (Sample& sample : result.samples) {
      std::size_t& wanted = options.settings.wanted[sample.kind];
      if (wanted == 0) continue;
      --wanted;
      if (options.all)
        print_sample(run, sample, true);  // as they come: the whole list may not fit in memory
      else
        samples.emplace_back(&run, std::move(sample));
    }
    if (result.off_list != 0) {
      if (off_list == 0)
        std::printf("glibc did not follow LANGUAGE=%s for %s: %s\n", run.languages.c_str(), run.domain.c_str(),
                    result.off_list_example.c_str());
      off_list += result.off_list;
    }
  }

  for (int kind = 0; kind < kDifferenceKinds; ++kind) {
    bool titled = false;
    for (const auto& [run, sample] : samples) {
      if (sample.kind != kind) continue;
      if (!titled) std::printf("%s:\n", describe(static_cast<Difference>(kind)));
      titled = true;
      print_sample(*run, sample, false);
    }
  }
  unsigned long crashes = 0;
  for (const auto& [run, result] : broken) {
    crashes += result.outcome == RunResult::kCrashed;
    std::printf("%s: %s LANGUAGE=%s (%lu messages): %s\n", result.outcome == RunResult::kCrashed ? "crash" : "failed",
                run->domain.c_str(), run->languages.c_str(), result.messages, result.detail.c_str());
  }

  Group total{"all"};  // messages and differences only
  std::printf("\n%-30s %6s %9s %9s %9s %9s %9s %9s\n", "", "runs", "messages", "differ", kColumns[kOursUntranslated],
              kColumns[kGlibcUntranslated], kColumns[kBothTranslated], kColumns[kRefused]);
  for (const Group& group : groups) {
    std::printf("%-30s %6lu %9lu %9lu %9lu %9lu %9lu %9lu\n", group.name, group.runs, group.messages,
                sum(group.differences), group.differences[kOursUntranslated], group.differences[kGlibcUntranslated],
                group.differences[kBothTranslated], group.differences[kRefused]);
    total.messages += group.messages;
    for (int kind = 0; kind < kDifferenceKinds; ++kind) total.differences[kind] += group.differences[kind];
  }
  for (int kind = 0; kind < kDifferenceKinds; ++kind)
    std::printf("%s%s: %s", kind == 0 ? "(" : "; ", kColumns[kind], describe(static_cast<Difference>(kind)));
  std::printf(")\n\n");

  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("catalogues: %d\n", plan.catalogues);
  std::printf("runs: %zu (%lu language lists)\n", plan.runs.size(), lists);
  std::printf("messages: %lu\n", total.messages);
  std::printf("differences: %lu\n", sum(total.differences));
  std::printf("refused as unsafe: %lu\n", total.differences[kRefused]);
  std::printf("crashes: %lu\n", crashes);
  std::printf("failed runs: %zu\n", broken.size() - crashes);
  std::printf("time: %.1f s\n", seconds);
  if (off_list != 0) {
    std::printf("glibc answers off the LANGUAGE list: %lu (the comparison cannot be trusted)\n", off_list);
    return 1;
  }
  return 0;
}
