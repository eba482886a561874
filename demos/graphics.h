// A graphics window stand-in: one off-screen surface of palette indices with the
// default palette. Nothing is shown; the surface is saved as an image instead.
#pragma once

#include <cstdint>
#include <string>

#include "array.h"

namespace rl {

constexpr int graphics_width = 640;
constexpr int graphics_height = 480;

extern Array<uint8_t> SCREEN;      // [0..height-1, 0..width-1] palette indices
extern uint8_t PALETTE[256][3];    // red, green, blue of each index

// Opens the surface (only 640 x 480 at 8 bits per pixel exists), cleared to colour 0,
// with the default palette.
void graphics_open(int width, int height, int depth);
// Sets one pixel; a pixel outside the surface is skipped without a word.
void graphics_plot(int x, int y, int colour);
// The surface as a PNG image, every pixel as the RGB of its palette colour.
std::string graphics_png();
// Writes the PNG image to the path and says on stderr where it went.
void graphics_save(const std::string& path);

}  // namespace rl
