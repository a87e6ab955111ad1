// keznlsLibraryNls shared by threads: each output call formats on its own
// stack, so texts written at once never mix (run under ThreadSanitizer too).
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "keznls/library_nls.h"
#include "keznls/streams.h"
#include "support/race.h"

namespace {

// Counts the texts that arrive as their writer formatted them.
class Checking : public keznlsBaseStream {
 public:
  const keznlsBaseStream& operator<<(const char* text) const override {
    int thread = -1, round = -1;
    char tail[64] = "";
    const bool whole = std::sscanf(text, "thread %d round %d %63s", &thread, &round, tail) == 3 &&
                       std::string(tail) == std::string(static_cast<std::size_t>(thread) + 1, 'x');
    (whole ? good_ : bad_).fetch_add(1, std::memory_order_relaxed);
    return *this;
  }
  int good() const { return good_.load(); }
  int bad() const { return bad_.load(); }

 private:
  mutable std::atomic<int> good_{0}, bad_{0};
};

TEST(LibraryNlsThreads, OutputCallsFromSeveralThreadsNeverMix) {
  constexpr int kThreads = 4, kRounds = 2000;
  Checking stream;
  keznlsLibraryNls library;
  library.stream(&stream);
  race(kThreads, [&library](int t) {
    const std::string tail(static_cast<std::size_t>(t) + 1, 'x');
    for (int r = 0; r < kRounds; ++r) {
      if (r % 2 == 0) library.output("thread %d round %d %s", t, r, tail.c_str());
      else library.print("thread %d round %d %s", std::int64_t{t}, r, tail);
    }
  });
  EXPECT_EQ(stream.good(), kThreads * kRounds);
  EXPECT_EQ(stream.bad(), 0);
}

}  // namespace
