// Shared pieces of the dataset tool tests: a raw folder on disk, a run of prepare_inputs
// in a fresh working folder, and a literal transcription of the predictor's query
// parsing pass, which "predictdata.dat" must match byte for byte.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "test_support.h"

namespace prep {

// A raw dataset: file name (relative to the raw folder) -> bytes.
using RawSet = std::map<std::string, std::string>;

std::string movie_file_name(int m);  // "training_set/mv_0000001.txt"
void write_raw(const std::string& dir, const RawSet& raw);

// A temp tree with raw/, work/ (the working folder) and c/ (drive C).
struct Tree {
  ratinglab::TempDir root;
  std::string raw() const { return root / "raw"; }
  std::string work() const { return root / "work"; }
  std::string drive_c() const { return root / "c"; }
  std::string dataset(const std::string& name) const {
    return root / ("c/ratinglab/dataset/" + name);
  }
  Tree();
};

ratinglab::RunResult run_prepare(const Tree& t);

// Every prepared file of a tree: name -> bytes ("probe.dat" and "predictdata.dat" from the
// working folder, the others from the dataset folder).
std::map<std::string, std::string> prepared_files(const Tree& t);
extern const std::vector<std::string> dataset_file_names;

// The predictor's counting pass and parsing pass over a CR LF text, as the predictor
// runs them; returns the bytes the parsing pass writes to "predictdata.dat".
std::string parse_queries_literally(const std::string& text);

int count_lines(const std::string& s);

}  // namespace prep
