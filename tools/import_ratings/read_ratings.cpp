// Reading the ratings file and the optional movies file, giving movies and users their
// numbers, and the split into training, probe and qualifying ratings.
#include <algorithm>

#include "fail.h"
#include "import.h"
#include "raw_text.h"
#include "shared_inputs.h"

namespace {

constexpr char ratings_layout[] = "userId,movieId,rating,timestamp";

bool parse_integer(std::string_view f, int64_t& v) {
  bool negative = !f.empty() && f[0] == '-';
  if (negative) f.remove_prefix(1);
  if (!rl::parse_digits(f, v)) return false;
  if (negative) v = -v;
  return true;
}

// A decimal rating rounded half up to a whole star: 0.5 gives 1, 4.5 gives 5; 0 when the
// text is no decimal number, -1 when the value lies outside 0.5..5.
int whole_star(std::string_view f) {
  std::size_t dot = f.find('.');
  std::string_view whole = f.substr(0, dot), frac = dot == std::string_view::npos ? "" : f.substr(dot + 1);
  int64_t w = 0, fr = 0;
  if (!rl::parse_digits(whole, w)) return 0;
  if (dot != std::string_view::npos && !rl::parse_digits(frac, fr)) return 0;
  bool any_fraction = fr != 0;
  int64_t star = w + (!frac.empty() && frac[0] >= '5' ? 1 : 0);
  if (w > 5 || (w == 5 && any_fraction) || star < 1) return -1;
  return static_cast<int>(star);
}

// The first field of a movies file line that may be quoted ("a ""b"", c"); moves past it
// and its comma. False when the quoting is broken.
bool csv_field(std::string_view& rest, std::string& out) {
  out.clear();
  if (!rest.empty() && rest[0] == '"') {
    std::size_t i = 1;
    for (;;) {
      if (i >= rest.size()) return false;
      if (rest[i] == '"') {
        if (i + 1 < rest.size() && rest[i + 1] == '"') {
          out.push_back('"');
          i += 2;
          continue;
        }
        ++i;
        break;
      }
      out.push_back(rest[i++]);
    }
    if (i < rest.size() && rest[i] != ',') return false;
    rest.remove_prefix(i < rest.size() ? i + 1 : i);
    return true;
  }
  std::size_t c = rest.find(',');
  out.assign(rest.substr(0, c));
  rest.remove_prefix(c == std::string_view::npos ? rest.size() : c + 1);
  return true;
}

void trim_right(std::string& s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
}

}  // namespace

void read_ratings(const std::string& file) {
  std::string text;
  if (!rl::read_raw_file(file, text)) rl::fail_input(file + ": cannot be read");
  rl::LineCursor c(text);
  std::string_view l;
  if (!c.next(l)) rl::fail_input(file + ": no header line");
  RATINGS.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')));
  while (c.next(l)) {
    std::string_view f[4];
    std::size_t k = 0, start = 0;
    for (; k < 4 && start <= l.size(); ++k) {
      std::size_t comma = l.find(',', start);
      if (comma == std::string_view::npos) comma = l.size();
      f[k] = l.substr(start, comma - start);
      start = comma + 1;
    }
    if (start <= l.size()) k = 5;  // a fifth field
    Rating r;
    r.line = c.line;
    if (k != 4 || !parse_integer(f[0], r.user) || !parse_integer(f[1], r.movie) ||
        !parse_integer(f[3], r.time))
      rl::fail_line(file, "line", c.line, rl::shown(l), ratings_layout);
    int star = whole_star(f[2]);
    if (star == 0) rl::fail_line(file, "rating", c.line, rl::shown(f[2]), "a decimal number");
    if (star < 0) rl::fail_line(file, "rating", c.line, rl::shown(f[2]), "0.5..5");
    char date[10];
    if (!utc_date(r.time, date))
      rl::fail_line(file, "timestamp", c.line, std::to_string(r.time), "a date in the years 1000..9999");
    r.star = static_cast<uint8_t>(star);
    RATINGS.push_back(r);
  }
}

