// import_ratings CSV RAW_DIR [--movies FILE]: turns a ratings file (header line, then
// userId,movieId,rating,timestamp) into the raw dataset layout that pack_training and
// prepare_inputs read. Everything is read and checked before the first file is written.
#include <cstdio>

#include "console.h"
#include "fail.h"
#include "import.h"

std::vector<Rating> RATINGS;
std::vector<int64_t> MOVIE_IDS;
std::vector<std::string> TITLE;
std::vector<std::string> YEAR;

int main(int argc, char** argv) {
  rl::init_program(argc, argv);
  std::vector<std::string> args;
  std::string movies_file;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--movies" && i + 1 < argc) {
      movies_file = argv[++i];
    } else if (a.rfind("--", 0) == 0) {
      args.clear();
      break;
    } else {
      args.push_back(a);
    }
  }
  if (args.size() != 2) rl::fail_input("usage: import_ratings CSV RAW_DIR [--movies FILE]");
  const std::string& csv = args[0];
  std::string dir = args[1];
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();

  read_ratings(csv);
  number_movies_and_users(csv);
  split_ratings(csv);
  placeholder_titles();
  if (!movies_file.empty()) read_movie_titles(movies_file);

  write_raw(dir);
  std::size_t probe = 0, qualifying = 0;
  for (const Rating& r : RATINGS) {
    probe += r.part == part_probe;
    qualifying += r.part == part_qualifying;
  }
  std::printf("%zu ratings of %zu movies: %zu training (%zu of them probe), %zu qualifying\n",
              RATINGS.size(), MOVIE_IDS.size() - 1, RATINGS.size() - qualifying, probe, qualifying);
  return 0;
}
