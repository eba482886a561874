// Reading the rating lines of one raw movie file.
//
// A raw file starts with the line "NUMBER:" and then holds one rating per line:
// raw user id, ",", star value, ",", date YYYY-MM-DD, then LF (a CR before the LF
// is not part of the date; the last line may lack its LF). Lines without a comma are
// passed over. Every other line must hold exactly two commas, a raw user id in
// 1..2649429, a star value in 1..5 and a calendar date; the first line that does not
// stops the reading and is described in `bad_text`, the ratings before it are kept.
//
// Two routes give the same result: the literal one works on the text as input mode
// delivers it (each CR LF read as LF) and converts every field with text_to_number and
// round_to_int; the fast one scans the raw bytes of files made only of well-formed
// lines and hands everything else to the literal route.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rl {

constexpr int32_t highest_raw_user_id = 2649429;

struct MovieRatings {
  std::vector<int32_t> user;  // raw user id of each rating, in line order
  std::vector<uint8_t> star;  // 1..5
  std::vector<int16_t> day;   // low 16 bits of the day number (days from 1 October 1998)
  bool bad = false;           // reading stopped at a bad line
  std::string bad_text;       // "FIELD at line L: VALUE (expected ...)"
};

// Days from 1 October 1998 to the date in the Gregorian calendar (negative before it).
int32_t day_number(int32_t year, int32_t month, int32_t day);

// The text that input mode delivers for these file bytes: every CR LF becomes LF.
std::string input_mode_text(std::string_view raw);

// Literal route over an input-mode text. When `lines` is given, it receives the
// 1-based line number of every rating kept.
void parse_ratings_literal(std::string_view text, MovieRatings& out,
                           std::vector<int64_t>* lines = nullptr);

// Fast route over the raw file bytes; returns false (leaving `out` in any state)
// when the file holds a line it does not handle.
bool parse_ratings_fast(std::string_view raw, MovieRatings& out);

// The fast route, and the literal one when the fast one declines. `out` is reset.
void parse_ratings(std::string_view raw, MovieRatings& out);

}  // namespace rl
