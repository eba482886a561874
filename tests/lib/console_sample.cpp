// Prints a fixed sequence of console items; the test compares the transcript.
#include "console.h"
#include "print.h"

int main(int argc, char** argv) {
  rl::init_program(argc, argv);
  rl::console_clear();
  for (int k = 0; k < 2; ++k)
    for (const char* s : {"a", "b", "c", "d", "e"}) rl::text_item(0, s, rl::zone_separator);
  rl::console_locate(3, 5, true);
  rl::text_item(0, "x", rl::zone_separator);  // column 5 -> next zone at 14
  rl::console_locate(3, 10);
  rl::text_item(0, "y", rl::line_end);
  rl::double_item(0, 0.0, rl::line_end);
  rl::wait_for_key();
  return 0;
}
