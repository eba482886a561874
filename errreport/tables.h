// The tables of the error reports, held for the whole run.
#pragma once

#include <cstdint>

#include "array.h"
#include "shared_inputs.h"

namespace er {

// Model, with NCAT categories and USERS user rows (480189 for the full dataset).
extern int32_t NCAT;
extern int64_t USERS;
extern rl::Array<uint8_t> BINSCORE;    // [1..NCAT][1..17770], errreport (loaded only)
extern rl::Array<uint32_t> USERSCORE;  // [1..USERS][1..NCAT]; 4294967295 = no score
extern rl::Array<uint16_t> UBIN;       // [1..USERS][1..NCAT], errreport_b
extern rl::Array<uint16_t> MOVBIN;     // [1..NCAT][1..17770], errreport_b (loaded only)
extern rl::Array<uint16_t> MOVSPREAD;  // [1..NCAT][1..17770], errreport_b

// Shared inputs.
extern rl::Array<int32_t> SHORTID;  // [1..2649429]
extern rl::ProbeList PROBE;         // PROBE_MOVIES, PROBE_COUNT, PEND, PMOVIE, PUSER, PSTARS
extern rl::Statistics STATS;        // USIZE [0..480189], USTAT, MSTAT (fixed full shape)
extern rl::Array<int32_t> MEND;     // [0..17770], loaded only

// Accumulators of the scoring pass.
extern uint32_t NEVAL;
extern float SSE;
extern rl::Array<int32_t> SQERR;     // [0..4] by rounded error
extern rl::Array<int32_t> ABSERR;    // [0..4]
extern rl::Array<uint32_t> CONF;     // [1..5][1..5] by rounded prediction, actual rating
extern rl::Array<uint32_t> RCOUNT;   // [1..5][1..2]: by actual rating, by rounded prediction
extern rl::Array<uint32_t> SIZE_N;   // [1..17770] by the user's size class
extern rl::Array<uint32_t> SIZE_SQ;
extern rl::Array<uint32_t> RATE_N;   // [0..500] by 100 x prediction
extern rl::Array<uint32_t> RATE_SQ;
extern rl::Array<float> SUMW;        // [1..5] by actual rating, errreport
extern rl::Array<float> CNTW;

}  // namespace er
