// The scoring pass over the probe list.
#pragma once

#include <cstdint>

#include "flow.h"

namespace er {

// The kernel weight of a category whose spread for the movie is d (1..2500): 3906 at
// d = 1, 2756 at 1000, 506 at 2000, 0 from 2499 on; 0 above 2500.
int32_t kernel_weight(int32_t d);

// Sizes every accumulator zero-filled.
void start_accumulators();

// Predicts every probe rating, clamps, rounds the error and adds it to the tables;
// errreport_b also prints the diagnostic lines of the first entries.
void score_probe(const ReportTraits& traits);

}  // namespace er
