// Draws a ring of white dots around pixel (50, 50) and keeps the picture as
// "circle_demo.png" in the working folder.
#include "graphics.h"
#include "ratinglab.h"
#include "ring.h"

int main(int argc, char** argv) {
  rl::init_program(argc, argv);
  rl::graphics_open(640, 480, 8);
  for (const rl::Dot& d : rl::ring_dots()) rl::graphics_plot(d.x, d.y, 15);
  rl::graphics_save("circle_demo.png");
  rl::wait_for_key();
  return 0;
}
