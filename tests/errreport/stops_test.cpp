// errreport_b's stops (one runtime error line, the error's number as exit status) and
// errreport's bad-input stops (exit status 2); neither writes a report file.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "fixture.h"

using ratinglab::file_exists;
using ratinglab::write_file;

namespace {

struct StopCase {
  const char* name;
  std::function<void(Fixture&)> change;  // applied to the fixture's values before writing
  std::function<void(Fixture&)> after;   // applied to the written files
  int status;
  std::string message;  // part of the last stderr line
};

void no_change(Fixture&) {}

std::string last_line(const std::string& err) {
  std::string s = err;
  if (!s.empty() && s.back() == '\n') s.pop_back();
  auto p = s.rfind('\n');
  return p == std::string::npos ? s : s.substr(p + 1);
}

void check_stop(const std::string& program, const StopCase& c) {
  SCOPED_TRACE(c.name);
  Fixture f;
  c.change(f);
  f.write();
  c.after(f);
  auto r = f.run(program);
  EXPECT_EQ(r.status, c.status) << r.err;
  std::string last = last_line(r.err);
  EXPECT_EQ(last.rfind(program + ": ", 0), 0u) << last;
  EXPECT_NE(last.find(c.message), std::string::npos) << last;
  EXPECT_FALSE(file_exists(f.at("errorbysize.txt")));
}

}  // namespace

TEST(Stops, ErrreportB) {
  const StopCase cases[] = {
      {"missing model", no_change,
       [](Fixture& f) { std::filesystem::remove(f.at("weightsb.dat")); }, 1,
       "runtime error 1 (a file could not be opened): cannot open "},
      {"model too short for NCAT", no_change,
       [](Fixture& f) { write_file(f.at("weightsb.dat"), std::string("\3\0", 2)); }, 2,
       "weightsb.dat: NCAT needs 4 bytes from offset 0, the file holds 2"},
      {"model fits no user count", no_change,
       [](Fixture& f) { write_file(f.at("weightsb.dat"), f.weightsb_bytes(5) + "x"); }, 6,
       "its 213335 bytes fit the weightsb.dat layout with NCAT 3 for no user count"},
      {"short id table cut short", no_change,
       [](Fixture& f) { std::filesystem::resize_file(f.at("shortuserids2.dat"), 1000); }, 2,
       "shortuserids2.dat: SHORTID needs 10597716 bytes from offset 0, the file holds 1000"},
      {"statistics cut short", no_change,
       [](Fixture& f) { std::filesystem::resize_file(f.at("statistics.dat"), 3912592); }, 2,
       "statistics.dat: MSTAT needs 71080 bytes from offset 3841516, the file holds 3912592"},
      {"missing movieend", no_change,
       [](Fixture& f) { std::filesystem::remove(f.at("movieend.dat")); }, 1, "movieend.dat"},
      {"negative probe count", no_change, [](Fixture& f) { f.write_probe(2, -5); }, 5,
       "runtime error 5 (an index outside its table): cannot size table PUSER as 1..-5"},
      {"raw id without a table entry", [](Fixture& f) { f.puser[2] = 0; }, no_change, 5,
       "SHORTID index 0 outside 1..2649429 (PUSER of probe entry 3)"},
      {"short index beyond the model's users", [](Fixture& f) { f.raw_ids = {10, 20, 30, 77, 50, 98, 97, 96, 40}; },
       no_change, 5, "UBIN index 9 outside 1..5 (short index of PUSER of probe entry 4)"},
      {"size class 0", [](Fixture& f) { f.usize[1] = 0; }, no_change, 5,
       "SIZE_N index 0 outside 1..17770 (USIZE of probe entry 2)"},
      {"rating 6", [](Fixture& f) { f.pstars[3] = 6; }, no_change, 5,
       "CONF index 6 outside 1..5 (PSTARS of probe entry 4)"},
      {"movie beyond the table", [](Fixture& f) { f.pmovie[1] = 17771; }, no_change, 5,
       "MOVSPREAD index 17771 outside 1..17770 (PMOVIE of probe entry 4)"},
      {"groups end before the list", [](Fixture& f) { f.pend[2] = 4; }, no_change, 5,
       "PEND index 3 outside 0..2 (movie group of probe entry 5)"},
      {"report file cannot replace a folder", no_change,
       [](Fixture& f) { ratinglab::make_dirs(f.at("errorbyrating.txt")); }, 3,
       "cannot replace " },
  };
  for (const auto& c : cases) check_stop("errreport_b", c);
}

