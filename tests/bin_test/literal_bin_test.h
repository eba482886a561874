// A literal transcription of the bin test, item by item as the fit and the test are
// described: the reference the fast route is compared against.
#pragma once

#include <cstdint>
#include <vector>

struct BinModel {
  int32_t A = 0, U = 0, N = 0;
  std::vector<int32_t> UEND;       // [0..U]
  std::vector<uint16_t> UMOVIE;    // [0..R], entry 0 unused
  std::vector<uint8_t> USTARS;     // [0..R], entry 0 unused
  std::vector<uint8_t> BINSCORE;   // (j, m) at (j-1)*A + (m-1)
  std::vector<int32_t> USERSCORE;  // (u, j) at (u-1)*N + (j-1)
};

struct BinResult {
  std::vector<uint16_t> BINRATING;  // (u, j, b) at ((u-1)*N + (j-1))*5 + (b-1)
  std::vector<uint16_t> BINERROR;
  std::vector<int32_t> CATERROR;    // (u, j) at (u-1)*N + (j-1)
  float total = 0;
  int32_t predicted = 0;
};

BinResult literal_bin_test(const BinModel& d);

// The file bytes of the model's inputs and of the expected "swapn2.dat".
std::string userdata_bytes(const BinModel& d);
std::string weights_bytes(const BinModel& d);
std::string swapn2_bytes(const BinResult& r);
