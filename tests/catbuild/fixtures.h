// Small rating fixtures for the builder tests.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "builder.h"
#include "reference.h"

namespace fx {

// Random users over nmovies movies with lo..hi ratings each; stars drawn with a bias
// per user group so categories differ. heavy > 0 adds that many ratings to user 1.
inline ref::Ratings random_ratings(uint64_t seed, int32_t nusers, int32_t nmovies, int lo, int hi,
                                   int heavy = 0) {
  std::mt19937_64 g(seed);
  ref::Ratings r;
  r.nmovies = nmovies;
  r.nusers = nusers;
  r.uend.assign(nusers + 1, 0);
  r.umovie.assign(1, 0);
  r.ustars.assign(1, 0);
  for (int32_t u = 1; u <= nusers; ++u) {
    int n = u == 1 && heavy > 0 ? heavy : lo + static_cast<int>(g() % (hi - lo + 1));
    if (n > nmovies) n = nmovies;
    std::vector<char> pick(nmovies + 1, 0);
    int got = 0;
    while (got < n) {
      int m = 1 + static_cast<int>(g() % nmovies);
      if (!pick[m]) pick[m] = 1, ++got;
    }
    int group = static_cast<int>(g() % 3);
    for (int m = 1; m <= nmovies; ++m) {
      if (!pick[m]) continue;
      int base = 1 + static_cast<int>((m * 7 + group * 11) % 5);
      int x = g() % 3 == 0 ? 1 + static_cast<int>(g() % 5) : base;
      r.umovie.push_back(static_cast<uint16_t>(m));
      r.ustars.push_back(static_cast<uint8_t>(x));
    }
    r.uend[u] = static_cast<int32_t>(r.umovie.size()) - 1;
  }
  return r;
}

// Ratings from explicit lists: users[u-1] = {(movie, stars), ...} ascending.
inline ref::Ratings explicit_ratings(int32_t nmovies,
                                     const std::vector<std::vector<std::pair<int, int>>>& users) {
  ref::Ratings r;
  r.nmovies = nmovies;
  r.nusers = static_cast<int32_t>(users.size());
  r.uend.assign(r.nusers + 1, 0);
  r.umovie.assign(1, 0);
  r.ustars.assign(1, 0);
  for (std::size_t u = 0; u < users.size(); ++u) {
    for (auto [m, x] : users[u]) {
      r.umovie.push_back(static_cast<uint16_t>(m));
      r.ustars.push_back(static_cast<uint8_t>(x));
    }
    r.uend[u + 1] = static_cast<int32_t>(r.umovie.size()) - 1;
  }
  return r;
}

// Loads the ratings into the builder's tables.
inline void load(const ref::Ratings& r) {
  rl::Array<int32_t> uend;
  rl::Array<uint16_t> um;
  rl::Array<uint8_t> us;
  uend.dim(0, r.nusers);
  for (int32_t u = 0; u <= r.nusers; ++u) uend(u) = r.uend[u];
  int64_t n = static_cast<int64_t>(r.umovie.size()) - 1;
  um.dim(1, n);
  us.dim(1, n);
  for (int64_t j = 1; j <= n; ++j) um(j) = r.umovie[j], us(j) = r.ustars[j];
  cb::set_rating_lists(r.nmovies, r.nusers, std::move(uend), std::move(um), std::move(us));
}

// Random member table entries (0 = empty) of the given count.
inline std::vector<int32_t> random_members(uint64_t seed, int64_t count, int32_t nusers,
                                           int empty_every = 5) {
  std::mt19937_64 g(seed);
  std::vector<int32_t> v(count);
  for (auto& e : v) e = g() % empty_every == 0 ? 0 : 1 + static_cast<int32_t>(g() % nusers);
  return v;
}

}  // namespace fx
