// Reads and parses the raw movie files ahead of the packer's passes, on worker
// threads. Files are taken in movie order and their ratings are handed over in movie
// order, so everything that depends on order (the dense user ids above all) is decided
// by the caller exactly as if it read the files itself one after another.
#pragma once

#include <string>

#include "raw_ratings.h"

namespace rl {

// "mv_" + the movie number left-padded with zeros to 7 digits + ".txt", in the folder.
std::string raw_file_name(std::string_view folder, int movie_number);

// The whole file as it is on disk; a file that cannot be opened or read reads as empty.
void read_raw_file(const std::string& path, std::string& bytes);

// Starts reading movies 0..count-1 (movie number = index + 1) from the folder.
void start_reading_movies(std::string_view folder, int count);
// Waits until movie index i is parsed and returns its ratings (the caller may empty
// them once done).
MovieRatings& movie_ratings(int i);
// Joins the worker threads (every movie must have been waited for).
void finish_reading_movies();

}  // namespace rl
