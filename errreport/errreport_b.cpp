// errreport_b: scores a model file of the weightsb.dat layout against the probe ratings,
// checking every file operation, allocation and table index.
#include "flow.h"

int main(int argc, char** argv) {
  const er::ReportTraits traits = {
      .default_model = "weightsb",
      .layout = er::layout_weightsb,
      .checked = true,
      .kernel_prediction = true,
      .diagnostic_lines = 40,
      .score_summary = false,
      .first_error_row = 1,
  };
  return er::run_error_report(traits, argc, argv);
}
