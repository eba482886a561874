#include "model_shape.h"

#include "shared_inputs.h"

namespace er {

namespace {

// A model file is a part that does not depend on the user count plus a row per user.
int64_t fixed_bytes(ModelLayout layout, int64_t ncat) {
  int64_t movie_bytes = layout == layout_weights ? 1 : 4;  // BINSCORE, or MOVBIN + MOVSPREAD
  return 4 + movie_bytes * ncat * rl::full_movies;
}

int64_t user_row_bytes(ModelLayout layout, int64_t ncat) {
  return (layout == layout_weights ? 4 : 6) * ncat;  // USERSCORE, or UBIN + USERSCORE
}

}  // namespace

const char* layout_name(ModelLayout layout) {
  return layout == layout_weights ? "weights.dat" : "weightsb.dat";
}

int64_t model_bytes(ModelLayout layout, int64_t ncat, int64_t users) {
  return fixed_bytes(layout, ncat) + user_row_bytes(layout, ncat) * users;
}

int64_t model_users(ModelLayout layout, int64_t ncat, int64_t length) {
  // Beyond 2^31 categories no file of a 64-bit length fits, and the products stay small.
  if (ncat < 0 || ncat > INT32_MAX) return -1;
  if (ncat == 0) return length == 4 ? rl::full_users : -1;
  if (length == model_bytes(layout, ncat, rl::full_users)) return rl::full_users;
  int64_t rest = length - fixed_bytes(layout, ncat), row = user_row_bytes(layout, ncat);
  if (rest < row || rest % row != 0 || rest / row > INT32_MAX) return -1;
  return rest / row;
}

}  // namespace er
