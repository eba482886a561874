// One run of an error report: load, score the probe list, write the reports. The two
// programs run this same flow and differ only in their traits.
#pragma once

#include <string>

#include "model_shape.h"

namespace er {

struct ReportTraits {
  const char* default_model;  // model name for an empty command line
  ModelLayout layout;         // the model file layout read
  bool checked;               // every file operation, allocation and index is checked
  bool kernel_prediction;     // kernel-weighted category average; otherwise the constant
                              // 1.0 for users with a first category score (others skipped)
  int diagnostic_lines;       // console lines for the first probe entries
  bool score_summary;         // per-rating first-score averages and the count of entry 1's rating
  int first_error_row;        // first row of the error-value table
};

// The whole command line after the program name, its arguments joined by single
// blanks; empty gives the default name.
std::string model_name(int argc, char** argv, const char* default_name);

int run_error_report(const ReportTraits& traits, int argc, char** argv);

}  // namespace er
