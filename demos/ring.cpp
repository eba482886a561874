#include "ring.h"

#include <cmath>
#include <cstdint>

#include "convert.h"

namespace rl {

std::vector<Dot> ring_dots() {
  const float start_angle = -3.141528f, end_angle = 3.141528f;
  const double factor = 6.283056;  // not exactly two pi, on purpose
  const float centre = 50;
  int32_t radius = 150;
  float angle = start_angle;
  float step = static_cast<float>(1.0L / (static_cast<long double>(radius) * factor + 1));
  std::vector<Dot> dots;
  while (angle <= end_angle) {
    long double a = angle;
    long double x = std::floor(std::cos(a) * radius) + centre;
    long double y = std::floor(std::sin(a) * radius) + centre;
    dots.push_back({round_to_int(x), round_to_int(y)});
    angle = static_cast<float>(static_cast<long double>(angle) + step);
  }
  return dots;
}

}  // namespace rl
