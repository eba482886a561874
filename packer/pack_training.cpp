// pack_training: turns the raw training set (one text file per movie) into the packed
// movie-major and user-major tables in "data/", the raw-to-dense user map, the rating
// dates and the trace of one user's ratings.
//
// The raw files are read once, ahead of time, by worker threads (movie_reader); the
// counting pass and the filling pass then walk the parsed ratings in movie order, so
// dense ids, table contents and console text are those of two passes over the files.
#include <algorithm>
#include <atomic>
#include <functional>
#include <climits>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>
#include <sys/mman.h>

#include "block_sort.h"
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

// The big tables are walked at random (the user map, the fill cursors' targets): huge
// pages spare most of the address-translation misses and page faults. Only a hint.
template <class T>
void prefer_huge_pages(rl::Array<T>& table) {
#ifdef MADV_HUGEPAGE
  const uintptr_t huge = uintptr_t{2} << 20;
  uintptr_t begin = (reinterpret_cast<uintptr_t>(table.data()) + huge - 1) & ~(huge - 1);
  uintptr_t end = (reinterpret_cast<uintptr_t>(table.data()) + table.bytes()) & ~(huge - 1);
  if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)table;
#endif
}

template <class Work>
void run_on_all_threads(Work& work) {
  unsigned threads = std::thread::hardware_concurrency();
  if (threads == 0) threads = 1;
  std::vector<std::thread> pool;
  for (unsigned t = 1; t < threads; ++t) pool.emplace_back(std::ref(work));
  work();
  for (auto& t : pool) t.join();
}

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

// The user-major view is a counting sort of the entries by dense user. Scattering
// every entry straight to its user's cursor misses the cache twice per rating, so the
// filling pass stages each entry in its group of 16384 users (in entry order) and the
// groups are then scattered one at a time, within a region that stays in the cache.
// Each user still receives its entries in entry order, as with the direct scatter.
constexpr int group_bits = 14;
constexpr int32_t group_count = (user_capacity + 1 + (1 << group_bits) - 1) >> group_bits;
rl::Array<uint32_t> STAGED;  // (user within group << 18) | (movie index << 3) | star
int64_t GROUP_CURSOR[group_count];

void start_staging(int64_t n) {
  STAGED.dim(0, n - 1);
  prefer_huge_pages(STAGED);
  for (int32_t g = 0; g < group_count; ++g) GROUP_CURSOR[g] = USERSTARTS(g << group_bits);
}

// Filling pass over one movie: the movie-major view, the dates, the trace, and the
// staged user-major entries.
int64_t fill_movie(int i, const rl::MovieRatings& r, int64_t k) {
  int32_t* users = USERIDS.data();
  uint8_t* stars = RATINGMOVIE.data();
  int16_t* dates = SDATES.data();
  uint32_t* staged = STAGED.data();
  for (std::size_t j = 0; j < r.user.size(); ++j, ++k) {
    int32_t d = r.user[j];
    users[k] = d;
    stars[k] = r.star[j];
    dates[k] = r.day[j];
    uint32_t local = static_cast<uint32_t>(d) & ((1u << group_bits) - 1);
    staged[GROUP_CURSOR[d >> group_bits]++] =
        local << 18 | static_cast<uint32_t>(i) << 3 | r.star[j];
    if (d == trace_user) {
      rl::text_item(1, "b_");
      rl::unsigned_item(1, static_cast<uint32_t>(i), rl::line_end);
    }
  }
  return k;
}

// Moves each group's staged entries to their users' slots, groups on all threads.
void scatter_groups() {
  std::atomic<int> next{0};
  auto work = [&next] {
    int32_t* cursor = USERCOUNT.data();
    uint16_t* movies = MOVIEIDS.data();
    uint8_t* stars = RATINGUSER.data();
    const uint32_t* staged = STAGED.data();
    for (;;) {
      int g = next.fetch_add(1);
      if (g >= group_count) return;
      int32_t first = g << group_bits;
      int64_t b = USERSTARTS(first);
      int64_t e = USERSTARTS(std::min<int32_t>(first + (1 << group_bits), user_capacity));
      int32_t* base = cursor + first;
      for (int64_t q = b; q < e; ++q) {
        uint32_t x = staged[q];
        int32_t p = base[x >> 18]++;
        movies[p] = static_cast<uint16_t>((x >> 3) & 0x7fff);
        stars[p] = static_cast<uint8_t>(x & 7);
      }
    }
  };
  run_on_all_threads(work);
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
    rl::BlockScratch scratch;
    for (;;) {
      int m = next.fetch_add(1);
      if (m >= movie_count) return;
      int64_t b = starts[m], n = starts[m + 1] - b;
      rl::sort_block_ascending(users + b, stars + b, n, scratch);
    }
  };
  run_on_all_threads(work);
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
  prefer_huge_pages(LONGUSERIDS);
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
  prefer_huge_pages(USERIDS);
  prefer_huge_pages(RATINGMOVIE);
  prefer_huge_pages(SDATES);
  prefer_huge_pages(MOVIEIDS);
  prefer_huge_pages(RATINGUSER);
  for (int32_t u = 1; u <= user_capacity; ++u) {
    USERCOUNT(u) += USERCOUNT(u - 1);
    USERSTARTS(u) = USERCOUNT(u);
  }
  rl::open_file(trace_file, rl::output_mode, 1);
  start_staging(total);
  int64_t k = 0;
  for (int i = 0; i < movie_count; ++i) {
    show_movie(i);
    rl::MovieRatings& r = rl::movie_ratings(i);
    k = fill_movie(i, r, k);
    r = rl::MovieRatings{};
  }
  rl::finish_reading_movies();
  scatter_groups();
  STAGED.release();
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
