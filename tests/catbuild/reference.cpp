#include "reference.h"

#include <cmath>
#include <cstring>
#include <deque>
#include <utility>

#include "builder.h"  // draw() and seeding: the one random source
#include "convert.h"

namespace ref {

namespace {

constexpr int32_t INF = 2147483647;

struct Table {
  int64_t rows = 0, cols = 0;
  std::vector<int32_t> v;
  void dim(int64_t r, int64_t c) { rows = r, cols = c, v.assign(r * c, 0); }
  int32_t& at(int64_t i, int64_t j) { return v[(i - 1) * cols + (j - 1)]; }
};

std::string crlf(const std::string& s) { return s + "\r\n"; }

template <class T>
void append(std::string& s, const T* p, std::size_t n) {
  s.append(reinterpret_cast<const char*>(p), n * sizeof(T));
}

int32_t rms(uint32_t sum, uint32_t n) {
  long double q = static_cast<long double>(sum) / n;
  float s = static_cast<float>(std::sqrt(q));
  return static_cast<int32_t>(static_cast<uint32_t>(rl::round_to_int64(1000.0L * s)));
}

struct Run {
  const cb::Config& cfg;
  const Ratings& r;
  Result res;
  int32_t NCAT, NSLOT;
  Table MEMBERS;
  std::vector<int32_t> FILL;
  std::vector<uint8_t> BINSCORE;      // (c-1)*NMOVIES + m-1
  std::vector<int32_t> USERSCORE;     // (u-1)*NCAT + c-1
  std::vector<uint16_t> MOVBIN, MOVSPREAD, UBIN;
  std::vector<int32_t> MCOUNT;
  int32_t CUTOFF = 0, PREVTWICE = 0;
  float TOTAL = 0;
  uint32_t ASSIGNED = 0;

  Run(const cb::Config& c, const Ratings& rr) : cfg(c), r(rr) {}

  int32_t nm() const { return r.nmovies; }

  void read_members(const std::vector<int32_t>& file) {
    for (std::size_t i = 0; i < MEMBERS.v.size(); ++i) MEMBERS.v[i] = i < file.size() ? file[i] : 0;
  }
  std::string members_bytes() {
    std::string s;
    append(s, MEMBERS.v.data(), MEMBERS.v.size());
    return s;
  }

  int value(int32_t c, int32_t m) {
    if (cfg.score == cb::ScoreRule::ones_mean || cfg.score == cb::ScoreRule::all_mean)
      return rl::round_to_int(MOVBIN[(c - 1) * nm() + m - 1] / 1000.0L);
    return BINSCORE[(c - 1) * nm() + m - 1];
  }

  int32_t category_score(int32_t u, int32_t c) {
    uint32_t n = 0, sum = 0;
    for (uint32_t j = r.uend[u - 1] + 1; j <= static_cast<uint32_t>(r.uend[u]); ++j) {
      int x = r.ustars[j], v = value(c, r.umovie[j]);
      switch (cfg.score) {
        case cb::ScoreRule::ones_mean:
          if (x == 1 && v != 0) ++n, sum += (x - v) * (x - v);
          break;
        case cb::ScoreRule::all_mean:
        case cb::ScoreRule::all_bin:
        case cb::ScoreRule::all_bin10:
          if (v != 0) ++n, sum += (x - v) * (x - v);
          break;
        case cb::ScoreRule::bin1_count:
          if (v == 1) ++n, sum += x != 1 ? 1 : 0;
          break;
        case cb::ScoreRule::ones_bin:
          if (x == 1 && v != 0) ++n, sum += v != 1 ? 25 : 0;
          break;
        case cb::ScoreRule::bin1_25:
          if (v == 1) ++n, sum += x != 1 ? 25 : 0;
          break;
      }
    }
    uint32_t minimum = cfg.score == cb::ScoreRule::all_bin10 ? 10 : 1;
    if (n < minimum) return -1;
    return rms(sum, n);
  }

  void quicksort_row(int32_t* keys, uint8_t* comp, int lo, int hi) {
    std::deque<std::pair<int, int>> work{{lo, hi}};
    while (!work.empty()) {
      auto [a, b] = work.front();
      work.pop_front();
      if (b < a) continue;
      int p = a + (b - a) / 2;
      uint32_t P = static_cast<uint32_t>(keys[p]);
      std::swap(keys[p], keys[b]), std::swap(comp[p], comp[b]);
      int store = a;
      for (int i = a; i <= b - 1; ++i)
        if (static_cast<uint32_t>(keys[i]) <= P)
          std::swap(keys[i], keys[store]), std::swap(comp[i], comp[store]), ++store;
      std::swap(keys[store], keys[b]), std::swap(comp[store], comp[b]);
      work.emplace_back(a, store - 1);
      work.emplace_back(store + 1, b);
    }
  }

