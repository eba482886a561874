#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "literal_route.h"
#include "neighbours.h"
#include "test_support.h"

using namespace ratinglab;
using rl::Shape;

namespace {

struct Rating {
  int32_t user, movie, star;
};

// Fills the six view tables from a list of ratings: movie blocks by ascending user,
// user blocks by ascending movie. `scramble` shuffles every third user's block (both
// user-major tables in step), so that some blocks are not ascending.
void set_views(const Shape& shape, std::vector<Rating> r, uint32_t scramble = 0) {
  int64_t n = static_cast<int64_t>(r.size());
  rl::size_views(shape, n);
  std::stable_sort(r.begin(), r.end(), [](const Rating& a, const Rating& b) {
    return std::tie(a.movie, a.user) < std::tie(b.movie, b.user);
  });
  int64_t k = 0;
  for (int32_t m = 0; m <= shape.movies; ++m) {
    while (k < n && r[k].movie < m) ++k;
    rl::MOVIESTARTS(m) = static_cast<int32_t>(k);
  }
  for (int64_t e = 0; e < n; ++e) {
    rl::USERIDS(e) = r[e].user;
    rl::RATINGMOVIE(e) = static_cast<uint8_t>(r[e].star);
  }
  std::stable_sort(r.begin(), r.end(), [](const Rating& a, const Rating& b) {
    return std::tie(a.user, a.movie) < std::tie(b.user, b.movie);
  });
  k = 0;
  for (int32_t u = 0; u <= rl::rmse_users; ++u) {
    while (k < n && r[k].user < u) ++k;
    rl::USERSTARTS(u) = static_cast<int32_t>(k);
  }
  std::mt19937 g(scramble);
  for (int32_t u = 0; scramble && u < rl::rmse_users; u += 3) {
    if (rl::USERSTARTS(u) == n) break;
    std::shuffle(r.begin() + rl::USERSTARTS(u), r.begin() + rl::USERSTARTS(u + 1), g);
  }
  for (int64_t e = 0; e < n; ++e) {
    rl::MOVIEIDS(e) = static_cast<uint16_t>(r[e].movie);
    rl::RATINGUSER(e) = static_cast<uint8_t>(r[e].star);
  }
}

// Each user rates each movie with the given chance; with `twice`, some ratings come
// twice with another star value.
std::vector<Rating> random_ratings(uint32_t seed, int32_t movies, int32_t users, double chance,
                                   bool twice = false) {
  std::mt19937 g(seed);
  std::uniform_real_distribution<double> u01(0, 1);
  std::uniform_int_distribution<int> star(1, 5);
  std::vector<Rating> r;
  for (int32_t m = 0; m < movies; ++m) {
    double c = chance * u01(g);  // movies of many sizes, ties included
    for (int32_t u = 0; u < users; ++u) {
      if (u01(g) >= c) continue;
      r.push_back({u, m, star(g)});
      if (twice && u01(g) < 0.2) r.push_back({u, m, star(g)});
    }
  }
  return r;
}

using literal::Result;

Result literal_neighbours(const Shape& sh) { return literal::neighbours(sh); }

Result fast_neighbours(const Shape& sh, int threads) {
  rl::sort_by_size(sh);
  rl::check_views(sh);
  rl::build_neighbours(sh, threads, false);
  Result res;
  res.rmse.assign(rl::RMSE.data(), rl::RMSE.data() + rl::RMSE.count());
  res.movies.assign(rl::RMSE_MOVIES.data(), rl::RMSE_MOVIES.data() + rl::RMSE_MOVIES.count());
  res.primary.assign(rl::PRIMARY_MOVIES.data(),
                     rl::PRIMARY_MOVIES.data() + rl::PRIMARY_MOVIES.count());
  res.start.assign(rl::GROUP_START.data(), rl::GROUP_START.data() + rl::GROUP_START.count());
  return res;
}

template <class T>
std::string table_bytes(const rl::Array<T>& a) {
  return std::string(reinterpret_cast<const char*>(a.data()), a.bytes());
}
template <class T>
std::string vector_bytes(const std::vector<T>& v) {
  return std::string(reinterpret_cast<const char*>(v.data()), v.size() * sizeof(T));
}

void write_views(const TempDir& dir) {
  make_dirs(dir / "data");
  write_file(dir / "data/moviestarts.dat", table_bytes(rl::MOVIESTARTS));
  write_file(dir / "data/userids.dat", table_bytes(rl::USERIDS));
  write_file(dir / "data/ratingmovie.dat", table_bytes(rl::RATINGMOVIE));
  write_file(dir / "data/userstarts.dat", table_bytes(rl::USERSTARTS));
  write_file(dir / "data/movieids.dat", table_bytes(rl::MOVIEIDS));
  write_file(dir / "data/ratinguser.dat", table_bytes(rl::RATINGUSER));
}

std::string transcript(int32_t primaries) {
  std::string s = "Loading data...\r\nSorting movies by size...\r\nCreating matrix...\r\n";
  for (int32_t i = 0; i < primaries; ++i) {
    s += ' ';
    s += std::to_string(i);
    s += "           \r\n";  // 11 blanks
  }
  return s + "Done!\r\n";
}

}  // namespace

