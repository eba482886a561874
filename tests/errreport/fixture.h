// A small dataset for the error reports: five users (raw ids 10..50), two movie groups
// and five probe entries, with model files written for five users.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "test_support.h"

struct Fixture {
  ratinglab::TempDir dir;

  // Short users 1..5 and their raw ids; statistics per short user and per movie.
  std::vector<int32_t> raw_ids = {10, 20, 30, 40, 50};
  std::vector<int32_t> usize = {5, 7, 9, 5, 17770};
  std::vector<int32_t> ustat = {11, 22, 33, 44, 55};
  std::map<int32_t, int32_t> mstat = {{3, 300}, {8, 800}};

  // Probe list: movie 3 holds entries 1..3, movie 8 entries 4..5.
  std::vector<int32_t> pend = {0, 3, 5};
  std::vector<int32_t> pmovie = {3, 8, 99};
  std::vector<int32_t> puser = {10, 20, 30, 40, 50};
  std::vector<uint8_t> pstars = {4, 1, 5, 1, 1};

  // weights.dat: rows of USERSCORE by short user (the first entry is all errreport uses).
  std::vector<std::vector<uint32_t>> userscore = {
      {100, 7}, {0, 0}, {4294967295u, 0}, {2500, 0}, {7, 0}};

  // weightsb.dat: UBIN rows by short user; MOVSPREAD cells (category, movie) -> spread.
  std::vector<std::vector<uint16_t>> ubin = {
      {3500, 0, 1234}, {0, 0, 0}, {0, 3125, 0}, {1000, 2000, 0}, {0, 0, 6000}};
  std::map<std::pair<int, int>, uint16_t> movspread = {
      {{1, 3}, 1000}, {{2, 3}, 1}, {{1, 8}, 65535}, {{2, 8}, 2501}, {{3, 8}, 2000}};

  std::string dataset() const { return dir.path + "/drive_c/ratinglab/dataset"; }
  std::string at(const std::string& name) const { return dataset() + "/" + name; }

  // Writes the shared inputs and both model files (weights.dat, weightsb.dat) with
  // `users` user rows; the rows beyond the listed users are zero.
  void write(int64_t users = 5) const;
  void write_shared() const;
  void write_probe(int32_t movies, int32_t count) const;  // header counts as given
  std::string weights_bytes(int64_t users) const;
  std::string weightsb_bytes(int64_t users) const;

  ratinglab::RunResult run(const std::string& program,
                           const std::vector<std::string>& args = {}) const;
};

std::string zone(const std::string& item);  // the item and blanks to the next 14-column zone
