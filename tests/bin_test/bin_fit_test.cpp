// The fast fit against the literal transcription, and the fit's edge cases.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "bin_fit.h"
#include "literal_bin_test.h"

namespace {

BinResult fast_bin_test(const BinModel& d) {
  rl::Array<int32_t> UEND;
  rl::Array<uint16_t> UMOVIE;
  rl::Array<uint8_t> USTARS, BINSCORE, MOVIEBINS;
  rl::Array<int32_t> CATERROR;
  rl::Array<uint16_t> BINRATING, BINERROR;
  int32_t R = d.UEND.back();
  UEND.dim(0, d.U);
  UMOVIE.dim(1, R);
  USTARS.dim(1, R);
  BINSCORE.dim(1, d.N, 1, d.A);
  CATERROR.dim(1, d.U, 1, d.N);
  BINRATING.dim(1, d.U, 1, d.N, 1, 5);
  BINERROR.dim(1, d.U, 1, d.N, 1, 5);
  for (int32_t u = 0; u <= d.U; ++u) UEND(u) = d.UEND[u];
  for (int32_t r = 1; r <= R; ++r) UMOVIE(r) = d.UMOVIE[r], USTARS(r) = d.USTARS[r];
  if (!d.BINSCORE.empty()) std::memcpy(BINSCORE.data(), d.BINSCORE.data(), d.BINSCORE.size());
  if (!d.USERSCORE.empty())
    std::memcpy(CATERROR.data(), d.USERSCORE.data(), d.USERSCORE.size() * 4);
  bin_test::turn_movie_major(BINSCORE, d.N, d.A, MOVIEBINS);
  bin_test::Tables t;
  t.A = d.A, t.U = d.U, t.N = d.N;
  t.UEND = &UEND, t.UMOVIE = &UMOVIE, t.USTARS = &USTARS, t.MOVIEBINS = &MOVIEBINS;
  t.CATERROR = &CATERROR, t.BINRATING = &BINRATING, t.BINERROR = &BINERROR;
  bin_test::Work w;
  w.size_for(d.N);
  BinResult out;
  for (int32_t u = 1; u <= d.U; ++u) {
    bin_test::UserTest r = bin_test::fit_and_test_user(t, u, w);
    out.total = out.total + r.s;
    out.predicted += r.n;
  }
  out.BINRATING.assign(BINRATING.data(), BINRATING.data() + BINRATING.count());
  out.BINERROR.assign(BINERROR.data(), BINERROR.data() + BINERROR.count());
  out.CATERROR.assign(CATERROR.data(), CATERROR.data() + CATERROR.count());
  return out;
}

void expect_same(const BinResult& a, const BinResult& b) {
  EXPECT_EQ(a.BINRATING, b.BINRATING);
  EXPECT_EQ(a.BINERROR, b.BINERROR);
  EXPECT_EQ(a.CATERROR, b.CATERROR);
  EXPECT_EQ(std::memcmp(&a.total, &b.total, sizeof(float)), 0) << a.total << " vs " << b.total;
  EXPECT_EQ(a.predicted, b.predicted);
}

// Random models: few values per field so ties of every kind are common, some users
// with no ratings, unusable categories (ranked -1 entries at the row end), bin-0 gaps.
BinModel random_model(std::mt19937& rng, int max_movies) {
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  BinModel d;
  d.A = pick(1, max_movies);
  d.U = pick(1, 30);
  d.N = pick(1, 7);
  int zero_share = pick(0, 90);
  d.BINSCORE.resize(static_cast<std::size_t>(d.N) * d.A);
  for (auto& b : d.BINSCORE) b = pick(1, 100) <= zero_share ? 0 : pick(1, 5);
  int top_star = pick(1, 5);
  d.UEND.push_back(0);
  d.UMOVIE.push_back(0);
  d.USTARS.push_back(0);
  for (int32_t u = 1; u <= d.U; ++u) {
    int share = pick(0, 100);
    for (int32_t m = 1; m <= d.A; ++m)
      if (pick(1, 100) <= share) {
        d.UMOVIE.push_back(static_cast<uint16_t>(m));
        d.USTARS.push_back(static_cast<uint8_t>(pick(1, top_star)));
      }
    d.UEND.push_back(static_cast<int32_t>(d.UMOVIE.size()) - 1);
    int usable = pick(0, 3) == 0 ? pick(0, d.N) : d.N;
    for (int32_t j = 1; j <= d.N; ++j) d.USERSCORE.push_back(j <= usable ? pick(0, 5000) : -1);
  }
  return d;
}

TEST(BinFit, FastRouteMatchesLiteralOnRandomModels) {
  std::mt19937 rng(20261211);
  for (int trial = 0; trial < 430; ++trial) {
    // The last trials have users with several hundred ratings, past the runs of 255
    // ratings that the gathering counts in bytes.
    BinModel d = random_model(rng, trial < 400 ? 40 : 900);
    SCOPED_TRACE("trial " + std::to_string(trial));
    expect_same(fast_bin_test(d), literal_bin_test(d));
    if (HasFailure()) break;
  }
}

// One user's fit and test on a hand-made model whose every value is worked out below.
//   category 1: movies 1, 2 in bin 1, movie 3 in bin 2; category 2: movie 1 in bin 2,
//   movie 3 in bin 3; user 1 rates 4, 5, 1; user 2 rates movies 1 and 3 with 3 and has
//   category 2 not usable.
BinModel hand_model() {
  BinModel d;
  d.A = 3, d.U = 2, d.N = 2;
  d.BINSCORE = {1, 1, 2, 2, 0, 3};
  d.UEND = {0, 3, 5};
  d.UMOVIE = {0, 1, 2, 3, 1, 3};
  d.USTARS = {0, 4, 5, 1, 3, 3};
  d.USERSCORE = {10, 20, 5, -1};
  return d;
}

TEST(BinFit, HandModelEdgeCases) {
  BinResult r = fast_bin_test(hand_model());
  // User 1, category 1: bin 1 holds 4 and 5 -> rating 4 (lowest of the tie); bin 2
  // holds 1; empty bins get rating 1. Bin 2 has an item but no rating of VALUE 2 ->
  // 65535; bins 1, 4, 5 divide their best sums (1, 0, 0) by the one rating of that
  // value. Category error 1/3 x 1000 + 1.
  std::vector<uint16_t> rating = {4, 1, 1, 1, 1, 1, 4, 1, 1, 1,  // user 1
                                  3, 3, 1, 1, 1, 0, 0, 0, 0, 0}; // user 2
  std::vector<uint16_t> error = {1000, 65535, 65535, 0, 0, 0, 65535, 65535, 0, 65535,
                                 65535, 65535, 0, 65535, 65535,
                                 65535, 65535, 65535, 65535, 65535};
  // Every squared difference 0 gives 1, not 0; a not-usable category stays -1.
  std::vector<int32_t> caterror = {334, 1, 1, -1};
  EXPECT_EQ(r.BINRATING, rating);
  EXPECT_EQ(r.BINERROR, error);
  EXPECT_EQ(r.CATERROR, caterror);
  // Movie 3 of user 1 has only 65535 bins and is not predicted; user 2 has no usable
  // bin at all. Predicted: user 1's movies 1 (4 for 4) and 2 (4 for 5).
  EXPECT_EQ(r.total, 1.0f);
  EXPECT_EQ(r.predicted, 2);
  expect_same(r, literal_bin_test(hand_model()));
}

TEST(BinFit, UsableCategoryWithoutGatheredRatingsIsNotUsable) {
  // Category 2 scores only movie 2, which the user did not rate (cnt = 0).
  BinModel d;
  d.A = 2, d.U = 1, d.N = 2;
  d.BINSCORE = {3, 0, 0, 4};
  d.UEND = {0, 1};
  d.UMOVIE = {0, 1};
  d.USTARS = {0, 3};
  d.USERSCORE = {7, 9};
  BinResult r = fast_bin_test(d);
  EXPECT_EQ(r.CATERROR, (std::vector<int32_t>{1, -1}));
  // The fit leaves rating 1 in every empty bin; all bin errors say no data.
  EXPECT_EQ(std::vector<uint16_t>(r.BINRATING.begin() + 5, r.BINRATING.end()),
            (std::vector<uint16_t>{1, 1, 1, 1, 1}));
  EXPECT_EQ(std::vector<uint16_t>(r.BINERROR.begin() + 5, r.BINERROR.end()),
            (std::vector<uint16_t>{65535, 65535, 65535, 65535, 65535}));
  expect_same(r, literal_bin_test(d));
}

TEST(BinFit, BinErrorSaturatesBelowNoData) {
  // Bin 1 holds thirty 2s and thirty 5s (best sum 150 for rating 3) while only one
  // rating, in bin 2, has the value 1: 150 / 1 x 1000 is stored as 65534, not as its
  // low 16 bits (18928) and never as the 65535 of no data.
  BinModel d;
  d.A = 61, d.U = 1, d.N = 1;
  d.BINSCORE.assign(61, 1);
  d.BINSCORE[60] = 2;
  d.UEND = {0, 61};
  d.UMOVIE.push_back(0);
  d.USTARS.push_back(0);
  for (int m = 1; m <= 61; ++m) {
    d.UMOVIE.push_back(static_cast<uint16_t>(m));
    d.USTARS.push_back(m == 61 ? 1 : (m <= 30 ? 2 : 5));
  }
  d.USERSCORE = {0};
  BinResult r = fast_bin_test(d);
  EXPECT_EQ(r.BINRATING[0], 3);
  EXPECT_EQ(r.BINERROR[0], 65534);
  expect_same(r, literal_bin_test(d));
}

TEST(BinFit, UserWithManyRatingsInOneBin) {
  // Bin 2 holds 600 ratings of 5 and 300 of 1 (rating 4: 600 x 1 + 300 x 9 = 3300);
  // movie 901, in bin 1, is rated 2. Counts of one (bin, value) run far past a byte.
  BinModel d;
  d.A = 901, d.U = 1, d.N = 1;
  d.BINSCORE.assign(901, 2);
  d.BINSCORE[900] = 1;
  d.UEND = {0, 901};
  d.UMOVIE.push_back(0);
  d.USTARS.push_back(0);
  for (int m = 1; m <= 901; ++m) {
    d.UMOVIE.push_back(static_cast<uint16_t>(m));
    d.USTARS.push_back(m <= 600 ? 5 : m <= 900 ? 1 : 2);
  }
  d.USERSCORE = {3};
  BinResult r = fast_bin_test(d);
  EXPECT_EQ(r.BINRATING, (std::vector<uint16_t>{2, 4, 1, 1, 1}));
  // Bin 2: 3300 over the one rating of value 2, saturated.
  EXPECT_EQ(r.BINERROR, (std::vector<uint16_t>{0, 65534, 65535, 65535, 0}));
  EXPECT_EQ(r.CATERROR, (std::vector<int32_t>{3664}));  // 3300 / 901 x 1000 + 1
  EXPECT_EQ(r.predicted, 901);
  EXPECT_EQ(r.total, 3300.0f);
  expect_same(r, literal_bin_test(d));
}

TEST(BinFit, HalfwayValuesRoundToEven) {
  // Movies 1..16 in bin 3 (fifteen 3s and one 4: rating 3, sum 1); user 1 also rates
  // movie 17 (bin 1) with 3. User 1: bin error 1/16 x 1000 = 62.5 -> 62, category error
  // 1/17 x 1000 + 1 -> 60. User 2 without movie 17: 1/16 x 1000 + 1 = 63.5 -> 64.
  BinModel d;
  d.A = 17, d.U = 2, d.N = 1;
  d.BINSCORE.assign(17, 3);
  d.BINSCORE[16] = 1;
  d.UMOVIE.push_back(0);
  d.USTARS.push_back(0);
  d.UEND.push_back(0);
  for (int u = 1; u <= 2; ++u) {
    for (int m = 1; m <= (u == 1 ? 17 : 16); ++m) {
      d.UMOVIE.push_back(static_cast<uint16_t>(m));
      d.USTARS.push_back(m == 16 ? 4 : 3);
    }
    d.UEND.push_back(static_cast<int32_t>(d.UMOVIE.size()) - 1);
  }
  d.USERSCORE = {0, 0};
  BinResult r = fast_bin_test(d);
  EXPECT_EQ(r.BINERROR[2], 62);
  EXPECT_EQ(r.CATERROR, (std::vector<int32_t>{60, 64}));
  EXPECT_EQ(r.BINERROR[7], 67);
  expect_same(r, literal_bin_test(d));
}

}  // namespace
