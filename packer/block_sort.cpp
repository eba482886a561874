#include "block_sort.h"

#include <algorithm>
#include <bit>
#include <utility>

#include "index_sort.h"

namespace rl {

namespace {

constexpr int64_t shortest_radix_block = 64;
constexpr int digit_bits = 11;

}  // namespace

void sort_block_ascending(uint32_t* keys, uint8_t* stars, int64_t n, BlockScratch& s) {
  if (n < shortest_radix_block) {
    qsort_u32_u8_dir(keys, stars, n, 0);
    return;
  }
  uint32_t highest = 0;
  bool ascending = true;
  for (int64_t j = 0; j < n; ++j) {
    if (keys[j] > highest) highest = keys[j];
    if (j > 0 && !(keys[j - 1] < keys[j])) ascending = false;
  }
  if (ascending) return;  // the quicksort leaves strictly ascending keys as they are
  if (highest >= (1u << 24)) {
    qsort_u32_u8_dir(keys, stars, n, 0);
    return;
  }
  // Key and star in one word: key << 8 | star; sort by the key bits, least significant
  // digit first, each pass stable.
  std::size_t size = static_cast<std::size_t>(n);
  if (s.a.size() < size) s.a.resize(size), s.b.resize(size);
  s.count.resize(std::size_t{1} << digit_bits);
  uint32_t* from = s.a.data();
  uint32_t* to = s.b.data();
  for (int64_t j = 0; j < n; ++j) from[j] = keys[j] << 8 | stars[j];
  int width = std::bit_width(highest);
  for (int shift = 8; shift < 8 + width; shift += digit_bits) {
    uint32_t* count = s.count.data();
    std::fill(s.count.begin(), s.count.end(), 0u);
    const uint32_t mask = (1u << digit_bits) - 1;
    for (int64_t j = 0; j < n; ++j) ++count[(from[j] >> shift) & mask];
    uint32_t sum = 0;
    for (uint32_t& c : s.count) {
      uint32_t here = c;
      c = sum;
      sum += here;
    }
    for (int64_t j = 0; j < n; ++j) to[count[(from[j] >> shift) & mask]++] = from[j];
    std::swap(from, to);
  }
  for (int64_t j = 1; j < n; ++j)
    if ((from[j - 1] >> 8) == (from[j] >> 8)) {  // a repeated key: the quicksort decides
      qsort_u32_u8_dir(keys, stars, n, 0);
      return;
    }
  for (int64_t j = 0; j < n; ++j) {
    keys[j] = from[j] >> 8;
    stars[j] = static_cast<uint8_t>(from[j] & 0xff);
  }
}

}  // namespace rl
