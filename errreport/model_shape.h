// The two model file layouts and the user count a model file was written for.
#pragma once

#include <cstdint>

namespace er {

// "weights.dat": NCAT, BINSCORE [NCAT x 17770] uint8, USERSCORE [U x NCAT] int32.
// "weightsb.dat": NCAT, UBIN [U x NCAT] uint16, MOVBIN [NCAT x 17770] uint16,
// USERSCORE [U x NCAT] int32, MOVSPREAD [NCAT x 17770] uint16.
enum ModelLayout { layout_weights, layout_weightsb };

const char* layout_name(ModelLayout layout);

// Bytes of a model file of the layout for ncat categories and the given user count.
int64_t model_bytes(ModelLayout layout, int64_t ncat, int64_t users);

// The user count whose layout a file of this length fits exactly: the full 480189 when
// it fits that, otherwise the one other count of at least one user it fits, or -1 when
// it fits none (a negative ncat fits none). With no categories every count fits a
// 4-byte file, and the full count is taken.
int64_t model_users(ModelLayout layout, int64_t ncat, int64_t length);

}  // namespace er
