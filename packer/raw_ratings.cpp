#include "raw_ratings.h"

#include <algorithm>
#include <cstring>

#include "convert.h"

namespace rl {

namespace {

int64_t days_from_civil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  int64_t era = (y >= 0 ? y : y - 399) / 400;
  int64_t yoe = y - era * 400;
  int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe;
}

const int64_t base_day = days_from_civil(1998, 10, 1);

int days_in_month(int32_t year, int32_t month) {
  static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : days[month - 1];
}

bool valid_date(int32_t year, int32_t month, int32_t day) {
  return year >= 0 && month >= 1 && month <= 12 && day >= 1 &&
         day <= days_in_month(year, month);
}

// Day numbers of the first of every month of 1900..2155 and the month lengths, so the
// fast route looks a date up instead of computing it.
constexpr int table_first_year = 1900;
constexpr int table_years = 256;

struct MonthTable {
  int32_t first[table_years * 12];
  uint8_t length[table_years * 12];
  MonthTable() {
    for (int y = 0; y < table_years; ++y)
      for (int m = 1; m <= 12; ++m) {
        int k = y * 12 + m - 1;
        first[k] = static_cast<int32_t>(days_from_civil(table_first_year + y, m, 1) - base_day);
        length[k] = static_cast<uint8_t>(days_in_month(table_first_year + y, m));
      }
  }
};

const MonthTable month_table;

// Day number of a date, or false when it is no calendar date.
inline bool lookup_day(int32_t year, int32_t month, int32_t day, int32_t& number) {
  unsigned y = static_cast<unsigned>(year - table_first_year);
  unsigned m = static_cast<unsigned>(month - 1);
  if (y < table_years && m < 12) {
    unsigned k = y * 12 + m;
    if (day < 1 || day > month_table.length[k]) return false;
    number = month_table.first[k] + day - 1;
    return true;
  }
  if (!valid_date(year, month, day)) return false;
  number = static_cast<int32_t>(days_from_civil(year, month, day) - base_day);
  return true;
}

int16_t low16(int32_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v & 0xffff)); }

std::string_view trim(std::string_view t) {
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
  while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
  return t;
}

bool digit(char c) { return c >= '0' && c <= '9'; }

// A field as it appears in a message: quoted, cut short when long.
std::string shown(std::string_view t) {
  std::string s = "\"";
  if (t.size() > 60) {
    s.append(t.substr(0, 60));
    s.append("...");
  } else {
    s.append(t);
  }
  s.push_back('"');
  return s;
}

void stop(MovieRatings& out, std::string_view field, int64_t line, std::string_view value,
          std::string_view expected) {
  out.bad = true;
  out.bad_text = std::string(field) + " at line " + std::to_string(line) + ": " + shown(value) +
                 " (expected " + std::string(expected) + ")";
}

}  // namespace

int32_t day_number(int32_t year, int32_t month, int32_t day) {
  return static_cast<int32_t>(days_from_civil(year, month, day) - base_day);
}

std::string input_mode_text(std::string_view raw) {
  std::string text(raw.size(), '\0');
  std::size_t o = 0;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
    text[o++] = raw[i];
  }
  text.resize(o);
  return text;
}

