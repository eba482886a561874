// A literal, single-threaded transcription of the builder, used to derive the exact
// bytes the programs must produce on small fixtures.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "config.h"

namespace ref {

struct Ratings {
  int32_t nmovies = 0, nusers = 0;
  std::vector<int32_t> uend;    // [0..nusers]
  std::vector<uint16_t> umovie; // [1..nratings], entry 0 unused
  std::vector<uint8_t> ustars;  // [1..nratings], entry 0 unused
};

struct Result {
  std::string out;                            // stdout transcript
  std::map<std::string, std::string> files;   // name -> bytes written
  std::vector<int32_t> grow_progress_p;       // p of every growing step of category 1
};

// Runs configuration cfg. member_file holds the member file the run reads (as raw
// int32 entries); seed is the random seed of growing runs.
Result run(const cb::Config& cfg, const Ratings& r, const std::vector<int32_t>& member_file,
           uint64_t seed);

// The literal pieces, for unit tests.
int32_t member_distance(const Ratings& r, cb::DistanceRule rule, int32_t a, int32_t b);
void quicksort_float(std::vector<float>& keys, std::vector<int32_t>& comp, int64_t lo, int64_t hi);

// userdata1.dat bytes of the ratings.
std::string userdata_bytes(const Ratings& r);

}  // namespace ref
