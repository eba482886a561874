// The text files of the dataset.
#pragma once

#include <cstdint>

namespace gen {

// training_set/mv_NNNNNNN.txt for every movie, while collecting the probe and
// qualifying lines; then probe.txt, qualifying.txt, qualifying_answers.txt and
// movie_titles.txt. Returns the number of probe ratings.
uint64_t write_dataset();

}  // namespace gen
