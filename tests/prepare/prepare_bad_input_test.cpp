// Bad raw input stops prepare_inputs with one stderr line naming the file, the line and
// the value, exit status 2, and leaves the files of an earlier run whole.
#include <gtest/gtest.h>

#include <filesystem>

#include "prepare_support.h"

using namespace ratinglab;
using prep::movie_file_name;

namespace {

prep::RawSet good_set() {
  return {
      {movie_file_name(1), "1:\n7,3,2005-01-02\n30,4,2001-05-05\n"},
      {movie_file_name(2), "2:\n30,2,2003-03-03\n100,1,2004-12-31\n"},
      {"probe.txt", "1:\n7\n2:\n100\n"},
      {"qualifying.txt", "1:\n100,2005-01-01\n2:\n7,2005-01-01\n"},
      {"movie_titles.txt", "1,2003,Alpha\n2,NULL,Beta\n"},
  };
}

struct BadCase {
  const char* file;     // file of good_set() to replace ("" = remove probe.txt)
  const char* bytes;
  const char* message;  // what the stderr line must hold after "prepare_inputs: RAW/"
};

const BadCase bad_cases[] = {
    {"probe.txt", "1:\n7\n1:\n100\n", "probe.txt: probe rating at line 4: user 100 of movie 1"},
    {"probe.txt", "1:\n7\n0\n", "probe.txt: user id at line 3: 0, expected 1..2649429"},
    {"probe.txt", "17771:\n7\n", "probe.txt: movie id at line 1: 17771, expected 1..17770"},
    {"probe.txt", "7\n1:\n", "probe.txt: line at line 1: \"7\""},
    {"probe.txt", "1:\n7 \n", "probe.txt: line at line 2: \"7 \""},
    {"qualifying.txt", "1:\n100,2005-01-01\n1:\r\n30,2005-01-01\r\n",
     "qualifying.txt: qualifying query at line 4: user 30 of movie 1"},
    {"qualifying.txt", "2:\n8,2005-01-01\n", "qualifying.txt: user id at line 2: 8, expected a user of the training set"},
    {"qualifying.txt", "0:\n7,2005-01-01\n", "qualifying.txt: movie id at line 1: 0"},
    {"qualifying.txt", "2:\n7\n", "qualifying.txt: line at line 2: \"7\""},
    {"qualifying.txt", "2:\n2649430,2005-01-01\n", "qualifying.txt: user id at line 2: 2649430"},
    {"training_set/mv_0000002.txt", "2:\n2649430,2,2003-03-03\n",
     "training_set/mv_0000002.txt: user id at line 2: 2649430, expected 1..2649429"},
    {"training_set/mv_0000002.txt", "2:\n30,2\n", "training_set/mv_0000002.txt: rating line at line 2: \"30,2\""},
    {"training_set/mv_0000002.txt", "2:\n30,2,2003-03-03,x\n",
     "training_set/mv_0000002.txt: rating line at line 2: \"30,2,2003-03-03,x\""},
    {"training_set/mv_0000002.txt", "2:\n30,6,2003-03-03\n", "training_set/mv_0000002.txt: star at line 2: 6"},
    {"training_set/mv_0000002.txt", "3:\n30,2,2003-03-03\n",
     "training_set/mv_0000002.txt: movie line at line 1: \"3:\", expected \"2:\""},
    {"training_set/mv_0000002.txt", "2:\n30,2,2003-03-03\n100,1,2004-12-31\n30,5,2004-01-01\n",
     "training_set/mv_0000002.txt: user id at line 4: 30"},
    {"movie_titles.txt", "1;2003;Alpha\n", "movie_titles.txt: line at line 1: \"1;2003;Alpha\""},
    {"movie_titles.txt", "17771,2003,Alpha\n", "movie_titles.txt: movie id at line 1: 17771"},
    {"movie_titles.txt", "1,19x5,Alpha\n", "movie_titles.txt: year at line 1: \"19x5\""},
    {"", "", "probe.txt: cannot be read"},
};

}  // namespace

TEST(PrepareInputs, BadInputStopsBeforeAnyOutput) {
  prep::Tree t;
  prep::write_raw(t.raw(), good_set());
  ASSERT_EQ(prep::run_prepare(t).status, 0);
  const auto before = prep::prepared_files(t);
  for (const BadCase& c : bad_cases) {
    SCOPED_TRACE(c.message);
    std::filesystem::remove_all(t.raw());
    prep::RawSet raw = good_set();
    if (*c.file) raw[c.file] = c.bytes; else raw.erase("probe.txt");
    prep::write_raw(t.raw(), raw);
    RunResult r = prep::run_prepare(t);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(prep::count_lines(r.err), 1) << r.err;
    EXPECT_EQ(r.err.rfind("prepare_inputs: " + t.raw() + "/" + c.message, 0), 0u) << r.err;
    EXPECT_TRUE(prep::prepared_files(t) == before);
    std::size_t files = 0;
    for (const auto& e : std::filesystem::directory_iterator(t.drive_c() + "/ratinglab/dataset"))
      ++files, (void)e;
    EXPECT_EQ(files, prep::dataset_file_names.size());  // no temporary file left
  }
}

TEST(PrepareInputs, FileInPlaceOfTheDatasetLinkIsAFailedOutput) {
  prep::Tree t;
  prep::write_raw(t.raw(), good_set());
  write_file(t.work() + "/dataset", "x");
  RunResult r = prep::run_prepare(t);
  EXPECT_EQ(r.status, 3);
  EXPECT_FALSE(file_exists(t.work() + "/probe.dat"));
}