// Movies 1..M by ascending original id; users keep their id when every id lies in
// 1..2649429, otherwise all are numbered 1..U by ascending id.
void number_movies_and_users(const std::string& file) {
  struct Id { int64_t id, line; };
  auto distinct = [](std::vector<Id> v) {
    std::sort(v.begin(), v.end(), [](const Id& a, const Id& b) {
      return a.id != b.id ? a.id < b.id : a.line < b.line;
    });
    std::vector<Id> out;
    for (const Id& x : v)
      if (out.empty() || out.back().id != x.id) out.push_back(x);
    return out;
  };
  std::vector<Id> movies, users;
  movies.reserve(RATINGS.size());
  users.reserve(RATINGS.size());
  for (const Rating& r : RATINGS) {
    movies.push_back({r.movie, r.line});
    users.push_back({r.user, r.line});
  }
  movies = distinct(std::move(movies));
  users = distinct(std::move(users));
  if (movies.size() > static_cast<std::size_t>(rl::full_movies)) {
    const Id& x = movies[rl::full_movies];
    rl::fail_line(file, "movieId", x.line, std::to_string(x.id), "at most 17770 distinct movies");
  }
  if (users.size() > static_cast<std::size_t>(rl::full_users)) {
    const Id& x = users[rl::full_users];
    rl::fail_line(file, "userId", x.line, std::to_string(x.id), "at most 480189 distinct users");
  }
  bool keep = users.empty() || (users.front().id >= 1 && users.back().id <= rl::max_raw_user);
  MOVIE_IDS.assign(1, 0);
  for (const Id& x : movies) MOVIE_IDS.push_back(x.id);
  auto rank = [](const std::vector<Id>& v, int64_t id) {
    return std::lower_bound(v.begin(), v.end(), id, [](const Id& a, int64_t b) { return a.id < b; }) -
           v.begin() + 1;
  };
  for (Rating& r : RATINGS) {
    r.movie = rank(movies, r.movie);
    if (!keep) r.user = rank(users, r.user);
  }
}

// For each user with at least 5 ratings, the latest (by timestamp, then by later line)
// becomes a qualifying query and the next latest a probe rating.
void split_ratings(const std::string& file) {
  std::sort(RATINGS.begin(), RATINGS.end(), [](const Rating& a, const Rating& b) {
    if (a.user != b.user) return a.user < b.user;
    if (a.movie != b.movie) return a.movie < b.movie;
    return a.line < b.line;
  });
  for (std::size_t i = 1; i < RATINGS.size(); ++i)
    if (RATINGS[i].user == RATINGS[i - 1].user && RATINGS[i].movie == RATINGS[i - 1].movie)
      rl::fail_line(file, "movieId", RATINGS[i].line, std::to_string(MOVIE_IDS[RATINGS[i].movie]),
                    "a movie the user has not rated on line " + std::to_string(RATINGS[i - 1].line));
  auto later = [](const Rating& a, const Rating& b) {
    return a.time != b.time ? a.time > b.time : a.line > b.line;
  };
  for (std::size_t b = 0; b < RATINGS.size();) {
    std::size_t e = b;
    while (e < RATINGS.size() && RATINGS[e].user == RATINGS[b].user) ++e;
    if (e - b >= 5) {
      std::size_t first = b, second = b + 1;
      if (later(RATINGS[second], RATINGS[first])) std::swap(first, second);
      for (std::size_t i = b + 2; i < e; ++i) {
        if (later(RATINGS[i], RATINGS[first])) {
          second = first;
          first = i;
        } else if (later(RATINGS[i], RATINGS[second])) {
          second = i;
        }
      }
      RATINGS[first].part = part_qualifying;
      RATINGS[second].part = part_probe;
    }
    b = e;
  }
}

// movieId,title,genres; the title may be quoted. A trailing "(YYYY)" gives the year and
// leaves the title.
void read_movie_titles(const std::string& file) {
  std::string text;
  if (!rl::read_raw_file(file, text)) rl::fail_input(file + ": cannot be read");
  const std::size_t M = MOVIE_IDS.size() - 1;
  std::vector<bool> seen(M + 1, false);
  rl::LineCursor c(text);
  std::string_view l;
  if (!c.next(l)) rl::fail_input(file + ": no header line");
  std::string id_text, title;
  while (c.next(l)) {
    std::string_view rest = l;
    int64_t id = 0;
    if (!csv_field(rest, id_text) || !parse_integer(id_text, id) || !csv_field(rest, title))
      rl::fail_line(file, "line", c.line, rl::shown(l), "movieId,title,genres");
    auto it = std::lower_bound(MOVIE_IDS.begin() + 1, MOVIE_IDS.end(), id);
    if (it == MOVIE_IDS.end() || *it != id) continue;  // a movie nobody rated
    std::size_t m = static_cast<std::size_t>(it - MOVIE_IDS.begin());
    if (seen[m]) rl::fail_line(file, "movieId", c.line, std::to_string(id), "each movie once");
    seen[m] = true;
    trim_right(title);
    std::string year = "NULL";
    std::size_t n = title.size();
    if (n >= 6 && title[n - 6] == '(' && title[n - 1] == ')' &&
        std::all_of(title.begin() + static_cast<long>(n) - 5, title.end() - 1,
                    [](char ch) { return ch >= '0' && ch <= '9'; })) {
      year = title.substr(n - 5, 4);
      title.resize(n - 6);
      trim_right(title);
    }
    if (title.size() > 65535) rl::fail_line(file, "title", c.line, rl::shown(title), "at most 65535 bytes");
    TITLE[m] = title;
    YEAR[m] = year;
  }
}

void placeholder_titles() {
  const std::size_t M = MOVIE_IDS.size() - 1;
  TITLE.assign(M + 1, std::string());
  YEAR.assign(M + 1, "NULL");
  for (std::size_t m = 1; m <= M; ++m) TITLE[m] = "Movie " + std::to_string(MOVIE_IDS[m]);
}
