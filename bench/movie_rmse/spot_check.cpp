// Run in movie_rmse's working folder after a run: recomputes the groups of primaries
// 0, STEP, 2 STEP, ... and 532 by the literal route and compares them, with the
// primary table and the group starts, with the files in "data/".
//
//   movie_rmse_spot_check [STEP]      (default 48)
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "literal_route.h"
#include "neighbours.h"
#include "ratinglab.h"
#include "table_io.h"

using namespace rl;

template <class T>
void load_whole(const std::string& name, Array<T>& table) {
  table.dim(0, static_cast<int64_t>(std::filesystem::file_size(name) / sizeof(T)) - 1);
  load_array(name, table);
}

int main(int argc, char** argv) {
  init_program(argc, argv);
  int step = argc > 1 ? std::atoi(argv[1]) : 48;
  if (step < 1) step = 1;
  const Shape sh = full_shape();
  load_views(sh);
  Array<float> values;
  Array<uint16_t> movies, primary;
  Array<int32_t> start;
  load_whole("data/rmse.dat", values);
  load_whole("data/rmseMovies.dat", movies);
  load_whole("data/rmseMoviesPrimary.dat", primary);
  load_whole("data/rmseStart.dat", start);

  std::vector<uint16_t> order = literal::size_order(sh);
  int bad = 0;
  if (start.count() != sh.primaries + 1 || start(0) != 0 || start(sh.primaries) != values.count() ||
      movies.count() != values.count() || primary.count() != sh.primaries) {
    std::fprintf(stderr, "spot check: table sizes or group starts do not fit\n");
    return 1;
  }
  for (int32_t i = 0; i < sh.primaries; ++i)
    if (primary(i) != order[i]) ++bad;
  std::vector<int32_t> checked;
  for (int32_t i = 0; i < sh.primaries; i += step) checked.push_back(i);
  if (checked.back() != sh.primaries - 1) checked.push_back(sh.primaries - 1);

  std::vector<float> value(sh.candidates);
  std::vector<uint16_t> position(sh.candidates);
  for (int32_t i : checked) {
    literal::primary_values(sh, i, order, value, position);
    literal::Result group;
    literal::keep_group(sh, value, position, group);
    bool same = static_cast<int64_t>(group.rmse.size()) == start(i + 1) - start(i);
    for (std::size_t e = 0; same && e < group.rmse.size(); ++e)
      same = group.rmse[e] == values(start(i) + static_cast<int64_t>(e)) &&
             group.movies[e] == movies(start(i) + static_cast<int64_t>(e));
    std::fprintf(stderr, "primary %d (movie index %d, %d ratings): %zu neighbours, %s\n", i,
                 order[i], MOVIESTARTS(order[i] + 1) - MOVIESTARTS(order[i]), group.rmse.size(),
                 same ? "equal" : "DIFFERENT");
    if (!same) ++bad;
  }
  std::fprintf(stderr, "spot check: %zu groups checked, T = %lld, %s\n", checked.size(),
               static_cast<long long>(values.count()), bad ? "MISMATCH" : "all equal");
  return bad ? 1 : 0;
}