  int32_t weight(int32_t u, int32_t c) {
    int32_t s = USERSCORE[(u - 1) * NCAT + c - 1];
    switch (cfg.weight) {
      case cb::MemberWeight::one:
        return 1;
      case cb::MemberWeight::prevtwice:
        return PREVTWICE - s;
      case cb::MemberWeight::quartic: {
        int32_t ss = s * s;
        long double q = (6250000 - ss) / 10000.0L;
        return rl::round_to_int(q * q / 100.0L);
      }
    }
    return 1;
  }

  void score_bins(int32_t c, bool weighted, int32_t mincount, int32_t rows) {
    std::vector<int32_t> HIST((nm() + 1) * 5, 0);
    for (int32_t i = 1; i <= rows; ++i) {
      int32_t u = MEMBERS.at(c, i);
      if (u == 0) continue;
      int32_t w = weighted ? weight(u, c) : 1;
      for (uint32_t j = r.uend[u - 1] + 1; j <= static_cast<uint32_t>(r.uend[u]); ++j) {
        int m = r.umovie[j];
        MCOUNT[m] += 1;
        int32_t& h = HIST[m * 5 + r.ustars[j] - 1];
        h = static_cast<int32_t>(static_cast<uint32_t>(h) + static_cast<uint32_t>(w));
      }
    }
    for (int32_t m = 1; m <= nm(); ++m) {
      if (MCOUNT[m] > mincount) {
        int best = 1;
        for (int k = 2; k <= 5; ++k)
          if (HIST[m * 5 + k - 1] > HIST[m * 5 + best - 1]) best = k;
        BINSCORE[(c - 1) * nm() + m - 1] = static_cast<uint8_t>(best);
        MCOUNT[m] = 0;
      }
    }
  }

  void assign_users() {
    for (auto& f : FILL) f = 0;
    for (int32_t u = 1; u <= r.nusers; ++u) {
      std::vector<uint8_t> order(NCAT + 1);
      for (int k = 1; k <= NCAT; ++k) order[k] = static_cast<uint8_t>(k);
      int32_t* row = &USERSCORE[(u - 1) * NCAT] - 1;
      quicksort_row(row, order.data(), 1, NCAT);
      int32_t lim = cfg.limit, k = 0;
      for (;;) {
        ++k;
        int32_t c = order[k];
        if (FILL[c] == NSLOT) {
          if (lim < NCAT) {
            ++lim;
            continue;
          }
          break;
        }
        if (static_cast<uint32_t>(row[k]) > static_cast<uint32_t>(CUTOFF)) break;
        TOTAL = TOTAL + static_cast<uint32_t>(row[k]);
        ++ASSIGNED;
        ++FILL[c];
        MEMBERS.at(c, FILL[c]) = u;
        if (k == lim) break;
      }
    }
  }

