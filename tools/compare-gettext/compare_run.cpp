#include "compare_run.h"

#include <libintl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <unordered_set>

#include "catalogue_file.h"

namespace keznls_compare {

namespace {

// What the child writes down the pipe. Markers go out as each phase ends, so
// the parent can tell where a crash struck; the result goes out at the end.
constexpr char kRead = 'R';    // catalogues read; the number of queries follows
constexpr char kAsked = 'G';   // glibc has answered every query
constexpr char kResult = 'E';  // the encoded RunResult follows
constexpr char kFailure = 'F'; // the reason follows

class Encoder {
 public:
  void number(unsigned long value) { out_.append(reinterpret_cast<const char*>(&value), sizeof value); }
  void text(const std::string& value) {
    number(value.size());
    out_ += value;
  }
  void mark(char marker) { out_ += marker; }
  const std::string& bytes() const { return out_; }

 private:
  std::string out_;
};

class Decoder {
 public:
  explicit Decoder(const std::string& in) : in_(in) {}
  bool done() const { return at_ >= in_.size(); }
  bool ok() const { return ok_; }
  char marker() { return take(1) ? in_[at_ - 1] : '\0'; }
  unsigned long number() {
    unsigned long value = 0;
    if (take(sizeof value)) std::memcpy(&value, in_.data() + at_ - sizeof value, sizeof value);
    return value;
  }
  std::string text() {
    const unsigned long size = number();
    return take(size) ? in_.substr(at_ - size, size) : std::string();
  }

 private:
  bool take(std::size_t size) {
    if (!ok_ || in_.size() - at_ < size) return ok_ = false;
    at_ += size;
    return true;
  }
  const std::string& in_;
  std::size_t at_ = 0;
  bool ok_ = true;
};

void write_all(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) _exit(4);
    done += static_cast<std::size_t>(n);
  }
}

[[noreturn]] void fail(int fd, const std::string& reason) {
  Encoder out;
  out.mark(kFailure);
  out.text(reason);
  write_all(fd, out.bytes());
  _exit(3);
}

struct Query {
  const Lookup* lookup;
  const Entry* entry;
  unsigned long n;
};

// Runs in the forked child; never returns.
[[noreturn]] void compare(const Run& run, const Settings& settings, int fd) {
  ::alarm(settings.timeout_seconds);
  ::setenv("LANGUAGE", run.languages.c_str(), 1);
  ::setenv("LC_ALL", settings.locale.c_str(), 1);
  if (std::setlocale(LC_ALL, "") == nullptr) fail(fd, "cannot set the locale " + settings.locale);

  RunResult result;
  std::vector<CatalogueFile> files(run.files.size());
  std::string error;
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (!read_catalogue(run.files[i], files[i], error)) fail(fd, error);
    result.all_utf8 = result.all_utf8 && files[i].is_utf8();
  }
  // Every message any catalogue of the list holds, once.
  std::vector<const Entry*> entries;
  std::unordered_set<std::string_view> seen;
  for (const CatalogueFile& file : files)
    for (const Entry& entry : file.entries)
      if (seen.insert(entry.key).second) entries.push_back(&entry);
  std::vector<Query> queries;
  for (const Lookup& lookup : lookups())
    for (const Entry* entry : entries)
      for (unsigned long n : lookup.counts(*entry)) queries.push_back({&lookup, entry, n});
  Encoder progress;
  progress.mark(kRead);
  progress.number(queries.size());
  write_all(fd, progress.bytes());

  const char* domain = run.domain.c_str();
  bindtextdomain(domain, settings.dir.c_str());
  bind_textdomain_codeset(domain, "UTF-8");
  std::vector<const char*> glibc(queries.size());
  for (std::size_t i = 0; i < queries.size(); ++i)
    glibc[i] = queries[i].lookup->glibc(domain, *queries[i].entry, queries[i].n);
  // The list's first catalogue answers every message it translates: a
  // glibc that looked up another list, or an earlier one it cached, shows
  // here.
  if (!files.empty() && files.front().is_utf8())
    for (const Entry& entry : files.front().entries) {
      const char* answer = dgettext(domain, entry.key.c_str());
      if (entry.translation.empty() || entry.translation == answer) continue;
      if (result.off_list++ == 0) result.off_list_example = entry.key + " -> " + answer + ", not " + entry.translation;
    }
  write_all(fd, std::string(1, kAsked));

  keznlsTranslatorWithDatabases translator{utString(settings.dir.c_str())};
  for (std::size_t i = 0; i < queries.size(); ++i) {
    const Query& query = queries[i];
    const std::string ours = query.lookup->ours(translator, domain, *query.entry, query.n);
    const Difference kind = classify(*query.lookup, *query.entry, query.n, glibc[i], ours);
    if (kind == kSame) continue;
    if (result.differences[kind]++ < settings.wanted[kind])
      result.samples.push_back({kind, query.lookup->name, query.n, query.entry->key, glibc[i], ours});
  }
  result.messages = queries.size();

  Encoder out;
  out.mark(kResult);
  out.number(result.messages);
  for (unsigned long count : result.differences) out.number(count);
  out.number(result.all_utf8);
  out.number(result.off_list);
  out.text(result.off_list_example);
  out.number(result.samples.size());
  for (const Sample& sample : result.samples) {
    out.number(sample.kind);
    out.text(sample.lookup);
    out.number(sample.n);
    out.text(sample.key);
    out.text(sample.glibc);
    out.text(sample.ours);
  }
  write_all(fd, out.bytes());
  _exit(0);
}

