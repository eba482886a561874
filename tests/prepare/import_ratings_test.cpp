// import_ratings: a small hand-made ratings file turned into the raw layout byte for byte
// (renumbering, half stars, UTC dates, the split), its bad input, and the shared research
// set run on through prepare_inputs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "prepare_support.h"
#include "shared_inputs.h"

using namespace ratinglab;
using prep::movie_file_name;

namespace {

RunResult run_import(const std::string& dir, const std::vector<std::string>& args) {
  return run_program("import_ratings", dir, args);
}

// Movies 7, 20, 30, 500, 9000 become 1..5. User 10: the latest rating (movie 9000) is a
// query, the next latest (movie 30) a probe rating. User 3 has only four ratings. User
// 2649429 has five at one time: the later lines win.
const char* small_csv =
    "userId,movieId,rating,timestamp\n"
    "10,500,0.5,0\n"
    "10,7,4.5,86399\r\n"
    "10,20,2.5,86400\n"
    "10,9000,3.0,951782400\n"
    "10,30,1.49,951782399\n"
    "3,7,5,1000000000\n"
    "3,20,4.0,1000000000\n"
    "3,30,3.5,1000000000\n"
    "3,500,1.5,1000000000\n"
    "2649429,7,1.0,1136073599\n"
    "2649429,20,2.0,1136073599\n"
    "2649429,30,3.0,1136073599\n"
    "2649429,500,4.0,1136073599\n"
    "2649429,9000,5.0,1136073599";

const char* small_movies =
    "movieId,title,genres\n"
    "7,Plain Title (1999),Drama\n"
    "20,\"Comma, The (2001)\",Comedy\r\n"
    "30,No Year,Drama\n"
    "77,Unrated (1990),Drama\n"
    "500,\"Quote \"\"Q\"\" (1987) \",Drama\n";

}  // namespace

TEST(ImportRatings, SmallFileGivesTheRawLayout) {
  TempDir t;
  write_file(t / "ratings.csv", small_csv);
  write_file(t / "movies.csv", small_movies);
  write_file(t / "raw/training_set/mv_0000009.txt", "9:\n1,1,2000-01-01\n");  // an older import
  RunResult r = run_import(t.path, {"ratings.csv", "raw", "--movies", "movies.csv"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "14 ratings of 5 movies: 12 training (2 of them probe), 2 qualifying\n");
  const std::map<std::string, std::string> expected = {
      {movie_file_name(1), "1:\n3,5,2001-09-09\n10,5,1970-01-01\n2649429,1,2005-12-31\n"},
      {movie_file_name(2), "2:\n3,4,2001-09-09\n10,3,1970-01-02\n2649429,2,2005-12-31\n"},
      {movie_file_name(3), "3:\n3,4,2001-09-09\n10,1,2000-02-28\n2649429,3,2005-12-31\n"},
      {movie_file_name(4), "4:\n3,2,2001-09-09\n10,1,1970-01-01\n2649429,4,2005-12-31\n"},
      {movie_file_name(5), "5:\n"},
      {"probe.txt", "3:\n10\n4:\n2649429\n"},
      {"qualifying.txt", "5:\n10,2000-02-29\n2649429,2005-12-31\n"},
      {"qualifying_answers.txt", "5:\n10,3\n2649429,5\n"},
      {"movie_titles.txt",
       "1,1999,Plain Title\n2,2001,Comma, The\n3,NULL,No Year\n4,1987,Quote \"Q\"\n5,NULL,Movie 9000\n"},
  };
  for (const auto& [name, bytes] : expected) EXPECT_EQ(read_file(t / ("raw/" + name)), bytes) << name;
  EXPECT_FALSE(file_exists(t / ("raw/" + movie_file_name(9))));
  EXPECT_FALSE(file_exists(t / ("raw/" + movie_file_name(6))));

  // Without a movies file the titles are placeholders.
  ASSERT_EQ(run_import(t.path, {"ratings.csv", "raw2"}).status, 0);
  EXPECT_EQ(read_file(t / "raw2/movie_titles.txt"),
            "1,NULL,Movie 7\n2,NULL,Movie 20\n3,NULL,Movie 30\n4,NULL,Movie 500\n5,NULL,Movie 9000\n");

  // prepare_inputs takes the result: the query is outside training, the probe inside.
  make_dirs(t / "work");
  r = run_program("prepare_inputs", t / "work", {t / "raw"}, {{"RATINGLAB_DRIVE_C", t / "c"}});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "4 movies, 3 users, 12 ratings, 2 probe ratings, 2 qualifying queries\n");
}

TEST(ImportRatings, UsersOutsideTheRawRangeAreRenumbered) {
  TempDir t;
  write_file(t / "ratings.csv",
             "userId,movieId,rating,timestamp\n2649430,1,4,0\n0,1,3,0\n5,2,2,0\n0,2,1,0\n");
  ASSERT_EQ(run_import(t.path, {"ratings.csv", "raw"}).status, 0);
  EXPECT_EQ(read_file(t / ("raw/" + movie_file_name(1))), "1:\n1,3,1970-01-01\n3,4,1970-01-01\n");
  EXPECT_EQ(read_file(t / ("raw/" + movie_file_name(2))), "2:\n1,1,1970-01-01\n2,2,1970-01-01\n");
  EXPECT_EQ(read_file(t / "raw/probe.txt"), "");
  EXPECT_EQ(read_file(t / "raw/qualifying.txt"), "");
}

