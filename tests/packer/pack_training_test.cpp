#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "reference.h"
#include "test_support.h"

using ratinglab::le_bytes;
using ratinglab::read_file;
using ratinglab::run_program;
using ratinglab::TempDir;

namespace {

constexpr int movies = 17770;
constexpr int user_slots = 480190;
constexpr int raw_ids = 2649429;

const char* const tables[] = {"longuserids.dat", "sdates.dat", "moviestarts.dat",
                              "ratingmovie.dat", "userids.dat", "ratinguser.dat",
                              "movieids.dat", "userstarts.dat"};

// A working folder "work/" with "data/" and the raw files in "../download/training_set/".
struct Site {
  TempDir root;
  Site(bool with_data = true) {
    ratinglab::make_dirs(root / "download/training_set");
    ratinglab::make_dirs(root / "work");
    if (with_data) ratinglab::make_dirs(root / "work/data");
  }
  void raw(int movie, const std::string& bytes) {
    char name[32];
    std::snprintf(name, sizeof name, "mv_%07d.txt", movie);
    ratinglab::write_file(root / ("download/training_set/" + std::string(name)), bytes);
  }
  ratinglab::RunResult run() { return run_program("pack_training", root / "work"); }
  std::string table(const char* name) { return read_file(root / ("work/data/" + std::string(name))); }
  std::string trace() { return read_file(root / "work/testresults_training.txt"); }
  std::vector<std::string> data_files() {
    std::vector<std::string> names;
    for (auto& e : std::filesystem::directory_iterator(root / "work/data"))
      names.push_back(e.path().filename().string());
    return names;
  }
};

std::string repeated_int32(std::vector<int32_t> head, int32_t fill, std::size_t count) {
  head.resize(count, fill);
  return le_bytes(head);
}

TEST(PackTraining, SmallSetByHand) {
  Site site;
  site.raw(1, "1:\n30,3,2005-12-31\n10,5,1998-10-01\n");
  // CR LF lines, a block the sort reorders, a last line without LF.
  site.raw(2, "2:\r\n10,4,1999-11-11\r\n20,2,2005-12-31\r\n30,1,1998-10-02");
  site.raw(3, "");  // empty file; movie 4 has no file at all
  site.raw(5, "5:\n20,5,2000-01-01\n40,3,2000-01-02\n");
  auto r = site.run();
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");

  // Raw ids 30, 10, 20, 40 become dense 0, 1, 2, 3 in order of first appearance.
  std::vector<int32_t> map(raw_ids, -1);
  map[30 - 1] = 0;
  map[10 - 1] = 1;
  map[20 - 1] = 2;
  map[40 - 1] = 3;
  EXPECT_EQ(site.table("longuserids.dat"), le_bytes(map));
  EXPECT_EQ(site.table("longuserids.dat").substr(0, 4), "\xff\xff\xff\xff");
  // Dates in raw line order: 2648 0 | 406 2648 1 | 457 458.
  EXPECT_EQ(site.table("sdates.dat"),
            std::string("\x58\x0a\x00\x00\x96\x01\x58\x0a\x01\x00\xc9\x01\xca\x01", 14));
  EXPECT_EQ(site.table("moviestarts.dat"), repeated_int32({0, 2, 5, 5, 5}, 7, movies + 1));
  // Movie 2 lists dense 1, 2, 0 with stars 4, 2, 1; sorted: 0, 1, 2 with 1, 4, 2.
  EXPECT_EQ(site.table("userids.dat"), le_bytes<int32_t>({0, 1, 0, 1, 2, 2, 3}));
  EXPECT_EQ(site.table("ratingmovie.dat"), std::string("\3\5\1\4\2\5\3", 7));
  EXPECT_EQ(site.table("userstarts.dat"), repeated_int32({0, 2, 4, 6}, 7, user_slots));
  EXPECT_EQ(site.table("movieids.dat"), le_bytes<uint16_t>({0, 1, 0, 1, 1, 4, 4}));
  EXPECT_EQ(site.table("ratinguser.dat"), std::string("\3\1\5\4\2\5\3", 7));
  EXPECT_TRUE(ratinglab::file_exists(site.root / "work/testresults_training.txt"));
  EXPECT_EQ(site.trace(), "");

  // The whole console text when stdout is not a terminal.
  const std::string blanks(60, ' ');
  std::string progress;
  for (int i = 1; i <= movies; ++i) progress += "Working on movie nominal ID:  " + std::to_string(i) + "\r\n";
  std::string want = "Starting training set compression.\r\n"
                     "Loading and processing data, part 1...\r\n" + progress +
                     blanks + "\r\n" + "Loading and processing data, part 2...\r\n" + progress +
                     blanks + "\r\n" + blanks + "\r\n" + "Writing output to disk...\r\n" +
                     blanks + "\r\n" + blanks + "\r\n" +
                     "Getting the ratings per user and movie per user...\r\n" +
                     blanks + "\r\n" + blanks + "\r\n" + "Writing more output to disk...\r\n" +
                     blanks + "\r\n" + "Training set compressed! Press any key to exit.\r\n";
  EXPECT_EQ(r.out, want);
}

struct Rating {
  int32_t raw;
  int star;
  int y, m, d;
};
using RawSet = std::map<int, std::vector<Rating>>;  // movie number -> lines in order

// The tables and the trace as the packer's steps describe them, computed directly from
// the ratings (no text parsing), with the step-by-step sort on widened copies.
std::map<std::string, std::string> reference_pack(const RawSet& set) {
  std::vector<int32_t> map(raw_ids, -1), count(user_slots, 0), ustarts(user_slots, 0),
      mstarts(movies + 1, 0);
  int32_t users = 0, total = 0;
  for (int i = 0; i < movies; ++i) {
    auto it = set.find(i + 1);
    if (it != set.end())
      for (const Rating& r : it->second) {
        ++total;
        if (map[r.raw - 1] == -1) map[r.raw - 1] = users++;
        ++count[map[r.raw - 1] + 1];
      }
    mstarts[i + 1] = total;
  }
  for (int u = 1; u < user_slots; ++u) {
    count[u] += count[u - 1];
    ustarts[u] = count[u];
  }
  std::vector<int32_t> muser;
  std::vector<uint8_t> mstar, ustar(total);
  std::vector<int16_t> mdate;
  std::vector<uint16_t> umovie(total);
  std::string trace;
  for (int i = 0; i < movies; ++i) {
    auto it = set.find(i + 1);
    if (it == set.end()) continue;
    for (const Rating& r : it->second) {
      int32_t d = map[r.raw - 1];
      muser.push_back(d);
      mstar.push_back(static_cast<uint8_t>(r.star));
      mdate.push_back(static_cast<int16_t>(reference::day_count(r.y, r.m, r.d) & 0xffff));
      int32_t p = count[d]++;
      ustar[p] = static_cast<uint8_t>(r.star);
      umovie[p] = static_cast<uint16_t>(i);
      if (d == 22797) trace += "b_" + std::to_string(i) + "\r\n";
    }
  }
  for (int u = 0; u + 1 < user_slots; ++u) {
    int32_t b = ustarts[u], n = ustarts[u + 1] - b;
    std::vector<uint32_t> keys(umovie.begin() + b, umovie.begin() + b + n);
    std::vector<uint8_t> comp(ustar.begin() + b, ustar.begin() + b + n);
    reference::quicksort(keys.data(), comp.data(), n, false);
    for (int32_t j = 0; j < n; ++j) umovie[b + j] = static_cast<uint16_t>(keys[j]), ustar[b + j] = comp[j];
  }
  for (int m = 0; m < movies; ++m) {
    int32_t b = mstarts[m], n = mstarts[m + 1] - b;
    std::vector<uint32_t> keys(muser.begin() + b, muser.begin() + b + n);
    std::vector<uint8_t> comp(mstar.begin() + b, mstar.begin() + b + n);
    reference::quicksort(keys.data(), comp.data(), n, false);
    for (int32_t j = 0; j < n; ++j) muser[b + j] = static_cast<int32_t>(keys[j]), mstar[b + j] = comp[j];
  }
  return {{"longuserids.dat", le_bytes(map)},
          {"sdates.dat", le_bytes(mdate)},
          {"moviestarts.dat", le_bytes(mstarts)},
          {"ratingmovie.dat", std::string(mstar.begin(), mstar.end())},
          {"userids.dat", le_bytes(muser)},
          {"ratinguser.dat", std::string(ustar.begin(), ustar.end())},
          {"movieids.dat", le_bytes(umovie)},
          {"userstarts.dat", le_bytes(ustarts)},
          {"trace", trace}};
}

std::string raw_text(int movie, const std::vector<Rating>& lines, bool crlf, bool last_lf) {
  std::string s = std::to_string(movie) + ":" + (crlf ? "\r\n" : "\n");
  char buf[64];
  for (std::size_t k = 0; k < lines.size(); ++k) {
    const Rating& r = lines[k];
    std::snprintf(buf, sizeof buf, "%d,%d,%04d-%02d-%02d", r.raw, r.star, r.y, r.m, r.d);
    s += buf;
    if (k + 1 < lines.size() || last_lf) s += crlf ? "\r\n" : "\n";
  }
  return s;
}

TEST(PackTraining, RandomSetMatchesTheReference) {
  // More than 22797 users so the trace has lines; users rating a movie twice give
  // equal keys in the movie blocks and user blocks the sort has to work on.
  std::mt19937 rng(99);
  std::vector<int32_t> pool;  // distinct raw ids; movie 1 gives pool[d] the dense id d
  std::vector<char> taken(raw_ids + 1, 0);
  while (pool.size() < 24000) {
    int32_t id = 1 + static_cast<int32_t>(rng() % raw_ids);
    if (!taken[id]) taken[id] = 1, pool.push_back(id);
  }
  auto random_rating = [&](int32_t id) {
    return Rating{id, 1 + static_cast<int>(rng() % 5), 1999 + static_cast<int>(rng() % 7),
                  1 + static_cast<int>(rng() % 12), 1 + static_cast<int>(rng() % 28)};
  };
  RawSet set;
  for (int32_t id : pool) set[1].push_back(random_rating(id));
  for (int k = 0; k < 50; ++k) set[1].push_back(random_rating(pool[rng() % 100]));  // rated twice
  set[2];  // a file with the header only
  std::vector<int32_t> some(pool.begin() + 100, pool.begin() + 3100);  // distinct users
  std::shuffle(some.begin(), some.end(), rng);
  for (int32_t id : some) set[300].push_back(random_rating(id));
  for (int movie : {7, 9000, 17770}) {
    int n = 3000 + static_cast<int>(rng() % 3000);
    for (int k = 0; k < n; ++k) set[movie].push_back(random_rating(pool[rng() % pool.size()]));
    set[movie].push_back(random_rating(pool[22797]));
    set[movie].push_back(random_rating(pool[rng() % 20]));  // duplicates likely
  }
  Site site;
  bool crlf = false;
  for (auto& [movie, lines] : set) {
    site.raw(movie, raw_text(movie, lines, crlf, !crlf));
    crlf = !crlf;
  }
  auto want = reference_pack(set);
  ASSERT_NE(want["trace"], "");
  auto r = site.run();
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* name : tables) EXPECT_TRUE(site.table(name) == want[name]) << name;
  EXPECT_EQ(site.trace(), want["trace"]);
}

