// The per-user fit of the bin-to-rating maps and the test of the user's training
// ratings through them. The program holds the tables; this file owns the arithmetic.
#pragma once

#include <cstdint>
#include <vector>

#include "array.h"

namespace bin_test {

// The tables one user's fit reads and writes, as the program sizes them.
struct Tables {
  int32_t A = 0;  // movies
  int32_t U = 0;  // users
  int32_t N = 0;  // categories
  const rl::Array<int32_t>* UEND = nullptr;      // [0..U]
  const rl::Array<uint16_t>* UMOVIE = nullptr;   // [1..R]
  const rl::Array<uint8_t>* USTARS = nullptr;    // [1..R], 1..5
  const rl::Array<uint8_t>* MOVIEBINS = nullptr; // [1..A, 1..N]: BINSCORE turned movie-major
  rl::Array<int32_t>* CATERROR = nullptr;        // [1..U, 1..N]: the USERSCORE table, in place
  rl::Array<uint16_t>* BINRATING = nullptr;      // [1..U, 1..N, 1..5]
  rl::Array<uint16_t>* BINERROR = nullptr;       // [1..U, 1..N, 1..5]
};

// Scratch space of one thread, sized once for N categories.
struct Work {
  std::vector<int32_t> count;    // [category][bin 0..5][value 1..5]: gathered ratings
  std::vector<uint8_t> tally;    // [value 1..5][bin 1..5][category]: a run of ratings
  std::vector<uint16_t> error;   // [category][bin 0..5]: BINERROR, 65535 for bin 0
  std::vector<uint16_t> rating;  // [category][bin 0..5]: BINRATING
  void size_for(int32_t N);
};

// The squared error and the number of predicted ratings of one user's test.
struct UserTest {
  float s = 0;
  int32_t n = 0;
};

// BINSCORE [1..N, 1..A] turned into MOVIEBINS [1..A, 1..N], so one rating reads its
// bins in every category from one row.
void turn_movie_major(const rl::Array<uint8_t>& BINSCORE, int32_t N, int32_t A,
                      rl::Array<uint8_t>& MOVIEBINS);

// Fits every category of user u and tests the user's ratings. Writes only user u's
// rows of CATERROR, BINRATING and BINERROR, so users may run on separate threads.
UserTest fit_and_test_user(const Tables& t, int32_t u, Work& w);

}  // namespace bin_test