void decode_result(Decoder& in, RunResult& result) {
  result.messages = in.number();
  for (unsigned long& count : result.differences) count = in.number();
  result.all_utf8 = in.number() != 0;
  result.off_list = in.number();
  result.off_list_example = in.text();
  const unsigned long samples = in.number();
  for (unsigned long i = 0; i < samples && in.ok(); ++i) {
    Sample sample;
    const unsigned long kind = in.number();
    sample.kind = kind < kDifferenceKinds ? static_cast<Difference>(kind) : kBothTranslated;
    sample.lookup = in.text();
    sample.n = in.number();
    sample.key = in.text();
    sample.glibc = in.text();
    sample.ours = in.text();
    result.samples.push_back(std::move(sample));
  }
}

std::string receive(int fd) {
  std::string received;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return received;
    received.append(buffer, static_cast<std::size_t>(n));
  }
}

}  // namespace

RunResult compare_in_child(const Run& run, const Settings& settings) {
  RunResult result;
  int pipe_fds[2];
  if (::pipe(pipe_fds) != 0) {
    result.outcome = RunResult::kFailed;
    result.detail = std::string("pipe: ") + std::strerror(errno);
    return result;
  }
  // The child leaves with _exit, so nothing buffered here is written twice.
  std::fflush(stdout);
  std::fflush(stderr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(pipe_fds[0]);
    compare(run, settings, pipe_fds[1]);
  }
  ::close(pipe_fds[1]);
  const std::string received = pid < 0 ? std::string() : receive(pipe_fds[0]);
  ::close(pipe_fds[0]);
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid) {
    result.outcome = RunResult::kFailed;
    result.detail = std::string(pid < 0 ? "fork: " : "waitpid: ") + std::strerror(errno);
    return result;
  }

  const char* phase = "reading the catalogues";
  Decoder in(received);
  while (!in.done() && in.ok()) {
    const char marker = in.marker();
    if (marker == kRead) {
      result.messages = in.number();
      phase = "glibc's lookups";
    } else if (marker == kAsked) {
      phase = "our lookups";
    } else if (marker == kResult) {
      decode_result(in, result);
    } else if (marker == kFailure) {
      result.outcome = RunResult::kFailed;
      result.detail = in.text();
    } else {
      break;
    }
  }

  if (WIFSIGNALED(status)) {
    result.outcome = RunResult::kCrashed;
    const int signal = WTERMSIG(status);
    result.detail = (signal == SIGALRM ? "timed out after " + std::to_string(settings.timeout_seconds) + " s"
                                       : std::string(strsignal(signal))) +
                    " in " + phase;
  } else if (result.outcome == RunResult::kDone && (!in.ok() || WEXITSTATUS(status) != 0)) {
    result.outcome = RunResult::kFailed;
    result.detail = "child exited with status " + std::to_string(WEXITSTATUS(status)) + " in " + phase;
  }
  return result;
}

}  // namespace keznls_compare
