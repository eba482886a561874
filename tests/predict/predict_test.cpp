// predict_qualifying and predict_qualifying_prepare run on small fixtures: the query
// list, "results.txt" byte for byte against a literal reference, the transcripts, and
// the inputs that must stop the run.
#include <gtest/gtest.h>

#include <random>

#include "test_support.h"

namespace {

using ratinglab::append_le;
using ratinglab::le_bytes;
using ratinglab::read_file;
using ratinglab::TempDir;
using ratinglab::write_file;

constexpr int32_t movies = 17770;
const std::string loads =
    "Prediction data has been loaded.\r\nMovie sizes have been loaded.\r\n"
    "Scores have been loaded.\r\nUser ids have been loaded.\r\n";

// The model and query list of one run, with (j, m), (u, j, b) and (u, j) laid out as
// the files hold them.
struct Model {
  int32_t N = 0, U = 0;
  std::vector<uint8_t> BINSCORE;    // N x 17770
  std::vector<uint16_t> BINRATING;  // U x N x 5
  std::vector<int32_t> CATERROR;    // U x N
  std::vector<int32_t> SHORTID;     // [1..], entry 0 unused; the file may be short
  std::vector<int32_t> QEND, QMOVIE, QUSER;  // QEND from 0, the others from 1 (entry 0 unused)

  void init(int32_t n, int32_t u) {
    N = n, U = u;
    BINSCORE.assign(static_cast<std::size_t>(N) * movies, 0);
    BINRATING.assign(static_cast<std::size_t>(U) * N * 5, 0);
    CATERROR.assign(static_cast<std::size_t>(U) * N, -1);
  }
  uint8_t& bin(int32_t j, int32_t m) { return BINSCORE[(j - 1) * movies + (m - 1)]; }
  uint16_t& rating(int32_t u, int32_t j, int32_t b) {
    return BINRATING[((u - 1) * N + (j - 1)) * 5 + (b - 1)];
  }
  int32_t& caterror(int32_t u, int32_t j) { return CATERROR[(u - 1) * N + (j - 1)]; }

  std::string weights() const {
    std::string s;
    append_le<int32_t>(s, N);
    for (uint8_t b : BINSCORE) append_le<uint8_t>(s, b);
    return s;
  }
  std::string swapn2() const {
    std::vector<uint16_t> binerror(BINRATING.size(), 7);
    return le_bytes(BINRATING) + le_bytes(binerror) + le_bytes(CATERROR);
  }
  std::string shortids() const {
    return le_bytes(std::vector<int32_t>(SHORTID.begin() + 1, SHORTID.end()));
  }
  std::string predictdata() const {
    return le_bytes(QEND) + le_bytes(std::vector<int32_t>(QMOVIE.begin() + 1, QMOVIE.end())) +
           le_bytes(std::vector<int32_t>(QUSER.begin() + 1, QUSER.end()));
  }

