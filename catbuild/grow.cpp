// Seeding and growing categories from random seed users.
//
// A step needs the distance of every user to each sampled member. Instead of merging
// the lists pair by pair, the sampled members' ratings are spread into one movie-major
// table (16 bytes per movie, one byte per sampled member, 0 = not looked at), so each
// candidate's distances come from one pass over its own list. Common counts and sums
// are integers, so every distance equals member_distance of the pair.
#include <cmath>
#include <cstring>
#include <vector>

#include "builder.h"
#include "console.h"
#include "convert.h"
#include "fail.h"
#include "print.h"
#include "record_file.h"

namespace cb {

namespace {

constexpr int lanes = 16;
typedef uint8_t v16b __attribute__((vector_size(16)));
typedef int16_t v16s __attribute__((vector_size(32)));
constexpr int flush_every = 2048;  // 16-bit sums hold 2048 terms of at most 25
constexpr int bucket_count = 50001;
constexpr int rms_n = 256, rms_sum = 25 * 255 + 1;

int32_t SEEDPOOL = 0;
rl::Array<int32_t> MARK;    // [1..NUSERS]
rl::Array<int32_t> PICKED;  // [1..NSLOT]
int32_t SAMPLE[sample_limit + 1];

std::vector<uint16_t> RMS;  // rms_thousand for small counts

int32_t rms_cached(uint32_t sum, uint32_t n) {
  if (n < rms_n && sum < rms_sum) return RMS[n * rms_sum + sum];
  return rms_thousand(sum, n);
}

float excluded_value() {
  return CFG.variant == GrowVariant::bucket ? 2147483648.0f : -1.0f;
}

// Distances of users first..last to the sampled members in `table`; DIST[u] gets the
// value the variant ranks by.
template <bool ones_only>
__attribute__((always_inline)) inline void distance_body(const uint8_t* table, int s, int32_t attempt, float* dist,
                          int64_t first, int64_t last) {
  const int32_t* uend = UEND.data();
  const uint16_t* um = UMOVIE.data() - 1;
  const uint8_t* us = USTARS.data() - 1;
  const int32_t* mark = MARK.data() - 1;
  const float excluded = excluded_value();
  const bool bucket = CFG.variant == GrowVariant::bucket;
  const uint16_t miss = CFG.distance == DistanceRule::ones_25 ? 25 : 1;
  for (int64_t u = first; u <= last; ++u) {
    if (mark[u] == attempt) {
      dist[u] = excluded;
      continue;
    }
    v16s cnt = {}, sm = {};
    uint32_t tc[lanes] = {}, ts[lanes] = {};
    const uint32_t end = static_cast<uint32_t>(uend[u]);
    int k = 0;
    for (uint32_t j = static_cast<uint32_t>(uend[u - 1]) + 1; j <= end; ++j) {
      v16b raw;
      std::memcpy(&raw, table + static_cast<int64_t>(um[j]) * lanes, lanes);
      const v16s x = __builtin_convertvector(raw, v16s);
      const int16_t y = us[j];
      if (ones_only) {
        cnt += x;
        const int16_t t = static_cast<int16_t>(y != 1 ? miss : 0);
        sm += x * t;
      } else {
        const v16s on = x != 0;  // -1 where the member rated the movie
        const v16s d = x - y;
        cnt -= on;
        sm += (d * d) & on;
      }
      if (++k == flush_every) {
        k = 0;
        for (int q = 0; q < lanes; ++q)
          tc[q] += static_cast<uint16_t>(cnt[q]), ts[q] += static_cast<uint16_t>(sm[q]);
        cnt = v16s{};
        sm = v16s{};
      }
    }
    for (int q = 0; q < lanes; ++q)
      tc[q] += static_cast<uint16_t>(cnt[q]), ts[q] += static_cast<uint16_t>(sm[q]);
    float sum = 0.0f;
    int32_t kk = 0;
    for (int q = 0; q < s; ++q) {
      uint32_t common = tc[q];
      if (common == 0) continue;
      int32_t d = rms_cached(ts[q], common);
      // The product as a 32-bit integer, the addition rounded to single precision.
      sum = static_cast<float>(static_cast<double>(sum) + static_cast<double>(d * d));
      ++kk;
    }
    if (kk == 0) {
      dist[u] = excluded;
    } else if (bucket) {
      dist[u] = static_cast<float>(std::floor(std::sqrt(static_cast<long double>(sum) / kk)));
    } else if (sum == 0.0f) {
      dist[u] = excluded;
    } else {
      dist[u] = static_cast<float>(std::sqrt((static_cast<long double>(sum) - 1) / kk));
    }
  }
}

__attribute__((target_clones("avx2", "default"))) void distances_ones(
    const uint8_t* table, int s, int32_t attempt, float* dist, int64_t first, int64_t last) {
  distance_body<true>(table, s, attempt, dist, first, last);
}
__attribute__((target_clones("avx2", "default"))) void distances_all(
    const uint8_t* table, int s, int32_t attempt, float* dist, int64_t first, int64_t last) {
  distance_body<false>(table, s, attempt, dist, first, last);
}

void progress(int32_t p, int32_t c) {
  rl::console_locate(3, 5);
  rl::integer_item(0, p);
  rl::text_item(0, "     ", rl::line_end);
  rl::console_locate(3, 10);
  rl::integer_item(0, c);
  rl::text_item(0, "     ", rl::line_end);
}

}  // namespace

rl::Array<int32_t>& grow_marks() { return MARK; }

void sample_distances(const int32_t* sample_users, int s, int32_t attempt, float* dist) {
  if (RMS.empty()) {
    RMS.assign(static_cast<std::size_t>(rms_n) * rms_sum, 0);
    for (uint32_t n = 1; n < rms_n; ++n)
      for (uint32_t v = 0; v < rms_sum; ++v)
        RMS[n * rms_sum + v] = static_cast<uint16_t>(rms_thousand(v, n));
  }
  const bool ones_only = CFG.distance != DistanceRule::all_sq;
  static std::vector<uint8_t> table;
  table.assign(static_cast<std::size_t>(NMOVIES + 1) * lanes, 0);
  // Spread the sampled members' ratings into the table.
  for (int q = 0; q < s; ++q) {
    int32_t a = sample_users[q];
    for (uint32_t j = static_cast<uint32_t>(UEND(a - 1)) + 1;
         j <= static_cast<uint32_t>(UEND(a)); ++j) {
      uint8_t x = USTARS(j);
      if (ones_only && x != 1) continue;
      table[static_cast<std::size_t>(UMOVIE(j)) * lanes + q] = x;
    }
  }
  parallel_range(1, NUSERS, [&](int64_t a, int64_t b) {
    if (ones_only)
      distances_ones(table.data(), s, attempt, dist, a, b);
    else
      distances_all(table.data(), s, attempt, dist, a, b);
  });
}

void seed_categories() {
  SEEDPOOL = rl::round_to_int(static_cast<long double>(NUSERS) * 0.1);
  // With fewer seed candidates than categories the draw below could never finish.
  if (SEEDPOOL < NCAT)
    rl::fail_value(folder_file("userdata1.dat"), "NUSERS", 9, NUSERS,
                   "at least " + std::to_string(10 * NCAT) + " users to seed " +
                       std::to_string(NCAT) + " categories");
  MARK.dim(1, NUSERS);
  PICKED.dim(1, NSLOT);
  int32_t c = 1;
  while (c <= NCAT) {
    int32_t r = draw(SEEDPOOL);
    if (MARK(r) == 1) continue;
    MARK(r) = 1;
    MEMBERS(c, 1) = r;
    ++c;
  }
  std::memset(MARK.data(), 0, MARK.bytes());
  rl::text_item(0, "Categories seeded. (Part 2 of 6)", rl::line_end);
}

void grow_categories() {
  const bool bucket = CFG.variant == GrowVariant::bucket;
  const float excluded = excluded_value();
  rl::Array<float> DIST;
  rl::Array<int32_t> CAND;
  DIST.dim(1, NUSERS);
  CAND.dim(1, NUSERS);
  std::vector<float> keys(static_cast<std::size_t>(NUSERS) + 1);
  std::vector<int32_t> bucket_size(bucket ? bucket_count : 0);
  float* dist = DIST.data() - 1;

  int32_t attempt = 0;
  for (int32_t c = 1; c <= NCAT; ++c) {
    int32_t s = 0, fails = 0, p = 2;
    ++attempt;
    MARK(MEMBERS(c, 1)) = attempt;
    while (p <= NSLOT) {
      progress(p, c);
      if (s < sample_limit) ++s;
      for (int q = 1; q <= s; ++q) {
        int32_t r;
        do r = draw(p - 1);
        while (PICKED(r) == 1);
        PICKED(r) = 1;
        SAMPLE[q] = r;
      }
      for (int q = 1; q <= s; ++q) PICKED(SAMPLE[q]) = 0;

      int32_t users[sample_limit];
      for (int q = 1; q <= s; ++q) users[q - 1] = MEMBERS(c, SAMPLE[q]);
      sample_distances(users, s, attempt, dist);

      // Order the candidates; only the first n are ever used.
      const int32_t want = std::min(CFG.step[s - 1], NSLOT - p + 1);
      int32_t n = 0;
      if (bucket) {
        // Buckets 1..50000 in increasing order, each in increasing user order.
        std::fill(bucket_size.begin(), bucket_size.end(), 0);
        int64_t w = 0;
        for (int32_t u = 1; u <= NUSERS; ++u) {
          float d = dist[u];
          if (d == excluded || d < 1.0f || d > 50000.0f) continue;
          ++bucket_size[static_cast<int32_t>(d)];
          ++w;
        }
        n = static_cast<int32_t>(std::min<int64_t>(want, w));
        int32_t last = 0, before = 0;
        if (n > 0) {
          int64_t acc = 0;
          for (last = 1; last < bucket_count; ++last) {
            if (acc + bucket_size[last] >= n) break;
            acc += bucket_size[last];
          }
          before = static_cast<int32_t>(acc);
        }
        // Users of buckets below `last` all join, in bucket order then user order.
        int32_t taken_last = 0;
        std::vector<int32_t> start(last + 1, 0);
        for (int32_t b = 1, acc = 0; b < last; ++b) start[b] = acc, acc += bucket_size[b];
        for (int32_t u = 1; u <= NUSERS && n > 0; ++u) {
          float d = dist[u];
          if (d == excluded || d < 1.0f || d > 50000.0f) continue;
          int32_t b = static_cast<int32_t>(d);
          if (b < last) {
            CAND(1 + start[b]++) = u;
          } else if (b == last && taken_last < n - before) {
            CAND(1 + before + taken_last++) = u;
          }
        }
      } else {
        int64_t w = 0;
        int32_t* cand = CAND.data() - 1;
        for (int32_t u = 1; u <= NUSERS; ++u) {
          if (dist[u] == excluded) continue;
          ++w;
          keys[w] = dist[u];
          cand[w] = u;
        }
        n = static_cast<int32_t>(std::min<int64_t>(want, w));
        if (n > 0) quicksort_keyed_prefix(keys.data(), cand, 1, w, n);
      }

      for (int32_t i = 1; i <= n; ++i) {
        MEMBERS(c, p + i - 1) = CAND(i);
        MARK(CAND(i)) = attempt;
      }
      if (n > 0) {
        p += n;
        fails = 0;
      } else {
        --s;
        if (++fails == 5) {
          MEMBERS(c, 1) = draw(SEEDPOOL);
          s = 0;
          fails = 0;
          p = 2;
          ++attempt;
          MARK(MEMBERS(c, 1)) = attempt;
        }
      }
    }
  }
  DIST.release();
  CAND.release();
  RMS.clear();
  RMS.shrink_to_fit();
  rl::text_item(0, "Categories grown. (Part 3 of 6)", rl::line_end);
  if (bucket) {
    rl::open_file(folder_file("catbinweights1.dat"), rl::output_mode, 1);
    rl::put_array(1, 0, MEMBERS);
    rl::close_file(1);
  }
}

}  // namespace cb
