// Reading the raw dataset's text files: whole-file reads that are safe from several
// threads, a line cursor that takes LF or CR LF, strict field parsers, and the one
// stderr line that stops a run on a bad line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace rl {

// The whole file as bytes; false when it cannot be opened. Touches no shared state, so
// worker threads may call it.
bool read_raw_file(const std::string& path, std::string& text);

// Walks the lines of a text. A line ends at LF; a CR right before that LF (or at the very
// end of the text) is not part of the line. The last line may lack its LF; a text that
// ends with a line end has no empty line after it.
struct LineCursor {
  const char* p;
  const char* end;
  int64_t line = 0;  // 1-based number of the line last returned
  explicit LineCursor(std::string_view text) : p(text.data()), end(text.data() + text.size()) {}
  bool next(std::string_view& out);
};

// Decimal digits only (at least one, at most 18); false otherwise.
bool parse_digits(std::string_view field, int64_t& value);
// "YYYY-MM-DD" with month 01..12 and day 01..31.
bool is_date(std::string_view field);

// The field as it may appear in a message: at most 60 bytes, other bytes than printable
// ASCII shown as '?', in double quotes.
std::string shown(std::string_view field);

// Stops the run with exit status 2 and one stderr line
// "FILE: FIELD at line N: VALUE, expected EXPECTED" (VALUE as given: quote it with shown()).
[[noreturn]] void fail_line(std::string_view file, std::string_view field, int64_t line,
                            std::string_view value, std::string_view expected);

}  // namespace rl
