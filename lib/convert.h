// Number texts and text conversions shared by every program.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace rl {

// Round to nearest, ties to even: the conversion used wherever a floating value is
// stored into an integer. A value outside the target's range (or NaN) gives the
// target's lowest value, as the processor's own conversion does.
// Inline: the hot loops of several programs round every element. rint is one x87
// instruction and gives nearbyint's result in the default rounding mode.
inline int32_t round_to_int(long double x) {
  long double r = std::rint(x);
  if (!(r >= -2147483648.0L && r <= 2147483647.0L)) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(r);
}
inline int64_t round_to_int64(long double x) {
  long double r = std::rint(x);
  if (!(r >= -9223372036854775808.0L && r < 9223372036854775808.0L))
    return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(r);
}

std::string int_to_text(int32_t v);     // digits, "-" for negative values, no blank
std::string uint_to_text(uint32_t v);
std::string whole_to_text(double v);    // a whole number below 1e16, no point
std::string trim_left(std::string_view text);  // drops leading blanks (byte 32)
std::string format_fixed2(double v);    // pattern "0.00": 4 gives 4.00

// Skips leading blanks; "&H", "&O", "&B" (either case) read a hexadecimal, octal or
// binary integer; otherwise the longest decimal floating-point prefix is converted
// and the rest ignored. An empty or non-numeric text gives 0.
double text_to_number(std::string_view text);

// The number texts of the print items.
std::string integer_text(int32_t v);   // "% d": a blank before non-negative values
std::string unsigned_text(uint32_t v); // "%u"
std::string single_text(float v);      // "%.7g", exponent of at least three digits
std::string double_text(double v);     // "%.16g", same rules

}  // namespace rl
