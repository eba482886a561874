// errreport: scores a model file of the weights.dat layout against the probe ratings.
#include "flow.h"

int main(int argc, char** argv) {
  const er::ReportTraits traits = {
      .default_model = "weights",
      .layout = er::layout_weights,
      .checked = false,
      .kernel_prediction = false,
      .diagnostic_lines = 0,
      .score_summary = true,
      .first_error_row = 0,
  };
  return er::run_error_report(traits, argc, argv);
}
