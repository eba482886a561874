#include "report.h"

#include <cmath>

#include "checked_io.h"
#include "convert.h"
#include "paths.h"
#include "print.h"
#include "record_file.h"
#include "shared_inputs.h"
#include "tables.h"

namespace er {

namespace {

// One line: count, sum of squares, root mean square in hundredths, and the cell's key.
void report_line(int slot, uint32_t n, uint32_t q, int32_t key) {
  rl::unsigned_item(slot, n, rl::zone_separator);
  rl::unsigned_item(slot, q, rl::zone_separator);
  rl::integer_item(slot, rms_hundredths(n, q), rl::zone_separator);
  rl::integer_item(slot, key, rl::line_end);
}

}  // namespace

int32_t rms_hundredths(uint32_t n, uint32_t q) {
  return rl::round_to_int(100.0L * std::sqrt(static_cast<long double>(q) / n));
}

std::string pad7(uint32_t x) {
  std::string t = rl::uint_to_text(x);
  return t.size() < 7 ? std::string(7 - t.size(), '0') + t : t;
}

void write_report_files() {
  const std::string folder = rl::dataset_folder;
  output_open(folder + "errorbyrating.txt");
  for (int32_t K = 0; K <= 500; ++K)
    if (RATE_N(K) != 0) report_line(1, RATE_N(K), RATE_SQ(K), K);
  output_close();
  output_open(folder + "errorbysize.txt");
  for (int32_t s = 1; s <= rl::full_movies; ++s)
    if (SIZE_N(s) != 0) report_line(1, SIZE_N(s), SIZE_SQ(s), s);
  output_close();
}

void write_console_summary(const ReportTraits& traits) {
  const int c = rl::console_slot;
  if (traits.score_summary) {
    for (int r = 1; r <= 5; ++r) {
      rl::single_item(c, SUMW(r), rl::zone_separator);
      rl::single_item(c, CNTW(r), rl::zone_separator);
      rl::single_item(c, SUMW(r) / CNTW(r), rl::line_end);  // 0/0 shows nan
    }
  }
  rl::print_line_end(c);
  // With no scored entry this is 0/0 and shows nan.
  float RMSE = static_cast<float>(std::sqrt(static_cast<long double>(SSE) / NEVAL));
  rl::single_item(c, RMSE);
  rl::text_item(c, " ");
  rl::single_item(c, SSE);
  rl::text_item(c, " ");
  rl::unsigned_item(c, NEVAL, rl::line_end);
  if (traits.score_summary) {
    check_index(1, 1, PROBE.PROBE_COUNT, "PSTARS", "first probe entry", 0);
    int32_t r1 = PROBE.PSTARS(1);
    check_index(r1, 1, 5, "RCOUNT", "PSTARS", 1);
    rl::unsigned_item(c, RCOUNT(r1, 1), rl::line_end);
  }
  for (int E = traits.first_error_row; E <= 4; ++E) {
    rl::integer_item(c, SQERR(E), rl::zone_separator);
    rl::integer_item(c, ABSERR(E), rl::line_end);
  }
  for (int p = 1; p <= 5; ++p) {
    rl::text_item(c, pad7(RCOUNT(p, 2)) + " ");
    for (int a = 1; a <= 5; ++a) rl::text_item(c, pad7(CONF(p, a)) + " ");
    rl::print_line_end(c);
  }
}

}  // namespace er
