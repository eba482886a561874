#include <gtest/gtest.h>

#include <cstdint>

#include "table_io.h"
#include "test_support.h"

using ratinglab::le_bytes;
using ratinglab::read_file;
using ratinglab::TempDir;
using ratinglab::write_file;

TEST(TableIo, SaveWritesTheElementsBackToBack) {
  TempDir dir;
  rl::Array<int16_t> t;
  t.dim(0, 2);
  t(0) = 2648;
  t(1) = -1;
  t(2) = 1;
  rl::save_array(dir / "t.dat", t);
  EXPECT_EQ(read_file(dir / "t.dat"), std::string("\x58\x0a\xff\xff\x01\x00", 6));

  rl::Array<int16_t> back;
  back.dim(0, 2);
  rl::load_array(dir / "t.dat", back);
  EXPECT_EQ(back(0), 2648);
  EXPECT_EQ(back(1), -1);
  EXPECT_EQ(back(2), 1);
}

TEST(TableIo, ShortFileLeavesAZeroTail) {
  TempDir dir;
  write_file(dir / "s.dat", le_bytes<int32_t>({11, -2}));
  rl::Array<int32_t> t;
  t.dim(0, 17770);
  for (int64_t i = 0; i < t.count(); ++i) t(i) = 5;  // old contents must not show
  rl::load_array(dir / "s.dat", t);
  EXPECT_EQ(t(0), 11);
  EXPECT_EQ(t(1), -2);
  for (int64_t i = 2; i <= 17770; ++i) ASSERT_EQ(t(i), 0) << i;
}

TEST(TableIo, MissingFileReadsZerosAndIsCreated) {
  TempDir dir;
  rl::Array<uint8_t> t;
  t.dim(1, 3);
  t(1) = 9;
  rl::load_array(dir / "none.dat", t);
  EXPECT_EQ(t(1), 0);
  EXPECT_TRUE(ratinglab::file_exists(dir / "none.dat"));
  EXPECT_EQ(read_file(dir / "none.dat"), "");
}

TEST(TableIo, EmptyTableTruncatesTheFile) {
  TempDir dir;
  write_file(dir / "e.dat", "old contents");
  rl::Array<uint16_t> t;
  t.dim(0, -1);
  rl::save_array(dir / "e.dat", t);
  EXPECT_TRUE(ratinglab::file_exists(dir / "e.dat"));
  EXPECT_EQ(read_file(dir / "e.dat"), "");
}
