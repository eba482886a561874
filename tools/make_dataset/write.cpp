#include "write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fail.h"
#include "model.h"
#include "rng.h"

namespace gen {

namespace {

// "YYYY-MM-DD" of every day number FIRST_DAY..LAST_DAY.
char DATE_TEXT[LAST_DAY + 1][10];
// Raw user id texts, at most 7 digits.
struct IdText { char digits[7]; uint8_t length; };
std::vector<IdText> ID_TEXT;

std::vector<std::string> PROBE_TEXT, QUERY_TEXT, ANSWER_TEXT;

void make_date_texts() {
  int y = 1998, mo = 10, d = 1;
  static const int LEN[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  for (int day = 0; day <= LAST_DAY; ++day) {
    char* t = DATE_TEXT[day];
    t[0] = char('0' + y / 1000), t[1] = char('0' + y / 100 % 10), t[2] = char('0' + y / 10 % 10),
    t[3] = char('0' + y % 10), t[4] = '-', t[5] = char('0' + mo / 10), t[6] = char('0' + mo % 10),
    t[7] = '-', t[8] = char('0' + d / 10), t[9] = char('0' + d % 10);
    int len = LEN[mo - 1] + (mo == 2 && y % 4 == 0 && (y % 100 != 0 || y % 400 == 0));
    if (++d > len) d = 1, ++mo;
    if (mo > 12) mo = 1, ++y;
  }
}

inline char* put_uint(char* p, uint32_t v) {
  char tmp[10];
  int n = 0;
  do tmp[n++] = static_cast<char>('0' + v % 10), v /= 10;
  while (v);
  while (n) *p++ = tmp[--n];
  return p;
}

void make_id_texts() {
  ID_TEXT.resize(SET.users);
  for (size_t u = 0; u < ID_TEXT.size(); ++u) {
    char buf[12];
    size_t length = static_cast<size_t>(put_uint(buf, USER_ID[u]) - buf);  // ids have at most 7 digits
    std::memcpy(ID_TEXT[u].digits, buf, std::min<size_t>(length, 7));
    ID_TEXT[u].length = static_cast<uint8_t>(length);
  }
}

inline char* put_id(char* p, uint32_t user) {
  std::memcpy(p, ID_TEXT[user].digits, 8);  // may copy past the digits; the slack is overwritten
  return p + ID_TEXT[user].length;
}

std::string path_in(const std::string& name) { return SET.out + "/" + name; }

void make_folder(const std::string& path) {
  if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST)
    rl::fail_output(path + ": cannot create folder: " + std::strerror(errno));
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
    rl::fail_output(path + ": not a folder");
}

void make_folders(const std::string& path) {
  for (size_t i = 1; i < path.size(); ++i)
    if (path[i] == '/' && path[i - 1] != '/') make_folder(path.substr(0, i));
  make_folder(path);
}

void write_file(const std::string& path, const char* data, size_t size) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) rl::fail_output(path + ": cannot create: " + std::strerror(errno));
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) rl::fail_output(path + ": write failed: " + std::strerror(n < 0 ? errno : ENOSPC));
    data += n;
    size -= static_cast<size_t>(n);
  }
  if (::close(fd) != 0) rl::fail_output(path + ": write failed: " + std::strerror(errno));
}

// Per-thread scratch of the movie pass.
struct Scratch {
  std::vector<char> text;
  std::vector<uint64_t> rated;  // bit per user: rated this movie or already queried
  std::vector<uint32_t> lines;
  std::vector<uint32_t> queries;
};

// Users for the qualifying queries, weighted by the square root of their activity.
std::vector<uint64_t> QUERY_THRESHOLD;
std::vector<uint32_t> QUERY_OTHER;

