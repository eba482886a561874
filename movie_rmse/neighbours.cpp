#include "neighbours.h"

#include <cmath>
#include <filesystem>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "console.h"
#include "convert.h"
#include "fail.h"
#include "index_sort.h"
#include "print.h"
#include "paths.h"
#include "record_file.h"
#include "table_io.h"

namespace rl {

Array<int32_t> MOVIESTARTS;
Array<int32_t> USERIDS;
Array<uint8_t> RATINGMOVIE;
Array<int32_t> USERSTARTS;
Array<uint16_t> MOVIEIDS;
Array<uint8_t> RATINGUSER;

Array<uint32_t> SIZES;
Array<uint16_t> ORDER;
Array<float> RMSE;
Array<uint16_t> RMSE_MOVIES;
Array<uint16_t> PRIMARY_MOVIES;
Array<int32_t> GROUP_START;

Shape full_shape() {
  const int32_t movies = 17770;
  const float primary_share = 0.03f;
  float candidate_share = 0.1f;
  const float kept_share = 0.03f;
  // Never fewer candidates than kept places.
  if (kept_share > candidate_share) candidate_share = kept_share;
  Shape s;
  s.movies = movies;
  s.primaries = round_to_int(static_cast<long double>(movies) * primary_share);
  s.candidates = round_to_int(static_cast<long double>(movies) * candidate_share);
  s.kept = round_to_int(static_cast<long double>(movies) * kept_share);
  s.cap = 5000;
  return s;
}

void size_views(const Shape& shape, int64_t n) {
  MOVIESTARTS.dim(0, shape.movies);
  USERSTARTS.dim(0, rmse_users);
  USERIDS.dim(0, n - 1);
  MOVIEIDS.dim(0, n - 1);
  RATINGMOVIE.dim(0, n - 1);
  RATINGUSER.dim(0, n - 1);
}

void load_views(const Shape& shape) {
  std::error_code ec;
  int64_t n = 1;
  std::string stars = map_path("data/ratingmovie.dat");
  if (std::filesystem::is_regular_file(stars, ec)) {
    auto length = std::filesystem::file_size(stars, ec);
    if (!ec) n = static_cast<int64_t>(length);
  }
  size_views(shape, n);
  load_array("data/ratinguser.dat", RATINGUSER);
  load_array("data/moviestarts.dat", MOVIESTARTS);
  load_array("data/userids.dat", USERIDS);
  load_array("data/ratingmovie.dat", RATINGMOVIE);
  load_array("data/userstarts.dat", USERSTARTS);
  load_array("data/movieids.dat", MOVIEIDS);
}

void sort_by_size(const Shape& shape) {
  SIZES.dim(0, shape.movies - 1);
  ORDER.dim(0, shape.movies - 1);
  for (int32_t m = 0; m < shape.movies; ++m) {
    SIZES(m) = static_cast<uint32_t>(MOVIESTARTS(m + 1) - MOVIESTARTS(m));
    ORDER(m) = static_cast<uint16_t>(m);
  }
  qsort_u32_u16_desc(SIZES.data(), ORDER.data(), shape.movies);
}

namespace {

// Every non-empty block start .. end - 1 must lie inside the N entries.
void check_starts(const char* file, const Array<int32_t>& starts, int64_t blocks, int64_t n) {
  for (int64_t b = 0; b < blocks; ++b) {
    int64_t first = starts(b), end = starts(b + 1);
    if (end <= first) continue;
    std::string range = "0.." + std::to_string(n);
    if (first < 0) fail_value(file, "block start", b, first, range);
    if (end > n) fail_value(file, "block start", b + 1, end, range);
  }
}

}  // namespace

void check_views(const Shape& shape) {
  const int64_t n = RATINGMOVIE.count();
  check_starts("data/moviestarts.dat", MOVIESTARTS, shape.movies, n);
  check_starts("data/userstarts.dat", USERSTARTS, rmse_users, n);
  // The raters walked: the first `cap` of every primary.
  for (int32_t i = 0; i < shape.primaries; ++i) {
    int32_t p = ORDER(i);
    int64_t first = MOVIESTARTS(p), end = MOVIESTARTS(p + 1);
    if (end - first > shape.cap) end = first + shape.cap;
    for (int64_t k = first; k < end; ++k) {
      int32_t u = USERIDS(k);
      if (u < 0 || u >= rmse_users)
        fail_value("data/userids.dat", "user id", k, u, "0.." + std::to_string(rmse_users - 1));
    }
  }
}

namespace {

// Per candidate the star differences are summed in the high 32 bits and counted in
// the low 32 bits of one accumulator: STEP[r][s] = (s - r)^2 << 32 | 1. Sums stay
// below 65025 * cap, so they never reach the high bits' end.
uint64_t STEP[256][256];

// Candidate position of every movie index; non-candidates share the extra slot.
Array<uint16_t> SLOT;      // [0..65535]
Array<uint8_t> ASCENDING;  // [0..users-1] 1 when the user's block is strictly ascending

Array<float> VALUES;       // [0..primaries-1, 0..candidates-1] sorted candidate values
Array<uint16_t> POSITIONS; // companions of VALUES

void prepare(const Shape& shape) {
  for (int r = 0; r < 256; ++r)
    for (int s = 0; s < 256; ++s)
      STEP[r][s] = (static_cast<uint64_t>((s - r) * (s - r)) << 32) | 1;
  SLOT.dim(0, 65535);
  for (int32_t q = 0; q <= 65535; ++q) SLOT(q) = static_cast<uint16_t>(shape.candidates);
  for (int32_t j = 0; j < shape.candidates; ++j) SLOT(ORDER(j)) = static_cast<uint16_t>(j);
  ASCENDING.dim(0, rmse_users - 1);
  for (int32_t u = 0; u < rmse_users; ++u) {
    uint8_t ok = 1;
    for (int64_t p = int64_t{USERSTARTS(u)} + 1; p < USERSTARTS(u + 1); ++p)
      if (MOVIEIDS(p) <= MOVIEIDS(p - 1)) {
        ok = 0;
        break;
      }
    ASCENDING(u) = ok;
  }
  VALUES.dim(0, shape.primaries - 1, 0, shape.candidates - 1);
  POSITIONS.dim(0, shape.primaries - 1, 0, shape.candidates - 1);
}

// The candidate values of primary i, sorted ascending. Looking every candidate up in
// every rater's block finds exactly the entries of that block that are candidates,
// so one walk over each rater's block gives the same sums and counts. A block that
// is not strictly ascending is searched as such, candidate by candidate, so that
// the entry found is the one the search finds.
void primary_values(const Shape& shape, int32_t i, std::vector<uint64_t>& acc) {
  const int32_t primary = ORDER(i);
  acc.assign(static_cast<std::size_t>(shape.candidates) + 1, 0);
  int32_t t = 1;
  for (int64_t k = MOVIESTARTS(primary); k < MOVIESTARTS(primary + 1); ++k) {
    const uint64_t* step = STEP[RATINGMOVIE(k)];
    int32_t u = USERIDS(k);
    int64_t lo = USERSTARTS(u), hi = int64_t{USERSTARTS(u + 1)} - 1;
    if (ASCENDING(u)) {
      const uint16_t* movie = MOVIEIDS.data();
      const uint8_t* stars = RATINGUSER.data();
      for (int64_t p = lo; p <= hi; ++p) acc[SLOT(movie[p])] += step[stars[p]];
    } else {
      for (int32_t j = 0; j < shape.candidates; ++j) {
        int found = 0;
        int64_t p = bsearch_u16(MOVIEIDS.data(), ORDER(j), lo, hi, found);
        if (found) acc[j] += step[RATINGUSER(p)];
      }
    }
    if (t == shape.cap) break;
    t += 1;
  }

  float* value = &VALUES(i, 0);
  uint16_t* position = &POSITIONS(i, 0);
  for (int32_t j = 0; j < shape.candidates; ++j) {
    value[j] = no_value;
    position[j] = 0;
    if (j == i) continue;
    double sum = static_cast<double>(acc[j] >> 32);
    double count = static_cast<double>(acc[j] & 0xffffffffu);
    if (count != 0 && static_cast<long double>(count) / t > coverage_threshold) {
      value[j] = static_cast<float>(std::sqrt(static_cast<long double>(sum) / count));
      position[j] = static_cast<uint16_t>(j);
    }
  }
  qsort_f32_u16(value, position, shape.candidates);
}

}  // namespace

void build_neighbours(const Shape& shape, int threads, bool progress) {
  prepare(shape);
  if (threads < 1) threads = 1;
  if (threads > shape.primaries) threads = shape.primaries > 0 ? shape.primaries : 1;

  std::mutex lock;
  std::condition_variable finished;
  std::vector<uint8_t> done(static_cast<std::size_t>(shape.primaries), 0);
  int32_t next = 0;
  auto work = [&]() {
    std::vector<uint64_t> acc;
    for (;;) {
      int32_t i;
      {
        std::lock_guard<std::mutex> g(lock);
        i = next++;
      }
      if (i >= shape.primaries) return;
      primary_values(shape, i, acc);
      {
        std::lock_guard<std::mutex> g(lock);
        done[i] = 1;
      }
      finished.notify_all();
    }
  };
  std::vector<std::thread> pool;
  for (int w = 0; w < threads; ++w) pool.emplace_back(work);

  // The groups are taken in primary order as the primaries are finished.
  // Room for every kept place of every primary (533 x 533 in a full run).
  const int64_t capacity = int64_t{shape.primaries} * shape.kept;
  RMSE.dim(0, capacity - 1);
  RMSE_MOVIES.dim(0, capacity - 1);
  PRIMARY_MOVIES.dim(0, shape.primaries - 1);
  GROUP_START.dim(0, shape.primaries);
  int32_t total = 0;
  for (int32_t i = 0; i < shape.primaries; ++i) {
    {
      std::unique_lock<std::mutex> g(lock);
      finished.wait(g, [&] { return done[i] != 0; });
    }
    if (progress) {
      console_locate(1, 1);
      integer_item(console_slot, i);
      text_item(console_slot, std::string(11, ' '), line_end);
    }
    GROUP_START(i) = total;
    // Only the first `kept` places are looked at; the candidates without a value
    // stand first.
    for (int32_t s = 0; s < shape.kept; ++s) {
      if (VALUES(i, s) == no_value) continue;
      RMSE(total) = VALUES(i, s);
      RMSE_MOVIES(total) = POSITIONS(i, s);
      total += 1;
    }
    PRIMARY_MOVIES(i) = ORDER(i);
  }
  for (std::thread& t : pool) t.join();
  GROUP_START(shape.primaries) = total;
  RMSE.trim(total);
  RMSE_MOVIES.trim(total);
  VALUES.release();
  POSITIONS.release();
}

}  // namespace rl
