// make_dataset: writes a synthetic raw rating dataset in the public layout, so the
// toolkit can be run and measured without the real files.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <new>
#include <string>

#include "choose.h"
#include "fail.h"
#include "model.h"
#include "options.h"
#include "write.h"

namespace {

void print_summary(uint64_t probes) {
  using namespace gen;
  std::vector<uint32_t> movie(MOVIES);
  for (uint32_t m = 0; m < MOVIES; ++m) movie[m] = MOVIE_START[m + 1] - MOVIE_START[m];
  std::sort(movie.rbegin(), movie.rend());
  std::vector<uint32_t> user(USER_RATINGS);
  std::sort(user.begin(), user.end());
  uint64_t qual_movies = 0;
  for (uint32_t q : QUERY_COUNT) qual_movies += q > 0;
  std::fprintf(stderr,
               "make_dataset: %llu ratings, %llu users, %llu probe ratings, %llu queries on %llu movies\n"
               "make_dataset: ratings per movie: most %u, 533rd %u, 1777th %u, median %u, least %u\n"
               "make_dataset: ratings per user: least %u, median %u, most %u\n",
               (unsigned long long)SET.ratings, (unsigned long long)SET.users, (unsigned long long)probes,
               (unsigned long long)SET.queries, (unsigned long long)qual_movies, movie[0], movie[532],
               movie[1776], movie[MOVIES / 2], movie[MOVIES - 1], user[0], user[user.size() / 2], user.back());
}

}  // namespace

int main(int argc, char** argv) {
  rl::set_program_name("make_dataset");
  gen::parse_options(argc, argv);
  try {
    auto t0 = std::chrono::steady_clock::now();
    gen::make_users();
    gen::make_movies();
    gen::choose_movies();
    gen::plan_queries();
    auto t1 = std::chrono::steady_clock::now();
    uint64_t probes = gen::write_dataset();
    auto t2 = std::chrono::steady_clock::now();
    if (gen::SET.verbose) {
      print_summary(probes);
      std::fprintf(stderr, "make_dataset: model %.1f s, writing %.1f s\n",
                   std::chrono::duration<double>(t1 - t0).count(), std::chrono::duration<double>(t2 - t1).count());
    }
  } catch (const std::bad_alloc&) {
    rl::fail(rl::exit_output_failed, "out of memory (about 6 bytes per rating are needed)");
  }
  return 0;
}