  void grow(uint64_t seed) {
    cb::seed_random_with(seed);
    const int32_t SEEDPOOL = rl::round_to_int(static_cast<long double>(r.nusers) * 0.1);
    std::vector<int32_t> MARK(r.nusers + 1, 0), PICKED(NSLOT + 1, 0), SAMPLE(13, 0);
    for (int32_t c = 1; c <= NCAT;) {
      int32_t x = cb::draw(SEEDPOOL);
      if (MARK[x] == 1) continue;
      MARK[x] = 1;
      MEMBERS.at(c, 1) = x;
      ++c;
    }
    for (auto& m : MARK) m = 0;
    res.out += crlf("Categories seeded. (Part 2 of 6)");
    const bool bucket = cfg.variant == cb::GrowVariant::bucket;
    const float EXCLUDED = bucket ? 2147483648.0f : -1.0f;
    std::vector<float> DIST(r.nusers + 1);
    std::vector<int32_t> CAND(r.nusers + 1);
    int32_t attempt = 0;
    for (int32_t c = 1; c <= NCAT; ++c) {
      int32_t s = 0, fails = 0, p = 2;
      ++attempt;
      MARK[MEMBERS.at(c, 1)] = attempt;
      while (p <= NSLOT) {
        res.out += crlf(rl::integer_text(p) + "     ");
        res.out += crlf(rl::integer_text(c) + "     ");
        if (c == 1) res.grow_progress_p.push_back(p);
        if (s < 12) ++s;
        for (int q = 1; q <= s; ++q) {
          int32_t x;
          do x = cb::draw(p - 1);
          while (PICKED[x] == 1);
          PICKED[x] = 1;
          SAMPLE[q] = x;
        }
        for (int q = 1; q <= s; ++q) PICKED[SAMPLE[q]] = 0;
        for (int32_t u = 1; u <= r.nusers; ++u) {
          if (MARK[u] == attempt) {
            DIST[u] = EXCLUDED;
            continue;
          }
          float sum = 0;
          int32_t k = 0;
          for (int q = 1; q <= s; ++q) {
            int32_t d = member_distance(r, cfg.distance, MEMBERS.at(c, SAMPLE[q]), u);
            if (d != INF) {
              sum = static_cast<float>(sum + static_cast<long double>(d * d));
              ++k;
            }
          }
          if (k == 0)
            DIST[u] = EXCLUDED;
          else if (bucket)
            DIST[u] = static_cast<float>(std::floor(std::sqrt(static_cast<long double>(sum) / k)));
          else if (sum == 0)
            DIST[u] = EXCLUDED;
          else
            DIST[u] = static_cast<float>(std::sqrt((static_cast<long double>(sum) - 1) / k));
        }
        int64_t w = 0;
        if (bucket) {
          std::vector<std::vector<int32_t>> buckets(50001);
          for (int32_t u = 1; u <= r.nusers; ++u)
            if (DIST[u] != EXCLUDED) buckets[static_cast<int32_t>(DIST[u])].push_back(u);
          for (int b = 1; b <= 50000; ++b)
            for (int32_t u : buckets[b]) CAND[++w] = u;
        } else {
          std::vector<float> keys(r.nusers + 1);
          for (int32_t u = 1; u <= r.nusers; ++u)
            if (DIST[u] != EXCLUDED) ++w, keys[w] = DIST[u], CAND[w] = u;
          quicksort_float(keys, CAND, 1, w);
        }
        int64_t n = std::min<int64_t>({cfg.step[s - 1], NSLOT - p + 1, w});
        for (int64_t i = 1; i <= n; ++i) MEMBERS.at(c, p + i - 1) = CAND[i], MARK[CAND[i]] = attempt;
        if (n > 0) {
          p += static_cast<int32_t>(n);
          fails = 0;
        } else {
          --s;
          if (++fails == 5) {
            MEMBERS.at(c, 1) = cb::draw(SEEDPOOL);
            s = 0, fails = 0, p = 2, ++attempt;
            MARK[MEMBERS.at(c, 1)] = attempt;
          }
        }
      }
    }
    res.out += crlf("Categories grown. (Part 3 of 6)");
    if (bucket) res.files["catbinweights1.dat"] = members_bytes();
  }

