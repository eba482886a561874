#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

#include "block_sort.h"
#include "reference.h"

namespace {

// Blocks of every kind the packer meets: short and long, distinct users in any order,
// repeated users, already ascending ones, ids up to the dense range and beyond 2^24.
TEST(MovieBlockSort, GivesTheQuicksortResult) {
  std::mt19937 rng(31);
  rl::BlockScratch scratch;
  for (int round = 0; round < 600; ++round) {
    int n = static_cast<int>(round % 5 == 0 ? rng() % 64 : rng() % 5000);
    std::vector<uint32_t> keys(n);
    uint32_t range = round % 4 == 0 ? 1u << 25 : 480189;
    switch (round % 3) {
      case 0:  // distinct, shuffled
        for (auto& k : keys) k = rng() % range;
        std::sort(keys.begin(), keys.end());
        keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
        std::shuffle(keys.begin(), keys.end(), rng);
        break;
      case 1:  // repeats
        for (auto& k : keys) k = rng() % (1 + n / 2);
        break;
      case 2:  // ascending, with a repeat now and then
        for (int j = 0; j < n; ++j) keys[j] = j * 3 + (rng() % 50 == 0 ? 0 : 1) * (j % 2);
        break;
    }
    n = static_cast<int>(keys.size());
    std::vector<uint8_t> stars(n);
    for (auto& s : stars) s = static_cast<uint8_t>(rng());
    auto want_keys = keys;
    auto want_stars = stars;
    reference::quicksort(want_keys.data(), want_stars.data(), n, false);
    rl::sort_block_ascending(keys.data(), stars.data(), n, scratch);
    ASSERT_EQ(keys, want_keys) << "round " << round;
    ASSERT_EQ(stars, want_stars) << "round " << round;
  }
}

}  // namespace
