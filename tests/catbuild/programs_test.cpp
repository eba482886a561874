// Every builder program on small fixtures: whole output files and the console
// transcript against the literal reference, and the handling of bad input.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fixtures.h"
#include "reference.h"
#include "test_support.h"

namespace {

using ratinglab::TempDir;

std::string members_bytes(const std::vector<int32_t>& v) { return ratinglab::le_bytes<int32_t>(v); }

struct Fixture {
  TempDir dir;
  std::string dataset;  // the folder the configuration reads and writes
  explicit Fixture(const cb::Config& cfg) {
    dataset = cfg.name == std::string("catbuild_1") ? dir / "dataset" : dir / "c/ratinglab/dataset";
    ratinglab::make_dirs(dataset);
  }
  ratinglab::RunResult run(const std::string& program, uint64_t seed = 0) {
    return ratinglab::run_program(program, dir.path, {},
                                  {{"RATINGLAB_DRIVE_C", dir / "c"},
                                   {"RATINGLAB_SEED", std::to_string(seed)}});
  }
  std::string file(const std::string& name) const { return ratinglab::read_file(dataset + "/" + name); }
};

const char* member_file_name(const cb::Config& cfg) {
  return cfg.flow == cb::Flow::mean_statistics || cfg.load_mode == 1 ? "catbinweights1.dat"
                                                                       : "catbinweights2.dat";
}

// Runs the program and compares stdout and every file the reference writes.
void check_run(const std::string& program, const ref::Ratings& r,
               const std::vector<int32_t>& members, uint64_t seed, ref::Result* keep = nullptr) {
  cb::Config cfg;
  ASSERT_TRUE(cb::config_by_name(program, cfg));
  Fixture s(cfg);
  ratinglab::write_file(s.dataset + "/userdata1.dat", ref::userdata_bytes(r));
  if (cfg.load_mode != 0 || cfg.flow == cb::Flow::mean_statistics)
    ratinglab::write_file(s.dataset + "/" + member_file_name(cfg), members_bytes(members));
  auto got = s.run(program, seed);
  ref::Result want = ref::run(cfg, r, members, seed);
  EXPECT_EQ(got.status, 0) << got.err;
  EXPECT_EQ(got.out, want.out) << program;
  for (const auto& [name, bytes] : want.files) {
    std::string have = s.file(name);
    EXPECT_EQ(have.size(), bytes.size()) << program << " " << name;
    EXPECT_TRUE(have == bytes) << program << " " << name;
  }
  if (keep) *keep = want;
}

// Configurations reading a member file: its whole shape, some slots empty.
TEST(Programs, RefinementConfigurationsMatchReference) {
  auto r = fx::random_ratings(21, 400, 40, 3, 25);
  const int32_t quarter = 100;  // 400 / 4
  check_run("catbuild_3", r, fx::random_members(1, 64 * quarter, 400), 0);
  check_run("catbuild_4", r, fx::random_members(2, 32 * quarter, 400), 0);
  check_run("catbuild_5", r, fx::random_members(3, 32 * quarter, 400), 0);
  check_run("catbuild_6", r, fx::random_members(4, 32 * 1000, 400), 0);
  check_run("catbuild_7", r, fx::random_members(5, 32 * quarter, 400), 0);
}

TEST(Programs, MeanConfigurationsMatchReference) {
  auto r = fx::random_ratings(22, 400, 40, 3, 25);
  check_run("catbuild_1", r, fx::random_members(6, 32 * 100, 400), 0);
  check_run("catbuild_2", r, fx::random_members(7, 32 * 100, 400), 0);
}

TEST(Programs, GrowingConfigurationsMatchReference) {
  auto r = fx::random_ratings(23, 1300, 40, 5, 20);
  for (const char* p : {"catbuild_3_grow", "catbuild_5_grow", "catbuild_6_grow", "catbuild_7_grow"})
    check_run(p, r, {}, 17);
  ref::Result want;
  check_run("catbuild_4_grow", r, {}, 18, &want);
  // Sorted variant, 1000 slots: slot counts 3, 7, 15, ... 1000 (p is count + 1).
  EXPECT_EQ(want.grow_progress_p, (std::vector<int32_t>{2, 4, 8, 16, 32, 58, 96, 138, 196, 268,
                                                        360, 474, 612, 750, 888}));
}

TEST(Programs, EmptyMemberFileGivesNoAssignments) {
  // No member file at all: no bin scores, every score -1, nobody assigned; the round
  // line's quotient 0 / 0 prints as nan.
  auto r = fx::random_ratings(24, 40, 10, 1, 5);
  Fixture s(cb::catbuild_4);
  ratinglab::write_file(s.dataset + "/userdata1.dat", ref::userdata_bytes(r));
  auto got = s.run("catbuild_4");
  EXPECT_EQ(got.status, 0);
  EXPECT_EQ(got.out, ref::run(cb::catbuild_4, r, {}, 0).out);
  EXPECT_NE(got.out.find("\r\n 0   0     nan    0       \r\n"), std::string::npos) << got.out;
  EXPECT_EQ(got.err, "");  // a missing file is no error
}

TEST(Programs, MemberFileOfAnotherShapeWarnsOnce) {
  auto r = fx::random_ratings(25, 400, 40, 3, 25);
  auto members = fx::random_members(8, 64 * 25, 400);  // catbuild_3's own 64 x 25 output
  Fixture s(cb::catbuild_3);
  ratinglab::write_file(s.dataset + "/userdata1.dat", ref::userdata_bytes(r));
  ratinglab::write_file(s.dataset + "/catbinweights2.dat", members_bytes(members));
  auto got = s.run("catbuild_3");
  EXPECT_EQ(got.status, 0);
  EXPECT_EQ(got.out, ref::run(cb::catbuild_3, r, members, 0).out);
  EXPECT_NE(got.err.find("6400 bytes"), std::string::npos) << got.err;
  EXPECT_NE(got.err.find("25600 bytes"), std::string::npos) << got.err;
  EXPECT_EQ(std::count(got.err.begin(), got.err.end(), '\n'), 1) << got.err;
}

TEST(Programs, BadInputStopsBeforeAnyOutput) {
  auto good = fx::random_ratings(26, 40, 10, 1, 5);
  struct Case {
    const char* what;
    std::string userdata;
    std::vector<int32_t> members;
    const char* field;
  };
  auto bad_movie = good, big_movie = good, bad_star = good;
  bad_movie.umovie[1] = 0;
  big_movie.umovie[good.uend[1]] = 11;  // beyond NMOVIES = 10
  bad_star.ustars[3] = 6;
  auto wide = good;
  wide.nmovies = 65535;
  std::vector<int32_t> ok_members = fx::random_members(9, 32 * 10, 40);
  auto high = ok_members, negative = ok_members;
  high[17] = 41;
  negative[3] = -1;
  std::vector<Case> cases = {
      {"movie 0", ref::userdata_bytes(bad_movie), ok_members, "UMOVIE"},
      {"movie above NMOVIES", ref::userdata_bytes(big_movie), ok_members, "UMOVIE"},
      {"star 6", ref::userdata_bytes(bad_star), ok_members, "USTARS"},
      {"NMOVIES 65535", ref::userdata_bytes(wide), ok_members, "NMOVIES"},
      {"member above NUSERS", ref::userdata_bytes(good), high, "MEMBERS at 18"},
      {"member -1", ref::userdata_bytes(good), negative, "MEMBERS at 4"},
  };
  for (const auto& k : cases)
    for (const cb::Config* cfg : {&cb::catbuild_4, &cb::catbuild_2}) {
      Fixture s(*cfg);
      ratinglab::write_file(s.dataset + "/userdata1.dat", k.userdata);
      ratinglab::write_file(s.dataset + "/" + member_file_name(*cfg), members_bytes(k.members));
      auto got = s.run(cfg->name);
      EXPECT_EQ(got.status, 2) << k.what << " " << cfg->name;
      EXPECT_NE(got.err.find(k.field), std::string::npos) << k.what << ": " << got.err;
      EXPECT_FALSE(ratinglab::file_exists(s.dataset + "/weights.dat")) << k.what;
      EXPECT_FALSE(ratinglab::file_exists(s.dataset + "/weightsb.dat")) << k.what;
      EXPECT_EQ(s.file(member_file_name(*cfg)), members_bytes(k.members)) << k.what;
    }
}

TEST(Programs, GrowingNeedsEnoughSeedUsers) {
  // 300 users give a seed pool of 30, fewer than 32 categories: stopped, not hung.
  auto r = fx::random_ratings(27, 300, 10, 1, 5);
  Fixture s(cb::catbuild_4);
  ratinglab::write_file(s.dataset + "/userdata1.dat", ref::userdata_bytes(r));
  auto got = s.run("catbuild_4_grow");
  EXPECT_EQ(got.status, 2);
  EXPECT_NE(got.err.find("NUSERS"), std::string::npos) << got.err;
}

}  // namespace
