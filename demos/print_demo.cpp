// Prints the value of a double that is never assigned.
#include "ratinglab.h"

int main(int argc, char** argv) {
  rl::init_program(argc, argv);
  double value = 0;
  rl::double_item(rl::console_slot, value, rl::line_end);
  rl::wait_for_key();
  return 0;
}
