// The dots of circle_demo's ring, in plotting order.
#pragma once

#include <vector>

namespace rl {

struct Dot {
  int x, y;
};

// Angle from -3.141528 to 3.141528 in single steps of 1 / (radius * 6.283056 + 1);
// each dot is floor(cos(angle) * radius) + 50, floor(sin(angle) * radius) + 50.
std::vector<Dot> ring_dots();

}  // namespace rl
