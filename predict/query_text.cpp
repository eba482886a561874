#include "query_text.h"

#include "ratinglab.h"

namespace predict {

namespace {

constexpr std::size_t none = std::string::npos;

// Walks the text line by line. Each step looks for the first ":" and the first line
// end at or after pos; a ":" before the line end makes a movie line. A line end is a
// CR (of a CR LF pair, the LF is stepped over) or an LF standing alone, so texts with
// LF-only line ends are read too. A ":" with no line end after it is a movie line as
// well (the last line of a text without a final line end); a query line without its
// line end at the very end of the text is lost.
struct Scanner {
  const std::string& text;
  std::size_t pos = 0;     // where the next search starts
  std::size_t start = 0;   // first byte of the current line
  std::size_t colon = 0;   // cached search results, valid while >= pos
  std::size_t eol = 0;
  bool colon_known = false, eol_known = false;

  explicit Scanner(const std::string& t) : text(t) {}

  std::size_t find_colon() {
    if (!colon_known || (colon != none && colon < pos)) {
      colon = text.find(':', pos);
      colon_known = true;
    }
    return colon;
  }

  bool is_line_end(std::size_t i) const {
    char c = text[i];
    return c == '\r' || (c == '\n' && (i == 0 || text[i - 1] != '\r'));
  }

  std::size_t find_eol() {
    if (!eol_known || (eol != none && eol < pos)) {
      std::size_t i = pos;
      while (i < text.size() && !is_line_end(i)) ++i;
      eol = i < text.size() ? i : none;
      eol_known = true;
    }
    return eol;
  }

  // Bytes of the line from start up to (not including) end; empty when end lies
  // before start.
  std::string_view field(std::size_t end) const {
    if (end <= start || start >= text.size()) return {};
    return std::string_view(text).substr(start, end - start);
  }

  // Moves past the line end at i: a CR LF pair is stepped over as the search and the
  // next line's first byte are placed after it; a lone CR or LF is one byte.
  void after_line_end(std::size_t i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      pos = i + 1;
      start = i + 2;
    } else {
      pos = start = i + 1;
    }
  }

  enum Kind { stop, movie_line, query_line };

  // One step; for a movie line or query line, number() is the value of its field.
  Kind step(double& number) {
    std::size_t c = find_colon(), e = find_eol();
    if (c == none && e == none) return stop;
    if (c != none && (e == none || c < e)) {
      number = rl::text_to_number(field(c));
      if (c + 1 < text.size() && is_line_end(c + 1)) {
        after_line_end(c + 1);
      } else {  // the colon is not the end of its line
        pos = c + 2;
        start = c + 3;
      }
      return movie_line;
    }
    number = rl::text_to_number(field(e));
    after_line_end(e);
    return query_line;
  }
};

}  // namespace

void count_query_lines(const std::string& text, int32_t& movies, int32_t& queries) {
  movies = 0;
  queries = 0;
  Scanner s(text);
  double number = 0;
  for (;;) {
    Scanner::Kind k = s.step(number);
    if (k == Scanner::stop) break;
    if (k == Scanner::movie_line) {
      movies = movies + 1;
      rl::console_locate(1, 1);
      rl::integer_item(0, movies, rl::line_end);
    } else {
      queries = queries + 1;
    }
  }
}

int32_t parse_query_lines(const std::string& text, const std::string& file,
                          rl::Array<int32_t>& QEND, rl::Array<int32_t>& QMOVIE,
                          rl::Array<int32_t>& QUSER) {
  const int64_t max_movies = QEND.upper(), max_queries = QUSER.upper();
  int32_t k = 0, n = 0;
  Scanner s(text);
  double number = 0;
  for (;;) {
    Scanner::Kind kind = s.step(number);
    if (kind == Scanner::stop) break;
    if (kind == Scanner::movie_line) {
      if (k + 1 > max_movies)
        rl::fail_input(file + ": more than " + std::to_string(max_movies) + " movie lines");
      QEND(k) = n;
      k = k + 1;
      QMOVIE(k) = rl::round_to_int(number);
      rl::console_locate(1, 1);
      rl::integer_item(0, k, rl::no_separator);
      rl::text_item(0, "   ", rl::line_end);
    } else {
      if (n + 1 > max_queries)
        rl::fail_input(file + ": more than " + std::to_string(max_queries) + " query lines");
      n = n + 1;
      QUSER(n) = rl::round_to_int(number);
    }
  }
  QEND(k) = n;
  return k;
}

}  // namespace predict