TEST(ImportRatings, BadInputStopsBeforeAnyOutput) {
  std::string many = "userId,movieId,rating,timestamp\n";
  for (int m = 17771; m >= 1; --m) many += "1," + std::to_string(m) + ",3,0\n";
  struct Case { std::string csv, message; };
  const Case cases[] = {
      {many, "ratings.csv: movieId at line 2: 17771, expected at most 17770 distinct movies"},
      {"h\n1,2,3\n", "ratings.csv: line at line 2: \"1,2,3\""},
      {"h\n1,2,3,4,5\n", "ratings.csv: line at line 2: \"1,2,3,4,5\""},
      {"h\n1,2,3,4\n1,x,3,4\n", "ratings.csv: line at line 3: \"1,x,3,4\""},
      {"h\n1,2,5.5,0\n", "ratings.csv: rating at line 2: \"5.5\", expected 0.5..5"},
      {"h\n1,2,0.4,0\n", "ratings.csv: rating at line 2: \"0.4\", expected 0.5..5"},
      {"h\n1,2,four,0\n", "ratings.csv: rating at line 2: \"four\", expected a decimal number"},
      {"h\n1,2,3,-99999999999\n", "ratings.csv: timestamp at line 2: -99999999999"},
      {"h\n1,7,3,0\n2,7,3,0\n1,7,4,5\n", "ratings.csv: movieId at line 4: 7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    TempDir t;
    write_file(t / "ratings.csv", c.csv);
    write_file(t / "raw/probe.txt", "earlier\n");
    RunResult r = run_import(t.path, {"ratings.csv", "raw"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(prep::count_lines(r.err), 1) << r.err;
    EXPECT_EQ(r.err.rfind("import_ratings: " + c.message, 0), 0u) << r.err;
    EXPECT_EQ(read_file(t / "raw/probe.txt"), "earlier\n");
    EXPECT_FALSE(file_exists(t / "raw/training_set"));
  }
}

// The shared research set beside the source tree, or the folder named by
// RATINGLAB_SMALL_RATINGS; empty when neither is there.
std::string research_set() {
  const char* env = std::getenv("RATINGLAB_SMALL_RATINGS");
  std::string data = env && *env ? env : RATINGLAB_SMALL_RATINGS;
  return file_exists(data + "/ratings.csv") ? data : "";
}

// Lines of the ratings file after the header, and how many users have at least five.
void count_research_set(const std::string& csv, std::size_t& lines, int32_t& queries,
                        std::size_t& users) {
  std::map<std::string, int> per_user;
  lines = 0;
  for (std::size_t b = csv.find('\n') + 1; b < csv.size(); ++lines) {
    std::size_t e = csv.find('\n', b);
    if (e == std::string::npos) e = csv.size();
    ++per_user[csv.substr(b, csv.find(',', b) - b)];
    b = e + 1;
  }
  queries = 0;
  for (auto& [u, n] : per_user) queries += n >= 5;
  users = per_user.size();
}

TEST(ImportRatings, ResearchSetRunsThroughPreparation) {
  const std::string data = research_set();
  if (data.empty()) GTEST_SKIP() << "no research set beside the source tree";
  TempDir t;
  RunResult r = run_import(t.path, {data + "/ratings.csv", "download", "--movies", data + "/movies.csv"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::size_t lines = 0, users = 0;
  int32_t queries = 0;
  count_research_set(read_file(data + "/ratings.csv"), lines, queries, users);

  make_dirs(t / "work");
  r = run_program("prepare_inputs", t / "work", {t / "download"}, {{"RATINGLAB_DRIVE_C", t / "c"}});
  ASSERT_EQ(r.status, 0) << r.err;
  rl::UserData d;
  rl::read_userdata(t / "c/ratinglab/dataset/userdata1.dat", d);
  rl::check_userdata("userdata1.dat", d, 17770);
  EXPECT_EQ(d.NUSERS, static_cast<int32_t>(users));
  EXPECT_EQ(d.NRATINGS, static_cast<int32_t>(lines) - queries);
  rl::Array<int32_t> SHORTID;
  rl::read_shortids(t / "c/ratinglab/dataset/shortuserids2.dat", SHORTID);
  rl::ProbeList p;
  rl::read_probe(t / "work/probe.dat", p);
  rl::check_probe("probe.dat", p, SHORTID, d.NUSERS);
  EXPECT_EQ(p.PROBE_COUNT, queries);
  std::string qtext = read_file(t / "c/ratinglab/dataset/qualifying.txt");
  std::string qdata = read_file(t / "work/predictdata.dat");
  EXPECT_EQ(qdata, prep::parse_queries_literally(qtext));
  // Counted sizes: QEND and QMOVIE M+1 values each, QUSER one per query.
  std::size_t movies = static_cast<std::size_t>(std::count(qtext.begin(), qtext.end(), ':'));
  EXPECT_EQ(qdata.size(), 4 * (2 * (movies + 1) + static_cast<std::size_t>(queries)));
}

TEST(ImportRatings, ResearchSetIsAcceptedByPackTraining) {
  const std::string data = research_set();
  if (data.empty()) GTEST_SKIP() << "no research set beside the source tree";
  if (!file_exists(program_path("pack_training"))) GTEST_SKIP() << "pack_training is not built";
  TempDir t;
  ASSERT_EQ(run_import(t.path, {data + "/ratings.csv", "download"}).status, 0);
  std::size_t lines = 0, users = 0;
  int32_t queries = 0;
  count_research_set(read_file(data + "/ratings.csv"), lines, queries, users);
  make_dirs(t / "work/data");
  RunResult r = run_program("pack_training", t / "work");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(std::filesystem::file_size(t / "work/data/ratingmovie.dat"),
            static_cast<std::uintmax_t>(lines - queries));  // the queries are no training ratings
}
