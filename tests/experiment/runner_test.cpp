// run_experiment's own behaviour, without the toolkit: options, the folder rule, and
// how a failing step stops the run (with stub programs in a folder of their own), and
// the figures of score_results on a fixture small enough to check by hand.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "test_support.h"

using namespace ratinglab;

namespace {

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

const char* const STEP_PROGRAMS[] = {
    "make_dataset", "import_ratings", "pack_training", "movie_rmse", "prepare_inputs",
    "catbuild_2", "catbuild_4_grow", "catbuild_4", "bin_test", "predict_qualifying",
    "predict_qualifying_prepare", "errreport", "errreport_b", "score_results", "start_members"};

void write_script(const std::string& path, const std::string& body) {
  write_file(path, "#!/bin/sh\n" + body);
  std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}

// A copy of run_experiment beside stub programs: each stub does nothing and exits 0,
// except those given.
struct StubToolkit {
  explicit StubToolkit(const std::vector<std::pair<std::string, std::string>>& scripts) {
    make_dirs(dir.path);
    std::filesystem::copy_file(program_path("run_experiment"), dir / "run_experiment");
    std::filesystem::permissions(dir / "run_experiment", std::filesystem::perms::owner_all);
    for (const char* p : STEP_PROGRAMS) {
      std::string body = "exit 0\n";
      for (const auto& [name, script] : scripts)
        if (name == p) body = script;
      write_script(dir / p, body);
    }
  }
  TempDir dir;
};

const std::string MAKE_RAW =
    "mkdir -p \"$1/training_set\" && : >\"$1/probe.txt\" && : >\"$1/qualifying.txt\" && "
    ": >\"$1/movie_titles.txt\"\n";

}  // namespace

