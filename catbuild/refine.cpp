// Refinement: bin scores from members, user scores, assignment of users over rounds.
#include <cstring>
#include <vector>

#include "builder.h"
#include "console.h"
#include "convert.h"
#include "print.h"
#include "record_file.h"

namespace cb {

namespace {

// Counts of movies whose bin score was not set yet carry into the next category
// scored, across calls too.
rl::Array<int32_t> MCOUNT;  // [1..NMOVIES]

int32_t member_weight(int32_t u, int32_t c) { return weight_of_score(USERSCORE(u, c)); }

// The most weighted rating value of each movie among the members of category c and
// the number of member ratings of each movie. Independent per category.
void tally_category(int32_t c, bool weighted, int32_t rows, std::vector<uint32_t>& hist,
                    int32_t* count, uint8_t* best) {
  std::fill(hist.begin(), hist.end(), 0u);
  const uint16_t* um = UMOVIE.data() - 1;
  const uint8_t* us = USTARS.data() - 1;
  for (int32_t i = 1; i <= rows; ++i) {
    int32_t u = MEMBERS(c, i);
    if (u == 0) continue;
    uint32_t w = static_cast<uint32_t>(weighted ? member_weight(u, c) : 1);
    const uint32_t end = static_cast<uint32_t>(UEND(u));
    for (uint32_t j = static_cast<uint32_t>(UEND(u - 1)) + 1; j <= end; ++j) {
      int32_t m = um[j];
      ++count[m];
      hist[static_cast<std::size_t>(m) * 5 + us[j] - 1] += w;
    }
  }
  for (int32_t m = 1; m <= NMOVIES; ++m) {
    const uint32_t* h = hist.data() + static_cast<std::size_t>(m) * 5;
    int r = 1;
    for (int k = 2; k <= 5; ++k)
      if (static_cast<int32_t>(h[k - 1]) > static_cast<int32_t>(h[r - 1])) r = k;
    best[m] = static_cast<uint8_t>(r);
  }
}

// score_bins for categories 1..NCAT in order, rows[c] slots each. The tallies run in
// parallel; the carry of small counts from category to category is applied after, in
// category order.
void score_bins_all(bool weighted, int32_t mincount, const std::vector<int32_t>& rows) {
  const int64_t stride = NMOVIES + 1;
  std::vector<int32_t> counts(static_cast<std::size_t>(NCAT) * stride, 0);
  std::vector<uint8_t> best(static_cast<std::size_t>(NCAT) * stride, 0);
  parallel_range(1, NCAT, [&](int64_t a, int64_t b) {
    std::vector<uint32_t> hist(static_cast<std::size_t>(stride) * 5);
    for (int64_t c = a; c <= b; ++c)
      tally_category(static_cast<int32_t>(c), weighted, rows[c], hist,
                     counts.data() + (c - 1) * stride, best.data() + (c - 1) * stride);
  });
  for (int32_t c = 1; c <= NCAT; ++c) {
    const int32_t* cnt = counts.data() + (c - 1) * stride;
    const uint8_t* bst = best.data() + (c - 1) * stride;
    for (int32_t m = 1; m <= NMOVIES; ++m) {
      MCOUNT(m) += cnt[m];
      if (MCOUNT(m) > mincount) {
        BINSCORE(c, m) = bst[m];
        MCOUNT(m) = 0;
      }
    }
  }
}

void score_bins_uniform(bool weighted, int32_t mincount, int32_t rows) {
  score_bins_all(weighted, mincount, std::vector<int32_t>(NCAT + 1, rows));
}

void resize_members(int32_t nslot) {
  NSLOT = nslot;
  MEMBERS.dim(1, NCAT, 1, NSLOT);
}

int32_t quarter_users() { return rl::round_to_int(NUSERS / 4.0L); }

}  // namespace

int32_t weight_of_score(int32_t s) {
  switch (CFG.weight) {
    case MemberWeight::one:
      return 1;
    case MemberWeight::prevtwice:
      return PREVTWICE - s;
    case MemberWeight::quartic: {
      // s x s as a 32-bit product.
      int32_t ss = static_cast<int32_t>(static_cast<uint32_t>(s) * static_cast<uint32_t>(s));
      long double t = (6250000 - static_cast<long double>(ss)) / 10000.0L;
      return rl::round_to_int(t * t / 100.0L);
    }
  }
  return 1;
}

void round_thresholds(int it, int32_t& T, int32_t& D) {
  switch (CFG.threshold) {
    case Threshold::decreasing:
      PREVTWICE = 2 * T;
      D += (CFG.rounds + 1 - it) * 5;
      T = CFG.threshold_start - D;
      CUTOFF = T;
      break;
    case Threshold::fixed_2500:
      PREVTWICE = 2 * T;
      T = 1300 - it;
      CUTOFF = 2500;
      break;
    case Threshold::step_down_10:
      CUTOFF = 1300 - 10 * it;
      break;
    case Threshold::none:
      break;
  }
}

void reset_bin_counts() { MCOUNT.dim(1, NMOVIES); }

void obtain_members() {
  switch (CFG.load_mode) {
    case 0:
      seed_categories();
      grow_categories();
      break;
    case 1:
      read_member_file(folder_file("catbinweights1.dat"), MEMBERS);
      break;
    default:
      resize_members(quarter_users());
      read_member_file(folder_file(("catbinweights" + std::to_string(CFG.load_mode) + ".dat").c_str()),
                       MEMBERS);
      break;
  }
}

void score_bins(int32_t c, bool weighted, int32_t mincount, int32_t rows) {
  std::vector<uint32_t> hist(static_cast<std::size_t>(NMOVIES + 1) * 5);
  std::vector<int32_t> count(NMOVIES + 1, 0);
  std::vector<uint8_t> best(NMOVIES + 1, 0);
  tally_category(c, weighted, rows, hist, count.data(), best.data());
  for (int32_t m = 1; m <= NMOVIES; ++m) {
    MCOUNT(m) += count[m];
    if (MCOUNT(m) > mincount) {
      BINSCORE(c, m) = best[m];
      MCOUNT(m) = 0;
    }
  }
}

void assign_users() {
  for (int32_t c = 1; c <= NCAT; ++c) FILL(c) = 0;
  std::vector<uint8_t> order(NCAT + 1);
  for (int32_t u = 1; u <= NUSERS; ++u) {
    for (int32_t k = 1; k <= NCAT; ++k) order[k] = static_cast<uint8_t>(k);
    int32_t* row = &USERSCORE(u, 1) - 1;
    quicksort_keyed(row, order.data(), 1, NCAT);
    int32_t lim = CFG.limit, k = 0;
    while (true) {
      ++k;
      int32_t c = order[k];
      if (FILL(c) == NSLOT) {
        if (lim < NCAT) {
          ++lim;
          continue;
        }
        break;
      }
      if (static_cast<uint32_t>(row[k]) > static_cast<uint32_t>(CUTOFF)) break;
      TOTAL = TOTAL + static_cast<float>(static_cast<uint32_t>(row[k]));
      ++ASSIGNED;
      ++FILL(c);
      MEMBERS(c, FILL(c)) = u;
      if (k == lim) break;
    }
  }
}

void run_refinement() {
  NCAT = CFG.ncat;
  NSLOT = CFG.nslot_start;
  MEMBERS.dim(1, NCAT, 1, NSLOT);
  FILL.dim(1, NCAT);
  BINSCORE.dim(1, NCAT, 1, NMOVIES);
  USERSCORE.dim(1, NUSERS, 1, NCAT);
  reset_bin_counts();

  obtain_members();
  if (CFG.initial_scoring) score_bins_uniform(false, CFG.mincount0, NSLOT);
  switch (CFG.round_slots) {
    case RoundSlots::sixteenth:
      resize_members(rl::round_to_int(NUSERS / 16.0L));
      break;
    case RoundSlots::quarter:
      resize_members(quarter_users());
      break;
    case RoundSlots::keep_then_double:
      for (int32_t c = 1; c <= NCAT; ++c) FILL(c) = NSLOT;
      break;
    case RoundSlots::none:
      break;
  }
  int32_t T = CFG.threshold_start, D = 0;
  const int rounds = CFG.rounds;
  for (int it = 1; it <= rounds; ++it) {
    round_thresholds(it, T, D);
    TOTAL = 0.0f;
    ASSIGNED = 0;
    if (CFG.round_scoring == RoundScoring::score_before) {
      std::vector<int32_t> rows(NCAT + 1);
      for (int32_t c = 1; c <= NCAT; ++c) rows[c] = FILL(c);
      score_bins_all(false, CFG.mincount1, rows);
    }
    score_all_users(CFG.score, BINSCORE.data(), USERSCORE.data());
    if (CFG.progress)
      for (int32_t c = 1; c <= NCAT; ++c) {
        rl::console_locate(5, 1);
        rl::integer_item(0, c);
        rl::text_item(0, CFG.progress_text, rl::line_end);
      }
    if (CFG.round_slots == RoundSlots::keep_then_double && it == 2)
      resize_members(rl::round_to_int((4.0L * NUSERS) / 2.0L));
    assign_users();
    if (CFG.round_scoring == RoundScoring::rescore_after) {
      for (int32_t c = 1; c <= NCAT; ++c) FILL(c) = NSLOT;
      score_bins_uniform(true, CFG.mincount1, NSLOT);
    }
    if (CFG.round_scoring == RoundScoring::set_to_one)
      std::memset(BINSCORE.data(), 1, BINSCORE.bytes());
    rl::console_locate(6, 1);
    rl::integer_item(0, it);
    rl::text_item(0, "   ", rl::line_end);
    rl::console_locate(7, 1);
    rl::single_item(0, TOTAL);
    rl::text_item(0, "   ");
    rl::unsigned_item(0, ASSIGNED);
    rl::text_item(0, "    ");
    // 0 / 0 when nobody was assigned: printed as the not-a-number text.
    rl::double_item(0, static_cast<double>(static_cast<long double>(TOTAL) / ASSIGNED));
    rl::text_item(0, "   ");
    rl::integer_item(0, 0);
    rl::text_item(0, "       ", rl::line_end);
  }
  rl::text_item(0, "Movies scored on categories. (Part 4 of 6)", rl::line_end);
  rl::text_item(0, "Bin scores per movie translated to user scores per bin. (Part 5 of 6)",
                rl::line_end);
  rl::open_file(folder_file("weights.dat"), rl::output_mode, 1);
  rl::put_value(1, 0, NCAT);
  rl::put_array(1, 0, BINSCORE);
  rl::put_array(1, 0, USERSCORE);
  rl::close_file(1);
  rl::open_file(folder_file(CFG.load_mode == 0 ? "catbinweights1.dat" : "catbinweights2.dat"),
                rl::output_mode, 1);
  rl::put_array(1, 0, MEMBERS);
  rl::close_file(1);
  rl::text_item(0, "Bin score and user score saved. (Part 6 of 6)", rl::line_end);
  rl::print_line_end(0);
  rl::text_item(0, "Done!", rl::line_end);
}

}  // namespace cb
