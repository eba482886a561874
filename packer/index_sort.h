// In-place sorts of a key table that move a parallel companion table in step, and
// binary searches over an ascending stretch of a table.
//
// All sorts are one quicksort: the pivot is a copy of the middle key ((lo + hi) / 2,
// remainder dropped), both scans stop at keys equal to the pivot and exchange them
// (an element is exchanged with itself when both scans meet on it), and the smaller
// part is worked on at once while the larger one waits on an explicit stack. The sort
// is not stable; which of two equal keys ends up first is fixed by this exact scheme,
// and the packed files depend on it, so the scheme must not be "improved".
//
// Consequence the packer relies on: keys that are already strictly ascending come out
// unchanged, companions included (each partition exchanges only its middle element
// with itself).
#pragma once

#include <cstdint>

namespace rl {

// The one algorithm behind every sort below. keys[0..n-1] and companions[0..n-1] are
// sorted in place, ascending unless `descending` (quicksort_keyed picks the variant). n <= 1 leaves both untouched.
// Keys are compared with < and >, so unsigned keys compare as unsigned numbers.
template <bool descending, class Key, class Companion>
void quicksort_keyed_in(Key* keys, Companion* companions, int64_t n) {
  if (n <= 1) return;
  // Working on the smaller part first keeps at most log2(n) + 1 ranges pending, so a
  // fixed stack serves every n (no allocation per call).
  int64_t low[66];
  int64_t high[66];
  int s = 0;
  low[0] = 0;
  high[0] = n - 1;
  for (;;) {
    int64_t lo = low[s];
    int64_t hi = high[s];
    for (;;) {
      int64_t i = lo;
      int64_t j = hi;
      const Key pivot = keys[(lo + hi) / 2];
      for (;;) {
        if constexpr (descending) {
          while (keys[i] > pivot) ++i;
          while (keys[j] < pivot) --j;
        } else {
          while (keys[i] < pivot) ++i;
          while (keys[j] > pivot) --j;
        }
        if (i > j) break;
        Key k = keys[i];
        keys[i] = keys[j];
        keys[j] = k;
        Companion c = companions[i];
        companions[i] = companions[j];
        companions[j] = c;
        ++i;
        --j;
        if (i > j) break;
      }
      if (j - lo < hi - i) {
        if (i < hi) {
          low[s] = i;
          high[s] = hi;
          ++s;
        }
        hi = j;
      } else {
        if (lo < j) {
          low[s] = lo;
          high[s] = j;
          ++s;
        }
        lo = i;
      }
      if (!(lo < hi)) break;
    }
    --s;
    if (s < 0) return;
  }
}

template <class Key, class Companion>
void quicksort_keyed(Key* keys, Companion* companions, int64_t n, bool descending) {
  if (descending)
    quicksort_keyed_in<true>(keys, companions, n);
  else
    quicksort_keyed_in<false>(keys, companions, n);
}

// direction: 0 ascending, any other value descending.
void qsort_u32_u8(uint32_t* keys, uint8_t* companions, int64_t n);
void qsort_u32_u8_dir(uint32_t* keys, uint8_t* companions, int64_t n, int32_t direction);
void qsort_u32_u16_desc(uint32_t* keys, uint16_t* companions, int64_t n);
void qsort_u32_u16_dir(uint32_t* keys, uint16_t* companions, int64_t n, int32_t direction);
void qsort_f32_u16(float* keys, uint16_t* companions, int64_t n);
void qsort_f32_u16_dir(float* keys, uint16_t* companions, int64_t n, int32_t direction);

// Looks for key in table[lo..hi] (absolute, inclusive indices; the stretch ascending).
// Returns an index holding key with found = 1, or 0 with found = 0. The middle is
// (lo + hi) / 2 rounded to nearest with ties to even (lo + hi = 5 gives 2, 7 gives 4).
// An empty stretch (lo > hi) reads nothing.
int64_t bsearch_u16(const uint16_t* table, uint16_t key, int64_t lo, int64_t hi, int& found);
int64_t bsearch_u32(const uint32_t* table, uint32_t key, int64_t lo, int64_t hi, int& found);

}  // namespace rl