  void refinement(const std::vector<int32_t>& file, uint64_t seed) {
    NCAT = cfg.ncat;
    NSLOT = cfg.nslot_start;
    MEMBERS.dim(NCAT, NSLOT);
    FILL.assign(NCAT + 1, 0);
    BINSCORE.assign(NCAT * nm(), 0);
    USERSCORE.assign(static_cast<std::size_t>(r.nusers) * NCAT, 0);
    MCOUNT.assign(nm() + 1, 0);
    const int32_t quarter = rl::round_to_int(r.nusers / 4.0L);
    if (cfg.load_mode == 0) {
      grow(seed);
    } else if (cfg.load_mode == 1) {
      read_members(file);
    } else {
      NSLOT = quarter;
      MEMBERS.dim(NCAT, NSLOT);
      read_members(file);
    }
    if (cfg.initial_scoring)
      for (int32_t c = 1; c <= NCAT; ++c) score_bins(c, false, cfg.mincount0, NSLOT);
    if (cfg.name == std::string("catbuild_3")) {
      NSLOT = rl::round_to_int(r.nusers / 16.0L);
      MEMBERS.dim(NCAT, NSLOT);
    } else if (cfg.name == std::string("catbuild_6")) {
      for (int32_t c = 1; c <= NCAT; ++c) FILL[c] = NSLOT;
    } else {
      NSLOT = quarter;
      MEMBERS.dim(NCAT, NSLOT);
    }
    const std::string name = cfg.name;
    int32_t T = name == "catbuild_3" ? 7000 : name == "catbuild_7" ? 6000 : 1300, D = 0;
    for (int it = 1; it <= cfg.rounds; ++it) {
      if (name == "catbuild_3" || name == "catbuild_7") {
        PREVTWICE = 2 * T;
        D += (cfg.rounds + 1 - it) * 5;
        T = (name == "catbuild_3" ? 7000 : 6000) - D;
        CUTOFF = T;
      } else if (name == "catbuild_4" || name == "catbuild_5") {
        PREVTWICE = 2 * T;
        T = 1300 - it;
        CUTOFF = 2500;
      } else {
        CUTOFF = 1300 - 10 * it;
      }
      TOTAL = 0.0f;
      ASSIGNED = 0;
      if (name == "catbuild_6")
        for (int32_t c = 1; c <= NCAT; ++c) score_bins(c, false, 10, FILL[c]);
      for (int32_t c = 1; c <= NCAT; ++c) {
        if (name != "catbuild_3") res.out += crlf(rl::integer_text(c) + (name == "catbuild_6" ? "   " : ""));
        for (int32_t u = 1; u <= r.nusers; ++u) USERSCORE[(u - 1) * NCAT + c - 1] = category_score(u, c);
      }
      if (name == "catbuild_6" && it == 2) {
        NSLOT = rl::round_to_int((4 * r.nusers) / 2.0L);
        MEMBERS.dim(NCAT, NSLOT);
      }
      assign_users();
      if (name == "catbuild_3" || name == "catbuild_4" || name == "catbuild_5") {
        for (int32_t c = 1; c <= NCAT; ++c) FILL[c] = NSLOT;
        for (int32_t c = 1; c <= NCAT; ++c) score_bins(c, true, cfg.mincount1, NSLOT);
      }
      if (name == "catbuild_7")
        for (auto& b : BINSCORE) b = 1;
      res.out += crlf(rl::integer_text(it) + "   ");
      res.out += crlf(rl::single_text(TOTAL) + "   " + rl::unsigned_text(ASSIGNED) + "    " +
                      rl::double_text(static_cast<double>(TOTAL / static_cast<long double>(ASSIGNED))) +
                      "   " + rl::integer_text(0) + "       ");
    }
    res.out += crlf("Movies scored on categories. (Part 4 of 6)");
    res.out += crlf("Bin scores per movie translated to user scores per bin. (Part 5 of 6)");
    std::string w;
    append(w, &NCAT, 1);
    append(w, BINSCORE.data(), BINSCORE.size());
    append(w, USERSCORE.data(), USERSCORE.size());
    res.files["weights.dat"] = w;
    res.files[cfg.load_mode == 0 ? "catbinweights1.dat" : "catbinweights2.dat"] = members_bytes();
    res.out += crlf("Bin score and user score saved. (Part 6 of 6)");
    res.out += crlf("");
    res.out += crlf("Done!");
  }