TEST(MovieRmse, FixedSettingsGiveTheStatedCounts) {
  Shape s = rl::full_shape();
  EXPECT_EQ(s.movies, 17770);
  EXPECT_EQ(s.primaries, 533);
  EXPECT_EQ(s.candidates, 1777);
  EXPECT_EQ(s.kept, 533);
  EXPECT_EQ(s.cap, 5000);
}

// The walk over the raters' blocks against one search per pair, on random sets
// whose caps, coverage and kept places all come into play.
TEST(MovieRmse, FastRouteMatchesLiteralRouteOnRandomSets) {
  struct Case {
    uint32_t seed;
    Shape shape;
    int32_t users;
    double chance;
    bool twice;
    uint32_t scramble;
  };
  const Case cases[] = {
      {1, {40, 6, 15, 6, 7}, 30, 0.9, false, 0},
      {2, {40, 10, 30, 12, 5}, 20, 1.0, false, 0},
      {3, {60, 8, 20, 20, 1000}, 50, 0.6, false, 0},
      {4, {30, 5, 12, 5, 3}, 12, 1.0, false, 0},
      {5, {40, 6, 25, 9, 8}, 30, 0.9, true, 0},   // a user may rate a movie twice
      {6, {40, 6, 25, 9, 8}, 30, 0.9, true, 77},  // and blocks out of order
      {7, {50, 12, 40, 15, 20}, 60, 0.3, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.seed);
    set_views(c.shape, random_ratings(c.seed, c.shape.movies, c.users, c.chance, c.twice),
              c.scramble);
    Result expected = literal_neighbours(c.shape);
    EXPECT_GT(expected.rmse.size(), 0u);
    EXPECT_EQ(fast_neighbours(c.shape, 1), expected);
    EXPECT_EQ(fast_neighbours(c.shape, 3), expected);
  }
}

