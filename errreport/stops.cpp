#include "stops.h"

namespace er {

const char* stop_kind_text(StopKind kind) {
  switch (kind) {
    case stop_open: return "a file could not be opened";
    case stop_short_read: return "a read came up short";
    case stop_write: return "a write or close failed";
    case stop_allocation: return "a table could not be allocated";
    case stop_index: return "an index outside its table";
    case stop_layout: return "the model file fits no user count";
  }
  return "unknown";
}

void runtime_stop(StopKind kind, const std::string& detail) {
  rl::fail(kind, "runtime error " + std::to_string(static_cast<int>(kind)) + " (" +
                     stop_kind_text(kind) + "): " + detail);
}

}  // namespace er
