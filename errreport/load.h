// Loading the model file and the shared inputs, in the order the reports read them.
#pragma once

#include <string>

#include "flow.h"

namespace er {

// Opens the model file, reads and shows NCAT, finds the user count from the file's
// length, and reads the tables of the layout whole, in file order.
void load_model(const ReportTraits& traits, const std::string& path);

// "shortuserids2.dat", "probe.dat", "statistics.dat", "movieend.dat". Unchecked they
// are read by the shared readers; checked, table by table with every read checked.
void load_shared_inputs();

// The unchecked report's guard: stops with the bad-input status when a value it indexes
// by lies outside its table (or the probe list is empty, since the summary shows the
// rating of its first entry).
void check_inputs();

}  // namespace er
