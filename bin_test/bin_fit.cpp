#include "bin_fit.h"

#include <algorithm>
#include <cstring>

#include "convert.h"

namespace bin_test {

// Every sum below is a sum of squared star differences (each at most 16) over one
// user's ratings. A user has at most 65534 ratings (one per movie), so every partial
// sum stays below 2^24 and single-precision accumulation of them is exact: counting
// the ratings per (bin, value) and multiplying gives the very same single values as
// adding item by item in rating order.

namespace {

constexpr int bins = 6;    // bin 0 (movie not in the category) and bins 1..5
constexpr int values = 5;  // rating values 1..5
constexpr int per_category = bins * values;

}  // namespace

void Work::size_for(int32_t N) {
  count.assign(static_cast<std::size_t>(N) * per_category, 0);
  tally.assign(static_cast<std::size_t>(N) * 25, 0);
  error.assign(static_cast<std::size_t>(N) * bins, 65535);
  rating.assign(static_cast<std::size_t>(N) * bins, 0);
}

void turn_movie_major(const rl::Array<uint8_t>& BINSCORE, int32_t N, int32_t A,
                      rl::Array<uint8_t>& MOVIEBINS) {
  MOVIEBINS.dim(1, A, 1, N);
  for (int32_t j = 1; j <= N; ++j)
    for (int32_t m = 1; m <= A; ++m) MOVIEBINS(m, j) = BINSCORE(j, m);
}

namespace {

// Fit of category j (0-based) from its counts; fills the user's rows and w's tables.
void fit_category(const Tables& t, int32_t u, int32_t j, Work& w) {
  const int32_t* c = w.count.data() + static_cast<std::size_t>(j) * per_category;
  uint16_t* rating = &(*t.BINRATING)(u, j + 1, 1);
  uint16_t* error = &(*t.BINERROR)(u, j + 1, 1);
  uint16_t* wr = w.rating.data() + static_cast<std::size_t>(j) * bins;
  uint16_t* we = w.error.data() + static_cast<std::size_t>(j) * bins;
  int32_t& caterror = (*t.CATERROR)(u, j + 1);

  if (caterror == -1) {  // not usable for this user
    for (int b = 1; b <= 5; ++b) error[b - 1] = 65535, we[b] = 65535, wr[b] = 0;
    return;
  }

  // Map each bin to the rating with the smallest squared error, the lowest on ties.
  float binbest[6];
  for (int b = 1; b <= 5; ++b) {
    const int32_t* cb = c + b * values;
    float best = 500000.0f;
    int bestg = 0;
    for (int g = 1; g <= 5; ++g) {
      int64_t s = 0;
      for (int v = 1; v <= 5; ++v) s += static_cast<int64_t>(cb[v - 1]) * (g - v) * (g - v);
      float sf = static_cast<float>(s);
      if (sf < best) best = sf, bestg = g;
    }
    binbest[b] = best;
    rating[b - 1] = static_cast<uint16_t>(bestg);
    wr[b] = static_cast<uint16_t>(bestg);
  }

  // Bin errors: divided by how many gathered ratings have the VALUE b.
  int32_t starcount[6] = {0, 0, 0, 0, 0, 0};
  for (int b = 1; b <= 5; ++b)
    for (int v = 1; v <= 5; ++v) starcount[v] += c[b * values + v - 1];
  for (int b = 1; b <= 5; ++b) {
    uint16_t e = 65535;
    if (starcount[b] > 0) {
      int64_t x = rl::round_to_int64(static_cast<long double>(binbest[b]) / starcount[b] * 1000);
      e = static_cast<uint16_t>(x > 65534 ? 65534 : x);  // saturate: 65535 means no data
    }
    error[b - 1] = e;
    we[b] = e;
  }

  // Category error over the gathered ratings.
  int32_t cnt = 0;
  int64_t s = 0;
  for (int b = 1; b <= 5; ++b)
    for (int v = 1; v <= 5; ++v) {
      int32_t k = c[b * values + v - 1];
      int d = rating[b - 1] - v;
      cnt += k;
      s += static_cast<int64_t>(k) * d * d;
    }
  if (cnt == 0) {  // no rated movie with a bin here: nothing to measure, not usable
    caterror = -1;
    return;
  }
  float sf = static_cast<float>(s);
  caterror = static_cast<int32_t>(rl::round_to_int64(static_cast<long double>(sf) / cnt * 1000 + 1));
}

}  // namespace

UserTest fit_and_test_user(const Tables& t, int32_t u, Work& w) {
  const int32_t N = t.N;
  const int64_t first = static_cast<int64_t>((*t.UEND)(u - 1)) + 1, last = (*t.UEND)(u);
  const uint16_t* movie = t.UMOVIE->data() - 1;  // 1-based
  const uint8_t* stars = t.USTARS->data() - 1;
  const uint8_t* movie_bins = t.MOVIEBINS->data();
  UserTest result;
  if (N <= 0) return result;

  // Gather: how many of the user's ratings have each (bin, value) in each category.
  // Byte counters [value][bin][category] take the ratings in runs of at most 255 and
  // compare whole rows at once; each run is then added to the 32-bit counts.
  std::memset(w.count.data(), 0, w.count.size() * sizeof(int32_t));
  int32_t* count = w.count.data();
  uint8_t* tally = w.tally.data();
  const std::size_t per_value = static_cast<std::size_t>(5) * N;
  for (int64_t run = first; run <= last; run += 255) {
    const int64_t run_end = std::min<int64_t>(last, run + 254);
    std::memset(tally, 0, w.tally.size());
    for (int64_t r = run; r <= run_end; ++r) {
      const uint8_t* row = movie_bins + static_cast<std::size_t>(movie[r] - 1) * N;
      uint8_t* t8 = tally + (stars[r] - 1) * per_value;
      for (int b = 1; b <= 5; ++b) {
        uint8_t* tb = t8 + (b - 1) * N;
        for (int32_t j = 0; j < N; ++j) tb[j] = static_cast<uint8_t>(tb[j] + (row[j] == b));
      }
    }
    for (int v = 1; v <= 5; ++v)
      for (int b = 1; b <= 5; ++b) {
        const uint8_t* tb = tally + (v - 1) * per_value + (b - 1) * N;
        for (int32_t j = 0; j < N; ++j) count[j * per_category + b * values + (v - 1)] += tb[j];
      }
  }

  for (int32_t j = 0; j < N; ++j) {
    w.error[static_cast<std::size_t>(j) * bins] = 65535;  // bin 0: never chosen
    fit_category(t, u, j, w);
  }

  // Test: each rating through the category whose bin for the movie has the smallest
  // bin error (the lower category on ties); 65535 marks no data and is never chosen.
  const uint16_t* error = w.error.data();
  const uint16_t* rating = w.rating.data();
  int64_t s = 0;
  int32_t n = 0;
  for (int64_t r = first; r <= last; ++r) {
    const uint8_t* row = movie_bins + static_cast<std::size_t>(movie[r] - 1) * N;
    uint32_t bestq = 65535;
    int32_t bestj = -1;
    for (int32_t j = 0; j < N; ++j) {
      uint32_t q = error[j * bins + row[j]];
      if (q < bestq) bestq = q, bestj = j;
    }
    if (bestj < 0) continue;
    int d = rating[bestj * bins + row[bestj]] - stars[r];
    s += d * d;
    ++n;
  }
  result.s = static_cast<float>(s);
  result.n = n;
  return result;
}

}  // namespace bin_test
