// Independent versions of what the packer computes (the index sort and the binary
// search step by step, day numbers through the standard calendar), kept apart from the
// library so tests can hold the library to them.
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "convert.h"

namespace reference {

// Quicksort with the work tables sized n, as the routine is described: pop, partition,
// push the larger part, go on with the smaller one.
template <class K, class C>
void quicksort(K* key, C* companion, int32_t n, bool descending) {
  if (n <= 1) return;
  std::vector<int32_t> low(static_cast<std::size_t>(n)), high(static_cast<std::size_t>(n));
  auto before = [&](K a, K b) { return descending ? a > b : a < b; };
  auto after = [&](K a, K b) { return descending ? a < b : a > b; };
  low[0] = 0;
  high[0] = n - 1;
  int32_t s = 0;
  bool pop = true;
  int32_t lo = 0, hi = 0;
  for (;;) {
    if (pop) {
      lo = low[s];
      hi = high[s];
    }
    int32_t i = lo, j = hi;
    K pivot = key[(lo + hi) / 2];
    for (;;) {
      while (before(key[i], pivot)) i += 1;
      while (after(key[j], pivot)) j -= 1;
      if (i > j) break;
      K k = key[i]; key[i] = key[j]; key[j] = k;
      C c = companion[i]; companion[i] = companion[j]; companion[j] = c;
      i += 1;
      j -= 1;
      if (i > j) break;
    }
    if ((j - lo) < (hi - i)) {
      if (i < hi) { low[s] = i; high[s] = hi; s += 1; }
      hi = j;
    } else {
      if (lo < j) { low[s] = lo; high[s] = j; s += 1; }
      lo = i;
    }
    if (lo < hi) { pop = false; continue; }
    s -= 1;
    if (s == -1) return;
    pop = true;
  }
}

template <class T>
int64_t bsearch(const T* table, T key, int64_t lo, int64_t hi, int& found) {
  while (lo <= hi) {
    int64_t mid = rl::round_to_int(static_cast<long double>(lo + hi) / 2);
    if (table[mid] == key) { found = 1; return mid; }
    if (key < table[mid]) hi = mid - 1; else lo = mid + 1;
  }
  found = 0;
  return 0;
}

// Days from 1 October 1998 to the date.
inline int32_t day_count(int y, int m, int d) {
  using namespace std::chrono;
  sys_days date = year{y} / month{static_cast<unsigned>(m)} / day{static_cast<unsigned>(d)};
  sys_days base = year{1998} / October / 1;
  return static_cast<int32_t>((date - base).count());
}

}  // namespace reference
