// Random streams for the generator. Every user, movie and (user, movie) pair draws
// from a stream of its own derived from the seed, so the output does not depend on
// how many threads run or in which order they reach the work.
#pragma once

#include <cmath>
#include <cstdint>

namespace gen {

inline uint64_t mix64(uint64_t z) {
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

// splitmix64: small, fast and good enough for synthetic data.
struct Rng {
  uint64_t state;
  uint64_t next() {
    state += 0x9e3779b97f4a7c15ULL;
    return mix64(state);
  }
  double uniform() { return static_cast<double>(next() >> 11) * 0x1p-53; }     // [0, 1)
  double open_uniform() { return (static_cast<double>(next() >> 11) + 0.5) * 0x1p-53; }  // (0, 1)
  uint32_t below(uint32_t n) {  // 0..n-1
    return static_cast<uint32_t>(((next() >> 32) * n) >> 32);
  }
  double normal() {  // Box-Muller, one value per call
    double r = std::sqrt(-2.0 * std::log(open_uniform()));
    return r * std::cos(6.283185307179586 * uniform());
  }
};

// Stream kinds, one per purpose.
enum Kind : uint64_t {
  K_USER = 1, K_MOVIE, K_CHOOSE, K_SHUFFLE, K_QUERY, K_IDS, K_QMOVIES, K_TITLE, K_GROUPS,
  K_NOISE, K_DATE, K_PROBE
};

inline Rng stream(uint64_t seed, uint64_t kind, uint64_t index) {
  return Rng{mix64(mix64(seed * 0x9e3779b97f4a7c15ULL + kind) ^ (index * 0xd1b54a32d192ed03ULL))};
}

// One 64-bit draw fixed by (seed, kind, user, movie): the star noise, the date and the
// probe choice of a rating are functions of the pair alone.
inline uint64_t pair_hash(uint64_t seed, uint64_t kind, uint32_t user, uint32_t movie) {
  return mix64(mix64(seed * 0x9e3779b97f4a7c15ULL + kind * 0xbf58476d1ce4e5b9ULL) ^
               ((static_cast<uint64_t>(user) << 16) | movie));
}

}  // namespace gen
