// A program of its own: the thread keys, once taken, stay taken.
#include <gtest/gtest.h>

#include <pthread.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "catalogue_files.h"
#include "keznls/keznls.h"
#include "keznls/nls/nls.h"
#include "support/alloc_counter.h"
#include "util/ut_thread_cache.h"

namespace {

using namespace test_catalogues;

std::atomic<int> g_alive{0};
struct Counted {
  Counted() { ++g_alive; }
  ~Counted() { --g_alive; }
  char bytes[64];
};

std::atomic<int> g_foreign_values{0};  // values the program's destructors got

void run_thread(const std::function<void()>& work) { std::thread(work).join(); }

void expect_right_answers(const nlsDataBase& database, keznlsTranslatorWithDatabases& translator) {
  for (int i = 0; i < 3; ++i) {
    EXPECT_STREQ(database["Hello"], "Hallo");
    EXPECT_STREQ(translator.translate("demo", "Hello").c_str(), "Hallo");
    EXPECT_STREQ(translator.translate("demo", "Language").c_str(), "Deutsch");
  }
}

TEST(ThreadCache, EveryFailureLeavesAnswersRightAndTheProgramAlone) {
  // Every key taken before the library's first lookup: none left for its caches.
  std::vector<pthread_key_t> keys;
  for (pthread_key_t key; pthread_key_create(&key, [](void* value) {
         if (value != nullptr) ++g_foreign_values;
       }) == 0;)
    keys.push_back(key);
  ASSERT_FALSE(keys.empty());
  run_thread([&] {
    const nlsDataBase database(directory("first").c_str(), "demo", "de");
    keznlsTranslatorWithDatabases translator(directory("first").c_str(), "de");
    expect_right_answers(database, translator);
    for (pthread_key_t key : keys) ASSERT_EQ(pthread_getspecific(key), nullptr) << "key " << key;
  });
  EXPECT_EQ(g_foreign_values.load(), 0);
  for (pthread_key_t key : keys) pthread_key_delete(key);

  // No memory for a cache: none.
  const nlsDataBase database(directory("first").c_str(), "demo", "de");
  keznlsTranslatorWithDatabases translator(directory("first").c_str(), "de");
  ASSERT_STREQ(translator.translate("demo", "Hello").c_str(), "Hallo");  // the database made
  alloc_counter::fail_nothrow = true;
  run_thread([&] {
    EXPECT_EQ(utThreadCache<Counted>::get(), nullptr);  // the first call makes none anyway
    EXPECT_EQ(utThreadCache<Counted>::get(), nullptr);
    expect_right_answers(database, translator);
  });
  alloc_counter::fail_nothrow = false;
  EXPECT_EQ(g_alive.load(), 0);
}

TEST(ThreadCache, MadeOnTheSecondCallAndFreedWithTheThread) {
  run_thread([] {
    // A thread that asks once makes nothing.
    EXPECT_EQ(utThreadCache<Counted>::get(), nullptr);
    EXPECT_EQ(g_alive.load(), 0);
    Counted* made = utThreadCache<Counted>::get();
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(utThreadCache<Counted>::get(), made);
    EXPECT_EQ(utThreadCache<Counted>::peek(), made);
    EXPECT_EQ(g_alive.load(), 1);
  });
  EXPECT_EQ(g_alive.load(), 0);
}

}  // namespace
