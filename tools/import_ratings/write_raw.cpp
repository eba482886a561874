// Writing the raw layout: training_set/mv_NNNNNNN.txt for movies 1..M, probe.txt,
// qualifying.txt, qualifying_answers.txt and movie_titles.txt, all with LF line ends,
// movies ascending and users ascending within a movie.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

#include "fail.h"
#include "import.h"
#include "record_file.h"
#include "shared_inputs.h"

namespace {

void write_text(const std::string& path, const std::string& text) {
  rl::open_file(path, rl::output_mode, 1);
  rl::put_bytes(1, 0, text.data(), text.size());
  rl::close_file(1);
}

std::string movie_file(const std::string& dir, int64_t m) {
  char name[32];
  std::snprintf(name, sizeof name, "mv_%07lld.txt", static_cast<long long>(m));
  return dir + "/training_set/" + name;
}

}  // namespace

// Days from civil: the proleptic Gregorian calendar, day 0 = 1970-01-01.
bool utc_date(int64_t seconds, char out[10]) {
  int64_t z = (seconds >= 0 ? seconds : seconds - 86399) / 86400 + 719468;
  int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  int64_t doe = z - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  int64_t mp = (5 * doy + 2) / 153;
  int64_t day = doy - (153 * mp + 2) / 5 + 1;
  int64_t month = mp < 10 ? mp + 3 : mp - 9;
  int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
  if (year < 1000 || year > 9999) return false;
  int64_t v[3] = {year, month, day};
  int w[3] = {4, 2, 2};
  int o = 0;
  for (int i = 0; i < 3; ++i) {
    if (i) out[o++] = '-';
    for (int d = w[i] - 1; d >= 0; --d, v[i] /= 10) out[o + d] = static_cast<char>('0' + v[i] % 10);
    o += w[i];
  }
  return true;
}

void write_raw(const std::string& dir) {
  std::error_code ec;
  std::filesystem::create_directories(dir + "/training_set", ec);
  if (ec) rl::fail_output("cannot create " + dir + "/training_set: " + ec.message());
  std::sort(RATINGS.begin(), RATINGS.end(), [](const Rating& a, const Rating& b) {
    return a.movie != b.movie ? a.movie < b.movie : a.user < b.user;
  });
  const int64_t M = static_cast<int64_t>(MOVIE_IDS.size()) - 1;
  std::string probe, qualifying, answers, text;
  char date[10];
  std::size_t i = 0;
  for (int64_t m = 1; m <= M; ++m) {
    std::string head = std::to_string(m) + ":\n";
    text = head;
    bool in_probe = false, in_qualifying = false;
    for (; i < RATINGS.size() && RATINGS[i].movie == m; ++i) {
      const Rating& r = RATINGS[i];
      std::string user = std::to_string(r.user);
      utc_date(r.time, date);
      if (r.part == part_qualifying) {
        if (!in_qualifying) qualifying += head, answers += head, in_qualifying = true;
        qualifying.append(user).append(",").append(date, 10).append("\n");
        answers.append(user).append(",").append(1, static_cast<char>('0' + r.star)).append("\n");
        continue;
      }
      if (r.part == part_probe) {
        if (!in_probe) probe += head, in_probe = true;
        probe.append(user).append("\n");
      }
      text.append(user).append(",").append(1, static_cast<char>('0' + r.star)).append(",");
      text.append(date, 10).append("\n");
    }
    write_text(movie_file(dir, m), text);
  }
  // Files of an earlier, larger import would be read as part of this set.
  for (int64_t m = M + 1; m <= rl::full_movies; ++m) ::unlink(movie_file(dir, m).c_str());
  write_text(dir + "/probe.txt", probe);
  write_text(dir + "/qualifying.txt", qualifying);
  write_text(dir + "/qualifying_answers.txt", answers);
  std::string titles;
  for (int64_t m = 1; m <= M; ++m)
    titles.append(std::to_string(m)).append(",").append(YEAR[m]).append(",").append(TITLE[m]).append("\n");
  write_text(dir + "/movie_titles.txt", titles);
}
