#include "config.h"

#include <string>

#include "paths.h"

namespace cb {

namespace {
constexpr int32_t table_a[12] = {2, 4, 8, 12, 20, 28, 40, 52, 60, 84, 100, 128};
constexpr int32_t table_b[12] = {2, 4, 8, 16, 26, 38, 42, 58, 72, 92, 114, 138};
}  // namespace

using D = DistanceRule;
using G = GrowVariant;
using S = ScoreRule;
using R = RoundSlots;
using T = Threshold;
using RS = RoundScoring;
using W = MemberWeight;

const Config catbuild_1 = {"catbuild_1", "dataset\\", Flow::mean_statistics, 0, 32, 0,
                           D::none, G::none, nullptr, S::ones_mean, false, 0, R::none, 0,
                           T::none, 0, 0, RS::none, W::one, 0, true, ""};
const Config catbuild_2 = {"catbuild_2", rl::dataset_folder, Flow::mean_statistics, 0, 32, 0,
                           D::none, G::none, nullptr, S::all_mean, false, 0, R::none, 0,
                           T::none, 0, 0, RS::none, W::one, 0, true, ""};
const Config catbuild_3 = {"catbuild_3", rl::dataset_folder, Flow::refinement, 2, 64, 600,
                           D::ones_count, G::bucket, table_a, S::bin1_count, true, 5,
                           R::sixteenth, 20, T::decreasing, 7000, 32, RS::rescore_after,
                           W::prevtwice, 10, false, ""};
const Config catbuild_4 = {"catbuild_4", rl::dataset_folder, Flow::refinement, 2, 32, 1000,
                           D::all_sq, G::sorted, table_b, S::all_bin, true, 10, R::quarter, 10,
                           T::fixed_2500, 1300, 8, RS::rescore_after, W::quartic, 10, true, ""};
const Config catbuild_5 = {"catbuild_5", rl::dataset_folder, Flow::refinement, 2, 32, 1000,
                           D::ones_25, G::sorted, table_b, S::ones_bin, true, 10, R::quarter, 10,
                           T::fixed_2500, 1300, 8, RS::rescore_after, W::prevtwice, 5, true, ""};
const Config catbuild_6 = {"catbuild_6", rl::dataset_folder, Flow::refinement, 1, 32, 1000,
                           D::all_sq, G::sorted, table_b, S::all_bin10, false, 0,
                           R::keep_then_double, 10, T::step_down_10, 1300, 4,
                           RS::score_before, W::one, 10, true, "   "};
const Config catbuild_7 = {"catbuild_7", rl::dataset_folder, Flow::refinement, 2, 32, 1000,
                           D::ones_25, G::sorted, table_b, S::bin1_25, true, 10, R::quarter, 20,
                           T::decreasing, 6000, 8, RS::set_to_one, W::one, 0, true, ""};

bool config_by_name(std::string_view name, Config& out) {
  const Config* all[] = {&catbuild_1, &catbuild_2, &catbuild_3, &catbuild_4,
                         &catbuild_5, &catbuild_6, &catbuild_7};
  for (const Config* c : all) {
    std::string base = c->name;
    if (name == base) {
      out = *c;
      return true;
    }
    if (c->flow == Flow::refinement && name == base + "_grow") {
      out = *c;
      out.load_mode = 0;
      return true;
    }
  }
  return false;
}

}  // namespace cb
