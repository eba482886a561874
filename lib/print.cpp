#include "print.h"

#include <string>

#include "console.h"
#include "convert.h"
#include "record_file.h"

namespace rl {

namespace {

void write_out(int slot, std::string_view bytes) {
  if (bytes.empty()) return;
  if (slot == console_slot) {
    console_write(bytes);
    return;
  }
  if (!slot_is_open(slot)) return;
  put_bytes(slot, 0, bytes.data(), bytes.size());
  int& col = slot_column(slot);
  auto last = bytes.find_last_of("\r\n");
  if (last == std::string_view::npos)
    col += static_cast<int>(bytes.size());
  else
    col = static_cast<int>(bytes.size() - last - 1);
}

void separate(int slot, Separator separator) {
  if (separator == line_end) {
    write_out(slot, "\r\n");
  } else if (separator == zone_separator) {
    int col = slot_column(slot);
    int next = (col / 14 + 1) * 14;
    if (slot == console_slot && next >= console_width() - 14)
      write_out(slot, "\r\n");
    else
      write_out(slot, std::string(static_cast<std::size_t>(next - col), ' '));
  }
}

void item(int slot, std::string_view text, Separator separator) {
  if (slot != console_slot && !slot_is_open(slot)) return;
  write_out(slot, text);
  separate(slot, separator);
}

}  // namespace

void integer_item(int slot, int32_t v, Separator s) { item(slot, integer_text(v), s); }
void unsigned_item(int slot, uint32_t v, Separator s) { item(slot, unsigned_text(v), s); }
void single_item(int slot, float v, Separator s) { item(slot, single_text(v), s); }
void double_item(int slot, double v, Separator s) { item(slot, double_text(v), s); }
void text_item(int slot, std::string_view t, Separator s) { item(slot, t, s); }
void print_line_end(int slot) { item(slot, "", line_end); }

}  // namespace rl
