#include "shared_inputs.h"

#include "fail.h"
#include "record_file.h"

namespace rl {

namespace {

void check_count(const std::string& path, const char* field, int64_t value, int64_t limit) {
  if (value < 0 || value > limit)
    fail_value(path, field, 1, value, "0.." + std::to_string(limit));
}

}  // namespace

void read_userdata(const std::string& path, UserData& d) {
  open_file(path, binary_mode, 1);
  get_value(1, 0, d.NMOVIES);
  get_value(1, 0, d.NRATINGS);
  get_value(1, 0, d.NUSERS);
  check_count(path, "NMOVIES", d.NMOVIES, 65534);
  check_count(path, "NRATINGS", d.NRATINGS, 2147483646);
  check_count(path, "NUSERS", d.NUSERS, 2147483646);
  d.UEND.dim(0, d.NUSERS);
  d.UMOVIE.dim(1, d.NRATINGS);
  d.USTARS.dim(1, d.NRATINGS);
  get_array(1, 0, d.UEND);
  get_array(1, 0, d.UMOVIE);
  get_array(1, 0, d.USTARS);
  close_file(1);
}

void read_shortids(const std::string& path, Array<int32_t>& SHORTID) {
  SHORTID.dim(1, max_raw_user);
  open_file(path, binary_mode, 1);
  get_array(1, 0, SHORTID);
  close_file(1);
}

void read_statistics(const std::string& path, int32_t users, int32_t movies, Statistics& s) {
  s.USIZE.dim(0, users);
  s.USTAT.dim(1, users);
  s.MSTAT.dim(1, movies);
  open_file(path, binary_mode, 1);
  get_array(1, 0, s.USIZE);
  get_array(1, 0, s.USTAT);
  get_array(1, 0, s.MSTAT);
  close_file(1);
}

void read_movieend(const std::string& path, Array<int32_t>& MEND) {
  MEND.dim(0, full_movies);
  open_file(path, binary_mode, 1);
  get_array(1, 1, MEND);
  close_file(0);
}

void read_probe(const std::string& path, ProbeList& p) {
  open_file(path, binary_mode, 1);
  get_value(1, 0, p.PROBE_MOVIES);
  get_value(1, 0, p.PROBE_COUNT);
  check_count(path, "PROBE_MOVIES", p.PROBE_MOVIES, 2147483646);
  check_count(path, "PROBE_COUNT", p.PROBE_COUNT, 2147483646);
  p.PEND.dim(0, p.PROBE_MOVIES);
  p.PMOVIE.dim(1, static_cast<int64_t>(p.PROBE_MOVIES) + 1);
  p.PUSER.dim(1, p.PROBE_COUNT);
  p.PSTARS.dim(1, p.PROBE_COUNT);
  get_array(1, 0, p.PEND);
  get_array(1, 0, p.PMOVIE);
  get_array(1, 0, p.PUSER);
  get_array(1, 0, p.PSTARS);
  close_file(1);
}

void check_userdata(const std::string& file, const UserData& d, int32_t max_movie) {
  if (d.UEND(0) != 0) fail_value(file, "UEND", 0, d.UEND(0), "0");
  for (int64_t u = 1; u <= d.NUSERS; ++u) {
    int32_t b = d.UEND(u - 1), e = d.UEND(u);
    if (e < b || e > d.NRATINGS)
      fail_value(file, "UEND", u, e, std::to_string(b) + ".." + std::to_string(d.NRATINGS));
    int32_t prev = 0;
    for (int64_t j = static_cast<int64_t>(b) + 1; j <= e; ++j) {
      int32_t m = d.UMOVIE(j);
      if (m < 1 || m > max_movie)
        fail_value(file, "UMOVIE", j, m, "1.." + std::to_string(max_movie));
      if (m <= prev)
        fail_value(file, "UMOVIE", j, m, "a movie above " + std::to_string(prev) + " (ascending per user)");
      prev = m;
      if (d.USTARS(j) < 1 || d.USTARS(j) > 5) fail_value(file, "USTARS", j, d.USTARS(j), "1..5");
    }
  }
  if (d.UEND(d.NUSERS) != d.NRATINGS)
    fail_value(file, "UEND", d.NUSERS, d.UEND(d.NUSERS), std::to_string(d.NRATINGS) + " (NRATINGS)");
}

void check_probe(const std::string& file, const ProbeList& p, const Array<int32_t>& SHORTID,
                 int32_t users) {
  const int32_t A = p.PROBE_MOVIES, B = p.PROBE_COUNT;
  int32_t prev = 0;
  for (int64_t m = 1; m <= A; ++m) {
    if (p.PEND(m) <= prev || p.PEND(m) > B)
      fail_value(file, "PEND", m, p.PEND(m), std::to_string(prev + 1) + ".." + std::to_string(B));
    prev = p.PEND(m);
    if (p.PMOVIE(m) < 1 || p.PMOVIE(m) > full_movies)
      fail_value(file, "PMOVIE", m, p.PMOVIE(m), "1..17770");
  }
  if (prev != B) fail_value(file, "PEND", A, prev, std::to_string(B) + " (PROBE_COUNT)");
  for (int64_t i = 1; i <= B; ++i) {
    int32_t raw = p.PUSER(i);
    if (raw < 1 || raw > max_raw_user) fail_value(file, "PUSER", i, raw, "1..2649429");
    int32_t u = SHORTID(raw);
    if (u < 1 || u > users)
      fail_value(file, "short index of PUSER", i, u, "1.." + std::to_string(users));
    if (p.PSTARS(i) < 1 || p.PSTARS(i) > 5) fail_value(file, "PSTARS", i, p.PSTARS(i), "1..5");
  }
}

}  // namespace rl