TEST(PackTraining, BadInputStopsBeforeAnyOutput) {
  struct Case { const char* line; const char* field; };
  const Case cases[] = {
      {"0,3,2005-01-02", "raw user id at line 3: \"0\""},
      {"2649430,3,2005-01-02", "raw user id at line 3: \"2649430\""},
      {"12,3", "rating line at line 3: \"12,3\""},
      {"12,3,2005-01-02,5", "rating line at line 3: \"12,3,2005-01-02,5\""},
      {"12,9,2005-01-02", "star value at line 3: \"9\""},
      {"12,x,2005-01-02", "star value at line 3: \"x\""},
      {"12,3,2005-02-30", "date at line 3: \"2005-02-30\""},
      {"12,3,01/02/2005", "date at line 3: \"01/02/2005\""},
  };
  for (const Case& c : cases) {
    Site site;
    site.raw(1, "1:\n5,3,2005-01-02\n");
    site.raw(2, std::string("2:\n6,4,2005-01-03\n") + c.line + "\n7,1,2005-01-04\n");
    auto r = site.run();
    EXPECT_EQ(r.status, 2) << c.line;
    std::string head = "pack_training: ../download/training_set/mv_0000002.txt: " + std::string(c.field);
    EXPECT_EQ(r.err.rfind(head, 0), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_TRUE(site.data_files().empty()) << c.line;
    EXPECT_FALSE(ratinglab::file_exists(site.root / "work/testresults_training.txt"));
  }
}

TEST(PackTraining, A480190thUserIsRefused) {
  Site site;
  std::string text = "1:\n";
  for (int k = 1; k <= 480189; ++k) text += std::to_string(k * 5) + ",3,2005-01-02\n";
  site.raw(1, text);
  site.raw(2, "2:\n5,3,2005-01-02\n2649000,1,2005-01-02\n");
  auto r = site.run();
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err.rfind("pack_training: ../download/training_set/mv_0000002.txt: raw user id at line 3: \"2649000\"", 0), 0u)
      << r.err;
  EXPECT_TRUE(site.data_files().empty());
}

TEST(PackTraining, MissingDataFolderFailsTheFirstSave) {
  Site site(false);
  site.raw(1, "1:\n5,3,2005-01-02\n");
  auto r = site.run();
  EXPECT_EQ(r.status, 3);
  EXPECT_NE(r.err.find("pack_training: the folder of data/longuserids.dat does not exist"), std::string::npos) << r.err;
  EXPECT_FALSE(ratinglab::file_exists(site.root / "work/testresults_training.txt"));
  EXPECT_FALSE(ratinglab::file_exists(site.root / "work/data"));
}

}  // namespace
