// Runs `work(thread)` on `count` threads released together.
#pragma once

#include <atomic>
#include <thread>
#include <vector>

template <class Work>
void race(int count, Work work) {
  std::atomic<int> ready{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < count; ++t)
    threads.emplace_back([&, t] {
      ready.fetch_add(1);
      while (ready.load() < count) std::this_thread::yield();
      work(t);
    });
  for (std::thread& thread : threads) thread.join();
}
