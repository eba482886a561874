// pack_training: turns the raw training set (one text file per movie) into the packed
// movie-major and user-major tables in "data/", the raw-to-dense user map, the rating
// dates and the trace of one user's ratings.
//
// The raw files are read once, ahead of time, by worker threads (movie_reader); the
// counting pass and the filling pass then walk the parsed ratings in movie order, so
// dense ids, table contents and console text are those of two passes over the files.
#include <atomic>
#include <climits>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "index_sort.h"
#include "movie_reader.h"
#include "ratinglab.h"
#include "table_io.h"

namespace {

constexpr int movie_count = 17770;
constexpr int32_t user_capacity = 480189;
constexpr int32_t trace_user = 22797;
constexpr const char* raw_folder = "../download/training_set/";
constexpr const char* output_folder = "data/";
constexpr const char* trace_file = "testresults_training.txt";

rl::Array<int32_t> MOVIESTARTS;   // int32 [0..17770]
rl::Array<int32_t> USERCOUNT;     // int32 [0..480189]: counts, then fill cursors
rl::Array<int32_t> USERSTARTS;    // int32 [0..480189]
rl::Array<int32_t> LONGUSERIDS;   // int32 [1..2649429]: raw id -> dense id, -1 if absent
rl::Array<int32_t> USERIDS;       // movie-major users
rl::Array<uint8_t> RATINGMOVIE;   // movie-major ratings
rl::Array<int16_t> SDATES;        // movie-major dates, raw line order
rl::Array<uint16_t> MOVIEIDS;     // user-major movies
rl::Array<uint8_t> RATINGUSER;    // user-major ratings

void say(const char* text) { rl::text_item(rl::console_slot, text, rl::line_end); }

void clear_row(int row) {
  rl::console_locate(row, 1, true);
  rl::text_item(rl::console_slot, std::string(60, ' '), rl::line_end);
}

void show_movie(int i) {
  rl::console_locate(4, 1, true);
  rl::text_item(rl::console_slot, "Working on movie nominal ID: ");
  rl::integer_item(rl::console_slot, i + 1, rl::line_end);
}

// The line of the k-th rating (0-based) of a movie file, for messages.
int64_t rating_line(int i, std::size_t k) {
  std::string bytes;
  rl::read_raw_file(rl::raw_file_name(raw_folder, i + 1), bytes);
  rl::MovieRatings again;
  std::vector<int64_t> lines;
  rl::parse_ratings_literal(rl::input_mode_text(bytes), again, &lines);
  return k < lines.size() ? lines[k] : 0;
}

// Counting pass over one movie: dense ids in order of first appearance, ratings per
// user. The raw ids are replaced by the dense ids for the filling pass.
int64_t count_movie(int i, rl::MovieRatings& r, int64_t total, int32_t& users) {
  int32_t* map = LONGUSERIDS.data() - 1;  // indexed by raw id 1..2649429
  int32_t* count = USERCOUNT.data();
  for (std::size_t k = 0; k < r.user.size(); ++k) {
    int32_t& d = map[r.user[k]];
    if (d == -1) {
      if (users == user_capacity)
        rl::fail_input(rl::raw_file_name(raw_folder, i + 1) + ": raw user id at line " +
                       std::to_string(rating_line(i, k)) + ": \"" + std::to_string(r.user[k]) +
                       "\" (a 480190th distinct user; the tables hold 480189)");
      d = users++;
    }
    ++count[d + 1];
    r.user[k] = d;
  }
  total += static_cast<int64_t>(r.user.size());
  if (total > INT32_MAX)
    rl::fail_input(rl::raw_file_name(raw_folder, i + 1) +
                   ": more than 2147483647 ratings; the tables count entries in 32 bits");
  if (r.bad) rl::fail_input(rl::raw_file_name(raw_folder, i + 1) + ": " + r.bad_text);
  return total;
}

// Filling pass over one movie: both views, the dates and the trace.
int64_t fill_movie(int i, const rl::MovieRatings& r, int64_t k) {
  int32_t* users = USERIDS.data();
  uint8_t* stars = RATINGMOVIE.data();
  int16_t* dates = SDATES.data();
  int32_t* cursor = USERCOUNT.data();
  uint16_t* movies = MOVIEIDS.data();
  uint8_t* ustars = RATINGUSER.data();
  for (std::size_t j = 0; j < r.user.size(); ++j, ++k) {
    int32_t d = r.user[j];
    users[k] = d;
    stars[k] = r.star[j];
    dates[k] = r.day[j];
    int32_t p = cursor[d]++;
    ustars[p] = r.star[j];
    movies[p] = static_cast<uint16_t>(i);
    if (d == trace_user) {
      rl::text_item(1, "b_");
      rl::unsigned_item(1, static_cast<uint32_t>(i), rl::line_end);
    }
  }
  return k;
}

template <class Key>
bool strictly_ascending(const Key* keys, int64_t n) {
  for (int64_t j = 1; j < n; ++j)
    if (!(keys[j - 1] < keys[j])) return false;
  return true;
}

// Each user's block by movie index. The filling pass visits movies in ascending order,
// so a block is already strictly ascending unless a user rated a movie twice; such a
// block comes out of the sort unchanged, which is why it is skipped. Sorting the 16-bit
// keys in place gives what sorting widened copies would (same comparisons, same moves).
void sort_user_blocks() {
  const int32_t* starts = USERSTARTS.data();
  uint16_t* movies = MOVIEIDS.data();
  uint8_t* stars = RATINGUSER.data();
  for (int32_t u = 0; u < user_capacity; ++u) {
    int64_t b = starts[u], n = starts[u + 1] - b;
    if (strictly_ascending(movies + b, n)) continue;
    rl::quicksort_keyed(movies + b, stars + b, n, false);
  }
}

// Each movie's block by dense user id, ascending, on the worker threads. Dense ids are
// never negative, so the int32 table sorts as the unsigned keys it is read as.
void sort_movie_blocks() {
  std::atomic<int> next{0};
  auto work = [&next] {
    const int32_t* starts = MOVIESTARTS.data();
    auto* users = reinterpret_cast<uint32_t*>(USERIDS.data());
    uint8_t* stars = RATINGMOVIE.data();
    for (;;) {
      int m = next.fetch_add(1);
      if (m >= movie_count) return;
      int64_t b = starts[m], n = starts[m + 1] - b;
      if (strictly_ascending(users + b, n)) continue;
      rl::qsort_u32_u8_dir(users + b, stars + b, n, 0);
    }
  };
  unsigned threads = std::thread::hardware_concurrency();
  if (threads == 0) threads = 1;
  std::vector<std::thread> pool;
  for (unsigned t = 1; t < threads; ++t) pool.emplace_back(work);
  work();
  for (auto& t : pool) t.join();
}

std::string in_output(const char* name) { return std::string(output_folder) + name; }

}  // namespace

