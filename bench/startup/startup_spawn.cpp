// Spawns the two one-shot programs in turn and measures each from spawn to
// exit: wall time and peak resident memory (wait4's ru_maxrss).
//
// Linked statically and kept small on purpose: the kernel carries the peak
// RSS of the memory a process had before its exec into its ru_maxrss, and a
// spawned child had its parent's, so a child's figure is never below this
// driver's own peak (VmHWM). That peak must stay below the children's, and
// the driver checks that it did.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "startup_message.h"

namespace {

struct Program {
  const char* label;
  const char* path;
  std::vector<double> us;    // spawn to exit, microseconds
  std::vector<long> rss_kb;  // ru_maxrss
};

struct Run {
  double us;
  long rss_kb;
};

// The children see the German locale and nothing else of ours: the same
// environment for both.
std::vector<char*> child_environment() {
  static std::string lang = "LANG=de_DE.UTF-8";
  static std::string locpath = std::string("LOCPATH=") + STARTUP_LOCPATH;
  return {lang.data(), locpath.data(), nullptr};
}

double now_us() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

// Runs `path` with standard output on `out_fd`; false (with a message) when
// it cannot be spawned or does not exit with status 0.
bool spawn(const char* path, int out_fd, Run& run, pid_t* started = nullptr) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out_fd, STDOUT_FILENO);
  char* argv[] = {const_cast<char*>(path), nullptr};
  std::vector<char*> env = child_environment();
  const double start = now_us();
  pid_t pid;
  const int error = posix_spawn(&pid, path, &actions, nullptr, argv, env.data());
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) {
    std::fprintf(stderr, "cannot spawn %s: %s\n", path, std::strerror(error));
    return false;
  }
  if (started != nullptr) *started = pid;
  int status = 0;
  rusage usage{};
  while (wait4(pid, &status, 0, &usage) < 0)
    if (errno != EINTR) {
      std::perror("wait4");
      return false;
    }
  run.us = now_us() - start;
  run.rss_kb = usage.ru_maxrss;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s did not exit with status 0 (wait status %d)\n", path, status);
    return false;
  }
  return true;
}

// What `path` prints, read through a pipe after it exited (a few dozen
// bytes fit the pipe).
bool output_of(const char* path, std::string& text) {
  int fds[2];
  if (pipe(fds) != 0) {
    std::perror("pipe");
    return false;
  }
  Run run;
  const bool ok = spawn(path, fds[1], run);
  close(fds[1]);
  char buffer[4096];
  ssize_t n;
  while ((n = read(fds[0], buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(n));
  close(fds[0]);
  return ok;
}

// This process's peak resident memory since its exec (VmHWM), in KB; the
// floor under every child's ru_maxrss. 0 when /proc cannot tell.
long own_peak_kb() {
  FILE* status = std::fopen("/proc/self/status", "r");
  if (status == nullptr) return 0;
  char line[256];
  long kb = 0;
  while (std::fgets(line, sizeof line, status) != nullptr)
    if (std::sscanf(line, "VmHWM: %ld kB", &kb) == 1) break;
  std::fclose(status);
  return kb;
}

template <typename T>
T median(std::vector<T> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  int pairs = 400;
  if (argc > 1) pairs = std::atoi(argv[1]);
  if (pairs < 1) {
    std::fprintf(stderr, "usage: %s [pairs]\n", argv[0]);
    return 2;
  }
  struct stat catalogue;
  if (stat(STARTUP_CATALOGUE, &catalogue) != 0) {
    std::printf("startup: no %s on this machine; nothing measured\n", STARTUP_CATALOGUE);
    return 0;
  }

  Program keznls{"keznls", STARTUP_KEZNLS_PROGRAM, {}, {}};
  Program glibc{"dgettext", STARTUP_GLIBC_PROGRAM, {}, {}};
  // Floors: the same C++ program printing the untranslated text, without
  // and with the setlocale both programs make.
  Program plain{"printf alone", STARTUP_PLAIN_PROGRAM, {}, {}};
  Program localised{"setlocale + printf", STARTUP_SETLOCALE_PROGRAM, {}, {}};

  // Both print the same translated text, or the figures compare nothing.
  std::string ours, theirs, untranslated;
  if (!output_of(keznls.path, ours) || !output_of(glibc.path, theirs) || !output_of(plain.path, untranslated))
    return 1;
  char english[256];
  std::snprintf(english, sizeof english, STARTUP_MSGID, STARTUP_ARGUMENT);
  if (ours != theirs || ours == english || ours.empty() || untranslated != english) {
    std::fprintf(stderr, "the programs print\n  keznls:   %s  dgettext: %s  printf:   %s", ours.c_str(),
                 theirs.c_str(), untranslated.c_str());
    return 1;
  }
  std::printf("both print: %s", ours.c_str());

  const int null_fd = open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (null_fd < 0) {
    std::perror("/dev/null");
    return 1;
  }
  Program* const programs[] = {&keznls, &glibc, &plain, &localised};
  // Warm-up: page cache, dynamic loader caches, CPU frequency.
  Run run;
  for (int i = 0; i < 20; ++i)
    for (Program* p : programs)
      if (!spawn(p->path, null_fd, run)) return 1;

  std::vector<double> ratios;  // dgettext time / keznls time, pair by pair
  for (int i = 0; i < pairs; ++i) {
    // Every other round the other one of each pair goes first.
    Program* order[] = {&keznls, &glibc, &plain, &localised};
    if (i % 2 == 1) {
      std::swap(order[0], order[1]);
      std::swap(order[2], order[3]);
    }
    for (Program* p : order) {
      if (!spawn(p->path, null_fd, run)) return 1;
      p->us.push_back(run.us);
      p->rss_kb.push_back(run.rss_kb);
    }
    ratios.push_back(glibc.us.back() / keznls.us.back());
  }
  close(null_fd);

  const long keznls_rss = median(keznls.rss_kb), glibc_rss = median(glibc.rss_kb);
  const long self_kb = own_peak_kb();
  const double catalogue_kb = static_cast<double>(catalogue.st_size) / 1024.0;

  std::printf("%d rounds, order alternating; spawn to exit, medians:\n", pairs);
  for (const Program* p : programs)
    std::printf("  %-18s %8.1f us  peak RSS %6ld KB\n", p->label, median(p->us), median(p->rss_kb));
  // Both programs call setlocale: their floor is the same.
  std::printf("  over their floor (setlocale + printf): keznls %+.1f us %+ld KB, dgettext %+.1f us %+ld KB\n",
              median(keznls.us) - median(localised.us), keznls_rss - median(localised.rss_kb),
              median(glibc.us) - median(localised.us), glibc_rss - median(localised.rss_kb));
  std::printf("  this driver's own peak RSS: %ld KB (the floor under every figure)\n", self_kb);
  if (self_kb <= 0 || self_kb >= median(plain.rss_kb))
    std::printf("warning: the driver's own peak RSS is not below the programs': the RSS figures are its own\n");
  std::printf("ratio: one-shot program, one message vs dgettext = %.3f (median of pairs; target >= 0.9)\n",
              median(ratios));
  std::printf("rss: keznls - dgettext = %ld KB = %.2f catalogue files of %.0f KB (target <= 1)\n",
              keznls_rss - glibc_rss, static_cast<double>(keznls_rss - glibc_rss) / catalogue_kb, catalogue_kb);
  return 0;
}
