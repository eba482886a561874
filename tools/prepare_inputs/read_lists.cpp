// probe.txt, qualifying.txt and movie_titles.txt: checked line by line against the
// training tables. A movie line with no entries under it gives no group.
#include "fail.h"
#include "prepare.h"
#include "raw_text.h"
#include "shared_inputs.h"

namespace {

std::string read_list(const std::string& name) {
  std::string text;
  if (!rl::read_raw_file(RAW_DIR + "/" + name, text))
    rl::fail_input(RAW_DIR + "/" + name + ": cannot be read");
  return text;
}

// "N:" with N in 1..17770; 0 when the line is no movie line.
int32_t movie_line(const std::string& file, const rl::LineCursor& c, std::string_view l) {
  if (l.empty() || l.back() != ':') return 0;
  int64_t m = 0;
  if (!rl::parse_digits(l.substr(0, l.size() - 1), m))
    rl::fail_line(file, "movie line", c.line, rl::shown(l), "\"N:\"");
  if (m < 1 || m > rl::full_movies) rl::fail_line(file, "movie id", c.line, std::to_string(m), "1..17770");
  return static_cast<int32_t>(m);
}

int32_t user_field(const std::string& file, const rl::LineCursor& c, std::string_view field,
                   std::string_view line, const char* layout) {
  int64_t raw = 0;
  if (!rl::parse_digits(field, raw)) rl::fail_line(file, "line", c.line, rl::shown(line), layout);
  if (raw < 1 || raw > rl::max_raw_user)
    rl::fail_line(file, "user id", c.line, std::to_string(raw), "1..2649429");
  return static_cast<int32_t>(raw);
}

std::string pair_text(int32_t raw, int32_t movie) {
  return "user " + std::to_string(raw) + " of movie " + std::to_string(movie);
}

}  // namespace

void read_probe() {
  const std::string file = RAW_DIR + "/probe.txt";
  std::string text = read_list("probe.txt");
  rl::LineCursor c(text);
  std::string_view l;
  int32_t movie = 0;
  std::size_t group_start = 0;
  PEND.assign(1, 0);
  auto close_group = [&]() {
    if (movie != 0 && PUSER.size() > group_start) {
      PMOVIE.push_back(movie);
      PEND.push_back(static_cast<int32_t>(PUSER.size()));
    }
  };
  while (c.next(l)) {
    if (int32_t m = movie_line(file, c, l)) {
      close_group();
      movie = m;
      group_start = PUSER.size();
      continue;
    }
    if (movie == 0) rl::fail_line(file, "line", c.line, rl::shown(l), "a movie line \"N:\" first");
    int32_t raw = user_field(file, c, l, l, "a user id or \"N:\"");
    int64_t p = find_rating(SHORTID(raw), movie);
    if (p == 0)
      rl::fail_line(file, "probe rating", c.line, pair_text(raw, movie), "a rating of the training set");
    PUSER.push_back(raw);
    PSTARS.push_back(USTARS(p));
  }
  close_group();
  PMOVIE.push_back(0);
}

void read_qualifying() {
  const std::string file = RAW_DIR + "/qualifying.txt";
  std::string text = read_list("qualifying.txt");
  QTEXT.reserve(text.size() + text.size() / 8);
  rl::LineCursor c(text);
  std::string_view l, pending;
  int32_t movie = 0;
  bool open = false;  // whether the current movie's line is written
  while (c.next(l)) {
    if (int32_t m = movie_line(file, c, l)) {
      movie = m;
      pending = l;
      open = false;
      continue;
    }
    if (movie == 0) rl::fail_line(file, "line", c.line, rl::shown(l), "a movie line \"N:\" first");
    std::size_t comma = l.find(',');
    if (comma == std::string_view::npos || !rl::is_date(l.substr(comma + 1)))
      rl::fail_line(file, "line", c.line, rl::shown(l), "user,YYYY-MM-DD");
    int32_t raw = user_field(file, c, l.substr(0, comma), l, "user,YYYY-MM-DD");
    int32_t u = SHORTID(raw);
    if (u == 0)
      rl::fail_line(file, "user id", c.line, std::to_string(raw), "a user of the training set");
    if (find_rating(u, movie) != 0)
      rl::fail_line(file, "qualifying query", c.line, pair_text(raw, movie),
                    "a pair outside the training set");
    if (!open) {
      QEND.push_back(static_cast<int32_t>(QUSER.size()));
      QMOVIE.push_back(movie);
      QTEXT.append(pending).append("\r\n");
      open = true;
    }
    QUSER.push_back(raw);
    QTEXT.append(l).append("\r\n");
  }
  QEND.push_back(static_cast<int32_t>(QUSER.size()));
  QMOVIE.push_back(0);
}

// "id,year,title": year a number or NULL (0); the title runs to the end of the line.
void read_titles() {
  const std::string file = RAW_DIR + "/movie_titles.txt";
  std::string text = read_list("movie_titles.txt");
  MNAME.assign(rl::full_movies + 1, std::string());
  MWORD.dim(1, rl::full_movies);
  std::vector<bool> seen(rl::full_movies + 1, false);
  rl::LineCursor c(text);
  std::string_view l;
  while (c.next(l)) {
    std::size_t c1 = l.find(',');
    std::size_t c2 = c1 == std::string_view::npos ? c1 : l.find(',', c1 + 1);
    int64_t id = 0, year = 0;
    if (c2 == std::string_view::npos || !rl::parse_digits(l.substr(0, c1), id))
      rl::fail_line(file, "line", c.line, rl::shown(l), "id,year,title");
    std::string_view y = l.substr(c1 + 1, c2 - c1 - 1);
    if (y != "NULL" && !rl::parse_digits(y, year))
      rl::fail_line(file, "year", c.line, rl::shown(y), "a number or NULL");
    if (id < 1 || id > rl::full_movies) rl::fail_line(file, "movie id", c.line, std::to_string(id), "1..17770");
    if (year > 65535) rl::fail_line(file, "year", c.line, std::to_string(year), "0..65535");
    if (seen[id]) rl::fail_line(file, "movie id", c.line, std::to_string(id), "each movie once");
    std::string_view title = l.substr(c2 + 1);
    if (title.size() > 65535)
      rl::fail_line(file, "title", c.line, rl::shown(title), "at most 65535 bytes");
    seen[id] = true;
    MNAME[id] = std::string(title);
    MWORD(id) = static_cast<uint16_t>(year);
  }
}