TEST(RunExperiment, RejectsBadOptionsAndFoldersBeforeWritingAnything) {
  TempDir t;
  make_dirs(t / "full");
  write_file(t / "full/keep.txt", "x");
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"--frobnicate", t / "a"}, "unknown option: --frobnicate"},
      {{"--builder", "3", t / "a"}, "--builder: must be 4, 5 or 7"},
      {{"--means", "4", t / "a"}, "--means: must be 1 or 2"},
      {{"--ratings", "12x", t / "a"}, "--ratings: not a positive whole number: 12x"},
      {{"--ratings"}, "option --ratings needs a value"},
      {{}, "no experiment folder given"},
      {{t / "a", t / "b"}, "more than one experiment folder"},
      {{"--raw", t / "nothing", t / "a"}, "--raw: not a raw dataset folder"},
      {{"--import", t / "none.csv", t / "a"}, "--import: no such file"},
      {{"--movies", t / "keep.txt", t / "a"}, "--movies goes with --import"},
      {{t / "full"}, "the experiment folder is not empty"},
  };
  for (const Case& c : cases) {
    RunResult r = run_program("run_experiment", t.path, c.args);
    EXPECT_EQ(r.status, 2) << c.message;
    EXPECT_TRUE(contains(r.err, "run_experiment: " + c.message)) << r.err;
    EXPECT_EQ(r.out, "") << c.message;
  }
  EXPECT_FALSE(file_exists(t / "a"));
  EXPECT_FALSE(file_exists(t / "b"));
  EXPECT_EQ(read_file(t / "full/keep.txt"), "x");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(t / "full"),
                          std::filesystem::directory_iterator()), 1);

  RunResult help = run_program("run_experiment", t.path, {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(contains(help.out, "usage: run_experiment [options] EXP"));
}

TEST(RunExperiment, MissingProgramIsNamedBeforeTheRunStarts) {
  StubToolkit kit({});
  std::filesystem::remove(kit.dir / "bin_test");
  TempDir t;
  RunResult r = run_program(kit.dir / "run_experiment", t.path, {t / "exp"});
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(contains(r.err, "program bin_test not found")) << r.err;
  EXPECT_FALSE(file_exists(t / "exp"));
}

TEST(RunExperiment, FailingStepStopsWithItsNameStatusAndLogTail) {
  struct Case {
    std::string make_dataset, pack_training;
    std::string step_line;  // what the stop names
    std::vector<std::string> shown, hidden;
  };
  const std::vector<Case> cases = {
      // A program that fails: its status and the last 20 lines of its stdout and stderr.
      {MAKE_RAW,
       "i=1; while [ $i -le 30 ]; do echo \"line $i\"; i=$((i+1)); done\n"
       "echo 'pack_training: data/ratingmovie.dat: cannot write' >&2; exit 2\n",
       "step pack_training failed: pack_training exited with status 2",
       {"line 30", "line 11", "pack_training: data/ratingmovie.dat: cannot write"},
       {"line 10\n"}},
      // A program that exits 0 without its output.
      {MAKE_RAW, "exit 0\n", "step pack_training failed: data/ratingmovie.dat was not written", {}, {}},
      // The data step without the raw files.
      {"exit 0\n", "exit 0\n", "step make_dataset failed: download/probe.txt was not written", {}, {}},
      // Killed by a signal.
      {MAKE_RAW, "kill -9 $$\n", "step pack_training failed: pack_training exited with status 137", {}, {}},
  };
  for (const Case& c : cases) {
    StubToolkit kit({{"make_dataset", c.make_dataset}, {"pack_training", c.pack_training}});
    TempDir t;
    RunResult r = run_program(kit.dir / "run_experiment", t.path, {t / "exp"});
    EXPECT_EQ(r.status, 1) << c.step_line;
    EXPECT_TRUE(contains(r.err, "run_experiment: " + c.step_line)) << r.err;
    for (const std::string& s : c.shown) EXPECT_TRUE(contains(r.err, s)) << s << "\n" << r.err;
    for (const std::string& s : c.hidden) EXPECT_FALSE(contains(r.err, s)) << s << "\n" << r.err;
    EXPECT_TRUE(contains(r.out, "step  1  make_dataset")) << r.out;
    EXPECT_FALSE(contains(r.out, "movie_rmse")) << r.out;
    EXPECT_FALSE(file_exists(t / "exp/summary.txt"));
  }
}

TEST(ScoreResults, QualifyingFiguresAndReportRmse) {
  TempDir t;
  // Two users: user 1 rated movie 1 with 5 and movie 2 with 3, user 2 movie 1 with 4
  // and movie 3 with 1: global mean 3.25, movie 1 mean 4.5, movie 4 unrated.
  std::string ud = le_bytes<int32_t>({17770, 4, 2, 0, 2, 4}) + le_bytes<uint16_t>({1, 2, 1, 3}) +
                   le_bytes<uint8_t>({5, 3, 4, 1});
  write_file(t / "userdata1.dat", ud);
  write_file(t / "answers.txt", "1:\n7,4\n9,2\n4:\n7,5\n");
  write_file(t / "results.txt", "1:\r\n4.00\r\n3.00\r\n4:\r\n2.00\r\n");
  RunResult r = run_program("score_results", t.path,
                            {"qualifying", "results.txt", "answers.txt", "userdata1.dat"});
  ASSERT_EQ(r.status, 0) << r.err;
  // results: (0 + 1 + 9) / 3; global: (0.75^2 + 1.25^2 + 1.75^2) / 3; movie means:
  // (0.5^2 + 2.5^2 + 1.75^2) / 3, movie 4 falling back to the global mean.
  EXPECT_EQ(r.out,
            "qualifying queries scored: 3\n"
            "RMSE of results.txt:       1.8257\n"
            "RMSE of the global mean:   1.3150 (every prediction 3.2500)\n"
            "RMSE of the movie means:   1.7854\n");

  struct Bad {
    std::string results, message;
  };
  const std::vector<Bad> bad = {
      {"1:\r\n4.00\r\n", "results.txt: ends at line 2"},
      {"1:\r\n4.00\r\n3.00\r\n5:\r\n2.00\r\n", "results.txt: line 4: 5:: expected the movie line 4:"},
      {"1:\r\n4.00\r\nx\r\n4:\r\n2.00\r\n", "results.txt: line 3: x: not a number"},
      {"1:\r\n4.00\r\n3.00\r\n4:\r\n2.00\r\n1.00\r\n", "results.txt: line 6: 1.00: more lines"},
  };
  for (const Bad& b : bad) {
    write_file(t / "results.txt", b.results);
    RunResult e = run_program("score_results", t.path,
                              {"qualifying", "results.txt", "answers.txt", "userdata1.dat"});
    EXPECT_EQ(e.status, 2) << b.message;
    EXPECT_TRUE(contains(e.err, b.message)) << e.err;
  }

  // Two rating cells: 4 entries with squares 9 at K = 100, 2 entries with 0 at K = 300.
  write_file(t / "errorbyrating.txt",
             "4             9              150          100\r\n"
             "2             0              0            300\r\n");
  RunResult rep = run_program("score_results", t.path, {"report", "errorbyrating.txt"});
  ASSERT_EQ(rep.status, 0) << rep.err;
  EXPECT_EQ(rep.out, "probe RMSE: 1.2247 over 6 entries\n");
}
