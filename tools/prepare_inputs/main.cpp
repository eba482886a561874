// prepare_inputs RAW_DIR: turns a raw dataset folder (training_set/mv_NNNNNNN.txt,
// probe.txt, qualifying.txt, movie_titles.txt) into the prepared files of the category
// chain: "userdata1.dat", "shortuserids2.dat", "statistics.dat", "movieend.dat",
// "movienames.dat", "scores.dat", "userids2.dat" and "qualifying.txt" in the dataset
// folder; "probe.dat", "predictdata.dat" and the "dataset" link in the working folder.
#include <cstdio>

#include "console.h"
#include "fail.h"
#include "prepare.h"

std::string RAW_DIR;
int32_t NRATINGS = 0;
rl::Array<int32_t> MEND;
rl::Array<int32_t> USERIDS;
rl::Array<uint8_t> SCORES;
int32_t NUSERS = 0;
rl::Array<int32_t> SHORTID;
rl::Array<int32_t> UEND;
rl::Array<uint16_t> UMOVIE;
rl::Array<uint8_t> USTARS;
rl::Array<int32_t> USIZE;
rl::Array<int32_t> USTAT;
rl::Array<int32_t> MSTAT;
std::vector<int32_t> PEND;
std::vector<int32_t> PMOVIE;
std::vector<int32_t> PUSER;
std::vector<uint8_t> PSTARS;
std::string QTEXT;
std::vector<int32_t> QEND;
std::vector<int32_t> QMOVIE;
std::vector<int32_t> QUSER;
std::vector<std::string> MNAME;
rl::Array<uint16_t> MWORD;

int main(int argc, char** argv) {
  rl::init_program(argc, argv);
  if (argc != 2 || argv[1][0] == '\0') rl::fail_input("usage: prepare_inputs RAW_DIR");
  RAW_DIR = argv[1];
  while (RAW_DIR.size() > 1 && RAW_DIR.back() == '/') RAW_DIR.pop_back();
  check_dataset_entry();

  read_training();
  build_user_tables();
  read_probe();
  read_qualifying();
  read_titles();

  write_outputs();
  int movies = 0;
  for (int m = 1; m <= 17770; ++m) movies += MSTAT(m) > 0;
  std::printf("%d movies, %d users, %d ratings, %zu probe ratings, %zu qualifying queries\n",
              movies, NUSERS, NRATINGS, PUSER.size(), QUSER.size());
  return 0;
}
