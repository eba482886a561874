// Loading the rating lists of every user.
#include "builder.h"
#include "console.h"
#include "print.h"
#include "shared_inputs.h"

namespace cb {

namespace {
void take(rl::UserData& d) {
  NMOVIES = d.NMOVIES;
  NRATINGS = d.NRATINGS;
  NUSERS = d.NUSERS;
  UEND = std::move(d.UEND);
  UMOVIE = std::move(d.UMOVIE);
  USTARS = std::move(d.USTARS);
}
}  // namespace

void load_rating_lists() {
  rl::console_clear();
  seed_random();
  std::string path = folder_file("userdata1.dat");
  rl::UserData d;
  // Counts beyond what the 16-bit movie loops and the tables allow stop the run.
  rl::read_userdata(path, d);
  // Every movie and star indexes a table: they are checked before anything is built.
  rl::check_userdata(path, d, d.NMOVIES);
  take(d);
  rl::text_item(0, "Input data loaded. (Part 1 of 6)", rl::line_end);
}

void set_rating_lists(int32_t nmovies, int32_t nusers, rl::Array<int32_t>&& uend,
                      rl::Array<uint16_t>&& umovie, rl::Array<uint8_t>&& ustars) {
  rl::UserData d;
  d.NMOVIES = nmovies;
  d.NUSERS = nusers;
  d.NRATINGS = static_cast<int32_t>(umovie.count());
  d.UEND = std::move(uend);
  d.UMOVIE = std::move(umovie);
  d.USTARS = std::move(ustars);
  rl::check_userdata("userdata1.dat", d, d.NMOVIES);
  take(d);
}

}  // namespace cb