void build_query_alias() {
  uint32_t n = static_cast<uint32_t>(SET.users);
  std::vector<double> w(n);
  double sum = 0;
  for (uint32_t u = 0; u < n; ++u) sum += (w[u] = std::sqrt(static_cast<double>(USER_RATINGS[u])));
  std::vector<uint32_t> small, large;
  for (uint32_t u = 0; u < n; ++u) {
    w[u] = w[u] * n / sum;
    (w[u] < 1.0 ? small : large).push_back(u);
  }
  QUERY_THRESHOLD.assign(n, 1ULL << 32);
  QUERY_OTHER.resize(n);
  for (uint32_t u = 0; u < n; ++u) QUERY_OTHER[u] = u;
  while (!small.empty() && !large.empty()) {
    uint32_t s = small.back(), l = large.back();
    small.pop_back();
    QUERY_THRESHOLD[s] = static_cast<uint64_t>(w[s] * 4294967296.0);
    QUERY_OTHER[s] = l;
    w[l] -= 1.0 - w[s];
    if (w[l] < 1.0) {
      large.pop_back();
      small.push_back(l);
    }
  }
}

inline bool test_and_set(std::vector<uint64_t>& bits, uint32_t u) {
  uint64_t bit = 1ULL << (u & 63);
  bool was = bits[u >> 6] & bit;
  bits[u >> 6] |= bit;
  return was;
}

// count distinct users who have not rated the movie, by activity, into s.queries.
void pick_query_users(uint32_t movie, uint32_t count, Scratch& s) {
  uint32_t users = static_cast<uint32_t>(SET.users);
  Rng r = stream(SET.seed, K_QUERY, movie);
  s.queries.clear();
  uint64_t tries = 64ULL * count + 4096;
  while (s.queries.size() < count && tries-- > 0) {
    uint64_t x = r.next();
    uint32_t i = static_cast<uint32_t>(((x >> 32) * users) >> 32);
    uint32_t u = (x & 0xffffffffULL) < QUERY_THRESHOLD[i] ? i : QUERY_OTHER[i];
    if (!test_and_set(s.rated, u)) s.queries.push_back(u);
  }
  if (s.queries.size() < count) {
    // Nearly every user rated this movie: take the rest uniformly from those left.
    std::vector<uint32_t> left;
    for (uint32_t u = 0; u < users; ++u)
      if (!(s.rated[u >> 6] >> (u & 63) & 1)) left.push_back(u);
    for (size_t i = 0; s.queries.size() < count; ++i) {
      size_t j = i + r.below(static_cast<uint32_t>(left.size() - i));
      std::swap(left[i], left[j]);
      s.queries.push_back(left[i]);
      test_and_set(s.rated, left[i]);
    }
  }
}

void write_movie(uint32_t m, Scratch& s) {
  uint32_t begin = MOVIE_START[m], end = MOVIE_START[m + 1], n = end - begin;
  // Lines in random order, as a service log would list them.
  s.lines.assign(MOVIE_USERS.begin() + begin, MOVIE_USERS.begin() + end);
  Rng r = stream(SET.seed, K_SHUFFLE, m);
  for (uint32_t i = n; i > 1; --i) std::swap(s.lines[i - 1], s.lines[r.below(i)]);

  s.text.resize(16 + static_cast<size_t>(n) * 24);
  char* p = put_uint(s.text.data(), m + 1);
  *p++ = ':', *p++ = '\n';
  std::string& probe = PROBE_TEXT[m];
  for (uint32_t u : s.lines) {
    p = put_id(p, u);
    *p++ = ',';
    *p++ = static_cast<char>('0' + pair_star(u, m));
    *p++ = ',';
    std::memcpy(p, DATE_TEXT[pair_day(u, m)], 10);
    p += 10;
    *p++ = '\n';
    if (pair_in_probe(u, m)) {
      probe.append(ID_TEXT[u].digits, ID_TEXT[u].length);
      probe.push_back('\n');
    }
  }
  char name[32];
  std::snprintf(name, sizeof name, "training_set/mv_%07u.txt", m + 1);
  write_file(path_in(name), s.text.data(), static_cast<size_t>(p - s.text.data()));

  uint32_t count = QUERY_COUNT[m];
  if (count > 0) {
    for (uint32_t u : s.lines) test_and_set(s.rated, u);
    pick_query_users(m, count, s);
    std::string& q = QUERY_TEXT[m];
    std::string& a = ANSWER_TEXT[m];
    char line[32];
    for (uint32_t u : s.queries) {
      char* e = put_id(line, u);
      *e++ = ',';
      q.append(line, e);
      a.append(line, e);
      a.push_back(static_cast<char>('0' + pair_star(u, m)));
      a.push_back('\n');
      q.append(DATE_TEXT[query_day(u, m)], 10);
      q.push_back('\n');
    }
    for (uint32_t u : s.lines) s.rated[u >> 6] = 0;
    for (uint32_t u : s.queries) s.rated[u >> 6] = 0;
  }
}

