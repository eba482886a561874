// errreport_bench_data models DATASET_FOLDER
//   weights.dat (64 categories) and weightsb.dat (32 categories) for 480189 users.
// errreport_bench_data shared DATASET_FOLDER WORK_FOLDER
//   stand-in shortuserids2.dat, statistics.dat, movieend.dat and a probe.dat of
//   1408395 entries over 16938 movies, for when the prepared inputs are not ready.
// Values follow the layouts and ranges the reports read; a fixed seed keeps them the
// same from run to run.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "ratinglab.h"

namespace {

constexpr int32_t M = rl::full_movies, U = rl::full_users;
uint64_t SEED = 0x9e3779b97f4a7c15ull;

uint32_t next_random() {  // xorshift64*
  SEED ^= SEED >> 12;
  SEED ^= SEED << 25;
  SEED ^= SEED >> 27;
  return static_cast<uint32_t>((SEED * 0x2545f4914f6cdd1dull) >> 32);
}
uint32_t below(uint32_t n) { return next_random() % n; }

void write_models(const std::string& folder) {
  {
    const int32_t ncat = 64;
    rl::Array<uint8_t> BINSCORE;
    BINSCORE.dim(1, ncat, 1, M);
    for (int64_t k = 0; k < BINSCORE.count(); ++k) BINSCORE.data()[k] = static_cast<uint8_t>(below(6));
    rl::Array<uint32_t> USERSCORE;
    USERSCORE.dim(1, U, 1, ncat);
    for (int64_t u = 1; u <= U; ++u) {
      // About one user in ten has no data at all; others a ranked row, missing scores last.
      int known = below(10) == 0 ? 0 : static_cast<int>(ncat - below(8));
      for (int k = 1; k <= ncat; ++k) USERSCORE(u, k) = k <= known ? below(5001) : 4294967295u;
      std::sort(&USERSCORE(u, 1), &USERSCORE(u, 1) + known);
    }
    rl::open_file(folder + "/weights.dat", rl::output_mode, 1);
    rl::put_value(1, 0, ncat);
    rl::put_array(1, 0, BINSCORE);
    rl::put_array(1, 0, USERSCORE);
    rl::close_file(1);
  }
  {
    const int32_t ncat = 32;
    rl::Array<uint16_t> UBIN, MOVBIN, MOVSPREAD;
    rl::Array<int32_t> USERSCORE;
    UBIN.dim(1, U, 1, ncat);
    MOVBIN.dim(1, ncat, 1, M);
    USERSCORE.dim(1, U, 1, ncat);
    MOVSPREAD.dim(1, ncat, 1, M);
    for (int64_t k = 0; k < UBIN.count(); ++k)
      UBIN.data()[k] = below(5) == 0 ? 0 : static_cast<uint16_t>(1000 + below(4001));
    for (int64_t k = 0; k < MOVBIN.count(); ++k)
      MOVBIN.data()[k] = below(6) == 0 ? 0 : static_cast<uint16_t>(1000 + below(4001));
    for (int64_t k = 0; k < USERSCORE.count(); ++k)
      USERSCORE.data()[k] = below(8) == 0 ? -1 : static_cast<int32_t>(below(5001));
    for (int64_t k = 0; k < MOVSPREAD.count(); ++k) {
      uint32_t x = below(10);
      MOVSPREAD.data()[k] = x == 0 ? 65535 : x == 1 ? 0 : static_cast<uint16_t>(300 + below(3000));
    }
    rl::open_file(folder + "/weightsb.dat", rl::output_mode, 1);
    rl::put_value(1, 0, ncat);
    rl::put_array(1, 0, UBIN);
    rl::put_array(1, 0, MOVBIN);
    rl::put_array(1, 0, USERSCORE);
    rl::put_array(1, 0, MOVSPREAD);
    rl::close_file(1);
  }
}

// Raw id of short user u: spread over 1..2649429 with gaps.
int32_t raw_id(int32_t u) { return 5 * u + 2; }

void write_shared(const std::string& folder, const std::string& work) {
  rl::Array<int32_t> SHORTID;
  SHORTID.dim(1, rl::max_raw_user);
  for (int32_t u = 1; u <= U; ++u) SHORTID(raw_id(u)) = u;
  rl::open_file(folder + "/shortuserids2.dat", rl::output_mode, 1);
  rl::put_array(1, 0, SHORTID);
  rl::close_file(1);

  rl::Array<int32_t> USIZE, USTAT, MSTAT, MEND;
  USIZE.dim(0, U);
  USTAT.dim(1, U);
  MSTAT.dim(1, M);
  MEND.dim(0, M);
  for (int32_t u = 1; u <= U; ++u) {
    USIZE(u) = static_cast<int32_t>(1 + std::min<uint32_t>(below(400) * below(50), 17769));
    USTAT(u) = static_cast<int32_t>(below(100000));
  }
  for (int32_t m = 1; m <= M; ++m) MSTAT(m) = static_cast<int32_t>(below(200000));
  for (int32_t m = 1; m <= M; ++m) MEND(m) = MEND(m - 1) + 5654;
  rl::open_file(folder + "/statistics.dat", rl::output_mode, 1);
  rl::put_array(1, 0, USIZE);
  rl::put_array(1, 0, USTAT);
  rl::put_array(1, 0, MSTAT);
  rl::close_file(1);
  rl::open_file(folder + "/movieend.dat", rl::output_mode, 1);
  rl::put_array(1, 0, MEND);
  rl::close_file(1);

  const int32_t A = 16938, B = 1408395;
  rl::Array<int32_t> PEND, PMOVIE, PUSER;
  rl::Array<uint8_t> PSTARS;
  PEND.dim(0, A);
  PMOVIE.dim(1, A + 1);
  PUSER.dim(1, B);
  PSTARS.dim(1, B);
  for (int32_t m = 1; m <= A; ++m) {
    PEND(m) = static_cast<int32_t>(static_cast<int64_t>(B) * m / A);
    PMOVIE(m) = m + (m - 1) / 25;  // ascending movies with a few gaps, all in 1..17770
  }
  for (int32_t i = 1; i <= B; ++i) {
    PUSER(i) = raw_id(static_cast<int32_t>(1 + below(U)));
    PSTARS(i) = static_cast<uint8_t>(1 + below(5));
  }
  rl::open_file(work + "/probe.dat", rl::output_mode, 1);
  rl::put_value(1, 0, A);
  rl::put_value(1, 0, B);
  rl::put_array(1, 0, PEND);
  rl::put_array(1, 0, PMOVIE);
  rl::put_array(1, 0, PUSER);
  rl::put_array(1, 0, PSTARS);
  rl::close_file(1);
}

}  // namespace

int main(int argc, char** argv) {
  rl::init_program(argc, argv);
  std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "models" && argc == 3) {
    write_models(argv[2]);
  } else if (mode == "shared" && argc == 4) {
    write_shared(argv[2], argv[3]);
  } else {
    std::fprintf(stderr, "usage: %s models DATASET_FOLDER | shared DATASET_FOLDER WORK_FOLDER\n", argv[0]);
    return 2;
  }
  return 0;
}
