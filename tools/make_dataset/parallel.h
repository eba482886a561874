// A minimal work loop: threads take task numbers from a shared counter.
#pragma once

#include <atomic>
#include <thread>
#include <vector>

namespace gen {

template <class F>
void run_parallel(uint32_t count, F task) {
  std::atomic<uint32_t> next{0};
  unsigned n = SET.threads < 1 ? 1 : SET.threads;
  auto work = [&](unsigned thread) {
    for (uint32_t i; (i = next.fetch_add(1)) < count;) task(i, thread);
  };
  std::vector<std::thread> pool;
  for (unsigned t = 1; t < n; ++t) pool.emplace_back(work, t);
  work(0);
  for (auto& th : pool) th.join();
}

}  // namespace gen
