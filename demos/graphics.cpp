#include "graphics.h"

#include <filesystem>

#include "fail.h"
#include "paths.h"
#include "record_file.h"

namespace rl {

Array<uint8_t> SCREEN;
uint8_t PALETTE[256][3];

namespace {

// The classic 16 text-mode colours; 15 is white.
const uint8_t text_colours[16][3] = {
    {0, 0, 0},       {0, 0, 170},     {0, 170, 0},     {0, 170, 170},
    {170, 0, 0},     {170, 0, 170},   {170, 85, 0},    {170, 170, 170},
    {85, 85, 85},    {85, 85, 255},   {85, 255, 85},   {85, 255, 255},
    {255, 85, 85},   {255, 85, 255},  {255, 255, 85},  {255, 255, 255}};

void default_palette() {
  for (int c = 0; c < 16; ++c)
    for (int k = 0; k < 3; ++k) PALETTE[c][k] = text_colours[c][k];
  // 16..231: a 6 x 6 x 6 colour cube; 232..255: a grey ramp.
  const uint8_t level[6] = {0, 95, 135, 175, 215, 255};
  for (int c = 16; c < 232; ++c) {
    int n = c - 16;
    PALETTE[c][0] = level[n / 36];
    PALETTE[c][1] = level[(n / 6) % 6];
    PALETTE[c][2] = level[n % 6];
  }
  for (int c = 232; c < 256; ++c)
    PALETTE[c][0] = PALETTE[c][1] = PALETTE[c][2] = static_cast<uint8_t>(8 + 10 * (c - 232));
}

}  // namespace

void graphics_open(int width, int height, int depth) {
  if (width != graphics_width || height != graphics_height || depth != 8)
    fail_input("only a 640 x 480 surface with 8 bits per pixel is available");
  SCREEN.dim(0, graphics_height - 1, 0, graphics_width - 1);
  default_palette();
}

void graphics_plot(int x, int y, int colour) {
  if (x < 0 || y < 0 || x >= graphics_width || y >= graphics_height) return;
  SCREEN(y, x) = static_cast<uint8_t>(colour);
}

void graphics_save(const std::string& path) {
  std::string png = graphics_png();
  open_file(path, output_mode, 1);
  put_bytes(1, 1, png.data(), png.size());
  close_file(1);
  std::error_code ec;
  std::filesystem::path where = std::filesystem::absolute(map_path(path), ec);
  warn("image saved to " + (ec ? path : where.string()));
}

}  // namespace rl
