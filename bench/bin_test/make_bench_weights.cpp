// Writes a plausible full-size model file for the benchmarks of bin_test and
// predict_qualifying: random bins (some 0) per category and movie, and ranked user
// score rows with -1 entries at the end for some users.
//
//   make_bench_weights WEIGHTS_PATH [NCAT [USERS [MOVIES [SEED]]]]
//   make_bench_weights --userdata USERDATA_PATH [SEED]   (synthetic ratings, full size)
//   make_bench_weights --queries SHORTIDS_PATH PREDICTDATA_PATH   (synthetic query list)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "ratinglab.h"

namespace {

void write_weights(const std::string& path, int32_t ncat, int32_t users, int32_t movies,
                   uint32_t seed) {
  std::mt19937 rng(seed);
  rl::Array<uint8_t> BINSCORE;
  rl::Array<int32_t> USERSCORE;
  BINSCORE.dim(1, ncat, 1, movies);
  USERSCORE.dim(1, users, 1, ncat);
  for (int32_t j = 1; j <= ncat; ++j) {
    int zero_share = 10 + static_cast<int>(rng() % 30);
    for (int32_t m = 1; m <= movies; ++m)
      BINSCORE(j, m) = static_cast<int>(rng() % 100) < zero_share ? 0 : 1 + rng() % 5;
  }
  std::vector<int32_t> row(ncat);
  for (int32_t u = 1; u <= users; ++u) {
    int32_t usable = rng() % 100 < 85 ? ncat : static_cast<int32_t>(rng() % ncat);
    for (int32_t k = 0; k < usable; ++k) row[k] = static_cast<int32_t>(rng() % 5001);
    std::sort(row.begin(), row.begin() + usable);
    for (int32_t k = 0; k < ncat; ++k) USERSCORE(u, k + 1) = k < usable ? row[k] : -1;
  }
  rl::open_file(path, rl::output_mode, 1);
  rl::put_value(1, 1, ncat);
  rl::put_array(1, 0, BINSCORE);
  rl::put_array(1, 0, USERSCORE);
  rl::close_file(1);
}

// Full-size ratings by user with skewed user sizes, for timing before the prepared
// dataset exists.
void write_userdata(const std::string& path, uint32_t seed) {
  const int32_t A = rl::full_movies, U = rl::full_users, R = rl::full_ratings;
  std::mt19937 rng(seed);
  std::vector<int32_t> size(U + 1);
  std::exponential_distribution<double> ex(1.0 / 209.0);
  int64_t total = 0;
  for (int32_t u = 1; u <= U; ++u) {
    size[u] = std::clamp(static_cast<int32_t>(ex(rng)) + 1, 1, A);
    total += size[u];
  }
  // Scale to exactly R ratings.
  int64_t diff = R - total;
  for (int32_t u = 1; diff != 0; u = u % U + 1) {
    if (diff > 0 && size[u] < A) ++size[u], --diff;
    else if (diff < 0 && size[u] > 1) --size[u], ++diff;
  }
  rl::UserData d;
  d.NMOVIES = A, d.NRATINGS = R, d.NUSERS = U;
  d.UEND.dim(0, U);
  d.UMOVIE.dim(1, R);
  d.USTARS.dim(1, R);
  int64_t r = 0;
  std::vector<int32_t> pick;
  for (int32_t u = 1; u <= U; ++u) {
    pick.clear();
    // Movies drawn with a stride so they ascend and stay distinct.
    double step = static_cast<double>(A) / size[u];
    double at = std::uniform_real_distribution<double>(0, step)(rng);
    for (int32_t k = 0; k < size[u]; ++k, at += step)
      pick.push_back(std::min<int32_t>(A, static_cast<int32_t>(at) + 1));
    for (int32_t m : pick) {
      ++r;
      d.UMOVIE(r) = static_cast<uint16_t>(m);
      d.USTARS(r) = static_cast<uint8_t>(1 + rng() % 5);
    }
    d.UEND(u) = static_cast<int32_t>(r);
  }
  rl::open_file(path, rl::output_mode, 1);
  rl::put_value(1, 1, d.NMOVIES);
  rl::put_value(1, 0, d.NRATINGS);
  rl::put_value(1, 0, d.NUSERS);
  rl::put_array(1, 0, d.UEND);
  rl::put_array(1, 0, d.UMOVIE);
  rl::put_array(1, 0, d.USTARS);
  rl::close_file(1);
}

// A full-size query list over every raw id, and a raw-to-short map for it.
void write_queries(const std::string& shortids_path, const std::string& predictdata_path) {
  rl::Array<int32_t> SHORTID, QEND, QMOVIE, QUSER;
  SHORTID.dim(1, rl::max_raw_user);
  for (int32_t r = 1; r <= rl::max_raw_user; ++r) SHORTID(r) = (r - 1) % rl::full_users + 1;
  const int32_t M = rl::full_qualifying_movies, Q = rl::full_qualifying_queries;
  QEND.dim(0, M);
  QMOVIE.dim(1, M + 1);
  QUSER.dim(1, Q);
  std::mt19937 rng(3);
  for (int32_t k = 1; k <= M; ++k) {
    QMOVIE(k) = k + 300 * k / M;
    QEND(k) = static_cast<int32_t>(static_cast<int64_t>(Q) * k / M);
  }
  for (int32_t q = 1; q <= Q; ++q) QUSER(q) = 1 + static_cast<int32_t>(rng() % rl::max_raw_user);
  rl::open_file(shortids_path, rl::output_mode, 1);
  rl::put_array(1, 1, SHORTID);
  rl::close_file(1);
  rl::open_file(predictdata_path, rl::output_mode, 1);
  rl::put_array(1, 1, QEND);
  rl::put_array(1, 0, QMOVIE);
  rl::put_array(1, 0, QUSER);
  rl::close_file(1);
}

}  // namespace

int main(int argc, char** argv) {
  rl::init_program(argc, argv);
  if (argc >= 3 && std::string(argv[1]) == "--userdata") {
    write_userdata(argv[2], argc > 3 ? static_cast<uint32_t>(std::atoi(argv[3])) : 1);
    return 0;
  }
  if (argc >= 4 && std::string(argv[1]) == "--queries") {
    write_queries(argv[2], argv[3]);
    return 0;
  }
  if (argc < 2) {
    std::fprintf(stderr, "usage: make_bench_weights WEIGHTS_PATH [NCAT [USERS [MOVIES [SEED]]]]\n");
    return 1;
  }
  int32_t ncat = argc > 2 ? std::atoi(argv[2]) : 32;
  int32_t users = argc > 3 ? std::atoi(argv[3]) : rl::full_users;
  int32_t movies = argc > 4 ? std::atoi(argv[4]) : rl::full_movies;
  uint32_t seed = argc > 5 ? static_cast<uint32_t>(std::atoi(argv[5])) : 1;
  write_weights(argv[1], ncat, users, movies, seed);
  return 0;
}
