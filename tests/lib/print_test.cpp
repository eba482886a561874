#include <gtest/gtest.h>

#include "print.h"
#include "record_file.h"
#include "test_support.h"

using namespace rl;
using ratinglab::TempDir;

TEST(Print, ZoneSeparatorInFiles) {
  TempDir t;
  open_file(t / "z.txt", output_mode, 1);
  integer_item(1, 5, zone_separator);
  integer_item(1, 7, line_end);
  text_item(1, "abcdefghijklmn", zone_separator);  // ends exactly at column 14
  text_item(1, "x", line_end);
  unsigned_item(1, 4, zone_separator);
  unsigned_item(1, 9, zone_separator);
  integer_item(1, 150, zone_separator);
  integer_item(1, 312, line_end);
  print_line_end(1);
  close_file(1);
  std::string expected = " 5" + std::string(12, ' ') + " 7\r\n";
  expected += "abcdefghijklmn" + std::string(14, ' ') + "x\r\n";
  expected += "4" + std::string(13, ' ') + "9" + std::string(13, ' ') + " 150" +
              std::string(10, ' ') + " 312\r\n\r\n";
  EXPECT_EQ(ratinglab::read_file(t / "z.txt"), expected);
}

TEST(Print, ConsoleZonesWrapAtEightyColumns) {
  TempDir t;
  auto r = ratinglab::run_program(ratinglab::program_path("lib_console_sample"), t.path);
  ASSERT_EQ(r.status, 0) << r.err;
  // Zones start at 14, 28, 42, 56; the next one (70) would start at 66 or beyond, so a
  // CR LF comes instead. Locate sets the column without writing anything.
  std::string row = "a" + std::string(13, ' ') + "b" + std::string(13, ' ') + "c" +
                    std::string(13, ' ') + "d" + std::string(13, ' ') + "e";
  std::string expected = row + "\r\n" + row + "\r\n";
  expected += "x" + std::string(9, ' ') + "y\r\n";
  expected += " 0\r\n";
  EXPECT_EQ(r.out, expected);
}
