#include "choose.h"

#include <algorithm>
#include <cmath>

#include "model.h"
#include "rng.h"

namespace gen {

namespace {

constexpr double TASTE_PULL = 0.8;  // users pick movies of groups they like more often
constexpr uint32_t CHUNK_USERS = 2048;
constexpr uint32_t HEAVY_USER = MOVIES / 8;  // above this, draw by sorted keys

// Walker's alias table over the movies, one per taste group.
struct Alias {
  std::vector<uint64_t> threshold;  // keep the slot when the low 32 bits are below this
  std::vector<uint16_t> other;
};

std::vector<double> GROUP_WEIGHT[USER_GROUPS];
Alias GROUP_ALIAS[USER_GROUPS];

void build_alias(Alias& a, const std::vector<double>& weight) {
  uint32_t n = static_cast<uint32_t>(weight.size());
  double sum = 0;
  for (double w : weight) sum += w;
  std::vector<double> scaled(n);
  std::vector<uint32_t> small, large;
  for (uint32_t i = 0; i < n; ++i) {
    scaled[i] = weight[i] * n / sum;
    (scaled[i] < 1.0 ? small : large).push_back(i);
  }
  a.threshold.assign(n, 1ULL << 32);
  a.other.assign(n, 0);
  for (uint32_t i = 0; i < n; ++i) a.other[i] = static_cast<uint16_t>(i);
  while (!small.empty() && !large.empty()) {
    uint32_t s = small.back(), l = large.back();
    small.pop_back();
    a.threshold[s] = static_cast<uint64_t>(scaled[s] * 4294967296.0);
    a.other[s] = static_cast<uint16_t>(l);
    scaled[l] -= 1.0 - scaled[s];
    if (scaled[l] < 1.0) {
      large.pop_back();
      small.push_back(l);
    }
  }
}

inline uint32_t draw(const Alias& a, Rng& r) {
  uint64_t x = r.next();
  uint32_t i = static_cast<uint32_t>(((x >> 32) * MOVIES) >> 32);
  return (x & 0xffffffffULL) < a.threshold[i] ? i : a.other[i];
}

// Per-thread scratch of the choosing pass.
struct Scratch {
  std::vector<uint64_t> taken = std::vector<uint64_t>(MOVIES / 64 + 1, 0);
  std::vector<std::pair<double, uint16_t>> keys;
};

// n distinct movies for the user, drawn without replacement by taste-weighted
// popularity, written to out.
void choose_for_user(uint32_t user, Scratch& s, uint16_t* out) {
  uint32_t n = USER_RATINGS[user];
  uint32_t g = USER_GROUP[user];
  Rng r = stream(SET.seed, K_CHOOSE, user);
  if (n <= HEAVY_USER) {
    const Alias& a = GROUP_ALIAS[g];
    for (uint32_t k = 0; k < n;) {
      uint32_t m = draw(a, r);
      uint64_t bit = 1ULL << (m & 63);
      if (s.taken[m >> 6] & bit) continue;
      s.taken[m >> 6] |= bit;
      out[k++] = static_cast<uint16_t>(m);
    }
    for (uint32_t k = 0; k < n; ++k) s.taken[out[k] >> 6] = 0;
    return;
  }
  // Exponential keys: the n smallest are a weighted draw without replacement, the same
  // law as repeated drawing, at a cost that does not grow with rejections.
  const std::vector<double>& w = GROUP_WEIGHT[g];
  s.keys.resize(MOVIES);
  for (uint32_t m = 0; m < MOVIES; ++m) s.keys[m] = {-std::log(r.open_uniform()) / w[m], static_cast<uint16_t>(m)};
  std::nth_element(s.keys.begin(), s.keys.begin() + (n - 1), s.keys.end());
  for (uint32_t k = 0; k < n; ++k) out[k] = s.keys[k].second;
}

}  // namespace

void choose_movies() {
  for (uint32_t g = 0; g < USER_GROUPS; ++g) {
    GROUP_WEIGHT[g].resize(MOVIES);
    for (uint32_t m = 0; m < MOVIES; ++m)
      GROUP_WEIGHT[g][m] = MOVIE_WEIGHT[m] * std::exp(TASTE_PULL * AFFINITY[g][MOVIE_GROUP[m]]);
    build_alias(GROUP_ALIAS[g], GROUP_WEIGHT[g]);
  }

  uint32_t users = static_cast<uint32_t>(SET.users);
  std::vector<uint32_t> first(users + 1, 0);  // user-major offsets
  for (uint32_t u = 0; u < users; ++u) first[u + 1] = first[u] + USER_RATINGS[u];
  std::vector<uint16_t> user_movies(SET.ratings);

  // Chunks of users of a fixed size, so the counts below do not depend on the threads.
  uint32_t chunks = (users + CHUNK_USERS - 1) / CHUNK_USERS;
  std::vector<uint32_t> chunk_count(static_cast<size_t>(chunks) * MOVIES, 0);
  std::vector<Scratch> scratch(SET.threads);
  run_parallel(chunks, [&](uint32_t c, unsigned t) {
    uint32_t* count = &chunk_count[static_cast<size_t>(c) * MOVIES];
    uint32_t end = std::min(users, (c + 1) * CHUNK_USERS);
    for (uint32_t u = c * CHUNK_USERS; u < end; ++u) {
      uint16_t* out = &user_movies[first[u]];
      choose_for_user(u, scratch[t], out);
      for (uint32_t k = 0; k < USER_RATINGS[u]; ++k) ++count[out[k]];
    }
  });
  scratch.clear();

  // Counts become write positions: movie blocks in movie order, chunks in user order
  // inside each block, so every block lists its users ascending.
  MOVIE_START.assign(MOVIES + 1, 0);
  uint32_t pos = 0;
  for (uint32_t m = 0; m < MOVIES; ++m) {
    MOVIE_START[m] = pos;
    for (uint32_t c = 0; c < chunks; ++c) {
      uint32_t& cell = chunk_count[static_cast<size_t>(c) * MOVIES + m];
      uint32_t n = cell;
      cell = pos;
      pos += n;
    }
  }
  MOVIE_START[MOVIES] = pos;

  MOVIE_USERS.assign(SET.ratings, 0);
  run_parallel(chunks, [&](uint32_t c, unsigned) {
    uint32_t* next = &chunk_count[static_cast<size_t>(c) * MOVIES];
    uint32_t end = std::min(users, (c + 1) * CHUNK_USERS);
    for (uint32_t u = c * CHUNK_USERS; u < end; ++u)
      for (uint32_t k = first[u]; k < first[u + 1]; ++k) MOVIE_USERS[next[user_movies[k]]++] = u;
  });
}

}  // namespace gen
