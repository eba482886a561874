// Whole experiments through run_experiment with the real programs: a small generated
// set (growing path) and a slice of ml-latest-small (imported, random start). Each
// checks every step, the stated size of every output file, results.txt against the
// qualifying file line by line, and the figures of the summary. They are skipped
// while a program of the chain is not built yet.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "test_support.h"

using namespace ratinglab;

namespace {

const std::vector<std::string> CHAIN = {
    "pack_training", "movie_rmse", "prepare_inputs", "catbuild_4_grow", "catbuild_4",
    "catbuild_2", "bin_test", "predict_qualifying", "predict_qualifying_prepare", "errreport",
    "errreport_b", "score_results", "start_members", "run_experiment"};

std::string missing_program(std::vector<std::string> names) {
  for (const std::string& n : names)
    if (!file_exists(program_path(n))) return n;
  return "";
}

#define SKIP_WITHOUT(...)                                                        \
  do {                                                                           \
    std::vector<std::string> need = CHAIN;                                       \
    for (const char* extra : {__VA_ARGS__}) need.push_back(extra);               \
    std::string gone = missing_program(need);                                    \
    if (!gone.empty()) GTEST_SKIP() << "needs " << gone << ", which is not built yet"; \
  } while (0)

int64_t size_of(const std::string& path) {
  std::error_code ec;
  auto n = std::filesystem::file_size(path, ec);
  return ec ? -1 : static_cast<int64_t>(n);
}

int32_t int32_at(const std::string& bytes, std::size_t offset) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(bytes.at(offset + i));
  return static_cast<int32_t>(v);
}

int64_t quarter(int64_t n) { return std::llrint(n / 4.0L); }  // ties to even

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out.push_back(line);
  }
  return out;
}

// Everything a finished experiment must hold. raw is its raw dataset folder.
void check_experiment(const std::string& exp, const std::string& out,
                      const std::vector<std::string>& steps, bool answers) {
  // Every step ran, in order, and kept its log.
  std::size_t at = 0;
  for (std::size_t i = 0; i < steps.size(); ++i) {
    std::size_t p = out.find("  " + steps[i] + " ", at);
    EXPECT_NE(p, std::string::npos) << steps[i] << " missing or out of order in\n" << out;
    if (p != std::string::npos) at = p;
    if (steps[i].rfind("copy_", 0) != 0 && steps[i] != "link_raw" && steps[i] != "score_results") {
      char name[128];
      std::snprintf(name, sizeof name, "%s/logs/%02zu_%s.log", exp.c_str(), i + 1, steps[i].c_str());
      EXPECT_TRUE(file_exists(name)) << name;
    }
  }

  const std::string ds = exp + "/drive_c/ratinglab/dataset/", work = exp + "/work/";
  const std::string header = read_file(ds + "userdata1.dat").substr(0, 12);
  ASSERT_EQ(header.size(), 12u);
  const int64_t A = int32_at(header, 0), R = int32_at(header, 4), U = int32_at(header, 8);
  EXPECT_EQ(A, 17770);
  ASSERT_GT(U, 0);
  ASSERT_GT(R, 0);

  const std::string probe = read_file(work + "probe.dat").substr(0, 8);
  ASSERT_EQ(probe.size(), 8u);
  const int64_t PA = int32_at(probe, 0), PB = int32_at(probe, 4);

  // The qualifying shape, from the raw text.
  const std::vector<std::string> qual = lines_of(read_file(exp + "/download/qualifying.txt"));
  int64_t QM = 0, QQ = 0;
  for (const std::string& l : qual) (l.find(':') != std::string::npos ? QM : QQ) += !l.empty();
  ASSERT_GT(QQ, 0);

  const std::string rmse_start = read_file(work + "data/rmseStart.dat");
  ASSERT_EQ(rmse_start.size(), 2136u);
  const int64_t T = int32_at(rmse_start, 2132);

  const int64_t NCAT = 32;
  struct Size {
    std::string path;
    int64_t bytes;
  };
  const std::vector<Size> sizes = {
      {work + "data/moviestarts.dat", 71084},
      {work + "data/userids.dat", 4 * R},
      {work + "data/ratingmovie.dat", R},
      {work + "data/userstarts.dat", 1920760},
      {work + "data/movieids.dat", 2 * R},
      {work + "data/ratinguser.dat", R},
      {work + "data/longuserids.dat", 10597716},
      {work + "data/sdates.dat", 2 * R},
      {work + "data/rmse.dat", 4 * T},
      {work + "data/rmseMovies.dat", 2 * T},
      {work + "data/rmseMoviesPrimary.dat", 1066},
      {work + "probe.dat", 16 + 8 * PA + 5 * PB},
      {work + "predictdata.dat", 4 * (2 * QM + 2 + QQ)},
      {ds + "userdata1.dat", 16 + 4 * U + 3 * R},
      {ds + "shortuserids2.dat", 10597716},
      {ds + "statistics.dat", 3912596},
      {ds + "movieend.dat", 71084},
      {ds + "scores.dat", R},
      {ds + "userids2.dat", 4 * R},
      {ds + "catbinweights1.dat", 4 * NCAT * quarter(U)},
      {ds + "catbinweights2.dat", 4 * NCAT * quarter(U)},
      {ds + "weights.dat", 4 + NCAT * A + 4 * U * NCAT},
      {ds + "weightsb.dat", 4 + 2 * U * NCAT + 2 * NCAT * A + 4 * U * NCAT + 2 * NCAT * A},
      {ds + "swapn2.dat", (2 + 2) * 5 * U * NCAT + 4 * U * NCAT},
  };
  for (const Size& s : sizes) EXPECT_EQ(size_of(s.path), s.bytes) << s.path;
  for (const char* r : {"errreport", "errreport_b"})
    for (const char* f : {"errorbyrating.txt", "errorbysize.txt"})
      EXPECT_GT(size_of(exp + "/reports/" + r + "/" + f), 0) << r << "/" << f;

  // results.txt: the movie lines of the qualifying file, and under each one line per
  // query with a whole rating in the "0.00" pattern, CR LF ended.
  const std::string results = read_file(work + "results.txt");
  EXPECT_EQ(results.substr(results.size() - 2), "\r\n");
  const std::vector<std::string> res = lines_of(results);
  std::vector<std::string> qual_lines;
  for (const std::string& l : qual)
    if (!l.empty()) qual_lines.push_back(l);
  ASSERT_EQ(res.size(), qual_lines.size());
  const std::regex prediction("[1-5]\\.00");
  for (std::size_t i = 0; i < res.size(); ++i) {
    if (qual_lines[i].find(':') != std::string::npos)
      ASSERT_EQ(res[i], qual_lines[i]) << "line " << i + 1;
    else
      ASSERT_TRUE(std::regex_match(res[i], prediction)) << "line " << i + 1 << ": " << res[i];
  }

  // The summary's figures are finite RMSE values.
  const std::string summary = read_file(exp + "/summary.txt");
  EXPECT_NE(out.find(summary), std::string::npos);
  std::vector<std::string> labels = {"probe RMSE of errreport:", "probe RMSE of errreport_b:"};
  if (answers)
    labels.insert(labels.end(), {"RMSE of results.txt:", "RMSE of the global mean:", "RMSE of the movie means:"});
  for (const std::string& label : labels) {
    std::size_t p = summary.find(label);
    ASSERT_NE(p, std::string::npos) << label << "\n" << summary;
    double v = std::strtod(summary.c_str() + p + label.size(), nullptr);
    EXPECT_TRUE(std::isfinite(v) && v >= 0 && v <= 4) << label << " " << v;
  }
}

}  // namespace

