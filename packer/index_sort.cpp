#include "index_sort.h"

namespace rl {

void qsort_u32_u8(uint32_t* keys, uint8_t* companions, int64_t n) {
  quicksort_keyed(keys, companions, n, false);
}
void qsort_u32_u8_dir(uint32_t* keys, uint8_t* companions, int64_t n, int32_t direction) {
  quicksort_keyed(keys, companions, n, direction != 0);
}
void qsort_u32_u16_desc(uint32_t* keys, uint16_t* companions, int64_t n) {
  quicksort_keyed(keys, companions, n, true);
}
void qsort_u32_u16_dir(uint32_t* keys, uint16_t* companions, int64_t n, int32_t direction) {
  quicksort_keyed(keys, companions, n, direction != 0);
}
void qsort_f32_u16(float* keys, uint16_t* companions, int64_t n) {
  quicksort_keyed(keys, companions, n, false);
}
void qsort_f32_u16_dir(float* keys, uint16_t* companions, int64_t n, int32_t direction) {
  quicksort_keyed(keys, companions, n, direction != 0);
}

namespace {

// (lo + hi) / 2 rounded to nearest, ties to even, in integers.
int64_t middle(int64_t lo, int64_t hi) {
  int64_t sum = lo + hi;
  int64_t half = sum >> 1;  // floor
  if ((sum & 1) && (half & 1)) ++half;
  return half;
}

template <class T>
int64_t binary_search(const T* table, T key, int64_t lo, int64_t hi, int& found) {
  while (lo <= hi) {
    int64_t mid = middle(lo, hi);
    if (table[mid] == key) {
      found = 1;
      return mid;
    }
    if (key < table[mid])
      hi = mid - 1;
    else
      lo = mid + 1;
  }
  found = 0;
  return 0;
}

}  // namespace

int64_t bsearch_u16(const uint16_t* table, uint16_t key, int64_t lo, int64_t hi, int& found) {
  return binary_search(table, key, lo, hi, found);
}
int64_t bsearch_u32(const uint32_t* table, uint32_t key, int64_t lo, int64_t hi, int& found) {
  return binary_search(table, key, lo, hi, found);
}

}  // namespace rl
