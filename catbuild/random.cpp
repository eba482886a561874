// The builder's one random source: uniform values in [0, 1), seeded once.
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <random>

#include "builder.h"
#include "convert.h"

namespace cb {

namespace {
std::mt19937_64 g_source;
}

void seed_random_with(uint64_t seed) { g_source.seed(seed); }

void seed_random() {
  // RATINGLAB_SEED fixes the seed; it exists for tests only.
  if (const char* s = std::getenv("RATINGLAB_SEED"); s && *s) {
    seed_random_with(std::strtoull(s, nullptr, 10));
    return;
  }
  seed_random_with(static_cast<uint64_t>(
      std::chrono::high_resolution_clock::now().time_since_epoch().count()));
}

int32_t draw(int32_t k) {
  double r = static_cast<double>(g_source() >> 11) * 0x1.0p-53;
  return static_cast<int32_t>(std::floor(static_cast<long double>(r) * k)) + 1;
}

}  // namespace cb
