// prepare_inputs on a small hand-made raw set: every prepared file compared byte for byte
// with bytes worked out by hand, and "predictdata.dat" against the predictor's own
// parsing pass over the "qualifying.txt" that was written.
#include <gtest/gtest.h>

#include <filesystem>

#include "prepare_support.h"
#include "shared_inputs.h"

using namespace ratinglab;
using prep::movie_file_name;

namespace {

// Users 7, 30, 100, 2649429 get short indices 1..4. Movie 2 has CR LF lines and a last
// line without its end; movie 3 has no file; movie 17770 is the last one.
prep::RawSet hand_set() {
  return {
      {movie_file_name(1), "1:\n7,3,2005-01-02\n2649429,5,2004-12-31\n30,4,2001-05-05\n"},
      {movie_file_name(2), "2:\r\n30,2,2003-03-03\r\n7,4,2005-01-02\r\n100,1,2004-12-31"},
      {movie_file_name(4), "4:\n7,4,2002-02-02\n"},
      {movie_file_name(17770), "17770:\n100,2,2005-12-31\n"},
      // The empty group of movie 4 gives no group.
      {"probe.txt", "2:\n100\r\n7\n1:\n2649429\n4:\n"},
      {"qualifying.txt",
       "3:\n7,2005-01-01\r\n30,2005-02-01\n17770:\n2649429,2005-03-01\n4:\n1:\n100,2005-09-09"},
      {"movie_titles.txt", "1,2003,Alpha, the movie\r\n2,NULL,Beta\n17770,1999,Zeta\n"},
  };
}

template <class T>
std::string table(std::size_t n, std::map<std::size_t, T> set) {
  std::vector<T> v(n);
  for (auto [i, x] : set) v[i] = x;
  return le_bytes(v);
}

std::map<std::string, std::string> hand_expected() {
  std::map<std::string, std::string> e;
  e["userdata1.dat"] = le_bytes<int32_t>({17770, 8, 4, 0, 3, 5, 7, 8}) +
                       le_bytes<uint16_t>({1, 2, 4, 1, 2, 2, 17770, 1}) +
                       le_bytes<uint8_t>({3, 4, 4, 4, 2, 1, 2, 5});
  e["shortuserids2.dat"] =
      table<int32_t>(2649429, {{7 - 1, 1}, {30 - 1, 2}, {100 - 1, 3}, {2649429 - 1, 4}});
  // USIZE [0..480189]; USTAT: 11/3, 6/2, 3/2, 5/1 stars x 1000; MSTAT.
  e["statistics.dat"] = table<int32_t>(480190, {{1, 3}, {2, 2}, {3, 2}, {4, 1}}) +
                        table<int32_t>(480189, {{0, 3667}, {1, 3000}, {2, 1500}, {3, 5000}}) +
                        table<int32_t>(17770, {{0, 3}, {1, 3}, {3, 1}, {17769, 1}});
  std::vector<int32_t> mend(17771, 7);
  mend[0] = 0, mend[1] = 3, mend[2] = 6, mend[3] = 6, mend[17770] = 8;
  e["movieend.dat"] = le_bytes(mend);
  std::string names;
  for (int m = 1; m <= 17770; ++m) {
    std::string t = m == 1 ? "Alpha, the movie" : m == 2 ? "Beta" : m == 17770 ? "Zeta" : "";
    names += le_bytes<uint16_t>({static_cast<uint16_t>(t.size())}) + t;
  }
  e["movienames.dat"] = names + table<uint16_t>(17770, {{0, 2003}, {17769, 1999}});
  e["scores.dat"] = le_bytes<uint8_t>({3, 5, 4, 2, 4, 1, 4, 2});
  e["userids2.dat"] = le_bytes<int32_t>({1, 4, 2, 2, 1, 3, 1, 3});
  e["qualifying.txt"] =
      "3:\r\n7,2005-01-01\r\n30,2005-02-01\r\n17770:\r\n2649429,2005-03-01\r\n1:\r\n100,2005-09-09\r\n";
  e["probe.dat"] = le_bytes<int32_t>({2, 3, 0, 2, 3, 2, 1, 0, 100, 7, 2649429}) +
                   le_bytes<uint8_t>({1, 4, 5});
  e["predictdata.dat"] = le_bytes<int32_t>({0, 2, 3, 4, 3, 17770, 1, 0, 7, 30, 2649429, 100});
  return e;
}

}  // namespace

