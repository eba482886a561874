// The category builder: its tables and its operations. One builder serves every
// configuration; CFG says which one runs.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "array.h"
#include "config.h"

namespace cb {

constexpr int32_t no_common = 2147483647;  // distance of two users without a common movie
constexpr int32_t no_data = -1;            // score without enough counted movies
constexpr int sample_limit = 12;

extern Config CFG;

// Rating lists (never changed after loading).
extern int32_t NMOVIES, NRATINGS, NUSERS;
extern rl::Array<int32_t> UEND;    // [0..NUSERS]
extern rl::Array<uint16_t> UMOVIE; // [1..NRATINGS]
extern rl::Array<uint8_t> USTARS;  // [1..NRATINGS]

// Categories.
extern int32_t NCAT, NSLOT;
extern rl::Array<int32_t> MEMBERS;   // [1..NCAT, 1..NSLOT]
extern rl::Array<int32_t> FILL;      // [1..NCAT]
extern rl::Array<uint8_t> BINSCORE;  // [1..NCAT, 1..NMOVIES]
extern rl::Array<int32_t> USERSCORE; // [1..NUSERS, 1..NCAT]
extern rl::Array<uint16_t> MOVBIN;   // [1..NCAT, 1..NMOVIES]
extern rl::Array<uint16_t> MOVSPREAD;// [1..NCAT, 1..NMOVIES]
extern rl::Array<uint16_t> UBIN;     // [1..NUSERS, 1..NCAT]

// Round scalars.
extern int32_t CUTOFF, PREVTWICE;
extern float TOTAL;
extern uint32_t ASSIGNED;

// Paths of the configuration's folder.
std::string folder_file(const char* name);

// rating_lists.cpp
void load_rating_lists();
// Takes over tables built elsewhere (tests); checks them as a load does.
void set_rating_lists(int32_t nmovies, int32_t nusers, rl::Array<int32_t>&& uend,
                      rl::Array<uint16_t>&& umovie, rl::Array<uint8_t>&& ustars);

// measures.cpp
// 1000 x the single-precision root of sum / n, rounded (ties to even).
int32_t rms_thousand(uint32_t sum, uint32_t n);
int32_t member_distance(int32_t a, int32_t b);  // CFG.distance
int32_t category_score(int32_t u, int32_t c);   // CFG.score, literal single pair
// The term and count of one rating x against category value v under a score rule.
void score_term(ScoreRule rule, int x, int v, int& term, int& counted);
int score_minimum(ScoreRule rule);
// Category value v of movie m in category c (BINSCORE or the rounded MOVBIN).
int category_value(ScoreRule rule, int32_t c, int32_t m);
// Single keys (non-negative) with int32 companions, positions lo..hi.
void quicksort_keyed(float* keys, int32_t* companions, int64_t lo, int64_t hi);
// The same sort, but only ranges that reach position `limit` are sorted, so
// positions lo..limit end as a full sort would leave them.
void quicksort_keyed_prefix(float* keys, int32_t* companions, int64_t lo, int64_t hi,
                            int64_t limit);
// One row of int32 scores compared as unsigned, uint8 companions.
void quicksort_keyed(int32_t* keys, uint8_t* companions, int64_t lo, int64_t hi);

// score_all.cpp: USERSCORE[u, c] = category_score(u, c) for every user and category,
// from per-category movie values vals[(c-1) * NMOVIES + (m-1)] (0..5), the layout of
// BINSCORE.
void score_all_users(ScoreRule rule, const uint8_t* vals, int32_t* out);

// random.cpp
void seed_random();                 // from the clock (or RATINGLAB_SEED for tests)
void seed_random_with(uint64_t seed);
int32_t draw(int32_t k);            // floor(r * k) + 1

// grow.cpp
void seed_categories();
void grow_categories();
// DIST[u] (dist[u], 1-based) of every user against the s sampled members; users whose
// MARK equals attempt are excluded.
void sample_distances(const int32_t* sample_users, int s, int32_t attempt, float* dist);
// The MARK table of growing ([1..NUSERS] once seeding sized it).
rl::Array<int32_t>& grow_marks();

// members_file.cpp: reads the whole member table from the file; entries must lie
// in 0..NUSERS.
void read_member_file(const std::string& path, rl::Array<int32_t>& table);

// refine.cpp
void obtain_members();
// Sizes the carried per-movie counts of score_bins (all zero).
void reset_bin_counts();
// weight: 0 = one, else the configuration's member weight.
void score_bins(int32_t c, bool weighted, int32_t mincount, int32_t rows);
void assign_users();
// Weight of a member whose ranked score entry is s (configuration's member weight).
int32_t weight_of_score(int32_t s);
// Step a of round it: PREVTWICE, CUTOFF and the running threshold T and decrement D.
void round_thresholds(int it, int32_t& T, int32_t& D);
void run_refinement();

// mean_flow.cpp
void load_members_quarter();
void category_statistics_all();
void write_weightsb();
void run_mean_flow();

// threads.cpp: fn(first, last) on contiguous chunks of first..last, one per thread.
void parallel_range(int64_t first, int64_t last,
                    const std::function<void(int64_t, int64_t)>& fn);
int worker_count();

}  // namespace cb
