// The member-to-candidate distance, the user-to-category score and the keyed sort.
#include <cmath>
#include <utility>
#include <vector>

#include "builder.h"
#include "convert.h"

namespace cb {

int32_t rms_thousand(uint32_t sum, uint32_t n) {
  float s = static_cast<float>(std::sqrt(static_cast<long double>(sum) / n));
  // Through a 64-bit integer whose low 32 bits are the result.
  return static_cast<int32_t>(static_cast<uint32_t>(rl::round_to_int64(1000.0L * s)));
}

int32_t member_distance(int32_t a, int32_t b) {
  uint32_t common = 0, sum = 0;
  const bool ones_only = CFG.distance != DistanceRule::all_sq;
  const uint32_t miss = CFG.distance == DistanceRule::ones_25 ? 25 : 1;
  uint32_t i = static_cast<uint32_t>(UEND(b - 1)) + 1;
  const uint32_t bend = static_cast<uint32_t>(UEND(b));
  const uint32_t aend = static_cast<uint32_t>(UEND(a));
  for (uint32_t j = static_cast<uint32_t>(UEND(a - 1)) + 1; j <= aend; ++j) {
    if (ones_only && USTARS(j) != 1) continue;
    while (i <= bend) {
      if (UMOVIE(i) == UMOVIE(j)) {
        ++common;
        int x = USTARS(j), y = USTARS(i);
        if (ones_only)
          sum += y != 1 ? miss : 0;
        else
          sum += static_cast<uint32_t>((x - y) * (x - y));
        break;
      }
      if (UMOVIE(i) < UMOVIE(j))
        ++i;
      else
        break;
    }
  }
  if (common == 0) return no_common;
  return rms_thousand(sum, common);
}

void score_term(ScoreRule rule, int x, int v, int& term, int& counted) {
  term = 0;
  counted = 0;
  switch (rule) {
    case ScoreRule::ones_mean:
      counted = x == 1 && v != 0;
      term = (x - v) * (x - v);
      break;
    case ScoreRule::all_mean:
    case ScoreRule::all_bin:
    case ScoreRule::all_bin10:
      counted = v != 0;
      term = (x - v) * (x - v);
      break;
    case ScoreRule::bin1_count:
      counted = v == 1;
      term = x != 1 ? 1 : 0;
      break;
    case ScoreRule::ones_bin:
      counted = x == 1 && v != 0;
      term = v != 1 ? 25 : 0;
      break;
    case ScoreRule::bin1_25:
      counted = v == 1;
      term = x != 1 ? 25 : 0;
      break;
  }
  if (!counted) term = 0;
}

int score_minimum(ScoreRule rule) { return rule == ScoreRule::all_bin10 ? 10 : 1; }

int category_value(ScoreRule rule, int32_t c, int32_t m) {
  if (rule == ScoreRule::ones_mean || rule == ScoreRule::all_mean)
    return rl::round_to_int(MOVBIN(c, m) / 1000.0L);
  return BINSCORE(c, m);
}

int32_t category_score(int32_t u, int32_t c) {
  uint32_t n = 0, sum = 0;
  const uint32_t end = static_cast<uint32_t>(UEND(u));
  for (uint32_t j = static_cast<uint32_t>(UEND(u - 1)) + 1; j <= end; ++j) {
    int term, counted;
    score_term(CFG.score, USTARS(j), category_value(CFG.score, c, UMOVIE(j)), term, counted);
    n += counted;
    sum += term;
  }
  if (n < static_cast<uint32_t>(score_minimum(CFG.score))) return no_data;
  return rms_thousand(sum, n);
}

namespace {

// Lomuto partition around the middle element; returns where the pivot rests.
template <class K, class C, class Less>
int64_t partition(K* keys, C* comp, int64_t lo, int64_t hi, Less le) {
  int64_t p = lo + (hi - lo) / 2;
  K pivot = keys[p];
  std::swap(keys[p], keys[hi]);
  std::swap(comp[p], comp[hi]);
  int64_t store = lo;
  for (int64_t i = lo; i < hi; ++i) {
    if (le(keys[i], pivot)) {
      std::swap(keys[i], keys[store]);
      std::swap(comp[i], comp[store]);
      ++store;
    }
  }
  std::swap(keys[store], keys[hi]);
  std::swap(comp[store], comp[hi]);
  return store;
}

template <class K, class C, class Less>
void sort_ranges(K* keys, C* comp, int64_t lo, int64_t hi, Less le) {
  // Pending ranges; disjoint ranges may be taken in any order.
  std::vector<std::pair<int64_t, int64_t>> work;
  work.emplace_back(lo, hi);
  while (!work.empty()) {
    auto [a, b] = work.back();
    work.pop_back();
    if (b <= a) continue;
    int64_t s = partition(keys, comp, a, b, le);
    work.emplace_back(a, s - 1);
    work.emplace_back(s + 1, b);
  }
}

}  // namespace

void quicksort_keyed(float* keys, int32_t* companions, int64_t lo, int64_t hi) {
  sort_ranges(keys, companions, lo, hi, [](float a, float b) { return a <= b; });
}

void quicksort_keyed(int32_t* keys, uint8_t* companions, int64_t lo, int64_t hi) {
  sort_ranges(keys, companions, lo, hi, [](int32_t a, int32_t b) {
    return static_cast<uint32_t>(a) <= static_cast<uint32_t>(b);
  });
}

void quicksort_keyed_prefix(float* keys, int32_t* comp, int64_t lo, int64_t hi,
                            int64_t limit) {
  // Each pending range carries a value no key in it exceeds (when known). A pivot
  // equal to that bound sends every key left: the pass then only swaps the pivot to
  // the end, which is done at once. Long runs of equal keys stay linear that way.
  struct Range {
    int64_t a, b;
    bool bounded;
    float bound;
  };
  std::vector<Range> work;
  work.push_back({lo, hi, false, 0.0f});
  while (!work.empty()) {
    Range r = work.back();
    work.pop_back();
    if (r.b <= r.a || r.a > limit) continue;  // nothing at or before limit changes
    int64_t p = r.a + (r.b - r.a) / 2;
    float pivot = keys[p];
    if (r.bounded && pivot >= r.bound) {
      std::swap(keys[p], keys[r.b]);
      std::swap(comp[p], comp[r.b]);
      work.push_back({r.a, r.b - 1, true, pivot});
      continue;
    }
    int64_t s = partition(keys, comp, r.a, r.b, [](float x, float y) { return x <= y; });
    work.push_back({s + 1, r.b, r.bounded, r.bound});
    work.push_back({r.a, s - 1, true, pivot});
  }
}

}  // namespace cb
