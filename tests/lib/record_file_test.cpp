#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "record_file.h"
#include "test_support.h"

using namespace rl;
using ratinglab::TempDir;
using ratinglab::read_file;
using ratinglab::write_file;

TEST(RecordFile, WholeArrayShortReadFillsZeros) {
  TempDir t;
  write_file(t / "short.dat", ratinglab::le_bytes<int32_t>({7, -1}));
  Array<int32_t> a;
  a.dim(0, 17770);
  a(5) = 99;
  open_file(t / "short.dat", binary_mode, 1);
  get_array(1, 1, a);
  close_file(1);
  EXPECT_EQ(a(0), 7);
  EXPECT_EQ(a(1), -1);
  for (int i = 2; i <= 17770; ++i) ASSERT_EQ(a(i), 0) << i;
  // A scalar read at the end of the file yields zeros, never old contents.
  int32_t v = 1234;
  open_file(t / "short.dat", binary_mode, 1);
  get_value(1, 9, v);
  close_file(1);
  EXPECT_EQ(v, 0);
}

TEST(RecordFile, ThreeArraysBackToBack) {
  TempDir t;
  Array<int32_t> a; a.dim(0, 3);
  Array<uint16_t> b; b.dim(1, 2, 1, 3);
  Array<uint8_t> c; c.dim(1, 5);
  for (int i = 0; i <= 3; ++i) a(i) = i * 1000 - 1;
  for (int i = 1; i <= 2; ++i) for (int j = 1; j <= 3; ++j) b(i, j) = static_cast<uint16_t>(i * 10 + j);
  for (int i = 1; i <= 5; ++i) c(i) = static_cast<uint8_t>(i);
  open_file(t / "three.dat", output_mode, 1);
  put_array(1, 0, a); put_array(1, 0, b); put_array(1, 0, c);
  close_file(1);
  std::string bytes = read_file(t / "three.dat");
  ASSERT_EQ(bytes.size(), 16u + 12u + 5u);
  // Row-major: b(1,3) is the third 16-bit element, b(2,1) the fourth.
  EXPECT_EQ(static_cast<uint8_t>(bytes[16 + 4]), 13);
  EXPECT_EQ(static_cast<uint8_t>(bytes[16 + 6]), 21);
  Array<int32_t> a2; a2.dim(0, 3);
  Array<uint16_t> b2; b2.dim(1, 2, 1, 3);
  Array<uint8_t> c2; c2.dim(1, 5);
  open_file(t / "three.dat", binary_mode, 2);
  get_array(2, 0, a2); get_array(2, 0, b2); get_array(2, 0, c2);
  close_file(2);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(a2.data()), a2.bytes()),
            std::string(reinterpret_cast<char*>(a.data()), a.bytes()));
  EXPECT_EQ(b2(2, 3), 23);
  EXPECT_EQ(c2(5), 5);
}

TEST(RecordFile, OutputModeTruncatesBinaryModeKeepsTail) {
  TempDir t;
  write_file(t / "o.dat", "ABCDEFGH");
  write_file(t / "b.dat", "ABCDEFGH");
  open_file(t / "o.dat", output_mode, 1);
  put_bytes(1, 0, "xy", 2);
  close_file(1);
  open_file(t / "b.dat", binary_mode, 1);
  put_bytes(1, 3, "xy", 2);  // position 3 is the third byte
  close_file(1);
  EXPECT_EQ(read_file(t / "o.dat"), "xy");
  EXPECT_EQ(read_file(t / "b.dat"), "ABxyEFGH");
}

TEST(RecordFile, OutputIsReplacedOnlyWhenClosed) {
  TempDir t;
  write_file(t / "r.txt", "old");
  open_file(t / "r.txt", output_mode, 1);
  put_bytes(1, 0, "new contents", 12);
  EXPECT_EQ(read_file(t / "r.txt"), "old");
  close_file(0);
  EXPECT_EQ(read_file(t / "r.txt"), "new contents");
}

TEST(RecordFile, MissingBinaryFileIsCreatedEmpty) {
  TempDir t;
  int32_t v = 5;
  EXPECT_TRUE(open_file(t / "new.dat", binary_mode, 3));
  EXPECT_EQ(file_length(3), 0);
  get_value(3, 0, v);
  close_file(3);
  EXPECT_EQ(v, 0);
  EXPECT_TRUE(ratinglab::file_exists(t / "new.dat"));
}

TEST(RecordFile, ClosedSlotDoesNothing) {
  TempDir t;
  Array<int32_t> a; a.dim(1, 4);
  a(2) = 8;
  EXPECT_FALSE(open_file(t / "no/such/folder/x.txt", input_mode, 1));
  get_array(1, 0, a);
  EXPECT_EQ(a(2), 8);
  EXPECT_EQ(file_length(1), 0);
}

TEST(RecordFile, InputModeDeliversCrLfAsLf) {
  TempDir t;
  write_file(t / "q.txt", "1:\r\n12,x\r\nlast\r");
  open_file(t / "q.txt", input_mode, 1);
  EXPECT_EQ(file_length(1), 15);
  std::string text = read_whole_text(1);
  close_file(1);
  EXPECT_EQ(text, std::string("1:\n12,x\nlast\r\0\0", 15));
}

TEST(RecordFile, PositionsAndLength) {
  TempDir t;
  open_file(t / "p.dat", binary_mode, 1);
  put_value<int32_t>(1, 0, 1);
  put_value<int32_t>(1, 0, 2);
  EXPECT_EQ(file_length(1), 8);
  int32_t x = 0;
  get_value(1, 1, x);
  EXPECT_EQ(x, 1);
  get_value(1, 0, x);  // continues after the previous read
  EXPECT_EQ(x, 2);
  put_value<int32_t>(1, 0, 3);  // at the current position: the end
  EXPECT_EQ(file_length(1), 12);
  close_file(1);
  EXPECT_EQ(free_slot(), 1);
  open_file(t / "p.dat", binary_mode, 1);
  EXPECT_EQ(free_slot(), 2);
  close_file(0);
}

TEST(Array, BoundsAndZeroFill) {
  Array<int32_t> a;
  a.dim(1, 3, 0, 4);
  EXPECT_EQ(a.count(), 15);
  a(3, 4) = 7;
  EXPECT_EQ(a.data()[14], 7);
  a.dim(1, 3, 0, 4);
  EXPECT_EQ(a(3, 4), 0);  // sizing again clears
  Array<uint8_t> e;
  e.dim(1, 0);
  EXPECT_EQ(e.count(), 0);
  Array<float> f;
  f.dim(0, 9);
  f(3) = 1.5f;
  f.trim(4);
  EXPECT_EQ(f.count(), 4);
  EXPECT_EQ(f(3), 1.5f);
}
