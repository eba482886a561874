// The console. When stdout is a terminal, clear, locate and a hidden cursor are ANSI
// sequences and the width is the terminal's; otherwise they write nothing and the width
// is 80, so a transcript is byte-for-byte repeatable.
#pragma once

#include <string_view>

namespace rl {

// Names the program for stderr lines. Call first in main.
void init_program(int argc, char** argv);

void console_clear();
// 1-based row and column; the tracked column becomes column - 1.
void console_locate(int row, int column, bool hide_cursor = false);
int console_width();
bool console_is_terminal();
// Writes raw bytes to the console and keeps its column.
void console_write(std::string_view bytes);

// Terminal stdin: waits for a key press without echo, checking every 50 ms.
// Otherwise reads one byte (end of input returns at once).
void wait_for_key();

}  // namespace rl