// Four movies, all of them candidates and all places kept, so each group shows which
// candidates got a value. Primary 0 is movie 0, candidates 1..3 are movies 1..3.
TEST(MovieRmse, CoverageUsesTheCappedCounter) {
  Shape sh{4, 1, 4, 4, 5000};
  struct Case {
    const char* name;
    int32_t raters;            // of movie 0: users 0..raters-1, star 3
    int32_t common1, common2;  // of those, users 0..common-1 also rate movies 1 and 2
    bool value1, value2;
  };
  const Case cases[] = {
      {"5000 raters", 5000, 625, 626, false, true},
      {"6000 raters, cap at 5000", 6000, 625, 626, false, true},
      {"100 raters, t ends at 101", 100, 12, 13, false, true},
      {"4999 raters, t ends at 5000", 4999, 625, 626, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Rating> r;
    for (int32_t u = 0; u < c.raters; ++u) r.push_back({u, 0, 3});
    for (int32_t u = 0; u < c.common1; ++u) r.push_back({u, 1, 4});
    for (int32_t u = 0; u < c.common2; ++u) r.push_back({u, 2, 5});
    // Raters beyond the cap never count: more common raters there change nothing.
    for (int32_t u = 5000; u < c.raters; ++u) r.push_back({u, 1, 4});
    set_views(sh, r);
    Result got = fast_neighbours(sh, 2);
    EXPECT_EQ(got, literal_neighbours(sh));
    ASSERT_EQ(got.primary, std::vector<uint16_t>{0});
    // Size positions: movie 1 is larger than movie 2 except in the 6000 case.
    std::vector<uint16_t> valued;
    for (uint16_t p = 1; p < 4; ++p) {
      uint16_t movie = rl::ORDER(p);
      if ((movie == 1 && c.value1) || (movie == 2 && c.value2)) valued.push_back(p);
    }
    EXPECT_EQ(got.movies, valued);
    EXPECT_EQ(got.start, (std::vector<int32_t>{0, static_cast<int32_t>(valued.size())}));
  }
}

TEST(MovieRmse, ZeroSortsAfterNoValueAndBeforePositiveValues) {
  Shape sh{5, 1, 5, 5, 5000};
  std::vector<Rating> r;
  for (int32_t u = 0; u < 40; ++u) {
    r.push_back({u, 0, 1 + u % 5});
    if (u < 30) r.push_back({u, 1, 1 + (u + 1) % 5});  // differs: positive value
    if (u < 20) r.push_back({u, 2, 1 + u % 5});        // same stars: value 0
    if (u < 3) r.push_back({u, 3, 2});                 // too few common raters
  }
  set_views(sh, r);
  Result got = fast_neighbours(sh, 1);
  EXPECT_EQ(got, literal_neighbours(sh));
  // Size order: 0, 1, 2, 3, 4. Places: -1 (itself), -1 (3), -1 (4), 0 (2), positive (1).
  ASSERT_EQ(got.rmse.size(), 2u);
  EXPECT_EQ(got.rmse[0], 0.0f);
  EXPECT_GT(got.rmse[1], 0.0f);
  EXPECT_EQ(got.movies, (std::vector<uint16_t>{2, 1}));
  // Every common rater differs by 1 or by 4 (5 after 1): sqrt((24 * 1 + 6 * 16) / 30) = 2.
  EXPECT_EQ(got.rmse[1], 2.0f);
}

TEST(MovieRmse, OnlyTheFirstKeptPlacesAreLookedAt) {
  // Movies 0..5 rated alike by 10 users; movie 6 unrated. With 5 kept places the
  // places are -1 (itself), -1 (movie 6), then three of the five values.
  std::vector<Rating> r;
  for (int32_t u = 0; u < 10; ++u)
    for (int32_t m = 0; m < 6; ++m) r.push_back({u, m, 1 + (u + m) % 5});
  struct Case {
    int32_t kept;
    size_t per_group;
  };
  for (Case c : {Case{5, 3}, Case{2, 0}, Case{7, 5}}) {
    Shape sh{7, 3, 7, c.kept, 5000};
    set_views(sh, r);
    Result got = fast_neighbours(sh, 2);
    EXPECT_EQ(got, literal_neighbours(sh));
    for (int32_t i = 0; i < 3; ++i) {
      EXPECT_EQ(static_cast<size_t>(got.start[i + 1] - got.start[i]), c.per_group) << i;
      for (int32_t e = got.start[i]; e < got.start[i + 1]; ++e) EXPECT_NE(got.movies[e], i);
    }
  }
}

// The program on a dense set with the fixed settings: 1400 rated movies, so most
// primaries keep a group; sizes tie a lot.
TEST(MovieRmseProgram, WritesTheFourFilesAsTheLiteralRouteDoes) {
  Shape full = rl::full_shape();
  set_views(full, random_ratings(11, 1400, 25, 1.6));
  Result expected = literal_neighbours(full);
  ASSERT_EQ(expected.start.size(), 534u);
  EXPECT_EQ(expected.start.front(), 0);
  EXPECT_EQ(expected.start.back(), static_cast<int32_t>(expected.rmse.size()));
  EXPECT_GT(expected.rmse.size(), 1000u);
  for (int32_t i = 0; i < 533; ++i)
    for (int32_t e = expected.start[i]; e < expected.start[i + 1]; ++e) {
      EXPECT_NE(expected.movies[e], i);
      if (e > expected.start[i]) {
        EXPECT_LE(expected.rmse[e - 1], expected.rmse[e]);
      }
    }

  TempDir dir;
  write_views(dir);
  write_file(dir / "data/rmse.dat", std::string(5000, 'x'));  // replaced whole
  write_file(dir / "testresults.txt", "old");
  RunResult run = run_program("movie_rmse", dir.path);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, transcript(533));
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(read_file(dir / "data/rmse.dat"), vector_bytes(expected.rmse));
  EXPECT_EQ(read_file(dir / "data/rmseMovies.dat"), vector_bytes(expected.movies));
  EXPECT_EQ(read_file(dir / "data/rmseMoviesPrimary.dat"), vector_bytes(expected.primary));
  EXPECT_EQ(read_file(dir / "data/rmseStart.dat"), vector_bytes(expected.start));
  EXPECT_TRUE(file_exists(dir / "testresults.txt"));
  EXPECT_EQ(read_file(dir / "testresults.txt"), "");
}

