// prepare_inputs on random raw sets against a plain model of the data: every rating lands
// where the readers look for it, whatever the thread interleaving.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <set>

#include "prepare_support.h"
#include "shared_inputs.h"

using namespace ratinglab;

namespace {

struct Model {
  std::map<int, std::vector<std::pair<int32_t, int>>> movies;  // movie -> (raw user, star) in line order
  std::map<int32_t, std::map<int, int>> users;                 // raw user -> movie -> star
  std::vector<std::pair<int, std::vector<int32_t>>> probe;     // groups in file order
  std::vector<std::pair<int, std::vector<int32_t>>> queries;
};

std::string line_end(std::mt19937& g) { return g() % 3 == 0 ? "\r\n" : "\n"; }

Model random_set(uint32_t seed, prep::RawSet& raw) {
  std::mt19937 g(seed);
  Model md;
  std::vector<int32_t> ids;
  for (int i = 0; i < 60; ++i) ids.push_back(1 + static_cast<int32_t>(g() % 2649429));
  ids.push_back(2649429);
  std::vector<int> movie_ids = {1, 17770};
  for (int i = 0; i < 30; ++i) movie_ids.push_back(1 + static_cast<int>(g() % 17770));
  for (int m : std::set<int>(movie_ids.begin(), movie_ids.end())) {
    std::string text = std::to_string(m) + ":" + line_end(g);
    std::vector<int32_t> order = ids;
    std::shuffle(order.begin(), order.end(), g);
    std::set<int32_t> used;
    for (int32_t u : order) {
      if (g() % 3 != 0 || !used.insert(u).second) continue;
      int star = 1 + static_cast<int>(g() % 5);
      md.movies[m].push_back({u, star});
      md.users[u][m] = star;
      text += std::to_string(u) + "," + std::to_string(star) + ",2004-0" +
              std::to_string(1 + g() % 9) + "-1" + std::to_string(g() % 10) + line_end(g);
    }
    if (g() % 2) text.resize(text.size() - (text.back() == '\n' && text[text.size() - 2] == '\r' ? 2 : 1));
    raw[prep::movie_file_name(m)] = text;
  }
  // Probe: some training pairs, groups in a shuffled movie order.
  std::vector<int> ms;
  for (auto& [m, v] : md.movies) ms.push_back(m);
  std::shuffle(ms.begin(), ms.end(), g);
  std::string probe, qual;
  for (int m : ms) {
    std::vector<int32_t> us;
    for (auto [u, s] : md.movies[m])
      if (g() % 4 == 0) us.push_back(u);
    if (us.empty()) continue;
    md.probe.push_back({m, us});
    probe += std::to_string(m) + ":" + line_end(g);
    for (int32_t u : us) probe += std::to_string(u) + line_end(g);
  }
  // Queries: pairs of present users outside the training set.
  for (int m : {1, 5, 9000, 17770}) {
    std::vector<int32_t> us;
    for (auto& [u, r] : md.users)
      if (!r.count(m) && g() % 3 == 0) us.push_back(u);
    if (us.empty()) continue;
    md.queries.push_back({m, us});
    qual += std::to_string(m) + ":" + line_end(g);
    for (int32_t u : us) qual += std::to_string(u) + ",2005-11-30" + line_end(g);
  }
  raw["probe.txt"] = probe;
  raw["qualifying.txt"] = qual;
  raw["movie_titles.txt"] = "";
  return md;
}

// Mean x 1000 rounded to nearest, ties to even, in whole numbers.
int32_t mean_times_1000(int64_t sum, int64_t n) {
  int64_t q = sum * 1000 / n, r = sum * 1000 % n;
  if (2 * r > n || (2 * r == n && q % 2 == 1)) ++q;
  return static_cast<int32_t>(q);
}

}  // namespace

