// The numeric rules and the user-count rule, pinned by their worked examples.
#include <gtest/gtest.h>

#include "flow.h"
#include "model_shape.h"
#include "report.h"
#include "score.h"

using namespace er;

TEST(Units, KernelWeight) {
  const std::pair<int32_t, int32_t> cases[] = {
      {1, 3906}, {1000, 2756}, {2000, 506}, {2498, 0}, {2499, 0}, {2500, 0}, {2501, 0}, {65535, 0}};
  for (auto [d, w] : cases) EXPECT_EQ(kernel_weight(d), w) << d;
}

TEST(Units, RmsAndPad7) {
  EXPECT_EQ(rms_hundredths(4, 9), 150);
  EXPECT_EQ(rms_hundredths(2, 1), 71);   // 70.71
  EXPECT_EQ(pad7(1234), "0001234");
  EXPECT_EQ(pad7(0), "0000000");
  EXPECT_EQ(pad7(12345678), "12345678");  // neither padded nor cut
}

TEST(Units, ModelName) {
  char p[] = "errreport", a[] = "a", b[] = "b", e[] = "";
  char* none[] = {p};
  char* two[] = {p, a, b};
  char* empty[] = {p, e};
  EXPECT_EQ(model_name(1, none, "weights"), "weights");
  EXPECT_EQ(model_name(3, two, "weights"), "a b");
  EXPECT_EQ(model_name(2, empty, "weightsb"), "weightsb");
}

TEST(Units, ModelUsers) {
  struct Case { ModelLayout layout; int64_t ncat, length, users; };
  const Case cases[] = {
      {layout_weights, 64, 124065668, 480189},   // full size, 64 categories
      {layout_weights, 32, 62032836, 480189},
      {layout_weightsb, 32, 94470852, 480189},
      {layout_weights, 32, 4 + 32 * 17770 + 4 * 32 * 1000, 1000},
      {layout_weightsb, 3, 4 + 4 * 3 * 17770 + 6 * 3 * 5, 5},
      {layout_weights, 32, 62032836 - 1, -1},    // cut short of a whole user row
      {layout_weights, 32, 4 + 32 * 17770, -1},  // no user row at all
      {layout_weights, 32, 100, -1},
      {layout_weightsb, 0, 4, 480189},           // no categories: every count fits
      {layout_weightsb, 0, 8, -1},
      {layout_weights, -1, 4, -1},
      {layout_weights, 2000000000, 4, -1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(model_users(c.layout, c.ncat, c.length), c.users) << c.ncat << " " << c.length;
}
