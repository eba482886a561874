// Writes a synthetic userdata1.dat for timing runs of the builder:
//   make_userdata FILE NUSERS NMOVIES NRATINGS SEED
// Movie popularity is skewed, list lengths vary widely, and ratings follow a few
// taste groups so that categories have something to find.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: make_userdata FILE NUSERS NMOVIES NRATINGS SEED\n");
    return 1;
  }
  const int32_t users = std::atoi(argv[2]), movies = std::atoi(argv[3]);
  const int64_t target = std::atoll(argv[4]);
  std::mt19937_64 g(std::strtoull(argv[5], nullptr, 10));
  std::uniform_real_distribution<double> U(0, 1);
  // Popularity weights and a cumulative table for drawing movies.
  std::vector<double> cum(movies);
  double acc = 0;
  for (int m = 0; m < movies; ++m) acc += 1.0 / std::pow(m + 10.0, 0.9), cum[m] = acc;
  std::vector<int> perm(movies);
  for (int m = 0; m < movies; ++m) perm[m] = m + 1;
  std::shuffle(perm.begin(), perm.end(), g);
  // List lengths: lognormal, scaled to the target count.
  std::lognormal_distribution<double> L(4.3, 1.2);
  std::vector<double> len(users);
  double total = 0;
  for (auto& l : len) l = L(g), total += l;
  std::vector<int32_t> uend(users + 1, 0);
  std::vector<uint16_t> um;
  std::vector<uint8_t> us;
  um.reserve(target + users);
  us.reserve(target + users);
  std::vector<double> bias(movies + 1);
  std::vector<std::array<double, 8>> taste(movies + 1);
  for (int m = 1; m <= movies; ++m) {
    bias[m] = 3.6 + 0.6 * (U(g) - 0.5);
    for (auto& t : taste[m]) t = 1.6 * (U(g) - 0.5);
  }
  std::vector<char> seen(movies + 1, 0);
  std::vector<int> list;
  for (int32_t u = 0; u < users; ++u) {
    int n = std::clamp<int>(static_cast<int>(std::lround(len[u] * target / total)), 1, movies / 2);
    int group = static_cast<int>(U(g) * 8);
    double ub = 0.8 * (U(g) - 0.5);
    list.clear();
    while (static_cast<int>(list.size()) < n) {
      int idx = static_cast<int>(std::lower_bound(cum.begin(), cum.end(), U(g) * acc) - cum.begin());
      int m = perm[std::min(idx, movies - 1)];
      if (seen[m]) continue;
      seen[m] = 1;
      list.push_back(m);
    }
    std::sort(list.begin(), list.end());
    for (int m : list) {
      seen[m] = 0;
      double r = bias[m] + ub + taste[m][group] + 0.9 * (U(g) + U(g) - 1);
      um.push_back(static_cast<uint16_t>(m));
      us.push_back(static_cast<uint8_t>(std::clamp<long>(std::lround(r), 1, 5)));
    }
    uend[u + 1] = static_cast<int32_t>(um.size());
  }
  int32_t head[3] = {movies, static_cast<int32_t>(um.size()), users};
  std::FILE* f = std::fopen(argv[1], "wb");
  if (!f) return 1;
  std::fwrite(head, 4, 3, f);
  std::fwrite(uend.data(), 4, uend.size(), f);
  std::fwrite(um.data(), 2, um.size(), f);
  std::fwrite(us.data(), 1, us.size(), f);
  return std::fclose(f) == 0 ? 0 : 1;
}
