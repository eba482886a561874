// The packer's sort of one movie block (dense user ids with their star values,
// ascending): the result of qsort_u32_u8_dir(keys, stars, n, 0), found faster.
//
// When a block's keys are all different, the sorted order is the only ascending order,
// so any correct sort gives the quicksort's result; a stable radix sort finds it in a
// few linear passes. Where a key repeats (a user rated the movie twice), which star
// ends up first depends on the quicksort's exact exchanges, so such a block, a short
// one and one with keys of 2^24 or more go through the quicksort itself.
#pragma once

#include <cstdint>
#include <vector>

namespace rl {

struct BlockScratch {
  std::vector<uint32_t> a, b, count;
};

void sort_block_ascending(uint32_t* keys, uint8_t* stars, int64_t n, BlockScratch& scratch);

}  // namespace rl