// "N:" and the movie's lines, for the movies that have any, ascending.
void write_list(const std::string& name, const std::vector<std::string>& per_movie) {
  std::string all;
  size_t size = 0;
  for (auto& t : per_movie) size += t.size() + 8;
  all.reserve(size);
  for (uint32_t m = 0; m < MOVIES; ++m) {
    if (per_movie[m].empty()) continue;
    all.append(std::to_string(m + 1)).append(":\n").append(per_movie[m]);
  }
  write_file(path_in(name), all.data(), all.size());
}

const char* const WORDS_A[] = {"Silent", "Broken", "Golden", "Last", "Hidden", "Crimson", "Lost",
                               "Wild", "Dark", "Final", "Secret", "Burning", "Frozen", "Distant",
                               "Restless", "Midnight", "Savage", "Quiet", "Electric", "Lonely"};
const char* const WORDS_B[] = {"River", "Summer", "Empire", "Garden", "Road", "Harbor", "Witness",
                               "Stranger", "Kingdom", "Shadow", "Island", "Promise", "Engine",
                               "Orchard", "Frontier", "Letter", "Storm", "Circus", "Canyon", "Signal"};

void write_titles() {
  std::string all;
  for (uint32_t m = 0; m < MOVIES; ++m) {
    Rng r = stream(SET.seed, K_TITLE, m);
    all.append(std::to_string(m + 1)).push_back(',');
    all.append(std::to_string(MOVIE_YEAR[m])).push_back(',');
    const char* a = WORDS_A[r.below(20)];
    const char* b = WORDS_B[r.below(20)];
    const char* c = WORDS_B[r.below(20)];
    switch (r.below(6)) {
      case 0: all.append("The ").append(a).append(" ").append(b); break;
      case 1: all.append(b).append(" of the ").append(a).append(" ").append(c); break;
      case 2: all.append(a).append(" ").append(b).append(" ").append(std::to_string(2 + r.below(3))); break;
      case 3: all.append(b).append(", ").append(c); break;  // titles may hold commas
      default: all.append(a).append(" ").append(b); break;
    }
    all.push_back('\n');
  }
  write_file(path_in("movie_titles.txt"), all.data(), all.size());
}

}  // namespace

uint64_t write_dataset() {
  make_folders(SET.out);
  make_folder(path_in("training_set"));
  make_date_texts();
  make_id_texts();
  build_query_alias();
  PROBE_TEXT.assign(MOVIES, {});
  QUERY_TEXT.assign(MOVIES, {});
  ANSWER_TEXT.assign(MOVIES, {});

  // Big movies first, so the threads finish together.
  std::vector<uint32_t> order(MOVIES);
  for (uint32_t m = 0; m < MOVIES; ++m) order[m] = m;
  std::stable_sort(order.begin(), order.end(), [](uint32_t a, uint32_t b) {
    return MOVIE_START[a + 1] - MOVIE_START[a] > MOVIE_START[b + 1] - MOVIE_START[b];
  });
  std::vector<Scratch> scratch(SET.threads);
  for (auto& s : scratch) s.rated.assign(SET.users / 64 + 1, 0);
  run_parallel(MOVIES, [&](uint32_t i, unsigned t) { write_movie(order[i], scratch[t]); });
  scratch.clear();

  write_list("probe.txt", PROBE_TEXT);
  write_list("qualifying.txt", QUERY_TEXT);
  write_list("qualifying_answers.txt", ANSWER_TEXT);
  write_titles();
  uint64_t probes = 0;
  for (auto& t : PROBE_TEXT) probes += static_cast<uint64_t>(std::count(t.begin(), t.end(), '\n'));
  return probes;
}


}  // namespace gen