TEST(MovieRmseProgram, MissingInputsGiveNoNeighbours) {
  TempDir dir;
  make_dirs(dir / "data");
  RunResult run = run_program("movie_rmse", dir.path);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, transcript(533));
  EXPECT_EQ(read_file(dir / "data/rmse.dat"), "");
  EXPECT_EQ(read_file(dir / "data/rmseMovies.dat"), "");
  EXPECT_EQ(read_file(dir / "data/rmseMoviesPrimary.dat").size(), 533u * 2);
  EXPECT_EQ(read_file(dir / "data/rmseStart.dat"), std::string(534 * 4, '\0'));
  // The missing views are left behind empty.
  for (const char* f : {"ratinguser.dat", "moviestarts.dat", "userids.dat", "ratingmovie.dat",
                        "userstarts.dat", "movieids.dat"})
    EXPECT_EQ(read_file(dir / (std::string("data/") + f)), "") << f;
}

TEST(MovieRmseProgram, OutOfRangeViewsStopBeforeAnyOutput) {
  struct Case {
    const char* name;
    const char* file;
    int64_t at;      // element to overwrite
    int32_t value;
    const char* message;
  };
  const Case cases[] = {
      {"block beyond the ratings", "moviestarts.dat", 17770, 1 << 30,
       "data/moviestarts.dat: block start at 17770 holds 1073741824"},
      {"negative block start", "userstarts.dat", 0, -5, "data/userstarts.dat: block start at 0 holds -5"},
      {"user id beyond the users", "userids.dat", 0, 480189, "data/userids.dat: user id at 0 holds 480189"},
  };
  Shape full = rl::full_shape();
  set_views(full, random_ratings(3, 30, 10, 1.0));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    write_views(dir);
    std::string bytes = read_file(dir / (std::string("data/") + c.file));
    std::memcpy(bytes.data() + 4 * c.at, &c.value, 4);
    write_file(dir / (std::string("data/") + c.file), bytes);
    RunResult run = run_program("movie_rmse", dir.path);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find(std::string("movie_rmse: ") + c.message), std::string::npos) << run.err;
    EXPECT_FALSE(file_exists(dir / "data/rmse.dat"));
    EXPECT_FALSE(file_exists(dir / "data/rmseStart.dat"));
    EXPECT_FALSE(file_exists(dir / "testresults.txt"));
  }
}

TEST(MovieRmseProgram, UnwritableOutputIsAFailure) {
  TempDir dir;  // no "data/" folder: nothing can be saved
  RunResult run = run_program("movie_rmse", dir.path);
  EXPECT_EQ(run.status, 3);
  EXPECT_NE(run.err.find("movie_rmse: "), std::string::npos);
}
