#include "fixture.h"

using ratinglab::append_le;
using ratinglab::write_file;

namespace {
constexpr int64_t movies = 17770, full_users = 480189, max_raw = 2649429;
}

void Fixture::write(int64_t users) const {
  write_shared();
  write_file(at("weights.dat"), weights_bytes(users));
  write_file(at("weightsb.dat"), weightsb_bytes(users));
}

void Fixture::write_shared() const {
  std::string s(4 * max_raw, '\0');
  for (std::size_t k = 0; k < raw_ids.size(); ++k) {
    std::string v;
    append_le<int32_t>(v, static_cast<int32_t>(k + 1));
    s.replace(4 * (raw_ids[k] - 1), 4, v);
  }
  write_file(at("shortuserids2.dat"), s);

  std::string st;
  append_le<int32_t>(st, 0);  // USIZE entry 0
  for (int64_t u = 1; u <= full_users; ++u)
    append_le<int32_t>(st, u <= static_cast<int64_t>(usize.size()) ? usize[u - 1] : 0);
  for (int64_t u = 1; u <= full_users; ++u)
    append_le<int32_t>(st, u <= static_cast<int64_t>(ustat.size()) ? ustat[u - 1] : 0);
  for (int64_t m = 1; m <= movies; ++m)
    append_le<int32_t>(st, mstat.count(m) ? mstat.at(m) : 0);
  write_file(at("statistics.dat"), st);
  write_file(at("movieend.dat"), std::string(4 * (movies + 1), '\0'));
  write_probe(static_cast<int32_t>(pend.size()) - 1, static_cast<int32_t>(puser.size()));
}

void Fixture::write_probe(int32_t movie_count, int32_t count) const {
  std::string p;
  append_le<int32_t>(p, movie_count);
  append_le<int32_t>(p, count);
  for (int32_t v : pend) append_le<int32_t>(p, v);
  for (int32_t v : pmovie) append_le<int32_t>(p, v);
  for (int32_t v : puser) append_le<int32_t>(p, v);
  for (uint8_t v : pstars) p.push_back(static_cast<char>(v));
  write_file(dir / "probe.dat", p);
}

std::string Fixture::weights_bytes(int64_t users) const {
  const int32_t ncat = static_cast<int32_t>(userscore[0].size());
  std::string w;
  append_le<int32_t>(w, ncat);
  w.append(static_cast<std::size_t>(ncat * movies), '\0');  // BINSCORE
  for (int64_t u = 1; u <= users; ++u)
    for (int32_t j = 0; j < ncat; ++j)
      append_le<uint32_t>(w, u <= static_cast<int64_t>(userscore.size()) ? userscore[u - 1][j] : 0);
  return w;
}

std::string Fixture::weightsb_bytes(int64_t users) const {
  const int32_t ncat = static_cast<int32_t>(ubin[0].size());
  std::string w;
  append_le<int32_t>(w, ncat);
  for (int64_t u = 1; u <= users; ++u)
    for (int32_t j = 0; j < ncat; ++j)
      append_le<uint16_t>(w, u <= static_cast<int64_t>(ubin.size()) ? ubin[u - 1][j] : 0);
  w.append(static_cast<std::size_t>(2 * ncat * movies), '\0');  // MOVBIN
  w.append(static_cast<std::size_t>(4 * ncat * users), '\0');   // USERSCORE
  for (int32_t c = 1; c <= ncat; ++c)
    for (int64_t m = 1; m <= movies; ++m) {
      auto it = movspread.find({c, static_cast<int>(m)});
      append_le<uint16_t>(w, it == movspread.end() ? 0 : it->second);
    }
  return w;
}

ratinglab::RunResult Fixture::run(const std::string& program,
                                  const std::vector<std::string>& args) const {
  return ratinglab::run_program(program, dir.path, args,
                                {{"RATINGLAB_DRIVE_C", dir.path + "/drive_c"}});
}

std::string zone(const std::string& item) {
  return item + std::string(14 - item.size() % 14, ' ');
}
