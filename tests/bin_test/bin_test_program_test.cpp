// bin_test run as a program on small fixtures: the whole "swapn2.dat" against the
// literal transcription, the exact console transcript, and bad inputs.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "convert.h"
#include "literal_bin_test.h"
#include "test_support.h"

namespace {

using ratinglab::read_file;
using ratinglab::run_program;
using ratinglab::TempDir;
using ratinglab::write_file;

struct Drive {
  TempDir dir;
  std::string dataset() const { return dir / "drive_c/ratinglab/dataset"; }
  Drive() { ratinglab::make_dirs(dataset()); }
  void put(const std::string& name, const std::string& bytes) const {
    write_file(dataset() + "/" + name, bytes);
  }
  std::string get(const std::string& name) const { return read_file(dataset() + "/" + name); }
  ratinglab::RunResult run() const {
    return run_program("bin_test", dir.path, {}, {{"RATINGLAB_DRIVE_C", dir / "drive_c"}});
  }
};


TEST(BinTestProgram, HandModelFileAndTranscript) {
  BinModel d;
  d.A = 3, d.U = 2, d.N = 2;
  d.BINSCORE = {1, 1, 2, 2, 0, 3};
  d.UEND = {0, 3, 5};
  d.UMOVIE = {0, 1, 2, 3, 1, 3};
  d.USTARS = {0, 4, 5, 1, 3, 3};
  d.USERSCORE = {10, 20, 5, -1};
  Drive drive;
  drive.put("userdata1.dat", userdata_bytes(d));
  drive.put("weights.dat", weights_bytes(d));
  auto r = drive.run();
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Starting the test..\r\n 0.7071068    " " 1" + std::string(12, ' ') + " 2\r\n");
  EXPECT_EQ(drive.get("swapn2.dat"), swapn2_bytes(literal_bin_test(d)));
  EXPECT_EQ(drive.get("swapn2.dat").size(), 2u * 2 * 24);
}

TEST(BinTestProgram, ManyUsersMatchLiteralWithProgressRows) {
  std::mt19937 rng(7);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  BinModel d;
  d.A = 60, d.U = 250, d.N = 5;
  for (int i = 0; i < d.N * d.A; ++i) d.BINSCORE.push_back(pick(0, 3) == 0 ? 0 : pick(1, 5));
  d.UEND.push_back(0);
  d.UMOVIE.push_back(0);
  d.USTARS.push_back(0);
  for (int u = 1; u <= d.U; ++u) {
    for (int m = 1; m <= d.A; ++m)
      if (pick(0, 2) == 0) {
        d.UMOVIE.push_back(static_cast<uint16_t>(m));
        d.USTARS.push_back(static_cast<uint8_t>(pick(1, 5)));
      }
    d.UEND.push_back(static_cast<int32_t>(d.UMOVIE.size()) - 1);
    int usable = pick(0, d.N);
    for (int j = 1; j <= d.N; ++j) d.USERSCORE.push_back(j <= usable ? pick(0, 999) : -1);
  }
  Drive drive;
  drive.put("userdata1.dat", userdata_bytes(d));
  drive.put("weights.dat", weights_bytes(d));
  auto r = drive.run();
  ASSERT_EQ(r.status, 0) << r.err;
  BinResult want = literal_bin_test(d);
  EXPECT_EQ(drive.get("swapn2.dat"), swapn2_bytes(want));
  std::string a = rl::single_text(
      static_cast<float>(std::sqrt(static_cast<long double>(want.total) / want.predicted)));
  std::string b = rl::single_text(want.total);
  std::string c = rl::integer_text(want.predicted);
  ASSERT_LT(a.size(), 14u);
  ASSERT_LT(b.size(), 14u);
  EXPECT_EQ(r.out, "Starting the test..\r\n 100\r\n 200\r\n" + a + std::string(14 - a.size(), ' ') +
                       b + std::string(14 - b.size(), ' ') + c + "\r\n");
}

TEST(BinTestProgram, NoRatingsPrintNanAndWriteEmptyFile) {
  Drive drive;
  auto r = drive.run();
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Starting the test..\r\n nan" + std::string(10, ' ') + " 0" +
                       std::string(12, ' ') + " 0\r\n");
  EXPECT_TRUE(ratinglab::file_exists(drive.dataset() + "/swapn2.dat"));
  EXPECT_EQ(drive.get("swapn2.dat"), "");
}

TEST(BinTestProgram, BadValuesStopBeforeWriting) {
  struct Case {
    const char* what;
    int movie, star, bin;
    const char* field;
  } cases[] = {
      {"rating 6", 1, 6, 1, "USTARS"},
      {"rating 0", 1, 0, 1, "USTARS"},
      {"bin 6", 1, 3, 6, "BINSCORE"},
      {"movie 0", 0, 3, 1, "UMOVIE"},
      {"movie beyond NMOVIES", 3, 3, 1, "UMOVIE"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BinModel d;
    d.A = 2, d.U = 1, d.N = 1;
    d.BINSCORE = {static_cast<uint8_t>(c.bin), 2};
    d.UEND = {0, 1};
    d.UMOVIE = {0, static_cast<uint16_t>(c.movie)};
    d.USTARS = {0, static_cast<uint8_t>(c.star)};
    d.USERSCORE = {0};
    Drive drive;
    drive.put("userdata1.dat", userdata_bytes(d));
    drive.put("weights.dat", weights_bytes(d));
    drive.put("swapn2.dat", "previous");
    auto r = drive.run();
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(c.field), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    EXPECT_EQ(drive.get("swapn2.dat"), "previous");
  }
}

}  // namespace
