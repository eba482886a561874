#include "model.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "fail.h"
#include "rng.h"

namespace gen {

Settings SET;

std::vector<uint32_t> USER_RATINGS, USER_ID;
std::vector<uint8_t> USER_GROUP;
std::vector<float> USER_BIAS;
std::vector<uint16_t> USER_BEGIN, USER_END;

std::vector<double> MOVIE_WEIGHT;
std::vector<uint8_t> MOVIE_GROUP;
std::vector<float> MOVIE_QUALITY;
std::vector<uint16_t> MOVIE_RELEASE, MOVIE_YEAR;

float AFFINITY[USER_GROUPS][MOVIE_GROUPS];

std::vector<uint32_t> MOVIE_START, MOVIE_USERS, QUERY_COUNT;

namespace {

// Spread of log activity: with it the median user has about 100 ratings when the mean is
// the full set's 209.
constexpr double ACTIVITY_SIGMA = 1.214;
constexpr double STAR_BASE = 3.36;
constexpr double QUALITY_SD = 0.42;
constexpr double POPULAR_BONUS = 0.06;  // per unit of log popularity
constexpr double BIAS_SD = 0.48;
constexpr double AFFINITY_SD = 0.60;
constexpr double NOISE_SD = 0.80;
constexpr uint64_t PROBE_THRESHOLD = 60202882;  // 1.4017% of 2^32

// Ratings of the movie at each popularity rank, at full size; log-log interpolation
// between these points gives the whole curve, which is then scaled to the rating count.
struct Point { double rank, count; };
constexpr Point POPULARITY[] = {{1, 600000}, {10, 330000}, {100, 140000}, {533, 36000},
                                {1777, 10000}, {5000, 1700}, {8885, 360}, {14000, 80},
                                {17770, 3}};

double popularity_at(double rank) {
  for (size_t i = 1; i < std::size(POPULARITY); ++i) {
    const Point &a = POPULARITY[i - 1], &b = POPULARITY[i];
    if (rank <= b.rank) {
      double t = (std::log(rank) - std::log(a.rank)) / (std::log(b.rank) - std::log(a.rank));
      return std::exp(std::log(a.count) + t * (std::log(b.count) - std::log(a.count)));
    }
  }
  return POPULARITY[std::size(POPULARITY) - 1].count;
}

int year_of_day(int day) {  // day counted from 1998-10-01
  int y = 1998;
  int first = -273;  // 1998-01-01
  for (;;) {
    int len = (y % 4 == 0 && (y % 100 != 0 || y % 400 == 0)) ? 366 : 365;
    if (day < first + len) return y;
    first += len;
    ++y;
  }
}

// Exact activity counts: log-normal shapes scaled to the rating total, each at least 1
// and at most USER_CAP, the rounding left-over spread one by one.
void set_user_counts(const std::vector<double>& activity) {
  uint64_t users = SET.users, total = SET.ratings;
  double sum = 0;
  for (double a : activity) sum += a;
  int64_t assigned = 0;
  for (uint64_t u = 0; u < users; ++u) {
    double n = std::floor(activity[u] * static_cast<double>(total) / sum);
    n = std::clamp(n, 1.0, static_cast<double>(USER_CAP));
    USER_RATINGS[u] = static_cast<uint32_t>(n);
    assigned += USER_RATINGS[u];
  }
  int64_t diff = static_cast<int64_t>(total) - assigned;
  while (diff > 0)
    for (uint64_t u = 0; u < users && diff > 0; ++u)
      if (USER_RATINGS[u] < USER_CAP) ++USER_RATINGS[u], --diff;
  while (diff < 0)
    for (uint64_t u = 0; u < users && diff < 0; ++u)
      if (USER_RATINGS[u] > 1) --USER_RATINGS[u], ++diff;
}

// USER_ID: distinct raw ids spread over 1..ID_MAX, both ends included, in random order.
void set_user_ids() {
  uint64_t users = SET.users;
  USER_ID.clear();
  USER_ID.reserve(users);
  USER_ID.push_back(1);
  if (users >= 2) {
    Rng r = stream(SET.seed, K_IDS, 0);
    // Selection sampling: takes exactly `need` of the candidates 2..ID_MAX-1, ascending.
    uint64_t need = users - 2, left = ID_MAX - 2;
    for (uint32_t id = 2; id < ID_MAX && need > 0; ++id, --left)
      if (r.uniform() * static_cast<double>(left) < static_cast<double>(need)) {
        USER_ID.push_back(id);
        --need;
      }
    USER_ID.push_back(ID_MAX);
  }
  Rng s = stream(SET.seed, K_IDS, 1);
  for (uint64_t i = users; i > 1; --i) std::swap(USER_ID[i - 1], USER_ID[s.below(static_cast<uint32_t>(i))]);
}

}  // namespace

void make_users() {
  uint64_t users = SET.users;
  USER_RATINGS.assign(users, 0);
  USER_GROUP.assign(users, 0);
  USER_BIAS.assign(users, 0);
  USER_BEGIN.assign(users, 0);
  USER_END.assign(users, 0);

  double group_share[USER_GROUPS], share_sum = 0;
  Rng g = stream(SET.seed, K_GROUPS, 0);
  for (double& s : group_share) share_sum += (s = 0.5 + g.uniform());

  std::vector<double> activity(users);
  for (uint64_t u = 0; u < users; ++u) {
    Rng r = stream(SET.seed, K_USER, u);
    activity[u] = std::exp(ACTIVITY_SIGMA * r.normal());
    double pick = r.uniform() * share_sum;
    uint32_t grp = 0;
    while (grp + 1 < USER_GROUPS && pick >= group_share[grp]) pick -= group_share[grp++];
    USER_GROUP[u] = static_cast<uint8_t>(grp);
    USER_BIAS[u] = static_cast<float>(BIAS_SD * r.normal());
    // More users join late, as the service grew.
    int begin = FIRST_DAY + static_cast<int>((LAST_DAY - FIRST_DAY) * std::sqrt(r.uniform()));
    int end = begin + static_cast<int>((LAST_DAY - begin) * std::sqrt(r.uniform()));
    USER_BEGIN[u] = static_cast<uint16_t>(begin);
    USER_END[u] = static_cast<uint16_t>(end);
  }
  set_user_counts(activity);
  set_user_ids();
}

void make_movies() {
  MOVIE_WEIGHT.assign(MOVIES, 0);
  MOVIE_GROUP.assign(MOVIES, 0);
  MOVIE_QUALITY.assign(MOVIES, 0);
  MOVIE_RELEASE.assign(MOVIES, 0);
  MOVIE_YEAR.assign(MOVIES, 0);

  std::vector<uint32_t> order(MOVIES);
  std::iota(order.begin(), order.end(), 0);
  Rng p = stream(SET.seed, K_MOVIE, ~0ULL);
  for (uint32_t i = MOVIES; i > 1; --i) std::swap(order[i - 1], order[p.below(i)]);
  for (uint32_t rank = 0; rank < MOVIES; ++rank) MOVIE_WEIGHT[order[rank]] = popularity_at(rank + 1.0);

  for (uint32_t m = 0; m < MOVIES; ++m) {
    Rng r = stream(SET.seed, K_MOVIE, m);
    MOVIE_GROUP[m] = static_cast<uint8_t>(r.below(MOVIE_GROUPS));
    double q = STAR_BASE + QUALITY_SD * r.normal() + POPULAR_BONUS * std::log(MOVIE_WEIGHT[m] / 700.0);
    MOVIE_QUALITY[m] = static_cast<float>(q);
    int release = FIRST_DAY;
    if (r.uniform() >= 0.65) release = FIRST_DAY + static_cast<int>(r.below(LAST_DAY - 30 - FIRST_DAY));
    MOVIE_RELEASE[m] = static_cast<uint16_t>(release);
    int year;
    if (release > FIRST_DAY) {
      year = year_of_day(release) - static_cast<int>(r.below(2));
    } else {
      year = 1999 - static_cast<int>(std::floor(-11.0 * std::log(r.open_uniform())));
      if (year < 1915) year = 1915 + static_cast<int>(r.below(20));
    }
    MOVIE_YEAR[m] = static_cast<uint16_t>(year);
  }

  Rng a = stream(SET.seed, K_GROUPS, 1);
  for (auto& row : AFFINITY)
    for (float& v : row) v = static_cast<float>(AFFINITY_SD * a.normal());
}

void plan_queries() {
  uint64_t users = SET.users, want = SET.queries, k = SET.qual_movies;
  QUERY_COUNT.assign(MOVIES, 0);
  if (want == 0) return;

  // The qualifying movies: a popularity-weighted draw among the movies some user has
  // not rated.
  std::vector<std::pair<double, uint32_t>> keys;
  for (uint32_t m = 0; m < MOVIES; ++m) {
    uint64_t rated = MOVIE_START[m + 1] - MOVIE_START[m];
    if (rated >= users) continue;
    Rng r = stream(SET.seed, K_QMOVIES, m);
    keys.push_back({-std::log(r.open_uniform()) / MOVIE_WEIGHT[m], m});
  }
  if (keys.size() < k)
    rl::fail_input("--qualifying-movies: only " + std::to_string(keys.size()) +
                   " movies have users who did not rate them: " + std::to_string(k));
  std::sort(keys.begin(), keys.end());
  auto room = [&](uint32_t m) { return users - (MOVIE_START[m + 1] - MOVIE_START[m]); };
  uint64_t total_room = 0;
  for (uint64_t i = 0; i < k; ++i) total_room += room(keys[i].second);
  if (total_room < want)  // a crowded shape: take the movies with the most unrated users
    std::stable_sort(keys.begin(), keys.end(), [&](auto& a, auto& b) { return room(a.second) > room(b.second); });
  keys.resize(k);

  // One query each, the rest in proportion to the movie's ratings, never more than the
  // users who did not rate it.
  std::vector<uint32_t> chosen;
  uint64_t spare_room = 0;
  double weight_sum = 0;
  for (auto& kv : keys) {
    uint32_t m = kv.second;
    chosen.push_back(m);
    QUERY_COUNT[m] = 1;
    spare_room += room(m) - 1;
    weight_sum += MOVIE_START[m + 1] - MOVIE_START[m] + 1.0;
  }
  std::sort(chosen.begin(), chosen.end());
  uint64_t rest = want - k;
  if (rest > spare_room)
    rl::fail_input("--queries: only " + std::to_string(spare_room + k) +
                   " unrated pairs lie on the qualifying movies: " + std::to_string(want));
  std::vector<std::pair<double, uint32_t>> fraction;
  uint64_t given = 0;
  for (uint32_t m : chosen) {
    uint64_t rated = MOVIE_START[m + 1] - MOVIE_START[m];
    double share = static_cast<double>(rest) * (rated + 1.0) / weight_sum;
    double whole = std::floor(share);
    uint64_t extra = std::min<uint64_t>(static_cast<uint64_t>(whole), users - rated - 1);
    QUERY_COUNT[m] += static_cast<uint32_t>(extra);
    given += extra;
    fraction.push_back({-(share - whole), m});
  }
  std::sort(fraction.begin(), fraction.end());
  for (auto& f : fraction) {
    if (given == rest) break;
    uint32_t m = f.second;
    if (QUERY_COUNT[m] < room(m)) ++QUERY_COUNT[m], ++given;
  }
  while (given < rest)
    for (uint32_t m : chosen)
      if (given < rest && QUERY_COUNT[m] < room(m))
        ++QUERY_COUNT[m], ++given;
}

int pair_star(uint32_t user, uint32_t movie) {
  uint64_t h = pair_hash(SET.seed, K_NOISE, user, movie);
  // Sum of four uniforms: close to normal and cheap.
  double s = static_cast<double>((h & 0xffff) + ((h >> 16) & 0xffff) + ((h >> 32) & 0xffff) + (h >> 48));
  double noise = (s / 65536.0 - 2.0) * 1.7320508075688772 * NOISE_SD;
  double x = static_cast<double>(MOVIE_QUALITY[movie]) + USER_BIAS[user] +
             AFFINITY[USER_GROUP[user]][MOVIE_GROUP[movie]] + noise;
  // Cut points a little above the half stars on the low side give the long tail of
  // one-star ratings that the real mix has.
  return 1 + (x >= 1.72) + (x >= 2.55) + (x >= 3.5) + (x >= 4.55);
}

namespace {
void pair_window(uint32_t user, uint32_t movie, int& lo, int& hi) {
  lo = std::max<int>(USER_BEGIN[user], MOVIE_RELEASE[movie]);
  hi = std::max<int>(USER_END[user], std::min(LAST_DAY, lo + 30));
}
}  // namespace

int pair_day(uint32_t user, uint32_t movie) {
  int lo, hi;
  pair_window(user, movie, lo, hi);
  uint64_t h = pair_hash(SET.seed, K_DATE, user, movie);
  return lo + static_cast<int>(((h >> 32) * static_cast<uint64_t>(hi - lo + 1)) >> 32);
}

// Queries fall in the last weeks of the user's activity, after most of the user's
// training ratings.
int query_day(uint32_t user, uint32_t movie) {
  int lo, hi;
  pair_window(user, movie, lo, hi);
  int window = std::min(hi - lo + 1, 60);
  uint64_t h = pair_hash(SET.seed, K_DATE, user, movie);
  return hi - static_cast<int>(((h >> 32) * static_cast<uint64_t>(window)) >> 32);
}

bool pair_in_probe(uint32_t user, uint32_t movie) {
  return (pair_hash(SET.seed, K_PROBE, user, movie) >> 32) < PROBE_THRESHOLD;
}

}  // namespace gen
