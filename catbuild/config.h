// The seven builder configurations: constants and rule choices of each program.
// Every program is this one builder run with one of these.
#pragma once

#include <cstdint>
#include <string_view>

namespace cb {

enum class Flow { mean_statistics, refinement };
enum class DistanceRule { none, all_sq, ones_count, ones_25 };
enum class GrowVariant { none, bucket, sorted };
enum class ScoreRule { ones_mean, all_mean, bin1_count, all_bin, ones_bin, all_bin10, bin1_25 };
// How NSLOT is set for the rounds.
enum class RoundSlots { none, sixteenth, quarter, keep_then_double };
// How CUTOFF (and PREVTWICE) move from round to round.
enum class Threshold { none, decreasing, fixed_2500, step_down_10 };
// What happens to the bin scores inside a round.
enum class RoundScoring { none, rescore_after, score_before, set_to_one };
enum class MemberWeight { one, prevtwice, quartic };

struct Config {
  const char* name;
  const char* folder;
  Flow flow;
  int load_mode;
  int32_t ncat;
  int32_t nslot_start;
  DistanceRule distance;
  GrowVariant variant;
  const int32_t* step;  // [12]
  ScoreRule score;
  bool initial_scoring;
  int32_t mincount0;
  RoundSlots round_slots;
  int rounds;
  Threshold threshold;
  int32_t threshold_start;
  int32_t limit;
  RoundScoring round_scoring;
  MemberWeight weight;
  int32_t mincount1;
  bool progress;              // per-category progress line in the rounds
  const char* progress_text;  // the text item after the category number
};

extern const Config catbuild_1, catbuild_2, catbuild_3, catbuild_4, catbuild_5, catbuild_6,
    catbuild_7;

// The configuration of a program name; "catbuild_N_grow" is configuration N with
// load_mode 0. Returns false for other names.
bool config_by_name(std::string_view name, Config& out);

}  // namespace cb
