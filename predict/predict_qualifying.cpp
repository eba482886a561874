// predict_qualifying: predicts every qualifying query through the user's best category
// that has a bin for the movie, and writes the predictions to "results.txt".
//
// Built twice: as delivered, with the fixed query counts and the query list read from
// "predictdata.dat"; and as predict_qualifying_prepare (COUNT_QUERIES and
// PREPARE_QUERIES set), which counts and parses "qualifying.txt" itself and writes
// "predictdata.dat".
#include <cstdint>
#include <string>

#include "query_text.h"
#include "ratinglab.h"

#ifndef COUNT_QUERIES
#define COUNT_QUERIES 0
#endif
#ifndef PREPARE_QUERIES
#define PREPARE_QUERIES 0
#endif

namespace {

constexpr bool count_queries = COUNT_QUERIES != 0;
constexpr bool prepare_queries = PREPARE_QUERIES != 0;

const std::string folder = rl::dataset_folder;

int32_t N = 0;                  // categories
int32_t U = rl::full_users;     // users of "swapn2.dat"
int32_t M = rl::full_qualifying_movies;
int32_t Q = rl::full_qualifying_queries;
rl::Array<uint8_t> BINSCORE;    // [1..N, 1..17770]
std::string QUALIFYING;         // the whole qualifying text
rl::Array<uint16_t> BINRATING;  // [1..U, 1..N, 1..5]
rl::Array<uint16_t> BINERROR;   // [1..U, 1..N, 1..5], freed at once
rl::Array<uint32_t> CATERROR;   // [1..U, 1..N]; 4294967295 = not usable
rl::Array<int32_t> QPRED;       // [1..Q]
rl::Array<int32_t> QEND;        // [0..M]
rl::Array<int32_t> QMOVIE;      // [1..M+1]
rl::Array<int32_t> QUSER;       // [1..Q]
rl::Array<int32_t> SHORTID;     // [1..2649429]
rl::Array<int32_t> MEND;        // [0..17770], loaded only
rl::Array<uint8_t> SCORES;      // [1..100480507], loaded only
rl::Array<int32_t> USERIDS;     // [1..100480507], loaded only

void load_weights() {
  const std::string path = folder + "weights.dat";
  rl::open_file(path, rl::binary_mode, 1);
  rl::get_value(1, 0, N);
  if (N < 0) rl::fail_value(rl::map_path(path), "NCAT", 1, N, "0 or more");
  BINSCORE.dim(1, N, 1, rl::full_movies);
  rl::get_array(1, 0, BINSCORE);
  rl::close_file(1);
  for (int32_t j = 1; j <= N; ++j)
    for (int32_t m = 1; m <= rl::full_movies; ++m)
      if (BINSCORE(j, m) > 5)
        rl::fail_input(rl::map_path(path) + ": BINSCORE at category " + std::to_string(j) +
                       ", movie " + std::to_string(m) + " holds " +
                       std::to_string(BINSCORE(j, m)) + ", expected 0..5");
}

void load_qualifying_text() {
  rl::open_file(folder + "qualifying.txt", rl::binary_mode, 1);
  QUALIFYING = rl::read_whole_text(1);
  rl::close_file(1);
}

// "swapn2.dat" carries no user count. A file whose length is not that of the full
// user count but fits the three tables exactly for another count (one imported set of
// ratings, say) is read with that count; an empty (missing) file reads as zeros.
void load_bin_maps() {
  const std::string path = folder + "swapn2.dat";
  rl::open_file(path, rl::binary_mode, 1);
  const int64_t length = rl::file_length(1);
  const int64_t per_user = static_cast<int64_t>(N) * 24;
  if (N > 0 && length != 0 && length != per_user * rl::full_users) {
    if (length % per_user != 0 || length / per_user > 2147483647)
      rl::fail_input(rl::map_path(path) + ": length " + std::to_string(length) +
                     " fits no user count for " + std::to_string(N) +
                     " categories (users x " + std::to_string(per_user) + " bytes)");
    U = static_cast<int32_t>(length / per_user);
    rl::warn(rl::map_path(path) + ": length " + std::to_string(length) + " fits " +
             std::to_string(U) + " users of " + std::to_string(N) +
             " categories; predicting for " + std::to_string(U) + " users");
  }
  BINRATING.dim(1, U, 1, N, 1, 5);
  BINERROR.dim(1, U, 1, N, 1, 5);
  CATERROR.dim(1, U, 1, N);
  rl::get_array(1, 0, BINRATING);
  rl::get_array(1, 0, BINERROR);
  rl::get_array(1, 0, CATERROR);
  rl::close_file(1);
  BINERROR.release();
}

void load_queries() {
  if (count_queries) predict::count_query_lines(QUALIFYING, M, Q);
  QPRED.dim(1, Q);
  QEND.dim(0, M);
  QMOVIE.dim(1, static_cast<int64_t>(M) + 1);
  QUSER.dim(1, Q);
  if (prepare_queries) {
    const std::string text_path = rl::map_path(folder + "qualifying.txt");
    int32_t movies = predict::parse_query_lines(QUALIFYING, text_path, QEND, QMOVIE, QUSER);
    // What goes into "predictdata.dat" must index the tables when it is read back.
    for (int32_t k = 1; k <= movies; ++k)
      if (QMOVIE(k) < 1 || QMOVIE(k) > rl::full_movies)
        rl::fail_input(text_path + ": movie line " + std::to_string(k) + " holds movie " +
                       std::to_string(QMOVIE(k)) + ", expected 1..17770");
    for (int32_t q = 1; q <= Q; ++q)
      if (QUSER(q) < 1 || QUSER(q) > rl::max_raw_user)
        rl::fail_input(text_path + ": query line " + std::to_string(q) + " holds user " +
                       std::to_string(QUSER(q)) + ", expected 1..2649429");
    rl::open_file("predictdata.dat", rl::output_mode, 1);
    rl::put_array(1, 0, QEND);
    rl::put_array(1, 0, QMOVIE);
    rl::put_array(1, 0, QUSER);
    rl::close_file(1);
  } else {
    rl::open_file("predictdata.dat", rl::binary_mode, 1);
    rl::get_array(1, 0, QEND);
    rl::get_array(1, 0, QMOVIE);
    rl::get_array(1, 0, QUSER);
    rl::close_file(1);
  }
  rl::text_item(0, "Prediction data has been loaded.", rl::line_end);
}

// A whole-table read at position 1 of a table that was just sized (all zero): only the
// bytes the file holds are moved, so a missing or short file leaves the zero pages of
// the table untouched instead of clearing them once more.
template <class T>
void get_fresh_table(int slot, rl::Array<T>& table) {
  int64_t have = rl::file_length(slot);
  std::size_t n = table.bytes();
  if (have < static_cast<int64_t>(n)) n = static_cast<std::size_t>(have);
  rl::get_bytes(slot, 1, table.data(), n);
}

void load_unused_tables() {
  rl::read_shortids(folder + "shortuserids2.dat", SHORTID);
  rl::read_movieend(folder + "movieend.dat", MEND);
  rl::text_item(0, "Movie sizes have been loaded.", rl::line_end);
  SCORES.dim(1, rl::full_ratings);
  rl::open_file(folder + "scores.dat", rl::binary_mode, 1);
  get_fresh_table(1, SCORES);
  rl::close_file(1);
  rl::text_item(0, "Scores have been loaded.", rl::line_end);
  USERIDS.dim(1, rl::full_ratings);
  rl::open_file(folder + "userids2.dat", rl::binary_mode, 1);
  get_fresh_table(1, USERIDS);
  rl::close_file(1);
  rl::text_item(0, "User ids have been loaded.", rl::line_end);
}

// The smallest usable CATERROR among the categories that give the movie a bin, the
// lower category on ties; the best so far is held as a single.
// Returns 0 when no category qualifies.
int32_t best_category(int32_t u, int32_t m) {
  float best = 4294967296.0f;
  int32_t bestj = 0, found = 0;
  const uint32_t* row = &CATERROR(u, 1);
  for (int32_t j = 1; j <= N; ++j) {
    if (BINSCORE(j, m) == 0) continue;
    uint32_t e = row[j - 1];
    if (e == 4294967295u) continue;
    if (static_cast<double>(e) < static_cast<double>(best)) {
      best = static_cast<float>(e);
      bestj = j;
    }
    found = found + 1;
  }
  return found >= 1 ? bestj : 0;
}

void predict_all() {
  const std::string data = "predictdata.dat";
  int32_t k = 1;
  int32_t m = QMOVIE(1);
  for (int32_t q = 1; q <= Q; ++q) {
    if (q % 10000 == 0) {
      rl::console_locate(5, 1);
      rl::integer_item(0, q, rl::line_end);
    }
    int32_t raw = QUSER(q);
    if (raw < 1 || raw > rl::max_raw_user)
      rl::fail_value(data, "QUSER", q, raw, "a raw user id 1..2649429");
    int32_t u = SHORTID(raw);
    if (u < 1 || u > U)
      rl::fail_input(rl::map_path(folder + "shortuserids2.dat") + ": SHORTID at " +
                     std::to_string(raw) + " (user of query " + std::to_string(q) + ") holds " +
                     std::to_string(u) + ", expected 1.." + std::to_string(U));
    if (m < 1 || m > rl::full_movies)
      rl::fail_input(data + ": QMOVIE at " + std::to_string(k) + " (movie of query " +
                     std::to_string(q) + ") holds " + std::to_string(m) + ", expected 1..17770");
    int32_t j = best_category(u, m);
    QPRED(q) = j > 0 ? BINRATING(u, j, BINSCORE(j, m)) : 4;
    if (k <= M && QEND(k) == q) {
      k = k + 1;
      m = QMOVIE(k);
    }
  }
}

void write_results() {
  rl::open_file("results.txt", rl::output_mode, 1);
  int32_t k = 1;
  rl::text_item(1, rl::trim_left(rl::int_to_text(QMOVIE(1))) + ":", rl::line_end);
  for (int32_t q = 1; q <= Q; ++q) {
    if (k <= M && q - 1 == QEND(k)) {
      k = k + 1;
      rl::text_item(1, rl::trim_left(rl::int_to_text(QMOVIE(k))) + ":", rl::line_end);
    }
    rl::text_item(1, rl::format_fixed2(QPRED(q)), rl::line_end);
  }
  rl::close_file(1);
}

}  // namespace

int main(int argc, char** argv) {
  rl::init_program(argc, argv);
  rl::console_clear();
  load_weights();
  load_qualifying_text();
  load_bin_maps();
  load_queries();
  load_unused_tables();
  predict_all();
  write_results();
  rl::wait_for_key();
  return 0;
}
