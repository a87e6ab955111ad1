// examples/server under load: 8 client threads send 20,000 requests with
// rotating Accept-Language headers over keep-alive connections, to the
// server answering in each request's language and to the same server
// answering untranslated (--untranslated). Every answer is checked against
// the one a single request got before the run: nothing wrong, nothing lost.
//
//   bench_server [rounds]
//
// Prints requests per second and p50/p99 latency for each, the median of
// the rounds (the two servers take turns, each first in every other round),
// and ends with
// "ratio: server translated vs untranslated throughput = <ours / baseline>".
#include <httplib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

constexpr int kClients = 8;
constexpr int kRequests = 20000;

// Headers as browsers send them, in de, fr, pl and English (answered with
// the originals), and a few the server has no catalogue for.
const char* const kHeaders[] = {
    "de-DE,de;q=0.9,en-US;q=0.8,en;q=0.7",
    "fr-FR,fr;q=0.9,en-US;q=0.8,en;q=0.7",
    "pl-PL,pl;q=0.9,en-US;q=0.8,en;q=0.7",
    "en-US,en;q=0.9",
    "de-CH, de;q=0.9, fr;q=0.5",
    "fr-CH, fr;q=0.9, en;q=0.8, de;q=0.7, *;q=0.5",
    "pt-BR, fr;q=0.9, en;q=0.8",
    "ja,en-US;q=0.7,en;q=0.3",
    "pl",
    "en-GB,en;q=0.9,de;q=0.8",
};
constexpr int kHeaderCount = sizeof kHeaders / sizeof kHeaders[0];

// Request i's path; with the header's, it repeats every kPeriod requests.
std::string path(int i) { return "/files?count=" + std::to_string(i % 30) + "&bytes=" + std::to_string(1000003 * (i % 7)); }
constexpr int kPeriod = 210;  // the least common multiple of 10 headers, 30 counts and 7 sizes

class Server {
 public:
  Server(const char* program, bool untranslated) {
    int out[2];
    if (pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<std::string> args = {program, "--threads", std::to_string(kClients)};
    if (untranslated) args.push_back("--untranslated");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, program, &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string line;
    char c;
    while (read(out[0], &c, 1) == 1 && c != '\n') line += c;
    close(out[0]);
    std::sscanf(line.c_str(), "listening on http://127.0.0.1:%d/", &port_);
  }
  ~Server() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  int port() const { return port_; }

 private:
  pid_t pid_ = -1;
  int port_ = 0;
};

struct Result {
  double per_second = 0, p50_us = 0, p99_us = 0;
  int wrong = 0, lost = 0;
};

// What request `i` must get, as the i % kPeriod-th: fetched once, alone,
// before the run.
std::vector<std::string> references(int port) {
  httplib::Client client("127.0.0.1", port);
  std::vector<std::string> answers;
  for (int i = 0; i < kPeriod; ++i) {
    const auto result = client.Get(path(i).c_str(), {{"Accept-Language", kHeaders[i % kHeaderCount]}});
    answers.push_back(result && result->status == 200 ? result->body : std::string());
  }
  return answers;
}

Result run(int port, const std::vector<std::string>& want) {
  std::vector<std::vector<double>> latencies(kClients);
  std::atomic<int> next{0}, wrong{0}, lost{0};
  const auto start = std::chrono::steady_clock::now();
  std::vector<std::thread> clients;
  for (int t = 0; t < kClients; ++t)
    clients.emplace_back([&, t] {
      httplib::Client client("127.0.0.1", port);
      client.set_keep_alive(true);
      client.set_tcp_nodelay(true);
      for (int i = next++; i < kRequests; i = next++) {
        const auto begin = std::chrono::steady_clock::now();
        const auto result = client.Get(path(i).c_str(), {{"Accept-Language", kHeaders[i % kHeaderCount]}});
        latencies[t].push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - begin).count());
        if (!result || result->status != 200) ++lost;
        else if (result->body != want[static_cast<std::size_t>(i % kPeriod)] || result->body.empty()) ++wrong;
      }
    });
  for (std::thread& c : clients) c.join();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::vector<double> all;
  for (const auto& l : latencies) all.insert(all.end(), l.begin(), l.end());
  std::sort(all.begin(), all.end());
  Result r;
  r.per_second = kRequests / seconds;
  r.p50_us = all[all.size() / 2];
  r.p99_us = all[all.size() * 99 / 100];
  r.wrong = wrong;
  r.lost = lost;
  return r;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.size() % 2 == 1 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
  if (rounds <= 0) {
    std::fprintf(stderr, "usage: bench_server [rounds]\n");
    return 2;
  }
  // The locales of the servers' numbers, built into the build tree.
  ::setenv("LOCPATH", BENCH_LOCALES, 1);
  Server translated(KEZNLS_SERVER, false), untranslated(KEZNLS_SERVER, true);
  if (translated.port() <= 0 || untranslated.port() <= 0) {
    std::fprintf(stderr, "bench_server: a server did not start\n");
    return 1;
  }
  const std::vector<std::string> want = references(translated.port()), baseline = references(untranslated.port());
  if (want.empty() || want[0].find("Hallo") == std::string::npos || baseline[0].find("Hello") == std::string::npos) {
    std::fprintf(stderr, "bench_server: the servers do not answer as expected\n");
    return 1;
  }
  std::vector<double> ours[3], theirs[3];
  int failures = 0;
  for (int r = 0; r < rounds; ++r) {
    // Each goes first in every other round: neither gains from the order.
    Result a, b;
    if (r % 2 == 0) {
      a = run(translated.port(), want);
      b = run(untranslated.port(), baseline);
    } else {
      b = run(untranslated.port(), baseline);
      a = run(translated.port(), want);
    }
    failures += a.wrong + a.lost + b.wrong + b.lost;
    if (a.wrong + a.lost + b.wrong + b.lost > 0)
      std::fprintf(stderr, "round %d: translated %d wrong %d lost, untranslated %d wrong %d lost\n", r, a.wrong, a.lost,
                   b.wrong, b.lost);
    ours[0].push_back(a.per_second), ours[1].push_back(a.p50_us), ours[2].push_back(a.p99_us);
    theirs[0].push_back(b.per_second), theirs[1].push_back(b.p50_us), theirs[2].push_back(b.p99_us);
  }
  std::printf("%d clients, %d requests per run, %d rounds, medians:\n", kClients, kRequests, rounds);
  std::printf("  translated:   %8.0f requests/s, p50 %6.1f us, p99 %7.1f us\n", median(ours[0]), median(ours[1]),
              median(ours[2]));
  std::printf("  untranslated: %8.0f requests/s, p50 %6.1f us, p99 %7.1f us\n", median(theirs[0]), median(theirs[1]),
              median(theirs[2]));
  std::printf("wrong or lost answers: %d\n", failures);
  std::printf("ratio: server translated vs untranslated throughput = %.3f\n", median(ours[0]) / median(theirs[0]));
  return failures == 0 ? 0 : 1;
}
