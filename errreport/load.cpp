#include "load.h"

#include <algorithm>

#include "checked_io.h"
#include "fail.h"
#include "paths.h"
#include "print.h"
#include "record_file.h"
#include "shared_inputs.h"
#include "tables.h"

namespace er {

namespace {

void find_model_users(const ReportTraits& traits, const InputFile& f) {
  USERS = model_users(traits.layout, NCAT, f.length);
  if (USERS < 0) {
    std::string text = f.path + ": its " + std::to_string(f.length) + " bytes fit the " +
                       layout_name(traits.layout) + " layout with NCAT " + std::to_string(NCAT) +
                       " for no user count";
    if (CHECKED) runtime_stop(stop_layout, text);
    rl::fail_input(text);
  }
  if (USERS != rl::full_users)
    rl::warn(f.path + ": its length fits " + std::to_string(USERS) + " users, not " +
             std::to_string(rl::full_users) + "; reading it as a model of " +
             std::to_string(USERS) + " users");
}

void read_probe_checked(const std::string& path) {
  InputFile f;
  input_open(f, path);
  input_value(f, "PROBE_MOVIES", PROBE.PROBE_MOVIES);
  input_value(f, "PROBE_COUNT", PROBE.PROBE_COUNT);
  const int64_t A = PROBE.PROBE_MOVIES, B = PROBE.PROBE_COUNT;
  size_table(PROBE.PEND, "PEND", 0, A);
  size_table(PROBE.PMOVIE, "PMOVIE", 1, A + 1);
  size_table(PROBE.PUSER, "PUSER", 1, B);
  size_table(PROBE.PSTARS, "PSTARS", 1, B);
  input_table(f, "PEND", PROBE.PEND);
  input_table(f, "PMOVIE", PROBE.PMOVIE);
  input_table(f, "PUSER", PROBE.PUSER);
  input_table(f, "PSTARS", PROBE.PSTARS);
  input_close(f);
}

}  // namespace

void load_model(const ReportTraits& traits, const std::string& path) {
  InputFile f;
  input_open(f, path);
  input_value(f, "NCAT", NCAT);
  rl::integer_item(rl::console_slot, NCAT, rl::line_end);
  find_model_users(traits, f);
  const int64_t M = rl::full_movies;
  if (traits.layout == layout_weights) {
    // Only the first score of each user row is used: a model needs a category.
    if (NCAT < 1) rl::fail_value(f.path, "NCAT", 1, NCAT, "1 or more");
    size_table(BINSCORE, "BINSCORE", 1, NCAT, 1, M);
    size_table(USERSCORE, "USERSCORE", 1, USERS, 1, NCAT);
    input_table(f, "BINSCORE", BINSCORE);
    input_table(f, "USERSCORE", USERSCORE);
  } else {
    size_table(UBIN, "UBIN", 1, USERS, 1, NCAT);
    size_table(MOVBIN, "MOVBIN", 1, NCAT, 1, M);
    size_table(USERSCORE, "USERSCORE", 1, USERS, 1, NCAT);
    size_table(MOVSPREAD, "MOVSPREAD", 1, NCAT, 1, M);
    input_table(f, "UBIN", UBIN);
    input_table(f, "MOVBIN", MOVBIN);
    input_table(f, "USERSCORE", USERSCORE);
    input_table(f, "MOVSPREAD", MOVSPREAD);
  }
  input_close(f);
}

void load_shared_inputs() {
  const std::string folder = rl::dataset_folder;
  if (!CHECKED) {
    rl::read_shortids(folder + "shortuserids2.dat", SHORTID);
    rl::read_probe("probe.dat", PROBE);
    rl::read_statistics(folder + "statistics.dat", rl::full_users, rl::full_movies, STATS);
    rl::read_movieend(folder + "movieend.dat", MEND);
    return;
  }
  InputFile f;
  size_table(SHORTID, "SHORTID", 1, rl::max_raw_user);
  input_open(f, folder + "shortuserids2.dat");
  input_table(f, "SHORTID", SHORTID);
  input_close(f);

  read_probe_checked("probe.dat");

  size_table(STATS.USIZE, "USIZE", 0, rl::full_users);
  size_table(STATS.USTAT, "USTAT", 1, rl::full_users);
  size_table(STATS.MSTAT, "MSTAT", 1, rl::full_movies);
  input_open(f, folder + "statistics.dat");
  input_table(f, "USIZE", STATS.USIZE);
  input_table(f, "USTAT", STATS.USTAT);
  input_table(f, "MSTAT", STATS.MSTAT);
  input_close(f);

  size_table(MEND, "MEND", 0, rl::full_movies);
  input_open(f, folder + "movieend.dat");
  input_table(f, "MEND", MEND, 1);
  input_close_all();
}

void check_inputs() {
  const char* probe = "probe.dat";
  if (PROBE.PROBE_COUNT < 1) rl::fail_value(probe, "PROBE_COUNT", 1, PROBE.PROBE_COUNT, "1 or more");
  // Short indices index the model's user rows and the statistics' fixed full shape.
  const int32_t users = static_cast<int32_t>(std::min<int64_t>(USERS, rl::full_users));
  rl::check_probe(probe, PROBE, SHORTID, users);
  const std::string stats = rl::map_path(std::string(rl::dataset_folder) + "statistics.dat");
  for (int64_t i = 1; i <= PROBE.PROBE_COUNT; ++i) {
    int32_t u = SHORTID(PROBE.PUSER(i));
    int32_t s = STATS.USIZE(u);
    if (s < 1 || s > rl::full_movies) rl::fail_value(stats, "USIZE", u, s, "1..17770");
  }
}

}  // namespace er