TEST(EndToEnd, GeneratedSetThroughTheGrowingRun) {
  SKIP_WITHOUT("make_dataset");
  TempDir t;
  RunResult r = run_program("run_experiment", t.path,
                            {"--ratings", "300000", "--users", "3000", "--seed", "5",
                             "--start", "grow", t / "exp"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  check_experiment(t / "exp", r.out,
                   {"make_dataset", "pack_training", "movie_rmse", "prepare_inputs",
                    "catbuild_4_grow", "copy_members_1_to_2", "catbuild_4", "copy_members_2_to_1",
                    "catbuild_2", "bin_test", "predict_qualifying_prepare", "errreport",
                    "errreport_b", "score_results"},
                   true);
}

TEST(EndToEnd, MovieLensSliceImportedWithRandomStart) {
  // Beside the source tree, or where RATINGLAB_SHARED_DATA points (a checkout elsewhere).
  const char* shared = std::getenv("RATINGLAB_SHARED_DATA");
  const std::string ml = (shared && *shared ? std::string(shared)
                                            : std::string(RATINGLAB_SOURCE_DIR) + "/../shared/data") +
                         "/ml-latest-small";
  if (!file_exists(ml + "/ratings.csv")) GTEST_SKIP() << "no " << ml;
  SKIP_WITHOUT("import_ratings");
  TempDir t;
  // The ratings of the first 150 users (the file is ordered by user).
  std::istringstream in(read_file(ml + "/ratings.csv"));
  std::string line, slice;
  std::getline(in, line);
  slice = line + "\n";
  while (std::getline(in, line) && std::atoi(line.c_str()) <= 150) slice += line + "\n";
  write_file(t / "ratings.csv", slice);
  RunResult r = run_program("run_experiment", t.path,
                            {"--import", t / "ratings.csv", "--movies", ml + "/movies.csv",
                             "--means", "1", t / "exp"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  check_experiment(t / "exp", r.out,
                   {"import_ratings", "pack_training", "movie_rmse", "prepare_inputs",
                    "start_members", "catbuild_4", "copy_members_2_to_1", "catbuild_1", "bin_test",
                    "predict_qualifying_prepare", "errreport", "errreport_b", "score_results"},
                   true);
}

TEST(EndToEnd, RemovedInputStopsTheRunAtTheStepThatNeedsIt) {
  SKIP_WITHOUT("make_dataset");
  TempDir t;
  RunResult g = run_program("make_dataset", t.path, {t / "raw", "--ratings", "20000", "--users", "300"});
  ASSERT_EQ(g.status, 0) << g.err;
  // The training file of the first probe movie goes: the packer reads the missing file
  // as empty, and the probe ratings of that movie are then not in the training set.
  const std::string probe = read_file(t / "raw/probe.txt");
  const int movie = std::atoi(probe.c_str());
  char name[64];
  std::snprintf(name, sizeof name, "/training_set/mv_%07d.txt", movie);
  ASSERT_TRUE(std::filesystem::remove(t / "raw" + name));

  RunResult r = run_program("run_experiment", t.path, {"--raw", t / "raw", t / "exp"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("run_experiment: step prepare_inputs failed: prepare_inputs exited with status 2"),
            std::string::npos) << r.err;
  EXPECT_NE(r.err.find("logs/04_prepare_inputs.err"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("prepare_inputs: ../download/probe.txt"), std::string::npos) << r.err;
  EXPECT_EQ(r.out.find("catbuild"), std::string::npos) << r.out;
  EXPECT_FALSE(file_exists(t / "exp/summary.txt"));
  // The raw folder is only linked, never written.
  EXPECT_FALSE(file_exists(t / "raw/data"));
  EXPECT_TRUE(std::filesystem::is_symlink(t / "exp/download"));
}