  void mean_flow(const std::vector<int32_t>& file) {
    NCAT = 32;
    NSLOT = rl::round_to_int(r.nusers / 4.0L);
    MEMBERS.dim(NCAT, NSLOT);
    read_members(file);
    MOVBIN.assign(NCAT * nm(), 0);
    MOVSPREAD.assign(NCAT * nm(), 0);
    UBIN.assign(static_cast<std::size_t>(r.nusers) * NCAT, 0);
    USERSCORE.assign(static_cast<std::size_t>(r.nusers) * NCAT, 0);
    std::vector<int32_t> MC(nm() + 1, 0), MSUM(nm() + 1, 0), SQSUM(nm() + 1, 0);
    for (int32_t c = 1; c <= NCAT; ++c) {
      for (int32_t i = 1; i <= NSLOT; ++i) {
        int32_t u = MEMBERS.at(c, i);
        if (u == 0) continue;
        for (uint32_t j = r.uend[u - 1] + 1; j <= static_cast<uint32_t>(r.uend[u]); ++j)
          MC[r.umovie[j]] += 1, MSUM[r.umovie[j]] += r.ustars[j];
      }
      for (int32_t m = 1; m <= nm(); ++m)
        if (MC[m] != 0) {
          MOVBIN[(c - 1) * nm() + m - 1] =
              static_cast<uint16_t>(rl::round_to_int(MSUM[m] * 1000.0L / MC[m]));
          MC[m] = MSUM[m] = 0;
        }
      res.out += crlf(rl::integer_text(c));
      for (int32_t u = 1; u <= r.nusers; ++u) USERSCORE[(u - 1) * NCAT + c - 1] = category_score(u, c);
      for (int32_t u = 1; u <= r.nusers; ++u) {
        int64_t S = 0, n = 0;
        for (uint32_t j = r.uend[u - 1] + 1; j <= static_cast<uint32_t>(r.uend[u]); ++j) {
          int m = r.umovie[j];
          int v = MOVBIN[(c - 1) * nm() + m - 1];
          if (v == 0) continue;
          S += v;
          double t = static_cast<double>((10.0L * r.ustars[j] - v / 100.0L) * (10.0L * r.ustars[j] - v / 100.0L));
          SQSUM[m] = rl::round_to_int(SQSUM[m] + static_cast<long double>(t));
          ++n;
          MC[m] += 1;
        }
        UBIN[(u - 1) * NCAT + c - 1] = n == 0 ? 0 : static_cast<uint16_t>(rl::round_to_int(static_cast<long double>(S) / n));
      }
      for (int32_t m = 1; m <= nm(); ++m) {
        MOVSPREAD[(c - 1) * nm() + m - 1] =
            MC[m] != 0 ? static_cast<uint16_t>(rl::round_to_int(
                             std::sqrt(SQSUM[m] / (static_cast<long double>(MC[m]) * 100)) * 1000.0L))
                       : 65535;
        SQSUM[m] = 0, MC[m] = 0;
      }
    }
    std::string w;
    append(w, &NCAT, 1);
    append(w, UBIN.data(), UBIN.size());
    append(w, MOVBIN.data(), MOVBIN.size());
    append(w, USERSCORE.data(), USERSCORE.size());
    append(w, MOVSPREAD.data(), MOVSPREAD.size());
    res.files["weightsb.dat"] = w;
    res.out += crlf("Done!");
  }
};

}  // namespace

int32_t member_distance(const Ratings& r, cb::DistanceRule rule, int32_t a, int32_t b) {
  uint32_t common = 0, sum = 0;
  uint32_t i = r.uend[b - 1] + 1;
  for (uint32_t j = r.uend[a - 1] + 1; j <= static_cast<uint32_t>(r.uend[a]); ++j) {
    if (rule != cb::DistanceRule::all_sq && r.ustars[j] != 1) continue;
    while (i <= static_cast<uint32_t>(r.uend[b])) {
      if (r.umovie[i] == r.umovie[j]) {
        ++common;
        int x = r.ustars[j], y = r.ustars[i];
        if (rule == cb::DistanceRule::all_sq) sum += (x - y) * (x - y);
        if (rule == cb::DistanceRule::ones_count) sum += y != 1 ? 1 : 0;
        if (rule == cb::DistanceRule::ones_25) sum += y != 1 ? 25 : 0;
        break;
      }
      if (r.umovie[i] < r.umovie[j])
        ++i;
      else
        break;
    }
  }
  if (common == 0) return INF;
  return rms(sum, common);
}

void quicksort_float(std::vector<float>& keys, std::vector<int32_t>& comp, int64_t lo, int64_t hi) {
  std::deque<std::pair<int64_t, int64_t>> work{{lo, hi}};
  while (!work.empty()) {
    auto [a, b] = work.front();
    work.pop_front();
    if (b < a) continue;
    int64_t p = a + (b - a) / 2;
    float P = keys[p];
    std::swap(keys[p], keys[b]), std::swap(comp[p], comp[b]);
    int64_t store = a;
    for (int64_t i = a; i <= b - 1; ++i)
      if (keys[i] <= P) std::swap(keys[i], keys[store]), std::swap(comp[i], comp[store]), ++store;
    std::swap(keys[store], keys[b]), std::swap(comp[store], comp[b]);
    work.emplace_back(a, store - 1);
    work.emplace_back(store + 1, b);
  }
}

Result run(const cb::Config& cfg, const Ratings& r, const std::vector<int32_t>& member_file,
           uint64_t seed) {
  Run run(cfg, r);
  run.res.out = crlf("Input data loaded. (Part 1 of 6)");
  if (cfg.flow == cb::Flow::mean_statistics)
    run.mean_flow(member_file);
  else
    run.refinement(member_file, seed);
  return run.res;
}

std::string userdata_bytes(const Ratings& r) {
  std::string s;
  int32_t head[3] = {r.nmovies, static_cast<int32_t>(r.umovie.size()) - 1, r.nusers};
  append(s, head, 3);
  append(s, r.uend.data(), r.uend.size());
  append(s, r.umovie.data() + 1, r.umovie.size() - 1);
  append(s, r.ustars.data() + 1, r.ustars.size() - 1);
  return s;
}

}  // namespace ref
