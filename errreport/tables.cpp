#include "tables.h"

namespace er {

int32_t NCAT = 0;
int64_t USERS = 0;
rl::Array<uint8_t> BINSCORE;
rl::Array<uint32_t> USERSCORE;
rl::Array<uint16_t> UBIN;
rl::Array<uint16_t> MOVBIN;
rl::Array<uint16_t> MOVSPREAD;

rl::Array<int32_t> SHORTID;
rl::ProbeList PROBE;
rl::Statistics STATS;
rl::Array<int32_t> MEND;

uint32_t NEVAL = 0;
float SSE = 0;
rl::Array<int32_t> SQERR;
rl::Array<int32_t> ABSERR;
rl::Array<uint32_t> CONF;
rl::Array<uint32_t> RCOUNT;
rl::Array<uint32_t> SIZE_N;
rl::Array<uint32_t> SIZE_SQ;
rl::Array<uint32_t> RATE_N;
rl::Array<uint32_t> RATE_SQ;
rl::Array<float> SUMW;
rl::Array<float> CNTW;

}  // namespace er