TEST(PrepareInputs, HandSetGivesEveryFileByteForByte) {
  prep::Tree t;
  prep::write_raw(t.raw(), hand_set());
  RunResult r = prep::run_prepare(t);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, "4 movies, 4 users, 8 ratings, 3 probe ratings, 4 qualifying queries\n");
  auto got = prep::prepared_files(t);
  for (const auto& [name, bytes] : hand_expected()) EXPECT_TRUE(got[name] == bytes) << name;
  EXPECT_EQ(got["predictdata.dat"], prep::parse_queries_literally(got["qualifying.txt"]));

  // The builder that reads the relative "dataset\" sees the same files.
  EXPECT_TRUE(std::filesystem::is_symlink(t.work() + "/dataset"));
  EXPECT_EQ(read_file(t.work() + "/dataset/userdata1.dat"), got["userdata1.dat"]);

  // The readers' invariants hold.
  rl::UserData d;
  rl::read_userdata(t.dataset("userdata1.dat"), d);
  rl::check_userdata("userdata1.dat", d, 17770);
  rl::Array<int32_t> SHORTID;
  rl::read_shortids(t.dataset("shortuserids2.dat"), SHORTID);
  rl::ProbeList p;
  rl::read_probe(t.work() + "/probe.dat", p);
  rl::check_probe("probe.dat", p, SHORTID, d.NUSERS);

  // A second run replaces everything with the same bytes and keeps the link.
  r = prep::run_prepare(t);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(prep::prepared_files(t) == got);
  EXPECT_TRUE(std::filesystem::is_symlink(t.work() + "/dataset"));
  for (const auto& e : std::filesystem::directory_iterator(t.work()))
    EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
}

TEST(PrepareInputs, RealDatasetFolderInTheWorkingFolderGetsCopies) {
  prep::Tree t;
  prep::write_raw(t.raw(), hand_set());
  make_dirs(t.work() + "/dataset");
  RunResult r = prep::run_prepare(t);
  ASSERT_EQ(r.status, 0) << r.err;
  for (const auto& n : prep::dataset_file_names)
    EXPECT_TRUE(read_file(t.work() + "/dataset/" + n) == read_file(t.dataset(n))) << n;
}

TEST(PrepareInputs, QueryListMatchesTheParsingPassExample) {
  // The predictor's own example: 5: 123,x 17: 42,y gives QEND 0 1 2, QMOVIE 5 17, QUSER 123 42.
  EXPECT_EQ(prep::parse_queries_literally("5:\r\n123,x\r\n17:\r\n42,y\r\n"),
            le_bytes<int32_t>({0, 1, 2, 5, 17, 0, 123, 42}));
  EXPECT_EQ(prep::parse_queries_literally(""), le_bytes<int32_t>({0, 0}));

  prep::Tree t;
  prep::write_raw(t.raw(), {{movie_file_name(1), "1:\n123,3,2005-01-01\n42,4,2005-01-01\n"},
                            {"probe.txt", ""},
                            {"qualifying.txt", "5:\n123,2005-01-01\n17:\n42,2005-01-02\n"},
                            {"movie_titles.txt", ""}});
  RunResult r = prep::run_prepare(t);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(read_file(t.work() + "/predictdata.dat"), le_bytes<int32_t>({0, 1, 2, 5, 17, 0, 123, 42}));
  // An empty probe list: no groups, PMOVIE holds its one unused entry.
  EXPECT_EQ(read_file(t.work() + "/probe.dat"), le_bytes<int32_t>({0, 0, 0, 0}));
}
