// How errreport_b stops at its first failed check: one runtime error line on stderr
// and the kind's number as exit status. The numbers are defined here and nowhere else.
#pragma once

#include <string>

#include "fail.h"

namespace er {

enum StopKind {
  stop_open = 1,        // a file could not be opened
  stop_short_read = 2,  // a read came up short of the bytes its table needs
  stop_write = 3,       // a write or close failed
  stop_allocation = 4,  // a table could not be allocated
  stop_index = 5,       // an index outside its table (also a table sized with bounds that cross)
  stop_layout = 6,      // the model file's length fits its layout for no user count
};

// The record-file layer stops a failed output write or close with its own status; it
// is the same number, so every write failure of errreport_b reads as kind 3.
static_assert(stop_write == rl::exit_output_failed);

const char* stop_kind_text(StopKind kind);

// "errreport_b: runtime error N (kind): detail", then exit with status N.
[[noreturn]] void runtime_stop(StopKind kind, const std::string& detail);

}  // namespace er