TEST(PrepareInputs, RandomSetsMatchTheModel) {
  for (uint32_t seed : {1u, 2u, 3u}) {
    SCOPED_TRACE(seed);
    prep::RawSet raw;
    Model md = random_set(seed, raw);
    prep::Tree t;
    prep::write_raw(t.raw(), raw);
    RunResult r = prep::run_prepare(t);
    ASSERT_EQ(r.status, 0) << r.err;

    rl::UserData d;
    rl::read_userdata(t.dataset("userdata1.dat"), d);
    rl::check_userdata("userdata1.dat", d, 17770);
    ASSERT_EQ(d.NMOVIES, 17770);
    ASSERT_EQ(d.NUSERS, static_cast<int32_t>(md.users.size()));
    rl::Array<int32_t> SHORTID;
    rl::read_shortids(t.dataset("shortuserids2.dat"), SHORTID);
    rl::Statistics st;
    rl::read_statistics(t.dataset("statistics.dat"), 480189, 17770, st);

    // Short indices by ascending raw id; each user's ratings in movie order.
    int32_t u = 0;
    int64_t nonzero = 0;
    for (int32_t i = 1; i <= rl::max_raw_user; ++i) nonzero += SHORTID(i) != 0;
    EXPECT_EQ(nonzero, d.NUSERS);
    for (auto& [raw_id, ratings] : md.users) {
      ++u;
      ASSERT_EQ(SHORTID(raw_id), u);
      ASSERT_EQ(d.UEND(u) - d.UEND(u - 1), static_cast<int32_t>(ratings.size()));
      int64_t p = d.UEND(u - 1), sum = 0;
      for (auto [m, s] : ratings) {
        ++p;
        ASSERT_EQ(d.UMOVIE(p), m);
        ASSERT_EQ(d.USTARS(p), s);
        sum += s;
      }
      EXPECT_EQ(st.USIZE(u), static_cast<int32_t>(ratings.size()));
      EXPECT_EQ(st.USTAT(u), mean_times_1000(sum, static_cast<int64_t>(ratings.size())));
    }
    for (int32_t v = u + 1; v <= 480189; ++v) ASSERT_EQ(st.USIZE(v) | st.USTAT(v), 0);

    // Movie-major files in the line order of the raw files.
    rl::Array<int32_t> MEND;
    rl::read_movieend(t.dataset("movieend.dat"), MEND);
    std::string scores = read_file(t.dataset("scores.dat"));
    std::string userids = read_file(t.dataset("userids2.dat"));
    std::string exp_scores, exp_userids;
    int32_t total = 0;
    for (int m = 1; m <= 17770; ++m) {
      auto it = md.movies.find(m);
      int32_t n = it == md.movies.end() ? 0 : static_cast<int32_t>(it->second.size());
      EXPECT_EQ(st.MSTAT(m), n);
      total += n;
      ASSERT_EQ(MEND(m), total);
      if (it == md.movies.end()) continue;
      for (auto [uid, s] : it->second) {
        exp_scores.push_back(static_cast<char>(s));
        append_le(exp_userids, SHORTID(uid));
      }
    }
    EXPECT_EQ(MEND(0), 0);
    EXPECT_TRUE(scores == exp_scores);
    EXPECT_TRUE(userids == exp_userids);

    // Probe groups in file order, stars looked up in training.
    rl::ProbeList p;
    rl::read_probe(t.work() + "/probe.dat", p);
    rl::check_probe("probe.dat", p, SHORTID, d.NUSERS);
    ASSERT_EQ(p.PROBE_MOVIES, static_cast<int32_t>(md.probe.size()));
    int64_t i = 0;
    for (std::size_t gi = 0; gi < md.probe.size(); ++gi) {
      EXPECT_EQ(p.PMOVIE(gi + 1), md.probe[gi].first);
      for (int32_t uid : md.probe[gi].second) {
        ++i;
        EXPECT_EQ(p.PUSER(i), uid);
        EXPECT_EQ(p.PSTARS(i), md.users[uid][md.probe[gi].first]);
      }
      EXPECT_EQ(p.PEND(gi + 1), i);
    }
    EXPECT_EQ(p.PMOVIE(p.PROBE_MOVIES + 1), 0);

    // The query list is what the predictor's parsing pass makes of the written text,
    // and it holds the queries of the raw file.
    std::string qtext = read_file(t.dataset("qualifying.txt"));
    std::string qdata = read_file(t.work() + "/predictdata.dat");
    EXPECT_EQ(qdata, prep::parse_queries_literally(qtext));
    std::vector<int32_t> qend = {0}, qmovie, quser;
    for (auto& [m, us] : md.queries) {
      qmovie.push_back(m);
      for (int32_t uid : us) {
        quser.push_back(uid);
        EXPECT_GE(SHORTID(uid), 1);
      }
      qend.push_back(static_cast<int32_t>(quser.size()));
    }
    qmovie.push_back(0);
    EXPECT_EQ(qdata, le_bytes(qend) + le_bytes(qmovie) + le_bytes(quser));
  }
}

// A small set from the generator goes through with every invariant the readers rely on.
TEST(PrepareInputs, GeneratedSetIsAccepted) {
  if (!file_exists(program_path("make_dataset"))) GTEST_SKIP() << "make_dataset is not built";
  prep::Tree t;
  RunResult g = run_program("make_dataset", t.root.path, {"raw", "--ratings", "100000", "--seed", "5"});
  ASSERT_EQ(g.status, 0) << g.err;
  RunResult r = prep::run_prepare(t);
  ASSERT_EQ(r.status, 0) << r.err;
  rl::UserData d;
  rl::read_userdata(t.dataset("userdata1.dat"), d);
  rl::check_userdata("userdata1.dat", d, 17770);
  EXPECT_EQ(d.NRATINGS, 100000);
  rl::Array<int32_t> SHORTID;
  rl::read_shortids(t.dataset("shortuserids2.dat"), SHORTID);
  rl::Statistics st;
  rl::read_statistics(t.dataset("statistics.dat"), 480189, 17770, st);
  rl::ProbeList p;
  rl::read_probe(t.work() + "/probe.dat", p);
  rl::check_probe("probe.dat", p, SHORTID, d.NUSERS);
  ASSERT_GT(p.PROBE_COUNT, 0);
  for (int64_t i = 1; i <= p.PROBE_COUNT; ++i) {
    int32_t size = st.USIZE(SHORTID(p.PUSER(i)));
    ASSERT_TRUE(size >= 1 && size <= 17770) << i;
  }
  std::string qdata = read_file(t.work() + "/predictdata.dat");
  EXPECT_EQ(qdata, prep::parse_queries_literally(read_file(t.dataset("qualifying.txt"))));
  // Every queried raw id maps to a user of the training set.
  std::string qtext = read_file(t.dataset("qualifying.txt"));
  std::size_t movies = static_cast<std::size_t>(std::count(qtext.begin(), qtext.end(), ':'));
  ASSERT_GT(movies, 0u);
  for (std::size_t i = 2 * (movies + 1); i < qdata.size() / 4; ++i) {
    int32_t raw;
    std::memcpy(&raw, qdata.data() + 4 * i, 4);
    ASSERT_TRUE(raw >= 1 && raw <= 2649429 && SHORTID(raw) >= 1) << raw;
  }
}
