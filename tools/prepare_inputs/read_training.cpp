// The per-movie training files, parsed by hardware_concurrency threads. Each thread
// takes the next movie number; results land per movie, so the tables come out the same
// whatever the thread count, and a fault is reported for the lowest movie that has one.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <thread>

#include "fail.h"
#include "prepare.h"
#include "raw_text.h"
#include "shared_inputs.h"

namespace {

struct MovieBlock {
  std::vector<int32_t> users;
  std::vector<uint8_t> stars;
  int64_t bad_line = 0;  // line of the first fault, 0 = none
  std::string bad_field, bad_value, bad_expected;
};

std::string movie_file(int m) {
  char name[32];
  std::snprintf(name, sizeof name, "mv_%07d.txt", m);
  return RAW_DIR + "/training_set/" + name;
}

bool bad(MovieBlock& b, int64_t line, const char* field, std::string value, std::string expected) {
  b.bad_line = line;
  b.bad_field = field;
  b.bad_value = std::move(value);
  b.bad_expected = std::move(expected);
  return false;
}

// "user,star,YYYY-MM-DD": user 1..2649429, star 1..5.
bool parse_movie(int m, const std::string& text, MovieBlock& b) {
  rl::LineCursor c(text);
  std::string_view l;
  if (!c.next(l)) return true;  // an empty file: a movie without ratings
  std::string head = std::to_string(m) + ":";
  if (l != head) return bad(b, 1, "movie line", rl::shown(l), "\"" + head + "\"");
  std::size_t lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
  b.users.reserve(lines);
  b.stars.reserve(lines);
  while (c.next(l)) {
    const char* s = l.data();
    std::size_t n = l.size(), i = 0;
    int64_t user = 0;
    while (i < n && i < 10 && s[i] >= '0' && s[i] <= '9') user = user * 10 + (s[i++] - '0');
    if (i == 0 || i + 3 >= n || s[i] != ',' || s[i + 2] != ',' || s[i + 1] < '0' || s[i + 1] > '9' ||
        !rl::is_date(l.substr(i + 3)))
      return bad(b, c.line, "rating line", rl::shown(l), "user,star,YYYY-MM-DD");
    if (user < 1 || user > rl::max_raw_user)
      return bad(b, c.line, "user id", std::to_string(user), "1..2649429");
    int star = s[i + 1] - '0';
    if (star < 1 || star > 5) return bad(b, c.line, "star", std::to_string(star), "1..5");
    b.users.push_back(static_cast<int32_t>(user));
    b.stars.push_back(static_cast<uint8_t>(star));
  }
  return true;
}

// Which movie files the folder holds, from one listing (cheaper than opening every
// missing name).
std::vector<bool> listed_movies() {
  std::vector<bool> listed(rl::full_movies + 1, false);
  std::string folder = RAW_DIR + "/training_set";
  DIR* d = ::opendir(folder.c_str());
  if (!d) rl::fail_input(folder + ": cannot be read");
  while (dirent* e = ::readdir(d)) {
    int m = 0;
    char tail[8];
    if (std::strlen(e->d_name) == 14 && std::sscanf(e->d_name, "mv_%7d%4s", &m, tail) == 2 &&
        std::strcmp(tail, ".txt") == 0 && m >= 1 && m <= rl::full_movies &&
        movie_file(m).compare(folder.size() + 1, std::string::npos, e->d_name) == 0)
      listed[m] = true;
  }
  ::closedir(d);
  return listed;
}

}  // namespace

int worker_count() {
  unsigned n = std::thread::hardware_concurrency();
  return n == 0 ? 1 : static_cast<int>(n);
}

void read_training() {
  const std::vector<bool> listed = listed_movies();
  std::vector<MovieBlock> blocks(rl::full_movies + 1);
  std::atomic<int> next{1};
  std::atomic<int> first_bad{rl::full_movies + 1};
  auto work = [&]() {
    std::string text;
    for (int m = next++; m <= rl::full_movies; m = next++) {
      if (!listed[m] || m > first_bad.load()) continue;  // absent, or a lower movie failed
      if (!rl::read_raw_file(movie_file(m), text)) continue;  // a missing file: no ratings
      if (!parse_movie(m, text, blocks[m])) {
        int cur = first_bad.load();
        while (m < cur && !first_bad.compare_exchange_weak(cur, m)) {
        }
      }
    }
  };
  std::vector<std::thread> threads;
  for (int t = 1; t < worker_count(); ++t) threads.emplace_back(work);
  work();
  for (auto& t : threads) t.join();

  if (first_bad <= rl::full_movies) {
    const MovieBlock& b = blocks[first_bad];
    rl::fail_line(movie_file(first_bad), b.bad_field, b.bad_line, b.bad_value, b.bad_expected);
  }

  MEND.dim(0, rl::full_movies);
  int64_t total = 0;
  for (int m = 1; m <= rl::full_movies; ++m) {
    total += static_cast<int64_t>(blocks[m].users.size());
    if (total > 2147483647) rl::fail_input(RAW_DIR + "/training_set: more than 2147483647 ratings");
    MEND(m) = static_cast<int32_t>(total);
  }
  NRATINGS = static_cast<int32_t>(total);
  USERIDS.dim(1, NRATINGS);
  SCORES.dim(1, NRATINGS);
  for (int m = 1; m <= rl::full_movies; ++m) {
    MovieBlock& b = blocks[m];
    std::copy(b.users.begin(), b.users.end(), USERIDS.data() + MEND(m - 1));
    std::copy(b.stars.begin(), b.stars.end(), SCORES.data() + MEND(m - 1));
    b = MovieBlock{};  // hand the memory back as we go
  }
}
