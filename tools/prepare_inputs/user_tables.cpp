// The user side of the training set: short indices by rank of the raw id, the ratings
// grouped by user (a counting sort over the movie-major table, which visits movies in
// ascending order and so leaves each user's movies ascending), and the statistics.
#include <algorithm>
#include <cstdio>

#include "convert.h"
#include "fail.h"
#include "prepare.h"
#include "raw_text.h"
#include "shared_inputs.h"

namespace {

// A user who rated a movie twice: named by the raw id and the later line of the file.
[[noreturn]] void fail_twice(int32_t m, int64_t k, int32_t short_user) {
  int32_t raw = 0;
  for (int32_t r = 1; r <= rl::max_raw_user; ++r)
    if (SHORTID(r) == short_user) raw = r;
  char name[32];
  std::snprintf(name, sizeof name, "mv_%07d.txt", m);
  rl::fail_line(RAW_DIR + "/training_set/" + name, "user id", k - MEND(m - 1) + 1,
                std::to_string(raw), "a user who has not rated the movie on an earlier line");
}

}  // namespace

void build_user_tables() {
  const int64_t R = NRATINGS;
  rl::Array<int32_t> COUNT;  // ratings of each raw id
  COUNT.dim(1, rl::max_raw_user);
  for (int64_t k = 1; k <= R; ++k) ++COUNT(USERIDS(k));

  SHORTID.dim(1, rl::max_raw_user);
  int32_t U = 0;
  for (int32_t r = 1; r <= rl::max_raw_user; ++r)
    if (COUNT(r) > 0) SHORTID(r) = ++U;
  if (U > rl::full_users)
    rl::fail_input(RAW_DIR + "/training_set: number of users: " + std::to_string(U) +
                   ", expected at most 480189");
  NUSERS = U;

  UEND.dim(0, U);
  for (int32_t r = 1; r <= rl::max_raw_user; ++r)
    if (COUNT(r) > 0) UEND(SHORTID(r)) = COUNT(r);
  COUNT.release();
  for (int32_t u = 1; u <= U; ++u) UEND(u) += UEND(u - 1);

  for (int64_t k = 1; k <= R; ++k) USERIDS(k) = SHORTID(USERIDS(k));

  UMOVIE.dim(1, R);
  USTARS.dim(1, R);
  rl::Array<int32_t> FILL;  // last position filled for each user
  FILL.dim(1, U);
  for (int32_t u = 1; u <= U; ++u) FILL(u) = UEND(u - 1);
  for (int32_t m = 1; m <= rl::full_movies; ++m) {
    for (int64_t k = static_cast<int64_t>(MEND(m - 1)) + 1; k <= MEND(m); ++k) {
      int32_t u = USERIDS(k);
      int32_t p = ++FILL(u);
      if (p - 1 > UEND(u - 1) && UMOVIE(p - 1) == m) fail_twice(m, k, u);
      UMOVIE(p) = static_cast<uint16_t>(m);
      USTARS(p) = SCORES(k);
    }
  }

  USIZE.dim(0, rl::full_users);
  USTAT.dim(1, rl::full_users);
  MSTAT.dim(1, rl::full_movies);
  for (int32_t u = 1; u <= U; ++u) {
    int64_t sum = 0;
    for (int64_t p = static_cast<int64_t>(UEND(u - 1)) + 1; p <= UEND(u); ++p) sum += USTARS(p);
    int32_t n = UEND(u) - UEND(u - 1);
    USIZE(u) = n;
    USTAT(u) = rl::round_to_int(static_cast<long double>(sum) * 1000.0L / n);
  }
  for (int32_t m = 1; m <= rl::full_movies; ++m) MSTAT(m) = MEND(m) - MEND(m - 1);
}

int64_t find_rating(int32_t short_user, int32_t movie) {
  if (short_user < 1 || short_user > NUSERS) return 0;
  const uint16_t* b = UMOVIE.data() + UEND(short_user - 1);
  const uint16_t* e = UMOVIE.data() + UEND(short_user);
  const uint16_t* p = std::lower_bound(b, e, static_cast<uint16_t>(movie));
  if (p == e || *p != movie) return 0;
  return (p - UMOVIE.data()) + 1;
}
