// Print items: a number or a text written to a file slot or, with slot 0, to the
// console, followed by a separator. Each slot keeps its column for the zone rule.
#pragma once

#include <cstdint>
#include <string_view>

namespace rl {

enum Separator { no_separator, zone_separator, line_end };

void integer_item(int slot, int32_t value, Separator separator = no_separator);
void unsigned_item(int slot, uint32_t value, Separator separator = no_separator);
void single_item(int slot, float value, Separator separator = no_separator);
void double_item(int slot, double value, Separator separator = no_separator);
void text_item(int slot, std::string_view text, Separator separator = no_separator);
// A print with no item and the line end: CR LF alone.
void print_line_end(int slot);

}  // namespace rl
