// Each thread's own T: made zeroed on first use, kept, freed at thread exit;
// none at all when the process has no thread-specific key left.
#include <pthread.h>

#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "util/ut_thread_cache.h"

namespace {

std::atomic<int> g_freed{0};

// No constructor of its own, as the cache's users: made zeroed.
struct Counted {
  ~Counted() { ++g_freed; }
  long words[8];
};

TEST(UtThreadCache, OnePerThreadZeroedKeptAndFreedAtExit) {
  Counted* mine = utThreadCache<Counted>::get();
  ASSERT_NE(mine, nullptr);
  for (long w : mine->words) EXPECT_EQ(w, 0);
  mine->words[0] = 42;
  EXPECT_EQ(utThreadCache<Counted>::get(), mine);

  const int before = g_freed;
  Counted* theirs = nullptr;
  long their_first = -1;
  std::thread([&] {
    theirs = utThreadCache<Counted>::get();
    their_first = theirs != nullptr ? theirs->words[0] : -1;
  }).join();
  EXPECT_NE(theirs, mine);
  EXPECT_EQ(their_first, 0) << "another thread's T is its own, zeroed";
  EXPECT_EQ(g_freed, before + 1) << "freed when its thread exited";
  EXPECT_EQ(utThreadCache<Counted>::get()->words[0], 42);
}

struct NoKey {
  long word;
};

// The first get() of a type makes its key: with every key taken, it has
// none, and callers must go without rather than leak a T per call.
TEST(UtThreadCache, NoKeyLeftMeansNoCache) {
  std::vector<pthread_key_t> taken;
  for (pthread_key_t k; pthread_key_create(&k, nullptr) == 0;) taken.push_back(k);
  ASSERT_FALSE(taken.empty());
  EXPECT_EQ(utThreadCache<NoKey>::get(), nullptr);
  for (pthread_key_t k : taken) pthread_key_delete(k);
  EXPECT_EQ(utThreadCache<NoKey>::get(), nullptr) << "the key is looked for once per process";
}

}  // namespace