// The allocation stop, run under a 300 MB address-space limit with a probe list whose
// header asks for 2 GB of user ids.
TEST(Stops, ErrreportBAllocation) {
  Fixture f;
  f.write();
  f.write_probe(2, 500000000);
  std::string prog = ratinglab::program_path("errreport_b");
  auto r = ratinglab::run_program("/bin/sh", f.dir.path,
                                  {"-c", "ulimit -v 300000 && exec \"$0\"", prog},
                                  {{"RATINGLAB_DRIVE_C", f.dir.path + "/drive_c"}});
  EXPECT_EQ(r.status, 4) << r.err;
  EXPECT_NE(r.err.find("errreport_b: runtime error 4 (a table could not be allocated): "
                       "cannot allocate table PUSER as 1..500000000 (2000000000 bytes)"),
            std::string::npos)
      << r.err;
  // Without the limit the same header is a short read of the user ids.
  auto s = f.run("errreport_b");
  EXPECT_EQ(s.status, 2) << s.err;
  EXPECT_NE(s.err.find("probe.dat: PUSER needs 2000000000 bytes"), std::string::npos) << s.err;
}

TEST(Stops, ErrreportBadInput) {
  const StopCase cases[] = {
      {"size class 0", [](Fixture& f) { f.usize[0] = 0; }, no_change, 2,
       "statistics.dat: USIZE at 1 holds 0, expected 1..17770"},
      {"size class beyond 17770", [](Fixture& f) { f.usize[2] = 17771; }, no_change, 2,
       "USIZE at 3 holds 17771"},
      {"short index beyond the model's users", [](Fixture& f) { f.raw_ids.push_back(99); f.puser[1] = 99; },
       no_change, 2, "probe.dat: short index of PUSER at 2 holds 6, expected 1..5"},
      {"raw id 0", [](Fixture& f) { f.puser[4] = 0; }, no_change, 2, "PUSER at 5 holds 0"},
      {"rating 0", [](Fixture& f) { f.pstars[2] = 0; }, no_change, 2, "PSTARS at 3 holds 0, expected 1..5"},
      {"empty probe list",
       [](Fixture& f) { f.pend = {0}; f.pmovie = {0}; f.puser.clear(); f.pstars.clear(); },
       no_change, 2, "PROBE_COUNT at 1 holds 0"},
      {"groups not strictly increasing", [](Fixture& f) { f.pend = {0, 5, 5}; }, no_change, 2,
       "PEND at 2 holds 5"},
      {"model fits no user count", no_change,
       [](Fixture& f) { write_file(f.at("weights.dat"), f.weights_bytes(5) + "xy"); }, 2,
       "bytes fit the weights.dat layout with NCAT 2 for no user count"},
      {"model without categories", no_change,
       [](Fixture& f) { write_file(f.at("weights.dat"), std::string(4, '\0')); }, 2,
       "weights.dat: NCAT at 1 holds 0, expected 1 or more"},
      {"missing model (created empty)", no_change,
       [](Fixture& f) { std::filesystem::remove(f.at("weights.dat")); }, 2,
       "its 0 bytes fit the weights.dat layout with NCAT 0 for no user count"},
  };
  for (const auto& c : cases) check_stop("errreport", c);
}
