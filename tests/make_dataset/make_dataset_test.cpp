// make_dataset on small shapes: the files it writes are read back by a plain reader
// here and checked line by line against the layout and the requested counts.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "test_support.h"

using namespace ratinglab;

namespace {

struct Shape {
  uint64_t ratings, users, queries, qual_movies;
};

std::string movie_file(int m) {
  char name[40];
  std::snprintf(name, sizeof name, "training_set/mv_%07d.txt", m);
  return name;
}

// Splits on LF; the text must end with LF and hold no CR.
std::vector<std::string> lines_of(const std::string& text, const std::string& what) {
  std::vector<std::string> lines;
  EXPECT_FALSE(text.empty()) << what;
  EXPECT_EQ(text.find('\r'), std::string::npos) << what;
  if (text.empty()) return lines;
  EXPECT_EQ(text.back(), '\n') << what;
  size_t start = 0;
  for (size_t lf; (lf = text.find('\n', start)) != std::string::npos; start = lf + 1)
    lines.push_back(text.substr(start, lf - start));
  return lines;
}

// A decimal number without sign or leading zero, or -1.
long long number(const std::string& s) {
  if (s.empty() || s.size() > 12 || (s[0] == '0' && s.size() > 1)) return -1;
  long long v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return -1;
    v = v * 10 + (c - '0');
  }
  return v;
}

long long movie_header(const std::string& line) {
  if (line.size() < 2 || line.back() != ':') return -1;
  return number(line.substr(0, line.size() - 1));
}

bool good_user(const std::string& s) {
  long long id = number(s);
  return id >= 1 && id <= 2649429;
}