int main(int argc, char** argv) {
  rl::init_program(argc, argv);

  say("Starting training set compression.");
  MOVIESTARTS.dim(0, movie_count);
  USERCOUNT.dim(0, user_capacity);
  USERSTARTS.dim(0, user_capacity);
  LONGUSERIDS.dim(1, rl::highest_raw_user_id);
  for (int64_t r = 0; r < LONGUSERIDS.count(); ++r) LONGUSERIDS.data()[r] = -1;

  std::string first = rl::map_path(rl::raw_file_name(raw_folder, 1));
  if (!rl::parent_folder_exists(first)) rl::warn("the folder of " + first + " does not exist");
  rl::start_reading_movies(raw_folder, movie_count);

  rl::console_locate(3, 1, true);
  say("Loading and processing data, part 1...");
  int64_t total = 0;
  int32_t users = 0;
  for (int i = 0; i < movie_count; ++i) {
    show_movie(i);
    total = count_movie(i, rl::movie_ratings(i), total, users);
    MOVIESTARTS(i + 1) = static_cast<int32_t>(total);
  }
  rl::save_array(in_output("longuserids.dat"), LONGUSERIDS);

  clear_row(4);
  rl::console_locate(3, 1, true);
  say("Loading and processing data, part 2...");
  USERIDS.dim(0, total - 1);
  RATINGMOVIE.dim(0, total - 1);
  SDATES.dim(0, total - 1);
  MOVIEIDS.dim(0, total - 1);
  RATINGUSER.dim(0, total - 1);
  for (int32_t u = 1; u <= user_capacity; ++u) {
    USERCOUNT(u) += USERCOUNT(u - 1);
    USERSTARTS(u) = USERCOUNT(u);
  }
  rl::open_file(trace_file, rl::output_mode, 1);
  int64_t k = 0;
  for (int i = 0; i < movie_count; ++i) {
    show_movie(i);
    rl::MovieRatings& r = rl::movie_ratings(i);
    k = fill_movie(i, r, k);
    r = rl::MovieRatings{};
  }
  rl::finish_reading_movies();
  USERCOUNT.release();

  rl::close_file(0);
  clear_row(3);
  clear_row(4);
  rl::console_locate(3, 1, true);
  say("Writing output to disk...");
  rl::save_array(in_output("sdates.dat"), SDATES);
  SDATES.release();
  LONGUSERIDS.release();

  clear_row(3);
  clear_row(4);
  rl::console_locate(3, 1, true);
  say("Getting the ratings per user and movie per user...");
  sort_user_blocks();
  sort_movie_blocks();

  clear_row(3);
  clear_row(4);
  rl::console_locate(3, 1, true);
  say("Writing more output to disk...");
  rl::save_array(in_output("moviestarts.dat"), MOVIESTARTS);
  rl::save_array(in_output("ratingmovie.dat"), RATINGMOVIE);
  rl::save_array(in_output("userids.dat"), USERIDS);
  rl::save_array(in_output("ratinguser.dat"), RATINGUSER);
  rl::save_array(in_output("movieids.dat"), MOVIEIDS);
  rl::save_array(in_output("userstarts.dat"), USERSTARTS);

  clear_row(3);
  rl::console_locate(1, 1, true);
  say("Training set compressed! Press any key to exit.");
  rl::wait_for_key();
  return 0;
}
