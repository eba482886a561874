#include "prepare_support.h"

#include <cstdio>

#include "convert.h"

namespace prep {

using ratinglab::read_file;

const std::vector<std::string> dataset_file_names = {
    "userdata1.dat", "shortuserids2.dat", "statistics.dat", "movieend.dat",
    "movienames.dat", "scores.dat", "userids2.dat", "qualifying.txt"};

std::string movie_file_name(int m) {
  char name[40];
  std::snprintf(name, sizeof name, "training_set/mv_%07d.txt", m);
  return name;
}

void write_raw(const std::string& dir, const RawSet& raw) {
  ratinglab::make_dirs(dir + "/training_set");
  for (const auto& [name, bytes] : raw) ratinglab::write_file(dir + "/" + name, bytes);
}

Tree::Tree() {
  ratinglab::make_dirs(work());
  ratinglab::make_dirs(drive_c());
}

ratinglab::RunResult run_prepare(const Tree& t) {
  return ratinglab::run_program("prepare_inputs", t.work(), {t.raw()},
                                {{"RATINGLAB_DRIVE_C", t.drive_c()}});
}

std::map<std::string, std::string> prepared_files(const Tree& t) {
  std::map<std::string, std::string> f;
  for (const auto& n : dataset_file_names) f[n] = read_file(t.dataset(n));
  f["probe.dat"] = read_file(t.work() + "/probe.dat");
  f["predictdata.dat"] = read_file(t.work() + "/predictdata.dat");
  return f;
}

namespace {

// 1-based position of the first c at or after pos; 0 when there is none.
int64_t find_at(const std::string& text, char c, int64_t pos) {
  auto p = text.find(c, static_cast<std::size_t>(pos - 1));
  return p == std::string::npos ? 0 : static_cast<int64_t>(p) + 1;
}

int32_t number_at(const std::string& text, int64_t start, int64_t length) {
  return rl::round_to_int(rl::text_to_number(text.substr(static_cast<std::size_t>(start - 1),
                                                         static_cast<std::size_t>(length))));
}

}  // namespace

std::string parse_queries_literally(const std::string& text) {
  // Counting pass.
  int64_t movies = 0, queries = 0, pos = 1;
  for (int guard = 0; guard < 10000000; ++guard) {
    int64_t colon_pos = find_at(text, ':', pos), cr_pos = find_at(text, '\r', pos);
    if (colon_pos == 0 && cr_pos == 0) break;
    if (colon_pos != 0 && colon_pos < cr_pos) {
      ++movies;
      pos = colon_pos + 2;
    } else {
      ++queries;
      pos = cr_pos + 1;
    }
  }
  // Parsing pass into QEND [0..M], QMOVIE [1..M+1], QUSER [1..Q].
  std::vector<int32_t> QEND(movies + 1), QMOVIE(movies + 2), QUSER(queries + 1);
  int64_t k = 0, n = 0, start = 1;
  pos = 1;
  for (int guard = 0; guard < 10000000; ++guard) {
    int64_t colon_pos = find_at(text, ':', pos), cr_pos = find_at(text, '\r', pos);
    if (colon_pos == 0 && cr_pos == 0) break;
    if (colon_pos != 0 && colon_pos < cr_pos) {
      QEND[k] = static_cast<int32_t>(n);
      k = k + 1;
      QMOVIE[k] = number_at(text, start, colon_pos - start);
      pos = colon_pos + 2;
      start = colon_pos + 3;
    } else {
      n = n + 1;
      QUSER[n] = number_at(text, start, cr_pos - start);
      pos = cr_pos + 1;
      start = cr_pos + 2;
    }
  }
  QEND[k] = static_cast<int32_t>(n);
  std::string out = ratinglab::le_bytes(QEND);
  out += ratinglab::le_bytes(std::vector<int32_t>(QMOVIE.begin() + 1, QMOVIE.end()));
  out += ratinglab::le_bytes(std::vector<int32_t>(QUSER.begin() + 1, QUSER.end()));
  return out;
}

int count_lines(const std::string& s) {
  int n = 0;
  for (char c : s) n += c == '\n';
  return n;
}

}  // namespace prep
