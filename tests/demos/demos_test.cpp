#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <set>
#include <string>
#include <utility>

#include "ring.h"
#include "test_support.h"

using namespace ratinglab;

namespace {

uint32_t be32(const std::string& s, std::size_t at) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v = (v << 8) | static_cast<uint8_t>(s[at + i]);
  return v;
}

uint32_t crc32_ref(const std::string& s, std::size_t from, std::size_t n) {
  uint32_t c = 0xffffffffu;
  for (std::size_t i = from; i < from + n; ++i) {
    c ^= static_cast<uint8_t>(s[i]);
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
  }
  return ~c;
}

struct Image {
  uint32_t width = 0, height = 0;
  std::string rgb;  // rows without their filter bytes
};

// Reads an RGB PNG made of stored deflate blocks, checking every CRC and the Adler-32.
Image decode_png(const std::string& png) {
  Image img;
  EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  std::string z;
  std::size_t at = 8;
  bool end = false;
  while (at + 12 <= png.size() && !end) {
    uint32_t len = be32(png, at);
    std::string type = png.substr(at + 4, 4);
    EXPECT_EQ(be32(png, at + 8 + len), crc32_ref(png, at + 4, len + 4)) << type;
    if (type == "IHDR") {
      img.width = be32(png, at + 8);
      img.height = be32(png, at + 12);
      EXPECT_EQ(png.substr(at + 16, 5), std::string("\x08\x02\x00\x00\x00", 5));
    } else if (type == "IDAT") {
      z += png.substr(at + 8, len);
    } else if (type == "IEND") {
      end = true;
    }
    at += 12 + len;
  }
  EXPECT_TRUE(end);
  EXPECT_EQ(at, png.size());
  EXPECT_EQ((static_cast<uint8_t>(z[0]) * 256 + static_cast<uint8_t>(z[1])) % 31, 0);
  std::string raw;
  std::size_t p = 2;
  for (bool last = false; !last;) {
    uint8_t h = static_cast<uint8_t>(z[p]);
    EXPECT_EQ(h & 6, 0) << "stored blocks only";
    last = h & 1;
    uint32_t len = static_cast<uint8_t>(z[p + 1]) | static_cast<uint8_t>(z[p + 2]) << 8;
    uint32_t nlen = static_cast<uint8_t>(z[p + 3]) | static_cast<uint8_t>(z[p + 4]) << 8;
    EXPECT_EQ(len ^ nlen, 0xffffu);
    raw += z.substr(p + 5, len);
    p += 5 + len;
  }
  uint32_t a = 1, b = 0;
  for (unsigned char c : raw) a = (a + c) % 65521, b = (b + a) % 65521;
  EXPECT_EQ(be32(z, p), (b << 16) | a);
  EXPECT_EQ(p + 4, z.size());
  EXPECT_EQ(raw.size(), img.height * (1 + 3 * img.width));
  for (uint32_t y = 0; y < img.height && raw.size() == img.height * (1 + 3 * img.width); ++y) {
    EXPECT_EQ(raw[y * (1 + 3 * img.width)], 0);
    img.rgb += raw.substr(y * (1 + 3 * img.width) + 1, 3 * img.width);
  }
  return img;
}

}  // namespace

TEST(PrintDemo, WritesBlankZeroCrLfAndNothingElse) {
  TempDir dir;
  RunResult r = run_program("print_demo", dir.path);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, std::string(" 0\r\n"));
  EXPECT_EQ(r.err, "");
}

TEST(CircleDemo, RingHas5928DotsWithinMinus100To199) {
  std::vector<rl::Dot> dots = rl::ring_dots();
  ASSERT_EQ(dots.size(), 5928u);
  int lo = 1000, hi = -1000;
  bool has_199_50 = false;
  for (const rl::Dot& d : dots) {
    lo = std::min({lo, d.x, d.y});
    hi = std::max({hi, d.x, d.y});
    if (d.x == 199 && d.y == 50) has_199_50 = true;
  }
  EXPECT_EQ(hi, 199);
  EXPECT_EQ(lo, -100);
  EXPECT_TRUE(has_199_50);
  // The first dot is at the start angle, a hair past minus pi: cos a hair above -1,
  // sin a hair below 0, so floor gives -150 and -1.
  EXPECT_EQ(dots.front().x, -100);
  EXPECT_EQ(dots.front().y, 49);
}

TEST(CircleDemo, SavedImageShowsExactlyTheDotsInsideTheSurface) {
  TempDir dir;
  RunResult r = run_program("circle_demo", dir.path);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("circle_demo: image saved to "), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("circle_demo.png"), std::string::npos);

  Image img = decode_png(read_file(dir / "circle_demo.png"));
  ASSERT_EQ(img.width, 640u);
  ASSERT_EQ(img.height, 480u);
  ASSERT_EQ(img.rgb.size(), 640u * 480u * 3u);

  std::set<std::pair<int, int>> expected;
  for (const rl::Dot& d : rl::ring_dots())
    if (d.x >= 0 && d.y >= 0 && d.x < 640 && d.y < 480) expected.insert({d.x, d.y});
  EXPECT_TRUE(expected.count({199, 50}));
  std::set<std::pair<int, int>> white;
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) {
      std::string px = img.rgb.substr((y * 640 + x) * 3, 3);
      if (px == std::string("\xff\xff\xff", 3))
        white.insert({x, y});
      else
        ASSERT_EQ(px, std::string(3, '\0')) << x << "," << y;
    }
  EXPECT_EQ(white, expected);
}
