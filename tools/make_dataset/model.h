// The generator's settings and the tables of its model: users with their activity,
// taste group, bias and active period; movies with their popularity, group, quality
// and release day; the affinity of every taste group to every movie group.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gen {

constexpr uint32_t MOVIES = 17770;
constexpr uint32_t ID_MAX = 2649429;        // raw user ids lie in 1..ID_MAX
constexpr uint32_t USER_CAP = MOVIES - MOVIES / 64;  // most movies one user rates
constexpr int FIRST_DAY = 406;              // 1999-11-11, in days from 1998-10-01
constexpr int LAST_DAY = 2648;              // 2005-12-31
constexpr uint32_t USER_GROUPS = 16;        // latent taste groups of users
constexpr uint32_t MOVIE_GROUPS = 24;       // groups of movies rated alike

// Full-size shape; smaller runs scale users and queries by the rating count.
constexpr uint64_t FULL_RATINGS = 100480507;
constexpr uint64_t FULL_USERS = 480189;
constexpr uint64_t FULL_QUERIES = 2817131;
constexpr uint64_t FULL_QUAL_MOVIES = 17470;

struct Settings {
  std::string out;
  uint64_t ratings = FULL_RATINGS;
  uint64_t users = 0;
  uint64_t queries = 0;
  uint64_t qual_movies = 0;
  uint64_t seed = 0;
  unsigned threads = 0;
  bool verbose = false;
};
extern Settings SET;

// Users, by internal index 0..users-1 (raw ids are shuffled over them).
extern std::vector<uint32_t> USER_RATINGS;  // training ratings of the user
extern std::vector<uint32_t> USER_ID;       // raw user id
extern std::vector<uint8_t> USER_GROUP;
extern std::vector<float> USER_BIAS;
extern std::vector<uint16_t> USER_BEGIN;    // first and last day of activity
extern std::vector<uint16_t> USER_END;

// Movies, by movie index 0..MOVIES-1 (movie number = index + 1).
extern std::vector<double> MOVIE_WEIGHT;    // popularity
extern std::vector<uint8_t> MOVIE_GROUP;
extern std::vector<float> MOVIE_QUALITY;    // mean star of the movie
extern std::vector<uint16_t> MOVIE_RELEASE; // first day it can be rated
extern std::vector<uint16_t> MOVIE_YEAR;

extern float AFFINITY[USER_GROUPS][MOVIE_GROUPS];

// Training ratings by movie: the users of movie m are MOVIE_USERS[MOVIE_START[m] ..
// MOVIE_START[m + 1]), ascending.
extern std::vector<uint32_t> MOVIE_START;
extern std::vector<uint32_t> MOVIE_USERS;

// Qualifying queries of each movie (0 for a movie that is not a qualifying movie).
extern std::vector<uint32_t> QUERY_COUNT;

void make_users();
void make_movies();
void plan_queries();

// The model's star and dates of a (user, movie) pair.
int pair_star(uint32_t user, uint32_t movie);
int pair_day(uint32_t user, uint32_t movie);
int query_day(uint32_t user, uint32_t movie);
bool pair_in_probe(uint32_t user, uint32_t movie);

// Runs task(i, thread) for i = 0..count-1 on SET.threads threads.
template <class F>
void run_parallel(uint32_t count, F task);

}  // namespace gen

#include "parallel.h"
