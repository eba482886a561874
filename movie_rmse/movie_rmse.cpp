// movie_rmse: from the packed views in "data/", lists for each of the 533 most-rated
// movies the most-rated movies whose star values its raters match best, and writes
// the groups to "rmse.dat", "rmseMovies.dat", "rmseMoviesPrimary.dat" and
// "rmseStart.dat" in "data/".
#include <thread>

#include "neighbours.h"
#include "ratinglab.h"
#include "table_io.h"

using namespace rl;

int main(int argc, char** argv) {
  init_program(argc, argv);
  const Shape shape = full_shape();

  text_item(console_slot, "Loading data...", line_end);
  load_views(shape);

  text_item(console_slot, "Sorting movies by size...", line_end);
  sort_by_size(shape);
  check_views(shape);

  text_item(console_slot, "Creating matrix...", line_end);
  // Kept empty; open until the program ends.
  open_file("testresults.txt", output_mode, 1);
  int threads = static_cast<int>(std::thread::hardware_concurrency());
  build_neighbours(shape, threads, true);

  save_array("data/rmse.dat", RMSE);
  save_array("data/rmseMovies.dat", RMSE_MOVIES);
  save_array("data/rmseMoviesPrimary.dat", PRIMARY_MOVIES);
  save_array("data/rmseStart.dat", GROUP_START);

  text_item(console_slot, "Done!", line_end);
  wait_for_key();
  return 0;
}
