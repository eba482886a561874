// start_members USERDATA FILE [SEED]: a starting member file for a refinement run, for
// datasets too small to grow categories from seeds (a growing run fills 1000 slots per
// category from distinct users and cannot finish with fewer users than that).
//
// It writes the shape the refinement runs of catbuild_4, catbuild_5 and catbuild_7 and
// the mean-based runs read: 32 rows of NUSERS / 4 (rounded, ties to even) slots. Each
// row holds a different random quarter of the users (distinct within the row, in
// draw order), so that every user starts in about 8 of the 32 categories, as after a
// round of the refinement with its limit of 8 categories per user.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "ratinglab.h"

namespace {

constexpr int32_t NCAT = 32;

// splitmix64: a small generator that gives the same stream on every machine.
struct Random {
  uint64_t state;
  uint64_t next() {
    uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }
  // Uniform in 0..n-1 (n > 0), by rejection so that no value is favoured.
  uint64_t below(uint64_t n) {
    uint64_t limit = UINT64_MAX - UINT64_MAX % n;
    uint64_t v;
    do v = next();
    while (v >= limit);
    return v % n;
  }
};

}  // namespace

int main(int argc, char** argv) {
  rl::init_program(argc, argv);
  if (argc < 3 || argc > 4) rl::fail_input("usage: start_members USERDATA FILE [SEED]");
  uint64_t seed = 1;
  if (argc == 4) {
    char* end = nullptr;
    seed = std::strtoull(argv[3], &end, 10);
    if (*argv[3] == '\0' || *end != '\0') rl::fail_input(std::string("SEED: not a whole number: ") + argv[3]);
  }
  struct stat st;
  if (::stat(argv[1], &st) != 0) rl::fail_input(std::string(argv[1]) + ": cannot be read");

  // The header is all this needs: NMOVIES, NRATINGS, NUSERS.
  int32_t header[3] = {0, 0, 0};
  rl::open_file(argv[1], rl::binary_mode, 1);
  rl::get_value(1, 1, header[0]);
  rl::get_value(1, 0, header[1]);
  rl::get_value(1, 0, header[2]);
  rl::close_file(1);
  const int32_t users = header[2];
  if (users < 1) rl::fail_value(argv[1], "NUSERS", 9, users, "1 or more");
  const int32_t slots = rl::round_to_int(users / 4.0L);
  if (slots < 1) rl::fail_value(argv[1], "NUSERS", 9, users, "2 or more");

  rl::Array<int32_t> MEMBERS;
  MEMBERS.dim(1, NCAT, 1, slots);
  std::vector<int32_t> pool(users);
  for (int32_t u = 0; u < users; ++u) pool[u] = u + 1;
  Random random{seed};
  for (int32_t c = 1; c <= NCAT; ++c) {
    // A partial shuffle: the first `slots` places become a fresh random draw.
    for (int32_t i = 0; i < slots; ++i) {
      int32_t j = i + static_cast<int32_t>(random.below(static_cast<uint64_t>(users - i)));
      std::swap(pool[i], pool[j]);
      MEMBERS(c, i + 1) = pool[i];
    }
  }
  rl::open_file(argv[2], rl::output_mode, 1);
  rl::put_array(1, 0, MEMBERS);
  rl::close_file(1);
  std::printf("%d categories of %d members from %d users\n", NCAT, slots, users);
  return 0;
}
