// Every user's score against every category in one pass over each user's ratings.
// For each movie and rating value the terms and counts of all categories lie side by
// side (movie-major), so a rating adds one short row of small integers to the user's
// per-category accumulators. The sums are integers, so the result is exactly that of
// category_score for each pair.
#include <cstring>
#include <vector>

#include "builder.h"

namespace cb {

namespace {

// 16-bit accumulators are emptied into 32-bit ones before they can overflow
// (at most 25 per rating).
constexpr int flush_every = 2048;
typedef uint8_t v16b __attribute__((vector_size(16)));
typedef uint16_t v16u __attribute__((vector_size(32)));

// One user's row of accumulators for NC categories (NC a multiple of 16).
template <int NC>
__attribute__((always_inline)) inline void score_users_body(const uint8_t* table, int32_t* out, int32_t minimum,
                             int64_t first, int64_t last) {
  constexpr int width = 2 * NC, parts = NC / 16;
  const int32_t* uend = UEND.data();       // [0..NUSERS]
  const uint16_t* um = UMOVIE.data() - 1;  // 1-based
  const uint8_t* us = USTARS.data() - 1;
  for (int64_t u = first; u <= last; ++u) {
    v16u at[parts] = {}, an[parts] = {};
    uint32_t st[NC] = {}, sn[NC] = {};
    const uint32_t end = static_cast<uint32_t>(uend[u]);
    int k = 0;
    for (uint32_t j = static_cast<uint32_t>(uend[u - 1]) + 1; j <= end; ++j) {
      const uint8_t* row = table + (static_cast<int64_t>(um[j]) * 5 + (us[j] - 1)) * width;
      for (int p = 0; p < parts; ++p) {
        v16b t, n;
        std::memcpy(&t, row + 16 * p, 16);
        std::memcpy(&n, row + NC + 16 * p, 16);
        at[p] += __builtin_convertvector(t, v16u);
        an[p] += __builtin_convertvector(n, v16u);
      }
      if (++k == flush_every) {
        k = 0;
        for (int p = 0; p < parts; ++p) {
          for (int c = 0; c < 16; ++c) st[16 * p + c] += at[p][c], sn[16 * p + c] += an[p][c];
          at[p] = v16u{};
          an[p] = v16u{};
        }
      }
    }
    for (int p = 0; p < parts; ++p)
      for (int c = 0; c < 16; ++c) st[16 * p + c] += at[p][c], sn[16 * p + c] += an[p][c];
    int32_t* o = out + (u - 1) * NC;
    for (int c = 0; c < NC; ++c)
      o[c] = sn[c] < static_cast<uint32_t>(minimum) ? no_data : rms_thousand(st[c], sn[c]);
  }
}

// Any other category count, one category at a time.
void score_users_any(const uint8_t* table, int32_t* out, int32_t minimum, int64_t first,
                     int64_t last) {
  const int nc = NCAT, width = 2 * nc;
  for (int64_t u = first; u <= last; ++u)
    for (int c = 0; c < nc; ++c) {
      uint32_t s = 0, n = 0;
      for (uint32_t j = static_cast<uint32_t>(UEND(u - 1)) + 1;
           j <= static_cast<uint32_t>(UEND(u)); ++j) {
        const uint8_t* row = table + (static_cast<int64_t>(UMOVIE(j)) * 5 + (USTARS(j) - 1)) * width;
        s += row[c];
        n += row[nc + c];
      }
      out[(u - 1) * nc + c] = n < static_cast<uint32_t>(minimum) ? no_data : rms_thousand(s, n);
    }
}

__attribute__((target_clones("avx2", "default"))) void score_users_32(
    const uint8_t* table, int32_t* out, int32_t minimum, int64_t first, int64_t last) {
  score_users_body<32>(table, out, minimum, first, last);
}
__attribute__((target_clones("avx2", "default"))) void score_users_64(
    const uint8_t* table, int32_t* out, int32_t minimum, int64_t first, int64_t last) {
  score_users_body<64>(table, out, minimum, first, last);
}

}  // namespace

void score_all_users(ScoreRule rule, const uint8_t* vals, int32_t* out) {
  const int nc = NCAT;
  const int width = 2 * nc;
  std::vector<uint8_t> table(static_cast<std::size_t>(NMOVIES + 1) * 5 * width, 0);
  for (int32_t m = 1; m <= NMOVIES; ++m)
    for (int x = 1; x <= 5; ++x) {
      uint8_t* row = table.data() + (static_cast<int64_t>(m) * 5 + (x - 1)) * width;
      for (int c = 0; c < nc; ++c) {
        int term, counted;
        score_term(rule, x, vals[static_cast<int64_t>(c) * NMOVIES + (m - 1)], term, counted);
        row[c] = static_cast<uint8_t>(term);
        row[nc + c] = static_cast<uint8_t>(counted);
      }
    }
  const int32_t minimum = score_minimum(rule);
  const uint8_t* t = table.data();
  parallel_range(1, NUSERS, [&](int64_t a, int64_t b) {
    if (nc == 32)
      score_users_32(t, out, minimum, a, b);
    else if (nc == 64)
      score_users_64(t, out, minimum, a, b);
    else
      score_users_any(t, out, minimum, a, b);
  });
}

}  // namespace cb
