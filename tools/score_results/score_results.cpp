// score_results: the figures of an experiment's summary.
//
//   score_results qualifying RESULTS ANSWERS USERDATA
//     RMSE of the predictions in RESULTS ("N:" header lines, then one "x.xx" line per
//     query) against the true ratings in ANSWERS ("N:" lines, then "user,star" lines, in
//     the same order), beside two baselines scored on the same queries: every
//     prediction the global mean of the training ratings, and every prediction the
//     movie's mean (the global mean for a movie without training ratings). USERDATA is
//     the prepared "userdata1.dat" the training ratings are taken from.
//
//   score_results report ERRORBYRATING
//     the probe RMSE of an error report, from the counts and sums of squared errors of
//     its "errorbyrating.txt" (the rounded errors the report tabulates).
//
// Sums of squares are kept in long double; figures print with four decimals.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

#include "ratinglab.h"

namespace {

const char USAGE[] =
    "usage: score_results qualifying RESULTS ANSWERS USERDATA\n"
    "       score_results report ERRORBYRATING\n";

std::string read_text_file(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) rl::fail_input(path + ": cannot be read");
  std::string text;
  char buf[1 << 16];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
  std::fclose(f);
  return text;
}

// Walks a text line by line; CR LF and LF both end a line, a last line may lack one.
struct Lines {
  explicit Lines(std::string_view t) : text(t) {}
  bool next(std::string_view& line) {
    if (pos >= text.size()) return false;
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos = end + 1;
    ++number;
    return true;
  }
  std::string_view text;
  std::size_t pos = 0;
  int64_t number = 0;
};

bool whole_number(std::string_view s, int64_t& v) {
  if (s.empty() || s.size() > 18) return false;
  v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  return true;
}

// "N:" gives N; anything else gives -1.
int64_t movie_header(std::string_view line) {
  int64_t v;
  if (line.size() < 2 || line.back() != ':') return -1;
  return whole_number(line.substr(0, line.size() - 1), v) ? v : -1;
}

[[noreturn]] void bad_line(const std::string& file, int64_t line, std::string_view text,
                           const std::string& why) {
  rl::fail_input(file + ": line " + std::to_string(line) + ": " + std::string(text) + ": " + why);
}

std::string fixed4(long double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.4Lf", v);
  return buf;
}

int score_qualifying(const std::string& results_path, const std::string& answers_path,
                     const std::string& userdata_path) {
  struct stat st;
  if (::stat(userdata_path.c_str(), &st) != 0) rl::fail_input(userdata_path + ": cannot be read");
  rl::UserData d;
  rl::read_userdata(userdata_path, d);
  rl::check_userdata(userdata_path, d, d.NMOVIES);
  if (d.NRATINGS == 0) rl::fail_input(userdata_path + ": holds no training ratings");

  std::vector<int64_t> count(d.NMOVIES + 1, 0), sum(d.NMOVIES + 1, 0);
  int64_t total = 0;
  for (int64_t j = 1; j <= d.NRATINGS; ++j) {
    count[d.UMOVIE(j)] += 1;
    sum[d.UMOVIE(j)] += d.USTARS(j);
    total += d.USTARS(j);
  }
  const long double global = static_cast<long double>(total) / d.NRATINGS;

  const std::string results = read_text_file(results_path);
  const std::string answers = read_text_file(answers_path);
  Lines r(results), a(answers);
  std::string_view rl_line, al_line;
  long double se_results = 0, se_global = 0, se_movie = 0;
  int64_t queries = 0, movie = -1;
  while (a.next(al_line)) {
    if (al_line.empty()) continue;
    int64_t m = movie_header(al_line);
    bool is_header = m >= 0;
    if (!is_header && movie < 0) bad_line(answers_path, a.number, al_line, "a rating before any movie line");
    if (is_header && (m < 1 || m > d.NMOVIES)) bad_line(answers_path, a.number, al_line, "movie outside 1.." + std::to_string(d.NMOVIES));
    if (!r.next(rl_line)) rl::fail_input(results_path + ": ends at line " + std::to_string(r.number) +
                                         " where " + answers_path + " goes on at line " + std::to_string(a.number));
    if (is_header) {
      if (movie_header(rl_line) != m)
        bad_line(results_path, r.number, rl_line, "expected the movie line " + std::string(al_line));
      movie = m;
      continue;
    }
    std::size_t comma = al_line.find(',');
    int64_t star;
    if (comma == std::string_view::npos || !whole_number(al_line.substr(comma + 1), star) || star < 1 || star > 5)
      bad_line(answers_path, a.number, al_line, "expected user,star with a star 1..5");
    if (movie_header(rl_line) >= 0) bad_line(results_path, r.number, rl_line, "expected a prediction");
    std::string p_text(rl_line);
    char* end = nullptr;
    double p = std::strtod(p_text.c_str(), &end);
    if (p_text.empty() || *end != '\0' || !std::isfinite(p)) bad_line(results_path, r.number, rl_line, "not a number");
    long double dr = p - star;
    long double dg = global - star;
    long double mean = count[movie] ? static_cast<long double>(sum[movie]) / count[movie] : global;
    long double dm = mean - star;
    se_results += dr * dr;
    se_global += dg * dg;
    se_movie += dm * dm;
    ++queries;
  }
  while (r.next(rl_line))
    if (!rl_line.empty()) bad_line(results_path, r.number, rl_line, "more lines than " + answers_path + " has");
  if (queries == 0) rl::fail_input(answers_path + ": holds no queries");

  std::printf("qualifying queries scored: %lld\n", static_cast<long long>(queries));
  std::printf("RMSE of results.txt:       %s\n", fixed4(std::sqrt(se_results / queries)).c_str());
  std::printf("RMSE of the global mean:   %s (every prediction %s)\n",
              fixed4(std::sqrt(se_global / queries)).c_str(), fixed4(global).c_str());
  std::printf("RMSE of the movie means:   %s\n", fixed4(std::sqrt(se_movie / queries)).c_str());
  return 0;
}

// errorbyrating.txt lines: count, sum of squared errors, RMSE in hundredths, 100 x P,
// in 14-column zones.
int score_report(const std::string& path) {
  const std::string text = read_text_file(path);
  Lines lines(text);
  std::string_view line;
  long double n = 0, sq = 0;
  while (lines.next(line)) {
    if (line.empty()) continue;
    std::vector<int64_t> fields;
    std::size_t i = 0;
    while (i < line.size()) {
      while (i < line.size() && line[i] == ' ') ++i;
      std::size_t b = i;
      while (i < line.size() && line[i] != ' ') ++i;
      if (i > b) {
        int64_t v;
        if (!whole_number(line.substr(b, i - b), v)) bad_line(path, lines.number, line, "not a count");
        fields.push_back(v);
      }
    }
    if (fields.size() != 4) bad_line(path, lines.number, line, "expected four numbers");
    n += fields[0];
    sq += fields[1];
  }
  if (n == 0) {
    std::printf("probe RMSE: nan (no scored entries)\n");
    return 0;
  }
  std::printf("probe RMSE: %s over %.0Lf entries\n", fixed4(std::sqrt(sq / n)).c_str(), n);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  rl::init_program(argc, argv);
  std::string_view what = argc > 1 ? argv[1] : "";
  if (what == "--help") {
    std::fputs(USAGE, stdout);
    return 0;
  }
  if (what == "qualifying" && argc == 5) return score_qualifying(argv[2], argv[3], argv[4]);
  if (what == "report" && argc == 3) return score_report(argv[2]);
  std::fputs(USAGE, stderr);
  return 2;
}
