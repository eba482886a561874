// Worked examples of the distance, the score, the keyed sort, the bin scores, the
// member weights and the threshold schedules, and the fast routes against literal ones.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "builder.h"
#include "fixtures.h"
#include "reference.h"

namespace {

using cb::CFG;

TEST(Distance, WorkedExamplesAndSentinels) {
  // User 1 (member): one-star ratings of movies 1, 2, 3 and a 5 on movie 4.
  // User 2 (candidate): rates movies 1, 2, 3 with 1, 3, 5; user 3 shares nothing;
  // user 4 has no ratings; user 5 shares only its last movie (4) with user 1.
  auto r = fx::explicit_ratings(10, {{{1, 1}, {2, 1}, {3, 1}, {4, 5}},
                                     {{1, 1}, {2, 3}, {3, 5}},
                                     {{7, 2}},
                                     {},
                                     {{3, 1}, {4, 1}}});
  fx::load(r);
  CFG = cb::catbuild_3;  // dist_ones_count
  EXPECT_EQ(cb::member_distance(1, 2), 816);
  EXPECT_EQ(cb::member_distance(1, 3), cb::no_common);
  EXPECT_EQ(cb::member_distance(1, 4), cb::no_common);
  EXPECT_EQ(cb::member_distance(4, 1), cb::no_common);
  CFG = cb::catbuild_4;  // dist_all_sq: movie 4 is candidate 5's last and rated (5, 1)
  auto r2 = fx::explicit_ratings(10, {{{4, 5}}, {{2, 3}, {4, 1}}});
  fx::load(r2);
  EXPECT_EQ(cb::member_distance(1, 2), 4000);
  fx::load(r);
  // Common movies 3 and 4 with candidate 5: (1-1)^2 and (5-1)^2 -> sqrt(8).
  EXPECT_EQ(cb::member_distance(1, 5), 2828);
  for (auto rule : {cb::DistanceRule::all_sq, cb::DistanceRule::ones_count, cb::DistanceRule::ones_25}) {
    CFG.distance = rule;
    for (int a = 1; a <= 5; ++a)
      for (int b = 1; b <= 5; ++b) EXPECT_EQ(cb::member_distance(a, b), ref::member_distance(r, rule, a, b));
  }
}

TEST(Score, WorkedExamples) {
  // Nine counted movies that all agree still give -1 under score_all_bin10.
  std::vector<std::pair<int, int>> nine;
  for (int m = 1; m <= 9; ++m) nine.push_back({m, 3});
  auto r = fx::explicit_ratings(20, {nine, {{1, 1}, {2, 1}}});
  fx::load(r);
  cb::NCAT = 32;
  cb::BINSCORE.dim(1, 32, 1, 20);
  cb::MOVBIN.dim(1, 32, 1, 20);
  for (int m = 1; m <= 9; ++m) cb::BINSCORE(1, m) = 3;
  CFG = cb::catbuild_6;
  EXPECT_EQ(cb::category_score(1, 1), -1);
  cb::BINSCORE(1, 10) = 3;
  auto r10 = nine;
  r10.push_back({10, 3});
  fx::load(fx::explicit_ratings(20, {r10}));
  EXPECT_EQ(cb::category_score(1, 1), 0);
  // score_ones_mean: 2500 is read as 2 (ties to even), 3500 as 4.
  fx::load(r);
  CFG = cb::catbuild_1;
  cb::MOVBIN(1, 1) = 2500;
  cb::MOVBIN(1, 2) = 3500;
  EXPECT_EQ(cb::category_value(CFG.score, 1, 1), 2);
  EXPECT_EQ(cb::category_value(CFG.score, 1, 2), 4);
  // User 2: one-star ratings against 2 and 4: sqrt((1 + 9) / 2) -> 2236.
  EXPECT_EQ(cb::category_score(2, 1), 2236);
}

TEST(QuicksortKeyed, EqualKeysAndUnsignedScores) {
  int32_t keys[5] = {0, 7, -1, 7, 0};
  uint8_t comp[5] = {0, 1, 2, 3, 4};
  cb::quicksort_keyed(keys, comp, 1, 4);
  EXPECT_EQ(std::vector<int32_t>(keys + 1, keys + 5), (std::vector<int32_t>{0, 7, 7, -1}));
  EXPECT_EQ(std::vector<uint8_t>(comp + 1, comp + 5), (std::vector<uint8_t>{4, 1, 3, 2}));
}

TEST(QuicksortKeyed, PrefixSortMatchesFullSort) {
  std::mt19937_64 g(7);
  for (int trial = 0; trial < 400; ++trial) {
    int n = 1 + static_cast<int>(g() % 300);
    int distinct = 1 + static_cast<int>(g() % (trial % 3 == 0 ? 3 : 60));
    std::vector<float> keys(n + 1);
    std::vector<int32_t> comp(n + 1);
    for (int i = 1; i <= n; ++i) keys[i] = static_cast<float>(g() % distinct) * 0.5f, comp[i] = i;
    auto k2 = keys;
    auto c2 = comp;
    ref::quicksort_float(keys, comp, 1, n);
    int limit = trial % 4 == 0 ? n : 1 + static_cast<int>(g() % n);
    cb::quicksort_keyed_prefix(k2.data(), c2.data(), 1, n, limit);
    for (int i = 1; i <= limit; ++i) {
      ASSERT_EQ(k2[i], keys[i]) << trial << " " << i;
      ASSERT_EQ(c2[i], comp[i]) << trial << " " << i;
    }
    if (limit == n) {
      // The full sort of the builder is the literal one.
      std::vector<float> k3(k2.size());
      std::vector<int32_t> c3(c2.size());
      for (int i = 1; i <= n; ++i) k3[i] = static_cast<float>(i % distinct), c3[i] = i;
      auto k4 = k3;
      auto c4 = c3;
      ref::quicksort_float(k3, c3, 1, n);
      cb::quicksort_keyed(k4.data(), c4.data(), 1, n);
      ASSERT_EQ(c3, c4);
    }
  }
}

TEST(ScoreBins, TiesCarryOverAndWeights) {
  // Movie 1: member stars 1,1,1,1,2,2,2,2,3 -> counts (4, 4, 1, 0, 0) -> bin 1.
  // Movie 2: rated by exactly mincount (2) members of category 1: bin kept, and its
  // count carries into category 2, where one more rating passes mincount.
  std::vector<std::vector<std::pair<int, int>>> users;
  for (int s : {1, 1, 1, 1, 2, 2, 2, 2, 3}) users.push_back({{1, s}});
  users.push_back({{2, 4}});
  users.push_back({{2, 4}});
  users.push_back({{2, 5}});
  fx::load(fx::explicit_ratings(3, users));
  CFG = cb::catbuild_4;
  cb::NCAT = 32;
  cb::NSLOT = 11;
  cb::MEMBERS.dim(1, 32, 1, 11);
  cb::BINSCORE.dim(1, 32, 1, 3);
  cb::USERSCORE.dim(1, 12, 1, 32);
  cb::reset_bin_counts();
  for (int i = 1; i <= 11; ++i) cb::MEMBERS(1, i) = i;
  cb::MEMBERS(2, 1) = 12;
  cb::BINSCORE(1, 2) = 3;
  cb::score_bins(1, false, 2, 11);
  EXPECT_EQ(cb::BINSCORE(1, 1), 1);
  EXPECT_EQ(cb::BINSCORE(1, 2), 3);
  cb::score_bins(2, false, 2, 11);
  EXPECT_EQ(cb::BINSCORE(2, 2), 5);
  // catbuild_4's member weight.
  EXPECT_EQ(cb::weight_of_score(0), 3906);
  EXPECT_EQ(cb::weight_of_score(2500), 0);
  CFG = cb::catbuild_5;
  cb::PREVTWICE = 2600;
  EXPECT_EQ(cb::weight_of_score(-1), 2601);
}

TEST(Thresholds, Schedules) {
  struct Case {
    const cb::Config* cfg;
    std::vector<int32_t> cutoff, prevtwice;  // leading rounds; back() checked at the last
    int32_t last_cutoff, last_prevtwice;
  };
  std::vector<Case> cases = {
      {&cb::catbuild_3, {6900, 6805, 6715}, {14000, 13800, 13610}, 5950, 0},
      {&cb::catbuild_7, {5900, 5805}, {12000, 11800}, 4950, 0},
      {&cb::catbuild_5, {2500, 2500}, {2600, 2598}, 2500, 2582},
      {&cb::catbuild_4, {2500}, {2600}, 2500, 2582},
      {&cb::catbuild_6, {1290, 1280}, {}, 1200, 0},
  };
  for (const auto& k : cases) {
    CFG = *k.cfg;
    cb::PREVTWICE = 0;
    int32_t T = CFG.threshold_start, D = 0;
    for (int it = 1; it <= CFG.rounds; ++it) {
      cb::round_thresholds(it, T, D);
      if (it <= static_cast<int>(k.cutoff.size())) {
        EXPECT_EQ(cb::CUTOFF, k.cutoff[it - 1]) << CFG.name;
      }
      if (it <= static_cast<int>(k.prevtwice.size())) {
        EXPECT_EQ(cb::PREVTWICE, k.prevtwice[it - 1]) << CFG.name;
      }
    }
    EXPECT_EQ(cb::CUTOFF, k.last_cutoff) << CFG.name;
    if (k.last_prevtwice) {
      EXPECT_EQ(cb::PREVTWICE, k.last_prevtwice) << CFG.name;
    }
  }
}

// All users against all categories at once equals the pairwise score, for every rule,
// both category counts and a user whose list is long enough to empty the 16-bit sums.
TEST(FastRoutes, AllCategoryScoresEqualPairwiseScores) {
  auto r = fx::random_ratings(11, 60, 2600, 1, 40, 2500);
  fx::load(r);
  std::mt19937_64 g(3);
  const cb::Config* cfgs[] = {&cb::catbuild_1, &cb::catbuild_2, &cb::catbuild_3, &cb::catbuild_4,
                              &cb::catbuild_5, &cb::catbuild_6, &cb::catbuild_7};
  for (const cb::Config* k : cfgs)
    for (int ncat : {32, 64}) {
      CFG = *k;
      cb::NCAT = ncat;
      cb::BINSCORE.dim(1, ncat, 1, cb::NMOVIES);
      cb::MOVBIN.dim(1, ncat, 1, cb::NMOVIES);
      for (int c = 1; c <= ncat; ++c)
        for (int m = 1; m <= cb::NMOVIES; ++m) {
          // Mostly ones in some categories, so the one-star rules count often.
          cb::BINSCORE(c, m) = static_cast<uint8_t>(c % 4 == 0 ? (g() % 3 == 0 ? 0 : 1) : g() % 6);
          cb::MOVBIN(c, m) = static_cast<uint16_t>(g() % 5 == 0 ? 0 : 1000 + g() % 4001);
        }
      std::vector<uint8_t> vals(static_cast<std::size_t>(ncat) * cb::NMOVIES);
      for (int c = 1; c <= ncat; ++c)
        for (int m = 1; m <= cb::NMOVIES; ++m)
          vals[(c - 1) * cb::NMOVIES + m - 1] = static_cast<uint8_t>(cb::category_value(CFG.score, c, m));
      std::vector<int32_t> out(static_cast<std::size_t>(cb::NUSERS) * ncat);
      cb::score_all_users(CFG.score, vals.data(), out.data());
      for (int u = 1; u <= cb::NUSERS; ++u)
        for (int c = 1; c <= ncat; ++c)
          ASSERT_EQ(out[(u - 1) * ncat + c - 1], cb::category_score(u, c)) << k->name << " " << u << " " << c;
    }
}

// The per-step distances through the table equal the literal merges, with the sum of
// squares over the sample added in sample order in single precision.
TEST(FastRoutes, SampleDistancesEqualLiteralMerges) {
  auto r = fx::random_ratings(5, 300, 2300, 0, 30, 2200);
  fx::load(r);
  std::mt19937_64 g(9);
  const cb::Config* cfgs[] = {&cb::catbuild_3, &cb::catbuild_4, &cb::catbuild_5};
  for (const cb::Config* k : cfgs)
    for (int s : {1, 5, 12}) {
      CFG = *k;
      cb::grow_marks().dim(1, cb::NUSERS);
      int32_t sample[12];
      for (int q = 0; q < s; ++q) sample[q] = q == 0 ? 1 : 1 + static_cast<int32_t>(g() % cb::NUSERS);
      for (int q = 0; q < s; ++q) cb::grow_marks()(sample[q]) = 7;
      std::vector<float> dist(cb::NUSERS + 1);
      cb::sample_distances(sample, s, 7, dist.data());
      const bool bucket = CFG.variant == cb::GrowVariant::bucket;
      const float excluded = bucket ? 2147483648.0f : -1.0f;
      for (int u = 1; u <= cb::NUSERS; ++u) {
        float expect;
        if (cb::grow_marks()(u) == 7) {
          expect = excluded;
        } else {
          float sum = 0;
          int kk = 0;
          for (int q = 0; q < s; ++q) {
            int32_t d = ref::member_distance(r, CFG.distance, sample[q], u);
            if (d == cb::no_common) continue;
            sum = static_cast<float>(sum + static_cast<long double>(d * d));
            ++kk;
          }
          if (kk == 0)
            expect = excluded;
          else if (bucket)
            expect = static_cast<float>(std::floor(std::sqrt(static_cast<long double>(sum) / kk)));
          else if (sum == 0)
            expect = excluded;
          else
            expect = static_cast<float>(std::sqrt((static_cast<long double>(sum) - 1) / kk));
        }
        ASSERT_EQ(std::memcmp(&dist[u], &expect, 4), 0) << k->name << " s=" << s << " u=" << u;
      }
    }
}

TEST(MeanStatistics, WorkedExamples) {
  // Members 1..3 of category 1 rate movie 1 with 5, 4, 4 and members 4, 5 rate movie
  // 2 with 1, 2. Movie 3 (mean 4000 from member 6) is rated 5 and 3 by users 6 and 7;
  // user 7 is no member. Movie 4 is rated only by user 8, who is no member.
  auto r = fx::explicit_ratings(4, {{{1, 5}}, {{1, 4}}, {{1, 4}}, {{2, 1}}, {{2, 2}},
                                    {{3, 4}}, {{3, 5}}, {{3, 3}, {4, 2}}});
  fx::load(r);
  CFG = cb::catbuild_2;
  cb::NCAT = 32;
  cb::NSLOT = 2;
  cb::MEMBERS.dim(1, 32, 1, 6);
  for (int i = 1; i <= 6; ++i) cb::MEMBERS(1, i) = i;
  cb::NSLOT = 6;
  cb::category_statistics_all();
  EXPECT_EQ(cb::MOVBIN(1, 1), 4333);
  EXPECT_EQ(cb::MOVBIN(1, 2), 1500);
  EXPECT_EQ(cb::MOVBIN(1, 4), 0);
  EXPECT_EQ(cb::MOVSPREAD(1, 4), 65535);
  EXPECT_EQ(cb::UBIN(8, 1), 4000);
  // Movie 3: ratings 4, 5, 3 against 4000 -> t = 0, 100, 100: sqrt(200 / 300) -> 816.
  EXPECT_EQ(cb::MOVSPREAD(1, 3), 816);
  EXPECT_EQ(cb::MOVSPREAD(2, 3), 65535);
  EXPECT_EQ(cb::UBIN(1, 2), 0);
  // The worked spread: a movie with mean 4000 rated 5 and 3 by all users.
  auto r2 = fx::explicit_ratings(1, {{{1, 4}}, {{1, 4}}, {{1, 5}}, {{1, 3}}});
  fx::load(r2);
  cb::MEMBERS.dim(1, 32, 1, 2);
  cb::NSLOT = 2;
  cb::MEMBERS(1, 1) = 1;
  cb::MEMBERS(1, 2) = 2;
  // Members rate 4 and 4 -> 4000; users rate 4, 4, 5, 3 -> t = 0, 0, 100, 100.
  cb::category_statistics_all();
  EXPECT_EQ(cb::MOVBIN(1, 1), 4000);
  EXPECT_EQ(cb::MOVSPREAD(1, 1), 707);
  auto r3 = fx::explicit_ratings(1, {{{1, 4}}, {{1, 5}}, {{1, 3}}});
  fx::load(r3);
  cb::MEMBERS.dim(1, 32, 1, 1);
  cb::NSLOT = 1;
  cb::MEMBERS(1, 1) = 1;
  // Only user 1 is a member (mean 4000); the ratings 5 and 3 of users 2 and 3 and the
  // 4 of user 1 give SQSUM 200 over 3 ratings.
  cb::category_statistics_all();
  EXPECT_EQ(cb::MOVSPREAD(1, 1), 816);
  // A mean above 13107 ratings: 20000 members rating 5 give exactly 5000.
  std::vector<std::vector<std::pair<int, int>>> many(20000, {{1, 5}});
  fx::load(fx::explicit_ratings(1, many));
  cb::MEMBERS.dim(1, 32, 1, 20000);
  cb::NSLOT = 20000;
  for (int i = 1; i <= 20000; ++i) cb::MEMBERS(1, i) = i;
  cb::category_statistics_all();
  EXPECT_EQ(cb::MOVBIN(1, 1), 5000);
  EXPECT_EQ(cb::MOVSPREAD(1, 1), 0);
}

}  // namespace
