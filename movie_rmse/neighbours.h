// The movie neighbour lists: for each of the most-rated movies (the primaries), the
// root mean square star difference to each of the most-rated movies (the
// candidates) over the primary's first raters who rated both, sorted, and the
// lowest kept as the primary's group.
#pragma once

#include <cstdint>

#include "array.h"

namespace rl {

constexpr int32_t rmse_users = 480189;  // dense user ids 0..480188

// The counts of a run. The program uses full_shape(); tests use smaller ones.
struct Shape {
  int32_t movies = 17770;
  int32_t primaries = 533;
  int32_t candidates = 1777;
  int32_t kept = 533;
  int32_t cap = 5000;  // at most this many of a primary's ratings are examined
};

// The fixed settings: 17770 movies, shares 0.03, 0.1 and 0.03, cap 5000.
Shape full_shape();

constexpr float coverage_threshold = 0.125f;  // share of common raters needed
constexpr float no_value = -1;

// The packed views (movie-major and user-major), as loaded.
extern Array<int32_t> MOVIESTARTS;  // [0..movies]
extern Array<int32_t> USERIDS;      // [0..N-1]
extern Array<uint8_t> RATINGMOVIE;  // [0..N-1]
extern Array<int32_t> USERSTARTS;   // [0..480189]
extern Array<uint16_t> MOVIEIDS;    // [0..N-1]
extern Array<uint8_t> RATINGUSER;   // [0..N-1]

// The size order and the results.
extern Array<uint32_t> SIZES;           // [0..movies-1] ratings per movie
extern Array<uint16_t> ORDER;           // [0..movies-1] movie index at each size position
extern Array<float> RMSE;               // [0..T-1] kept values, group after group
extern Array<uint16_t> RMSE_MOVIES;     // [0..T-1] size positions of the kept candidates
extern Array<uint16_t> PRIMARY_MOVIES;  // [0..primaries-1]
extern Array<int32_t> GROUP_START;      // [0..primaries], element primaries = T

// Sizes the six view tables (N elements for the per-rating ones), zero-filled.
void size_views(const Shape& shape, int64_t n);

// N from the length of "data/ratingmovie.dat" (1 when it is missing), then the six
// views loaded from "data/" in their order; a missing file is left behind empty.
void load_views(const Shape& shape);

// Sorts the movies by their number of ratings, most first.
void sort_by_size(const Shape& shape);

// Stops with exit status 2 when a start table or a walked user id would index
// outside its table. Needs the size order.
void check_views(const Shape& shape);

// Fills the groups, the primary movies and the group starts, on `threads` threads.
// With `progress` the console shows each primary's position as it is finished.
void build_neighbours(const Shape& shape, int threads, bool progress);

}  // namespace rl
