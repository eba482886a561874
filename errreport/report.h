// The two report files and the console summary of the error reports.
#pragma once

#include <cstdint>
#include <string>

#include "flow.h"

namespace er {

// Root mean square in hundredths of a star for n > 0 entries with q as the sum of their
// squared errors: 4 entries and 9 give 150.
int32_t rms_hundredths(uint32_t n, uint32_t q);

// A count as at least 7 digits, zero-padded on the left; longer counts stay whole.
std::string pad7(uint32_t x);

// "errorbyrating.txt" (by 100 x prediction) and "errorbysize.txt" (by user size class)
// in the dataset folder, one line per cell that holds entries.
void write_report_files();

// Overall error, the error-value table and the table of rounded prediction against
// actual rating; errreport also shows its per-rating first-score averages.
void write_console_summary(const ReportTraits& traits);

}  // namespace er
