#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <type_traits>
#include <algorithm>
#include <vector>

#include "index_sort.h"
#include "reference.h"

namespace {

TEST(IndexSort, ShortTablesStayAsTheyAre) {
  uint32_t keys[2] = {9, 4};
  uint8_t comp[2] = {1, 2};
  rl::qsort_u32_u8(keys, comp, 0);
  rl::qsort_u32_u8(keys, comp, 1);
  rl::qsort_u32_u8_dir(keys, comp, 1, 0);
  EXPECT_EQ(keys[0], 9u);
  EXPECT_EQ(keys[1], 4u);
  EXPECT_EQ(comp[0], 1);
  EXPECT_EQ(comp[1], 2);
  rl::qsort_u32_u8(nullptr, nullptr, 0);  // touches nothing
}

TEST(IndexSort, ThreeKeysWithCompanions) {
  uint32_t a[3] = {3, 1, 2};
  uint8_t ac[3] = {30, 10, 20};
  rl::qsort_u32_u8(a, ac, 3);
  EXPECT_EQ(std::vector<uint32_t>(a, a + 3), (std::vector<uint32_t>{1, 2, 3}));
  EXPECT_EQ(std::vector<uint8_t>(ac, ac + 3), (std::vector<uint8_t>{10, 20, 30}));

  uint32_t d[3] = {3, 1, 2};
  uint16_t dc[3] = {7, 8, 9};
  rl::qsort_u32_u16_desc(d, dc, 3);
  EXPECT_EQ(std::vector<uint32_t>(d, d + 3), (std::vector<uint32_t>{3, 2, 1}));
  EXPECT_EQ(std::vector<uint16_t>(dc, dc + 3), (std::vector<uint16_t>{7, 9, 8}));

  uint32_t e[3] = {3, 1, 2};
  uint16_t ec[3] = {7, 8, 9};
  rl::qsort_u32_u16_dir(e, ec, 3, -5);  // any non-zero direction is descending
  EXPECT_EQ(std::vector<uint16_t>(ec, ec + 3), (std::vector<uint16_t>{7, 9, 8}));

  uint32_t big[3] = {0x80000000u, 1, 0xffffffffu};  // compared as unsigned
  uint8_t bc[3] = {1, 2, 3};
  rl::qsort_u32_u8_dir(big, bc, 3, 0);
  EXPECT_EQ(std::vector<uint8_t>(bc, bc + 3), (std::vector<uint8_t>{2, 1, 3}));
}

TEST(IndexSort, StrictlyAscendingKeysComeOutUnchanged) {
  // The packer skips such blocks; every length must leave them exactly as they are.
  std::mt19937 rng(7);
  for (int n = 2; n <= 300; ++n) {
    std::vector<uint32_t> keys(n);
    std::vector<uint8_t> comp(n);
    uint32_t k = 0;
    for (int i = 0; i < n; ++i) {
      k += 1 + rng() % 50;
      keys[i] = k;
      comp[i] = static_cast<uint8_t>(rng());
    }
    auto keys0 = keys;
    auto comp0 = comp;
    rl::qsort_u32_u8(keys.data(), comp.data(), n);
    ASSERT_EQ(keys, keys0);
    ASSERT_EQ(comp, comp0) << n;
  }
}

TEST(IndexSort, MinusOnesComeFirstInFloatKeys) {
  float keys[7] = {0.5f, -1, 3, -1, 0, -1, 2.25f};
  uint16_t comp[7] = {0, 1, 2, 3, 4, 5, 6};
  rl::qsort_f32_u16(keys, comp, 7);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(keys[i], -1.0f);
  EXPECT_EQ(std::vector<float>(keys + 3, keys + 7), (std::vector<float>{0, 0.5f, 2.25f, 3}));
  EXPECT_EQ(std::vector<uint16_t>(comp + 3, comp + 7), (std::vector<uint16_t>{4, 0, 6, 2}));
}

// The order of equal keys is part of the results, so the routines must move exactly
// as the step-by-step version does, duplicates and all.
template <class K, class C, class Sort>
void check_against_reference(Sort sort, bool descending, uint32_t seed) {
  std::mt19937 rng(seed);
  for (int round = 0; round < 400; ++round) {
    int n = static_cast<int>(rng() % 120);
    int range = 1 + static_cast<int>(rng() % (round % 3 == 0 ? 4 : 1000));
    std::vector<K> keys(n), want_keys;
    std::vector<C> comp(n), want_comp;
    for (int i = 0; i < n; ++i) {
      keys[i] = static_cast<K>(rng() % range);
      if constexpr (std::is_floating_point_v<K>) keys[i] = keys[i] / 4 - 1;  // -1 and fractions
      comp[i] = static_cast<C>(i);
    }
    if (round % 7 == 0) std::sort(keys.begin(), keys.end());  // ascending with duplicates
    want_keys = keys;
    want_comp = comp;
    reference::quicksort(want_keys.data(), want_comp.data(), n, descending);
    sort(keys.data(), comp.data(), n);
    ASSERT_EQ(keys, want_keys) << "round " << round;
    ASSERT_EQ(comp, want_comp) << "round " << round;
  }
}

TEST(IndexSort, EveryRoutineMovesLikeTheStepByStepSort) {
  check_against_reference<uint32_t, uint8_t>(rl::qsort_u32_u8, false, 1);
  check_against_reference<uint32_t, uint8_t>(
      [](uint32_t* k, uint8_t* c, int64_t n) { rl::qsort_u32_u8_dir(k, c, n, 0); }, false, 2);
  check_against_reference<uint32_t, uint8_t>(
      [](uint32_t* k, uint8_t* c, int64_t n) { rl::qsort_u32_u8_dir(k, c, n, 1); }, true, 3);
  check_against_reference<uint32_t, uint16_t>(rl::qsort_u32_u16_desc, true, 4);
  check_against_reference<uint32_t, uint16_t>(
      [](uint32_t* k, uint16_t* c, int64_t n) { rl::qsort_u32_u16_dir(k, c, n, 0); }, false, 5);
  check_against_reference<float, uint16_t>(rl::qsort_f32_u16, false, 6);
  check_against_reference<float, uint16_t>(
      [](float* k, uint16_t* c, int64_t n) { rl::qsort_f32_u16_dir(k, c, n, 1); }, true, 7);
  // The packer sorts 16-bit movie keys in place instead of widened copies.
  check_against_reference<uint16_t, uint8_t>(
      [](uint16_t* k, uint8_t* c, int64_t n) { rl::quicksort_keyed(k, c, n, false); }, false, 8);
}

TEST(BinarySearch, EndsOutsideAndEmptyStretches) {
  const uint16_t t[6] = {99, 2, 4, 6, 8, 99};  // the stretch 1..4 is searched
  int found = 7;
  EXPECT_EQ(rl::bsearch_u16(nullptr, 4, 5, 4, found), 0);  // empty: the table is not read
  EXPECT_EQ(found, 0);
  struct Case { uint16_t key; int64_t index; int found; };
  for (Case c : {Case{1, 0, 0}, Case{9, 0, 0}, Case{5, 0, 0}, Case{2, 1, 1}, Case{8, 4, 1},
                 Case{4, 2, 1}, Case{6, 3, 1}}) {
    found = -1;
    EXPECT_EQ(rl::bsearch_u16(t, c.key, 1, 4, found), c.index) << c.key;
    EXPECT_EQ(found, c.found) << c.key;
  }
  const uint32_t u[3] = {5, 0xfffffff0u, 0xffffffffu};
  EXPECT_EQ(rl::bsearch_u32(u, 0xffffffffu, 0, 2, found), 2);
  EXPECT_EQ(found, 1);
}

TEST(BinarySearch, MiddleRoundsHalvesToEven) {
  // With duplicates the index found shows which middles were probed.
  std::mt19937 rng(11);
  for (int round = 0; round < 2000; ++round) {
    int n = 1 + static_cast<int>(rng() % 40);
    std::vector<uint16_t> t(n);
    for (auto& v : t) v = static_cast<uint16_t>(rng() % 8);
    std::sort(t.begin(), t.end());
    int64_t lo = rng() % n, hi = static_cast<int64_t>(rng() % n);
    uint16_t key = static_cast<uint16_t>(rng() % 9);
    int f1 = -1, f2 = -1;
    int64_t want = reference::bsearch(t.data(), key, lo, hi, f1);
    ASSERT_EQ(rl::bsearch_u16(t.data(), key, lo, hi, f2), want);
    ASSERT_EQ(f2, f1);
    std::vector<uint32_t> w(t.begin(), t.end());
    ASSERT_EQ(rl::bsearch_u32(w.data(), key, lo, hi, f2), want);
  }
}

}  // namespace
