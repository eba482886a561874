// The neighbour lists exactly as described, as the reference for the program's
// faster route: one binary search per primary, candidate and rater, double sums, and
// candidate tables reused from one primary to the next. Reads the view tables of
// neighbours.h. Shared by the tests and the full-size spot check under bench/.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "index_sort.h"
#include "neighbours.h"

namespace literal {

struct Result {
  std::vector<float> rmse;
  std::vector<uint16_t> movies, primary;
  std::vector<int32_t> start;
  bool operator==(const Result&) const = default;
};

inline std::vector<uint16_t> size_order(const rl::Shape& sh) {
  std::vector<uint32_t> size(sh.movies);
  std::vector<uint16_t> order(sh.movies);
  for (int32_t m = 0; m < sh.movies; ++m) {
    size[m] = static_cast<uint32_t>(rl::MOVIESTARTS(m + 1) - rl::MOVIESTARTS(m));
    order[m] = static_cast<uint16_t>(m);
  }
  rl::qsort_u32_u16_desc(size.data(), order.data(), sh.movies);
  return order;
}

// The candidate values of primary i, sorted ascending with their positions.
inline void primary_values(const rl::Shape& sh, int32_t i, const std::vector<uint16_t>& order,
                           std::vector<float>& value, std::vector<uint16_t>& position) {
  using namespace rl;
  uint16_t P = order[i];
  for (int32_t j = 0; j < sh.candidates; ++j) {
    if (j == i) {
      value[j] = -1;
      continue;
    }
    uint16_t Q = order[j];
    double sum = 0, count = 0;
    int32_t t = 1;
    for (int64_t k = MOVIESTARTS(P); k <= int64_t{MOVIESTARTS(P + 1)} - 1; ++k) {
      int r = RATINGMOVIE(k);
      int32_t u = USERIDS(k);
      int found = 0;
      int64_t p =
          bsearch_u16(MOVIEIDS.data(), Q, USERSTARTS(u), int64_t{USERSTARTS(u + 1)} - 1, found);
      if (found) {
        long double d = static_cast<long double>(RATINGUSER(p)) - r;
        sum = static_cast<double>(sum + d * d);
        count += 1;
      }
      if (t == sh.cap) break;
      t += 1;
    }
    value[j] = -1;
    if (count != 0 && static_cast<long double>(count) / t > 0.125L) {
      value[j] = static_cast<float>(sqrtl(static_cast<long double>(sum) / count));
      position[j] = static_cast<uint16_t>(j);
    }
  }
  qsort_f32_u16(value.data(), position.data(), sh.candidates);
}

// Appends the first `kept` places that hold a value.
inline void keep_group(const rl::Shape& sh, const std::vector<float>& value,
                       const std::vector<uint16_t>& position, Result& res) {
  for (int32_t s = 0; s < sh.kept; ++s) {
    if (value[s] != -1) {
      res.rmse.push_back(value[s]);
      res.movies.push_back(position[s]);
    }
  }
}

inline Result neighbours(const rl::Shape& sh) {
  std::vector<uint16_t> order = size_order(sh);
  std::vector<float> value(sh.candidates);
  std::vector<uint16_t> position(sh.candidates);
  Result res;
  res.start.resize(sh.primaries + 1);
  res.primary.resize(sh.primaries);
  for (int32_t i = 0; i < sh.primaries; ++i) {
    primary_values(sh, i, order, value, position);
    res.start[i] = static_cast<int32_t>(res.rmse.size());
    keep_group(sh, value, position, res);
    res.primary[i] = order[i];
  }
  res.start[sh.primaries] = static_cast<int32_t>(res.rmse.size());
  return res;
}

}  // namespace literal
