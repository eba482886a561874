#include "score.h"

#include <cmath>

#include "checked_io.h"
#include "convert.h"
#include "print.h"
#include "record_file.h"
#include "tables.h"

namespace er {

namespace {

constexpr int32_t max_spread = 2500;
int32_t WEIGHT[max_spread + 1];  // kernel_weight by spread, filled once

void fill_weights() {
  for (int32_t d = 0; d <= max_spread; ++d) WEIGHT[d] = kernel_weight(d);
}

// errreport: the constant prediction 1.0 for a user with a first category score, whose
// score is added to the per-rating sums. Returns false when the entry is not scored.
bool first_score_prediction(int64_t u, int32_t r, int64_t i, float& P) {
  check_index(u, 1, USERS, "USERSCORE", "short index of PUSER", i);
  uint32_t score = USERSCORE(u, 1);
  if (score == 4294967295u) return false;
  check_index(r, 1, 5, "SUMW", "PSTARS", i);
  SUMW(r) = SUMW(r) + static_cast<float>(score);
  CNTW(r) = CNTW(r) + 1.0f;
  P = 1.0f;
  return true;
}

// errreport_b: kernel-weighted average of the user's category means for the movie.
float kernel_prediction(int64_t u, int64_t movie, int32_t r, int64_t i, int& diag_lines,
                        int max_diag_lines) {
  check_index(u, 1, USERS, "UBIN", "short index of PUSER", i);
  float PSUM = 0, WSUM = 0, BEST = 4294967296.0f;
  int32_t COUNT = 0;
  for (int64_t j = 1; j <= NCAT; ++j) {
    int32_t v = UBIN(u, j);
    if (v == 0) continue;
    check_index(movie, 1, rl::full_movies, "MOVSPREAD", "PMOVIE", i);
    int32_t d = MOVSPREAD(j, movie);
    if (d == 0) continue;
    if (static_cast<float>(d) < BEST) BEST = static_cast<float>(d);
    COUNT += 1;
    int32_t w = d > max_spread ? 0 : WEIGHT[d];
    PSUM = PSUM + static_cast<float>(w * v);
    WSUM = WSUM + static_cast<float>(w);
  }
  float P = COUNT < 1 ? 4.0f
                      : static_cast<float>(static_cast<long double>(PSUM) /
                                           (1000.0L * static_cast<long double>(WSUM)));
  if (diag_lines < max_diag_lines) {
    const int c = rl::console_slot;
    check_index(u, 0, rl::full_users, "USIZE", "short index of PUSER", i);
    check_index(u, 1, rl::full_users, "USTAT", "short index of PUSER", i);
    check_index(movie, 1, rl::full_movies, "MSTAT", "PMOVIE", i);
    rl::integer_item(c, static_cast<int32_t>(u));
    rl::text_item(c, " ");
    rl::single_item(c, BEST);
    rl::text_item(c, " ");
    rl::unsigned_item(c, static_cast<uint32_t>(STATS.USIZE(u)));
    rl::text_item(c, " ");
    rl::integer_item(c, static_cast<int32_t>(movie));
    rl::text_item(c, " ");
    rl::integer_item(c, COUNT);
    rl::text_item(c, " ");
    rl::unsigned_item(c, static_cast<uint32_t>(STATS.USTAT(u)));
    rl::text_item(c, " ");
    rl::unsigned_item(c, static_cast<uint32_t>(STATS.MSTAT(movie)));
    rl::single_item(c, P);  // before the clamp
    rl::text_item(c, " ");
    rl::unsigned_item(c, static_cast<uint32_t>(r), rl::line_end);
    diag_lines += 1;
  }
  return P;
}

}  // namespace

int32_t kernel_weight(int32_t d) {
  if (d > max_spread) return 0;
  double x = (6250000 - d * d) / 10000.0;
  return rl::round_to_int(static_cast<long double>(x) * x / 100.0L);
}

void start_accumulators() {
  NEVAL = 0;
  SSE = 0;
  size_table(SQERR, "SQERR", 0, 4);
  size_table(ABSERR, "ABSERR", 0, 4);
  size_table(CONF, "CONF", 1, 5, 1, 5);
  size_table(RCOUNT, "RCOUNT", 1, 5, 1, 2);
  size_table(SIZE_N, "SIZE_N", 1, rl::full_movies);
  size_table(SIZE_SQ, "SIZE_SQ", 1, rl::full_movies);
  size_table(RATE_N, "RATE_N", 0, 500);
  size_table(RATE_SQ, "RATE_SQ", 0, 500);
  size_table(SUMW, "SUMW", 1, 5);
  size_table(CNTW, "CNTW", 1, 5);
}

void score_probe(const ReportTraits& traits) {
  fill_weights();
  const rl::ProbeList& p = PROBE;
  const int64_t B = p.PROBE_COUNT;  // the bound is taken once
  int64_t m = 1;
  check_index(m, 1, static_cast<int64_t>(p.PROBE_MOVIES) + 1, "PMOVIE", "first movie group", 0);
  int64_t movie = p.PMOVIE(m);
  int diag_lines = 0;
  for (int64_t i = 1; i <= B; ++i) {
    const int64_t raw = p.PUSER(i);
    check_index(raw, 1, rl::max_raw_user, "SHORTID", "PUSER", i);
    const int64_t u = SHORTID(raw);
    const int32_t r = p.PSTARS(i);
    float P = 0;
    bool scored = true;
    if (traits.kernel_prediction)
      P = kernel_prediction(u, movie, r, i, diag_lines, traits.diagnostic_lines);
    else
      scored = first_score_prediction(u, r, i, P);
    if (scored) {
      if (P > 5.0f) P = 5.0f;
      if (!(P >= 1.0f)) P = 1.0f;
      const int32_t E = rl::round_to_int(std::fabs(static_cast<long double>(r) - P));
      const int32_t R = rl::round_to_int(P);
      const int32_t K = rl::round_to_int(100.0L * P);
      check_index(r, 1, 5, "CONF", "PSTARS", i);
      check_index(R, 1, 5, "CONF", "rounded prediction", i);
      check_index(E, 0, 4, "SQERR", "rounded error", i);
      check_index(K, 0, 500, "RATE_N", "100 x prediction", i);
      check_index(u, 0, rl::full_users, "USIZE", "short index of PUSER", i);
      const int32_t s = STATS.USIZE(u);
      check_index(s, 1, rl::full_movies, "SIZE_N", "USIZE", i);
      const int32_t EE = E * E;
      SSE = SSE + static_cast<float>(EE);
      SQERR(E) += EE;
      ABSERR(E) += E;
      CONF(R, r) += 1;
      RCOUNT(r, 1) += 1;
      RCOUNT(R, 2) += 1;
      NEVAL += 1;
      SIZE_N(s) += 1;
      SIZE_SQ(s) += static_cast<uint32_t>(EE);
      RATE_N(K) += 1;
      RATE_SQ(K) += static_cast<uint32_t>(EE);
    }
    // The movie-group walk, for every entry scored or not: at most one step.
    check_index(m, 0, p.PROBE_MOVIES, "PEND", "movie group", i);
    if (p.PEND(m) == i) {
      m += 1;
      check_index(m, 1, static_cast<int64_t>(p.PROBE_MOVIES) + 1, "PMOVIE", "movie group", i);
      movie = p.PMOVIE(m);
    }
  }
}

}  // namespace er
