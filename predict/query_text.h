// The passes over the qualifying text: a movie line is the movie id followed by ":",
// every other line is a query whose line begins with the raw user id.
#pragma once

#include <cstdint>
#include <string>

#include "array.h"

namespace predict {

// Counts the movie lines and query lines, printing the movie count on row 1 after
// each movie line.
void count_query_lines(const std::string& text, int32_t& movies, int32_t& queries);

// Fills QEND [0..M], QMOVIE [1..M+1] and QUSER [1..Q] (already sized for the counts in
// force), printing the movie number on row 1 after each movie line. A text with more
// movies or queries than those counts stops the program (exit status 2). Returns the
// number of movies found.
int32_t parse_query_lines(const std::string& text, const std::string& file,
                          rl::Array<int32_t>& QEND, rl::Array<int32_t>& QMOVIE,
                          rl::Array<int32_t>& QUSER);

}  // namespace predict
