// Mean-based category statistics: per category and movie the members' mean rating and
// the spread of all ratings around it, per user and category the mean of the category
// means and the category score.
#include <cmath>
#include <vector>

#include "builder.h"
#include "console.h"
#include "convert.h"
#include "print.h"
#include "record_file.h"

namespace cb {

namespace {

// Members' mean rating x 1000 of every movie of category c.
void category_means(int32_t c, std::vector<int32_t>& mcount, std::vector<int32_t>& msum) {
  const uint16_t* um = UMOVIE.data() - 1;
  const uint8_t* us = USTARS.data() - 1;
  for (int32_t i = 1; i <= NSLOT; ++i) {
    int32_t u = MEMBERS(c, i);
    if (u == 0) continue;
    const uint32_t end = static_cast<uint32_t>(UEND(u));
    for (uint32_t j = static_cast<uint32_t>(UEND(u - 1)) + 1; j <= end; ++j) {
      ++mcount[um[j]];
      msum[um[j]] += us[j];
    }
  }
  for (int32_t m = 1; m <= NMOVIES; ++m) {
    if (mcount[m] == 0) continue;
    MOVBIN(c, m) = static_cast<uint16_t>(
        rl::round_to_int(static_cast<long double>(msum[m]) * 1000 / mcount[m]));
    mcount[m] = msum[m] = 0;
  }
}

// UBIN of users first..last from the movie-major copy of MOVBIN.
template <int NC>
__attribute__((always_inline)) inline void user_means_body(const uint16_t* movbin_t, int64_t first, int64_t last) {
  const int32_t* uend = UEND.data();
  const uint16_t* um = UMOVIE.data() - 1;
  for (int64_t u = first; u <= last; ++u) {
    uint32_t s[NC] = {};
    uint32_t n[NC] = {};
    const uint32_t end = static_cast<uint32_t>(uend[u]);
    for (uint32_t j = static_cast<uint32_t>(uend[u - 1]) + 1; j <= end; ++j) {
      const uint16_t* row = movbin_t + static_cast<int64_t>(um[j]) * NC;
      for (int c = 0; c < NC; ++c) {
        s[c] += row[c];
        n[c] += row[c] != 0 ? 1u : 0u;
      }
    }
    uint16_t* o = &UBIN(u, 1);
    for (int c = 0; c < NC; ++c)
      o[c] = n[c] == 0 ? 0
                       : static_cast<uint16_t>(
                             rl::round_to_int(static_cast<long double>(s[c]) / n[c]));
  }
}

__attribute__((target_clones("avx2", "default"))) void user_means_32(
    const uint16_t* movbin_t, int64_t first, int64_t last) {
  user_means_body<32>(movbin_t, first, last);
}

}  // namespace

void load_members_quarter() {
  NSLOT = rl::round_to_int(NUSERS / 4.0L);
  MEMBERS.dim(1, NCAT, 1, NSLOT);
  read_member_file(folder_file("catbinweights1.dat"), MEMBERS);
}

void category_statistics_all() {
  MOVBIN.dim(1, NCAT, 1, NMOVIES);
  MOVSPREAD.dim(1, NCAT, 1, NMOVIES);
  UBIN.dim(1, NUSERS, 1, NCAT);
  USERSCORE.dim(1, NUSERS, 1, NCAT);
  // 1. Means, every category at once.
  parallel_range(1, NCAT, [](int64_t a, int64_t b) {
    std::vector<int32_t> mcount(NMOVIES + 1, 0), msum(NMOVIES + 1, 0);
    for (int64_t c = a; c <= b; ++c) category_means(static_cast<int32_t>(c), mcount, msum);
  });
  // 2. Progress of every category.
  for (int32_t c = 1; c <= NCAT; ++c) {
    rl::console_locate(5, 1);
    rl::integer_item(0, c);
    rl::text_item(0, "", rl::line_end);
  }
  // 3. Scores against the rounded means.
  std::vector<uint8_t> vals(static_cast<std::size_t>(NCAT) * NMOVIES);
  for (int32_t c = 1; c <= NCAT; ++c)
    for (int32_t m = 1; m <= NMOVIES; ++m)
      vals[static_cast<std::size_t>(c - 1) * NMOVIES + (m - 1)] =
          static_cast<uint8_t>(category_value(CFG.score, c, m));
  score_all_users(CFG.score, vals.data(), USERSCORE.data());
  // 4. User means of the category means.
  std::vector<uint16_t> movbin_t(static_cast<std::size_t>(NMOVIES + 1) * NCAT, 0);
  for (int32_t c = 1; c <= NCAT; ++c)
    for (int32_t m = 1; m <= NMOVIES; ++m)
      movbin_t[static_cast<std::size_t>(m) * NCAT + (c - 1)] = MOVBIN(c, m);
  parallel_range(1, NUSERS, [&](int64_t a, int64_t b) {
    if (NCAT == 32) {
      user_means_32(movbin_t.data(), a, b);
      return;
    }
    for (int64_t u = a; u <= b; ++u)
      for (int32_t c = 1; c <= NCAT; ++c) {
        uint32_t s = 0, n = 0;
        for (uint32_t j = static_cast<uint32_t>(UEND(u - 1)) + 1;
             j <= static_cast<uint32_t>(UEND(u)); ++j)
          if (uint16_t v = MOVBIN(c, UMOVIE(j)); v != 0) s += v, ++n;
        UBIN(u, c) = n == 0 ? 0 : static_cast<uint16_t>(rl::round_to_int(static_cast<long double>(s) / n));
      }
  });
  // 5. Spread. Every user's rating of a movie with a category mean adds its rounded
  // squared deviation, so the per-movie sums follow from how often each rating value
  // occurs. (The deviation term is never within 1/10000 of a half, so rounding each
  // addition equals adding the rounded term.)
  std::vector<int32_t> stars(static_cast<std::size_t>(NMOVIES + 1) * 6, 0);
  for (int64_t j = 1; j <= NRATINGS; ++j) ++stars[static_cast<std::size_t>(UMOVIE(j)) * 6 + USTARS(j)];
  for (int32_t c = 1; c <= NCAT; ++c)
    for (int32_t m = 1; m <= NMOVIES; ++m) {
      const uint16_t v = MOVBIN(c, m);
      int32_t sqsum = 0, count = 0;
      if (v != 0)
        for (int x = 1; x <= 5; ++x) {
          int32_t k = stars[static_cast<std::size_t>(m) * 6 + x];
          if (k == 0) continue;
          double t = static_cast<double>((10.0L * x - v / 100.0L) * (10.0L * x - v / 100.0L));
          sqsum += k * rl::round_to_int(t);
          count += k;
        }
      MOVSPREAD(c, m) =
          count == 0 ? 65535
                     : static_cast<uint16_t>(rl::round_to_int(
                           std::sqrt(static_cast<long double>(sqsum) /
                                     (static_cast<long double>(count) * 100)) *
                           1000.0L));
    }
}

void write_weightsb() {
  rl::open_file(folder_file("weightsb.dat"), rl::output_mode, 1);
  rl::put_value(1, 0, NCAT);
  rl::put_array(1, 0, UBIN);
  rl::put_array(1, 0, MOVBIN);
  rl::put_array(1, 0, USERSCORE);
  rl::put_array(1, 0, MOVSPREAD);
  rl::close_file(1);
}

void run_mean_flow() {
  NCAT = CFG.ncat;
  load_members_quarter();
  category_statistics_all();
  write_weightsb();
  rl::text_item(0, "Done!", rl::line_end);
}

}  // namespace cb