  // The prediction loop and the results file, step by step as described.
  std::string literal_results() {
    const int32_t M = static_cast<int32_t>(QEND.size()) - 1;
    const int32_t Q = static_cast<int32_t>(QUSER.size()) - 1;
    std::vector<int32_t> QPRED(Q + 1);
    int32_t k = 1, m = QMOVIE[1];
    for (int32_t q = 1; q <= Q; ++q) {
      int32_t u = SHORTID[QUSER[q]];
      float best = 4294967296.0f;
      int32_t bestj = 0, found = 0;
      for (int32_t j = 1; j <= N; ++j) {
        uint8_t b = bin(j, m);
        if (b == 0) continue;
        uint32_t e = static_cast<uint32_t>(caterror(u, j));
        if (e == 4294967295u) continue;
        if (static_cast<long double>(e) < best) best = static_cast<float>(e), bestj = j;
        found = found + 1;
      }
      QPRED[q] = found >= 1 ? rating(u, bestj, bin(bestj, m)) : 4;
      if (k <= M && QEND[k] == q) k = k + 1, m = QMOVIE[k];
    }
    std::string out = std::to_string(QMOVIE[1]) + ":\r\n";
    k = 1;
    for (int32_t q = 1; q <= Q; ++q) {
      if (k <= M && q - 1 == QEND[k]) k = k + 1, out += std::to_string(QMOVIE[k]) + ":\r\n";
      out += std::to_string(QPRED[q]) + ".00\r\n";
    }
    return out;
  }
};

struct Folder {
  TempDir dir;
  std::string dataset() const { return dir / "drive_c/ratinglab/dataset"; }
  Folder() {
    ratinglab::make_dirs(dataset());
    ratinglab::make_dirs(dir / "work");
  }
  void put(const std::string& name, const std::string& bytes) const {
    write_file(dataset() + "/" + name, bytes);
  }
  void put_model(const Model& d) const {
    put("weights.dat", d.weights());
    put("swapn2.dat", d.swapn2());
    put("shortuserids2.dat", d.shortids());
  }
  std::string work(const std::string& name) const { return dir / ("work/" + name); }
  ratinglab::RunResult run(const std::string& program) const {
    return ratinglab::run_program(program, dir / "work", {},
                                  {{"RATINGLAB_DRIVE_C", dir / "drive_c"}});
  }
};

std::string swapn2_line(const Folder& r, int64_t length, int32_t users, int32_t cats) {
  return "predict_qualifying_prepare: " + r.dataset() + "/swapn2.dat: length " +
         std::to_string(length) + " fits " + std::to_string(users) + " users of " +
         std::to_string(cats) + " categories; predicting for " + std::to_string(users) +
         " users\n";
}

// Three categories, two users. Movie 5 has no bin in category 1 and ties at 7 in
// categories 2 and 3 for user 1 (the lower one wins); movie 17 has bin 1 everywhere and
// user 2 has category 1 not usable and a CATERROR of 0 (valid, the best) in category 2.
Model example_model() {
  Model d;
  d.init(3, 2);
  d.bin(2, 5) = 2, d.bin(3, 5) = 4;
  d.bin(1, 17) = 1, d.bin(2, 17) = 1, d.bin(3, 17) = 1;
  d.caterror(1, 1) = 0, d.caterror(1, 2) = 7, d.caterror(1, 3) = 7;
  d.caterror(2, 1) = -1, d.caterror(2, 2) = 0, d.caterror(2, 3) = 5;
  d.rating(1, 2, 2) = 3, d.rating(1, 3, 4) = 5;
  d.rating(2, 1, 1) = 1, d.rating(2, 2, 1) = 2, d.rating(2, 3, 1) = 5;
  d.SHORTID.assign(200, 0);
  d.SHORTID[123] = 1, d.SHORTID[42] = 2;
  return d;
}

TEST(PredictPrepare, FourLineExample) {
  for (const char* eol : {"\r\n", "\n"}) {
    SCOPED_TRACE(eol[0] == '\r' ? "CR LF" : "LF only");
    Model d = example_model();
    Folder r;
    r.put_model(d);
    std::string e = eol;
    r.put("qualifying.txt", "5:" + e + "123,x" + e + "17:" + e + "42,y" + e);
    auto res = r.run("predict_qualifying_prepare");
    ASSERT_EQ(res.status, 0) << res.err;
    EXPECT_EQ(res.out, " 1\r\n 2\r\n 1   \r\n 2   \r\n" + loads);
    EXPECT_EQ(res.err, swapn2_line(r, 2 * 3 * 24, 2, 3));
    EXPECT_EQ(read_file(r.work("predictdata.dat")),
              le_bytes<int32_t>({0, 1, 2}) + le_bytes<int32_t>({5, 17, 0}) +
                  le_bytes<int32_t>({123, 42}));
    EXPECT_EQ(read_file(r.work("results.txt")), "5:\r\n3.00\r\n17:\r\n2.00\r\n");
  }
}

TEST(PredictPrepare, QueryTextShapes) {
  struct Case {
    const char* what;
    std::string text;
    std::vector<int32_t> qend, qmovie, quser;
    std::string results;
  } cases[] = {
      {"empty text", "", {0}, {0}, {}, "0:\r\n"},
      {"fields after the user id are never read", "5:\r\n123,2005-09-06 x\r\n", {0, 1},
       {5, 0}, {123}, "5:\r\n3.00\r\n"},
      {"last query without its line end is lost", "5:\r\n123,x\r\n42,y", {0, 1}, {5, 0}, {123},
       "5:\r\n3.00\r\n"},
      {"last movie line without its line end", "5:\r\n123,x\r\n17:", {0, 1, 1}, {5, 17, 0},
       {123}, "5:\r\n3.00\r\n"},
      {"mixed line ends", "5:\n123,x\r\n17:\r\n42,y\n", {0, 1, 2}, {5, 17, 0}, {123, 42},
       "5:\r\n3.00\r\n17:\r\n2.00\r\n"},
      // A movie without queries gets its header at once and the queries after it keep
      // the movie before it, as the list has always been read.
      {"movie without queries", "17:\r\n5:\r\n123,x\r\n", {0, 0, 1}, {17, 5, 0}, {123},
       "17:\r\n5:\r\n1.00\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Model d = example_model();
    d.rating(1, 1, 1) = 1;  // user 1, movie 17: category 1 (CATERROR 0) predicts 1
    Folder r;
    r.put_model(d);
    r.put("qualifying.txt", c.text);
    auto res = r.run("predict_qualifying_prepare");
    ASSERT_EQ(res.status, 0) << res.err;
    EXPECT_EQ(read_file(r.work("predictdata.dat")),
              le_bytes(c.qend) + le_bytes(c.qmovie) + le_bytes(c.quser));
    EXPECT_EQ(read_file(r.work("results.txt")), c.results);
    std::string progress;
    for (std::size_t k = 1; k < c.qend.size(); ++k) progress.append(" ").append(std::to_string(k)).append("\r\n");
    for (std::size_t k = 1; k < c.qend.size(); ++k) progress.append(" ").append(std::to_string(k)).append("   \r\n");
    EXPECT_EQ(res.out, progress + loads);
  }
}

TEST(PredictPrepare, MissingBinMapsPredictZeroWhereABinExists) {
  // No "swapn2.dat": every CATERROR and BINRATING is 0, nothing is said on stderr.
  Model d = example_model();
  Folder r;
  r.put("weights.dat", d.weights());
  d.SHORTID[123] = 480189;
  r.put("shortuserids2.dat", d.shortids());
  r.put("qualifying.txt", "5:\r\n123,x\r\n9:\r\n123,x\r\n");
  auto res = r.run("predict_qualifying_prepare");
  ASSERT_EQ(res.status, 0) << res.err;
  EXPECT_EQ(res.err, "");
  EXPECT_EQ(read_file(r.work("results.txt")), "5:\r\n0.00\r\n9:\r\n4.00\r\n");
}

TEST(PredictPrepare, FullSizeBinMapsNeedNoNotice) {
  Model d;
  d.init(1, 480189);
  d.bin(1, 5) = 3;
  d.rating(480189, 1, 3) = 2;
  d.caterror(480189, 1) = 12;
  d.SHORTID.assign(50, 0);
  d.SHORTID[7] = 480189;
  Folder r;
  r.put_model(d);
  r.put("qualifying.txt", "5:\r\n7,x\r\n");
  auto res = r.run("predict_qualifying_prepare");
  ASSERT_EQ(res.status, 0) << res.err;
  EXPECT_EQ(res.err, "");
  EXPECT_EQ(read_file(r.work("results.txt")), "5:\r\n2.00\r\n");
}

TEST(PredictPrepare, BadInputStopsBeforeResults) {
  struct Case {
    const char* what;
    std::string text;
    int32_t short_of_123;
    std::string swapn2_tail;  // bytes added to the bin maps
    uint8_t bin;              // bin of movie 5 in category 3
    const char* needle;
    bool writes_predictdata;
  } cases[] = {
      {"raw user id 0", "5:\r\nx,1\r\n", 1, "", 4, "user 0", false},
      {"raw user id past 2649429", "5:\r\n2649430,1\r\n", 1, "", 4, "2649430", false},
      {"movie 0", "abc:\r\n123,1\r\n", 1, "", 4, "movie 0", false},
      {"movie past 17770", "17771:\r\n123,1\r\n", 1, "", 4, "17771", false},
      {"short index 0", "5:\r\n123,1\r\n", 0, "", 4, "SHORTID at 123", true},
      {"short index past the users", "5:\r\n123,1\r\n", 3, "", 4, "expected 1..2", true},
      {"bin maps of no user count", "5:\r\n123,1\r\n", 1, "x", 4, "fits no user count", false},
      {"bin 6", "5:\r\n123,1\r\n", 1, "", 6, "BINSCORE", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Model d = example_model();
    d.SHORTID[123] = c.short_of_123;
    d.bin(3, 5) = c.bin;
    Folder r;
    r.put_model(d);
    r.put("swapn2.dat", d.swapn2() + c.swapn2_tail);
    r.put("qualifying.txt", c.text);
    auto res = r.run("predict_qualifying_prepare");
    EXPECT_EQ(res.status, 2);
    EXPECT_NE(res.err.find(c.needle), std::string::npos) << res.err;
    EXPECT_FALSE(ratinglab::file_exists(r.work("results.txt")));
    EXPECT_EQ(ratinglab::file_exists(r.work("predictdata.dat")), c.writes_predictdata);
  }
}

TEST(PredictDelivered, MissingQueryListStops) {
  Folder r;
  r.put_model(example_model());
  auto res = r.run("predict_qualifying");
  EXPECT_EQ(res.status, 2);
  EXPECT_NE(res.err.find("predictdata.dat: QUSER at 1 holds 0"), std::string::npos) << res.err;
  EXPECT_FALSE(ratinglab::file_exists(r.work("results.txt")));
}

TEST(PredictDelivered, FullQueryListAgainstLiteral) {
  std::mt19937 rng(99);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  Model d;
  d.init(4, 300);
  for (auto& b : d.BINSCORE) b = pick(0, 2) == 0 ? 0 : pick(1, 5);
  for (auto& v : d.BINRATING) v = static_cast<uint16_t>(pick(1, 5));
  for (auto& e : d.CATERROR) e = pick(0, 4) == 0 ? -1 : pick(0, 3) == 0 ? 4 : pick(0, 16001);
  d.SHORTID.assign(1001, 0);
  for (int raw = 1; raw <= 1000; ++raw) d.SHORTID[raw] = pick(1, 300);
  // 17470 movies (ids ascending with gaps), 2817131 queries spread over them.
  const int32_t M = 17470, Q = 2817131;
  d.QEND.assign(M + 1, 0);
  d.QMOVIE.assign(M + 2, 0);
  d.QUSER.assign(Q + 1, 0);
  for (int32_t k = 1; k <= M; ++k) {
    d.QMOVIE[k] = k + (k * 300) / M;
    d.QEND[k] = static_cast<int32_t>(static_cast<int64_t>(Q) * k / M);
  }
  for (int32_t q = 1; q <= Q; ++q) d.QUSER[q] = pick(1, 1000);
  Folder r;
  r.put_model(d);
  write_file(r.work("predictdata.dat"), d.predictdata());
  auto res = r.run("predict_qualifying");
  ASSERT_EQ(res.status, 0) << res.err;
  std::string progress;
  for (int32_t q = 10000; q <= Q; q += 10000) progress.append(" ").append(std::to_string(q)).append("\r\n");
  EXPECT_EQ(res.out, loads + progress);
  EXPECT_TRUE(read_file(r.work("results.txt")) == d.literal_results());
  EXPECT_EQ(read_file(r.work("results.txt")).substr(0, 3), "1:\r");
}

}  // namespace