// YYYY-MM-DD, a real day between 1999-11-11 and 2005-12-31.
bool good_date(const std::string& s) {
  if (s.size() != 10 || s[4] != '-' || s[7] != '-') return false;
  for (int i : {0, 1, 2, 3, 5, 6, 8, 9})
    if (s[i] < '0' || s[i] > '9') return false;
  int y = std::stoi(s.substr(0, 4)), m = std::stoi(s.substr(5, 2)), d = std::stoi(s.substr(8, 2));
  static const int len[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (m < 1 || m > 12 || d < 1) return false;
  if (d > len[m - 1] + (m == 2 && y % 4 == 0 && (y % 100 != 0 || y % 400 == 0))) return false;
  return s >= "1999-11-11" && s <= "2005-12-31";
}

std::vector<std::string> fields(const std::string& line) {
  std::vector<std::string> f;
  size_t start = 0;
  for (size_t c; (c = line.find(',', start)) != std::string::npos; start = c + 1) f.push_back(line.substr(start, c - start));
  f.push_back(line.substr(start));
  return f;
}

using Pair = std::pair<long long, long long>;  // (movie, user)

// Reads a whole dataset back and checks every rule of its layout and the shape.
void check_dataset(const std::string& out, const Shape& shape) {
  std::set<Pair> training;
  std::set<long long> users;
  uint64_t ratings = 0;
  for (int m = 1; m <= 17770; ++m) {
    std::string name = movie_file(m);
    ASSERT_TRUE(file_exists(out + "/" + name)) << name;
    auto lines = lines_of(read_file(out + "/" + name), name);
    ASSERT_FALSE(lines.empty()) << name;
    ASSERT_EQ(lines[0], std::to_string(m) + ":") << name;
    for (size_t i = 1; i < lines.size(); ++i) {
      auto f = fields(lines[i]);
      ASSERT_EQ(f.size(), 3u) << name << ": " << lines[i];
      ASSERT_TRUE(good_user(f[0])) << name << ": " << lines[i];
      ASSERT_TRUE(f[1].size() == 1 && f[1][0] >= '1' && f[1][0] <= '5') << name << ": " << lines[i];
      ASSERT_TRUE(good_date(f[2])) << name << ": " << lines[i];
      ASSERT_TRUE(training.insert({m, number(f[0])}).second) << name << ": user twice: " << lines[i];
      users.insert(number(f[0]));
      ++ratings;
    }
  }
  EXPECT_EQ(ratings, shape.ratings);
  EXPECT_EQ(users.size(), shape.users);

  // probe.txt: movies ascending, each followed by users whose rating is in training.
  auto probe = lines_of(read_file(out + "/probe.txt"), "probe.txt");
  std::set<Pair> probed;
  long long movie = 0;
  for (auto& line : probe) {
    if (long long m = movie_header(line); m >= 0) {
      ASSERT_GT(m, movie) << "probe.txt: " << line;
      ASSERT_LE(m, 17770);
      movie = m;
      continue;
    }
    ASSERT_GT(movie, 0) << "probe.txt: user before any movie";
    ASSERT_TRUE(good_user(line)) << "probe.txt: " << line;
    ASSERT_TRUE(training.count({movie, number(line)})) << "probe.txt: not a training rating: " << movie << " " << line;
    ASSERT_TRUE(probed.insert({movie, number(line)}).second) << "probe.txt: twice: " << line;
  }
  EXPECT_GT(probed.size(), ratings * 8 / 1000);  // about 1.4%
  EXPECT_LT(probed.size(), ratings * 20 / 1000);

  // qualifying.txt and its answers: the same movies and users, line for line.
  auto queries = lines_of(read_file(out + "/qualifying.txt"), "qualifying.txt");
  auto answers = lines_of(read_file(out + "/qualifying_answers.txt"), "qualifying_answers.txt");
  ASSERT_EQ(queries.size(), answers.size());
  std::set<Pair> asked;
  uint64_t movies = 0, in_movie = 0;
  movie = 0;
  for (size_t i = 0; i < queries.size(); ++i) {
    if (long long m = movie_header(queries[i]); m >= 0) {
      ASSERT_EQ(answers[i], queries[i]);
      ASSERT_GT(m, movie) << "qualifying.txt: " << queries[i];
      ASSERT_LE(m, 17770);
      ASSERT_TRUE(movie == 0 || in_movie > 0) << "qualifying.txt: movie without queries: " << movie;
      movie = m, in_movie = 0, ++movies;
      continue;
    }
    ASSERT_GT(movie, 0) << "qualifying.txt: query before any movie";
    auto q = fields(queries[i]), a = fields(answers[i]);
    ASSERT_EQ(q.size(), 2u) << queries[i];
    ASSERT_EQ(a.size(), 2u) << answers[i];
    ASSERT_TRUE(good_user(q[0]) && good_date(q[1])) << queries[i];
    ASSERT_EQ(a[0], q[0]);
    ASSERT_TRUE(a[1].size() == 1 && a[1][0] >= '1' && a[1][0] <= '5') << answers[i];
    ASSERT_FALSE(training.count({movie, number(q[0])})) << "qualifying pair in training: " << movie << " " << q[0];
    ASSERT_TRUE(asked.insert({movie, number(q[0])}).second) << "qualifying pair twice: " << queries[i];
    ASSERT_TRUE(users.count(number(q[0]))) << "query for a user without ratings: " << q[0];
    ++in_movie;
  }
  EXPECT_TRUE(movie == 0 || in_movie > 0);
  EXPECT_EQ(asked.size(), shape.queries);
  EXPECT_EQ(movies, shape.qual_movies);

  auto titles = lines_of(read_file(out + "/movie_titles.txt"), "movie_titles.txt");
  ASSERT_EQ(titles.size(), 17770u);
  for (size_t i = 0; i < titles.size(); ++i) {
    auto f = fields(titles[i]);
    ASSERT_GE(f.size(), 3u) << titles[i];
    EXPECT_EQ(f[0], std::to_string(i + 1));
    long long year = number(f[1]);
    EXPECT_TRUE(year >= 1890 && year <= 2005) << titles[i];
    EXPECT_FALSE(f[2].empty()) << titles[i];
  }
}

std::string all_bytes(const std::string& out) {
  std::string s;
  for (int m = 1; m <= 17770; ++m) s += read_file(out + "/" + movie_file(m)) + "|";
  for (const char* f : {"probe.txt", "qualifying.txt", "qualifying_answers.txt", "movie_titles.txt"})
    s += read_file(out + "/" + f) + "|";
  return s;
}

TEST(MakeDataset, LayoutAndExactCounts) {
  struct Case {
    std::vector<std::string> args;
    Shape shape;
  };
  const Case cases[] = {
      {{"--ratings", "30000", "--users", "400", "--queries", "900", "--qualifying-movies", "300", "--seed", "5"},
       {30000, 400, 900, 300}},
      // Defaults scale users and queries with the ratings: 480189 and 2817131 times
      // 100000 / 100480507, rounded; every query then on a movie of its own.
      {{"--ratings", "100000"}, {100000, 478, 2804, 2804}},
      // Few users, many ratings each: most movies are rated by nearly everyone, so the
      // queries have to find the few users left.
      {{"--ratings=40000", "--users=3", "--queries=6000", "--qualifying-movies=4000"}, {40000, 3, 6000, 4000}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[1]);
    TempDir dir;
    std::vector<std::string> args = {dir / "out"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    RunResult r = run_program("make_dataset", dir.path, args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    check_dataset(dir / "out", c.shape);
  }
}

TEST(MakeDataset, SameSeedSameBytesWhateverTheThreads) {
  TempDir dir;
  const std::vector<std::string> shape = {"--ratings", "20000", "--users", "300", "--queries", "700"};
  auto run = [&](const std::string& name, const std::string& seed, const std::string& threads) {
    std::vector<std::string> args = {dir / name, "--seed", seed, "--threads", threads};
    args.insert(args.end(), shape.begin(), shape.end());
    RunResult r = run_program("make_dataset", dir.path, args);
    EXPECT_EQ(r.status, 0) << r.err;
    return all_bytes(dir / name);
  };
  std::string a = run("a", "7", "1");
  EXPECT_EQ(run("b", "7", "1"), a);
  EXPECT_EQ(run("c", "7", "3"), a);
  EXPECT_NE(run("d", "8", "2"), a);
}

TEST(MakeDataset, BadOptionsStopWithStatusTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {},                                                // no output folder
      {"OUT", "--bogus"},
      {"OUT", "-x"},
      {"OUT", "second"},
      {"OUT", "--ratings"},                              // value missing
      {"OUT", "--ratings", "12x"},
      {"OUT", "--ratings", "-5"},
      {"OUT", "--ratings", "0"},
      {"OUT", "--ratings", "100", "--users", "101"},     // a user without a rating
      {"OUT", "--ratings", "100", "--users", "0"},
      {"OUT", "--ratings", "100000", "--users", "2"},    // more than two users can rate
      {"OUT", "--ratings", "100", "--users", "2649430"},
      {"OUT", "--ratings", "1000", "--queries", "10", "--qualifying-movies", "11"},
      {"OUT", "--ratings", "1000", "--queries", "10", "--qualifying-movies", "0"},
      {"OUT", "--ratings", "1000", "--qualifying-movies", "17771"},
      {"OUT", "--ratings", "10", "--users", "1", "--queries", "17761"},  // no room beside the ratings
      {"OUT", "--threads", "0"},
  };
  for (const auto& args : cases) {
    TempDir dir;
    std::string joined;
    for (auto& a : args) joined += a + " ";
    SCOPED_TRACE(joined);
    RunResult r = run_program("make_dataset", dir.path, args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("make_dataset: ", 0), 0u) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    EXPECT_FALSE(file_exists(dir / "OUT"));
  }
}

TEST(MakeDataset, HelpAndWriteFailure) {
  TempDir dir;
  RunResult help = run_program("make_dataset", dir.path, {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: make_dataset OUT", 0), 0u);
  EXPECT_EQ(help.err, "");

  // The output folder cannot be made under a plain file: status 3, not success.
  write_file(dir / "plain", "x");
  RunResult r = run_program("make_dataset", dir.path, {dir / "plain/out", "--ratings", "1000"});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.err.rfind("make_dataset: ", 0), 0u) << r.err;
}

}  // namespace
