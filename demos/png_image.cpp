// PNG encoding of the surface: an RGB image whose zlib stream holds stored
// (uncompressed) deflate blocks, with its own CRC-32 and Adler-32.
#include <cstdint>
#include <string>

#include "graphics.h"

namespace rl {

namespace {

uint32_t crc32_update(uint32_t crc, const std::string& bytes, std::size_t from) {
  static uint32_t table[256];
  static bool made = false;
  if (!made) {
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[n] = c;
    }
    made = true;
  }
  for (std::size_t i = from; i < bytes.size(); ++i)
    crc = table[(crc ^ static_cast<uint8_t>(bytes[i])) & 0xff] ^ (crc >> 8);
  return crc;
}

uint32_t adler32(const std::string& bytes) {
  uint32_t a = 1, b = 0;
  for (unsigned char c : bytes) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

void put_be32(std::string& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<char>((v >> s) & 0xff));
}

// Length, type, data, and the CRC over type and data.
void put_chunk(std::string& out, const char* type, const std::string& data) {
  put_be32(out, static_cast<uint32_t>(data.size()));
  std::size_t from = out.size();
  out.append(type, 4);
  out += data;
  put_be32(out, crc32_update(0xffffffffu, out, from) ^ 0xffffffffu);
}

}  // namespace

std::string graphics_png() {
  // Filter type 0 before every row, then the row's RGB triples.
  std::string raw;
  raw.reserve(static_cast<std::size_t>(graphics_height) * (1 + 3 * graphics_width));
  for (int y = 0; y < graphics_height; ++y) {
    raw.push_back(0);
    for (int x = 0; x < graphics_width; ++x) {
      const uint8_t* rgb = PALETTE[SCREEN(y, x)];
      raw.append(reinterpret_cast<const char*>(rgb), 3);
    }
  }

  std::string z;
  z.push_back(0x78);  // deflate, 32K window
  z.push_back(0x01);  // no dictionary, header check
  std::size_t pos = 0;
  do {
    std::size_t len = raw.size() - pos < 65535 ? raw.size() - pos : 65535;
    bool last = pos + len == raw.size();
    z.push_back(last ? 1 : 0);  // stored block, final flag
    z.push_back(static_cast<char>(len & 0xff));
    z.push_back(static_cast<char>(len >> 8));
    z.push_back(static_cast<char>(~len & 0xff));
    z.push_back(static_cast<char>((~len >> 8) & 0xff));
    z.append(raw, pos, len);
    pos += len;
  } while (pos < raw.size());
  put_be32(z, adler32(raw));

  std::string header;
  put_be32(header, graphics_width);
  put_be32(header, graphics_height);
  header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter, no interlace

  std::string png("\x89PNG\r\n\x1a\n", 8);
  put_chunk(png, "IHDR", header);
  put_chunk(png, "IDAT", z);
  put_chunk(png, "IEND", "");
  return png;
}

}  // namespace rl
