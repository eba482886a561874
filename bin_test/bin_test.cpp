// bin_test: fits, for every user and every category usable for the user, the map from
// the category's bins to ratings, tests the user's training ratings through the best
// bin, prints the training error and saves the maps as "swapn2.dat".
#include <algorithm>
#include <atomic>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "bin_fit.h"
#include "ratinglab.h"

namespace {

const std::string folder = rl::dataset_folder;

rl::UserData USERDATA;            // UEND, UMOVIE, USTARS
rl::Array<uint8_t> BINSCORE;      // [1..N, 1..A]
rl::Array<int32_t> USERSCORE;     // [1..U, 1..N]; becomes CATERROR in place
rl::Array<uint16_t> BINRATING;    // [1..U, 1..N, 1..5]
rl::Array<uint16_t> BINERROR;     // [1..U, 1..N, 1..5]
rl::Array<int32_t> SHORTID;       // [1..2649429], loaded only
rl::Statistics STATS;             // loaded only
rl::Array<uint16_t> MWORD;        // [1..A], loaded only
rl::Array<uint8_t> MOVIEBINS;     // BINSCORE movie-major
rl::Array<float> USER_S;          // [1..U]: squared error of each user's test
rl::Array<int32_t> USER_N;        // [1..U]: predicted ratings of each user's test
int32_t A = 0, R = 0, U = 0, N = 0;

void load_weights() {
  const std::string path = folder + "weights.dat";
  rl::open_file(path, rl::binary_mode, 1);
  rl::get_value(1, 0, N);
  if (N < 0) rl::fail_value(rl::map_path(path), "NCAT", 1, N, "0 or more");
  BINSCORE.dim(1, N, 1, A);
  USERSCORE.dim(1, U, 1, N);
  rl::get_array(1, 0, BINSCORE);
  rl::get_array(1, 0, USERSCORE);
  rl::close_file(1);
  for (int32_t j = 1; j <= N; ++j)
    for (int32_t m = 1; m <= A; ++m)
      if (BINSCORE(j, m) > 5)
        rl::fail_input(rl::map_path(path) + ": BINSCORE at category " + std::to_string(j) +
                       ", movie " + std::to_string(m) + " holds " +
                       std::to_string(BINSCORE(j, m)) + ", expected 0..5");
}

void load_movie_names() {
  rl::open_file(folder + "movienames.dat", rl::binary_mode, 1);
  std::string name;
  for (int32_t m = 1; m <= A; ++m) {
    uint16_t length = 0;
    rl::get_value(1, 0, length);
    name.assign(length, ' ');
    rl::get_text(1, 0, name);
  }
  MWORD.dim(1, A);
  rl::get_array(1, 0, MWORD);
  rl::close_file(1);
}

// Fits and tests users first..last on every thread; each user's rows and totals are
// its own, so the result does not depend on how the users are shared out.
void run_users(int32_t first, int32_t last, const bin_test::Tables& t, unsigned threads) {
  std::atomic<int32_t> next{first};
  constexpr int32_t chunk = 64;
  auto worker = [&] {
    bin_test::Work w;
    w.size_for(N);
    for (;;) {
      int32_t a = next.fetch_add(chunk);
      if (a > last) break;
      int32_t b = std::min(last, a + chunk - 1);
      for (int32_t u = a; u <= b; ++u) {
        bin_test::UserTest r = bin_test::fit_and_test_user(t, u, w);
        USER_S(u) = r.s;
        USER_N(u) = r.n;
      }
    }
  };
  std::vector<std::thread> pool;
  for (unsigned i = 1; i < threads; ++i) pool.emplace_back(worker);
  worker();
  for (auto& th : pool) th.join();
}

}  // namespace

int main(int argc, char** argv) {
  rl::init_program(argc, argv);
  rl::console_clear();

  const std::string userdata_path = folder + "userdata1.dat";
  rl::read_userdata(userdata_path, USERDATA);
  A = USERDATA.NMOVIES;
  R = USERDATA.NRATINGS;
  U = USERDATA.NUSERS;
  rl::check_userdata(rl::map_path(userdata_path), USERDATA, A);

  load_weights();
  BINRATING.dim(1, U, 1, N, 1, 5);
  BINERROR.dim(1, U, 1, N, 1, 5);

  rl::read_shortids(folder + "shortuserids2.dat", SHORTID);
  load_movie_names();
  rl::read_statistics(folder + "statistics.dat", U, A, STATS);

  rl::text_item(0, "Starting the test..", rl::line_end);

  bin_test::turn_movie_major(BINSCORE, N, A, MOVIEBINS);
  bin_test::Tables t;
  t.A = A;
  t.U = U;
  t.N = N;
  t.UEND = &USERDATA.UEND;
  t.UMOVIE = &USERDATA.UMOVIE;
  t.USTARS = &USERDATA.USTARS;
  t.MOVIEBINS = &MOVIEBINS;
  t.CATERROR = &USERSCORE;
  t.BINRATING = &BINRATING;
  t.BINERROR = &BINERROR;
  USER_S.dim(1, U);
  USER_N.dim(1, U);

  unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  // Users go in blocks so the progress numbers appear while the run goes on.
  constexpr int32_t block = 10000;
  for (int32_t first = 1; first <= U; first += block) {
    int32_t last = static_cast<int32_t>(std::min<int64_t>(U, static_cast<int64_t>(first) + block - 1));
    run_users(first, last, t, threads);
    for (int32_t u = first; u <= last; ++u)
      if (u % 100 == 0) {
        rl::console_locate(2, 1);
        rl::integer_item(0, u, rl::line_end);
      }
  }

  // The totals add up user by user in order, as one running single sum would.
  float total = 0;
  int32_t predicted = 0;
  for (int32_t u = 1; u <= U; ++u) {
    total = total + USER_S(u);
    predicted = predicted + USER_N(u);
  }
  // With no predicted rating the quotient is 0 / 0 and prints as nan.
  float rmse = static_cast<float>(std::sqrt(static_cast<long double>(total) / predicted));
  rl::single_item(0, rmse, rl::zone_separator);
  rl::single_item(0, total, rl::zone_separator);
  rl::integer_item(0, predicted, rl::line_end);

  rl::open_file(folder + "swapn2.dat", rl::output_mode, 1);
  rl::put_array(1, 0, BINRATING);
  rl::put_array(1, 0, BINERROR);
  rl::put_array(1, 0, USERSCORE);
  rl::close_file(1);

  rl::wait_for_key();
  return 0;
}