void parse_ratings_literal(std::string_view t, MovieRatings& out, std::vector<int64_t>* lines) {
  constexpr auto npos = std::string_view::npos;
  std::size_t pos = 0;      // where the next search for a comma starts
  std::size_t counted = 0;  // LFs before this position are counted in `line`
  int64_t line = 1;
  for (;;) {
    std::size_t c1 = t.find(',', pos);
    if (c1 == npos) return;
    std::size_t start = t.rfind('\n', c1);
    start = start == npos ? 0 : start + 1;
    line += std::count(t.begin() + static_cast<std::ptrdiff_t>(counted),
                       t.begin() + static_cast<std::ptrdiff_t>(start), '\n');
    counted = start;
    std::size_t end = t.find('\n', c1);
    if (end == npos) end = t.size();
    std::string_view whole = t.substr(start, end - start);

    auto commas = std::count(whole.begin(), whole.end(), ',');
    if (commas != 2) {
      stop(out, "rating line", line, whole,
           "raw user id, star value and date separated by two commas");
      return;
    }
    std::size_t c2 = t.find(',', c1 + 1);

    std::string_view user_field = trim(t.substr(start, c1 - start));
    int32_t user = round_to_int(text_to_number(user_field));
    if (user < 1 || user > highest_raw_user_id) {
      stop(out, "raw user id", line, user_field, "1..2649429");
      return;
    }

    std::string_view star_field = trim(t.substr(c1 + 1, c2 - c1 - 1));
    int32_t star = round_to_int(text_to_number(star_field));
    if (star < 1 || star > 5) {
      stop(out, "star value", line, star_field, "1..5");
      return;
    }

    std::string_view date = t.substr(c2 + 1, end - c2 - 1);
    if (!date.empty() && date.back() == '\r') date.remove_suffix(1);
    date = trim(date);
    bool shape = date.size() == 10 && date[4] == '-' && date[7] == '-';
    for (int k : {0, 1, 2, 3, 5, 6, 8, 9}) shape = shape && digit(date[k]);
    int32_t year = 0, month = 0, day = 0;
    if (shape) {
      year = round_to_int(text_to_number(date.substr(0, 4)));
      month = round_to_int(text_to_number(date.substr(5)));
      day = round_to_int(text_to_number(date.substr(8)));
    }
    if (!shape || !valid_date(year, month, day)) {
      stop(out, "date", line, date, "a calendar date YYYY-MM-DD");
      return;
    }

    out.user.push_back(user);
    out.star.push_back(static_cast<uint8_t>(star));
    out.day.push_back(low16(day_number(year, month, day)));
    if (lines) lines->push_back(line);
    pos = end + 1;
  }
}

bool parse_ratings_fast(std::string_view raw, MovieRatings& out) {
  const char* p = raw.data();
  const char* const end = p + raw.size();
  std::size_t lines = static_cast<std::size_t>(std::count(p, end, '\n')) + 1;
  out.user.reserve(lines);
  out.star.reserve(lines);
  out.day.reserve(lines);
  while (p < end) {
    const char* q = p;
    int32_t user = 0;
    int n = 0;
    while (q < end && digit(*q) && n < 9) user = user * 10 + (*q++ - '0'), ++n;
    if (n == 0 || q == end || *q != ',') {
      // Only a line without any comma (the header, a blank line) is passed over here.
      const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
      const char* le = lf ? lf : end;
      if (std::memchr(p, ',', static_cast<std::size_t>(le - p))) return false;
      p = le + 1;
      continue;
    }
    ++q;
    int32_t star = 0;
    n = 0;
    while (q < end && digit(*q) && n < 9) star = star * 10 + (*q++ - '0'), ++n;
    if (n == 0 || q == end || *q != ',') return false;
    ++q;
    if (end - q < 10) return false;
    const char* d = q;
    if (!(digit(d[0]) && digit(d[1]) && digit(d[2]) && digit(d[3]) && d[4] == '-' &&
          digit(d[5]) && digit(d[6]) && d[7] == '-' && digit(d[8]) && digit(d[9])))
      return false;
    q += 10;
    if (q < end && *q == '\r' && q + 1 < end && q[1] == '\n') ++q;
    if (q < end && *q != '\n') return false;
    int32_t year = (d[0] - '0') * 1000 + (d[1] - '0') * 100 + (d[2] - '0') * 10 + (d[3] - '0');
    int32_t month = (d[5] - '0') * 10 + (d[6] - '0');
    int32_t day = (d[8] - '0') * 10 + (d[9] - '0');
    int32_t number;
    if (user < 1 || user > highest_raw_user_id || star < 1 || star > 5 ||
        !lookup_day(year, month, day, number))
      return false;
    out.user.push_back(user);
    out.star.push_back(static_cast<uint8_t>(star));
    out.day.push_back(low16(number));
    p = q + 1;
  }
  return true;
}

void parse_ratings(std::string_view raw, MovieRatings& out) {
  out = MovieRatings{};
  if (parse_ratings_fast(raw, out)) return;
  out = MovieRatings{};
  parse_ratings_literal(input_mode_text(raw), out);
}

}  // namespace rl
