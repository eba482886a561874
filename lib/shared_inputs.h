// Readers of the prepared input files that several programs read and none writes, with
// their exact layouts, and checks of the invariants the programs index by.
#pragma once

#include <cstdint>
#include <string>

#include "array.h"

namespace rl {

constexpr int32_t full_movies = 17770;
constexpr int32_t full_users = 480189;
constexpr int32_t full_ratings = 100480507;
constexpr int32_t max_raw_user = 2649429;
constexpr int32_t full_qualifying_movies = 17470;
constexpr int32_t full_qualifying_queries = 2817131;

// "userdata1.dat": the training ratings grouped by short user index.
struct UserData {
  int32_t NMOVIES = 0, NRATINGS = 0, NUSERS = 0;
  Array<int32_t> UEND;    // [0..NUSERS]
  Array<uint16_t> UMOVIE; // [1..NRATINGS]
  Array<uint8_t> USTARS;  // [1..NRATINGS]
};

// "probe.dat": the probe ratings grouped by movie.
struct ProbeList {
  int32_t PROBE_MOVIES = 0, PROBE_COUNT = 0;
  Array<int32_t> PEND;    // [0..A]
  Array<int32_t> PMOVIE;  // [1..A+1]
  Array<int32_t> PUSER;   // [1..B]
  Array<uint8_t> PSTARS;  // [1..B]
};

// "statistics.dat", sized for the given counts.
struct Statistics {
  Array<int32_t> USIZE;  // [0..users]
  Array<int32_t> USTAT;  // [1..users]
  Array<int32_t> MSTAT;  // [1..movies]
};

// Each reader opens the file in binary mode in slot 1, reads header scalars and then
// every table whole at position 0, and closes the slot. A missing file reads as zeros.
// A header count that is negative or would size a table past memory stops the program
// with exit status 2.
void read_userdata(const std::string& path, UserData& d);
void read_shortids(const std::string& path, Array<int32_t>& SHORTID);  // [1..2649429]
void read_statistics(const std::string& path, int32_t users, int32_t movies, Statistics& s);
// Read with one get_array at position 1, then every slot is closed.
void read_movieend(const std::string& path, Array<int32_t>& MEND);     // [0..17770]
void read_probe(const std::string& path, ProbeList& p);

// Invariant checks (exit status 2 with the file, field, position and value):
// UEND[0] = 0, non-decreasing, UEND[NUSERS] = NRATINGS; every movie in 1..max_movie
// and, per user, strictly ascending; every star in 1..5.
void check_userdata(const std::string& file, const UserData& d, int32_t max_movie);
// PEND strictly increasing with PEND[A] = B; PMOVIE[1..A] in 1..17770; PUSER in
// 1..2649429 and mapping through SHORTID to 1..users; PSTARS in 1..5.
void check_probe(const std::string& file, const ProbeList& p, const Array<int32_t>& SHORTID,
                 int32_t users);

}  // namespace rl
