#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "raw_ratings.h"
#include "reference.h"

namespace {

using reference::day_count;

TEST(RawRatings, DayNumbersCountFromTheFirstOfOctober1998) {
  EXPECT_EQ(rl::day_number(1998, 10, 1), 0);
  EXPECT_EQ(rl::day_number(1998, 10, 2), 1);
  EXPECT_EQ(rl::day_number(1999, 11, 11), 406);
  EXPECT_EQ(rl::day_number(2005, 12, 31), 2648);
  EXPECT_EQ(rl::day_number(1998, 9, 30), -1);
  for (int y : {1900, 1998, 2000, 2004, 2100, 2199})
    for (int m = 1; m <= 12; ++m)
      for (int d : {1, 15, 28}) ASSERT_EQ(rl::day_number(y, m, d), day_count(y, m, d));
}

TEST(RawRatings, FieldsOfAWellFormedFile) {
  // Header, CR LF lines, a last line without LF; the dates run to 2648 and past 2^15.
  std::string raw = "12:\r\n7,3,2005-12-31\r\n2649429,1,1998-10-01\n1,5,2098-01-01";
  rl::MovieRatings r;
  ASSERT_TRUE(rl::parse_ratings_fast(raw, r));
  rl::parse_ratings(raw, r);
  EXPECT_FALSE(r.bad);
  EXPECT_EQ(r.user, (std::vector<int32_t>{7, 2649429, 1}));
  EXPECT_EQ(r.star, (std::vector<uint8_t>{3, 1, 5}));
  EXPECT_EQ(r.day, (std::vector<int16_t>{2648, 0, static_cast<int16_t>(day_count(2098, 1, 1) & 0xffff)}));
}

TEST(RawRatings, LiteralFieldConversions) {
  // Off the well-formed path the fields go through text_to_number and round_to_int.
  std::string raw = "1:\n 12 , 3 , 2005-01-02 \n+13,2.5,2005-01-02\n&H1F,3.5,2005-01-02\r";
  rl::MovieRatings r;
  EXPECT_FALSE(rl::parse_ratings_fast(raw, r));
  rl::parse_ratings(raw, r);
  EXPECT_FALSE(r.bad) << r.bad_text;
  EXPECT_EQ(r.user, (std::vector<int32_t>{12, 13, 31}));
  EXPECT_EQ(r.star, (std::vector<uint8_t>{3, 2, 4}));
}

TEST(RawRatings, BadLinesStopTheReading) {
  struct Case { const char* line; const char* text; };
  const Case cases[] = {
      {"0,3,2005-01-02", "raw user id at line 3: \"0\" (expected 1..2649429)"},
      {"2649430,3,2005-01-02", "raw user id at line 3: \"2649430\" (expected 1..2649429)"},
      {"abc,3,2005-01-02", "raw user id at line 3: \"abc\""},
      {"12,3", "rating line at line 3: \"12,3\""},
      {"12,3,2005-01-02,4", "rating line at line 3: \"12,3,2005-01-02,4\""},
      {"12,6,2005-01-02", "star value at line 3: \"6\" (expected 1..5)"},
      {"12,x,2005-01-02", "star value at line 3: \"x\""},
      {"12,,2005-01-02", "star value at line 3: \"\""},
      {"12,3,2005-13-01", "date at line 3: \"2005-13-01\""},
      {"12,3,2005-02-29", "date at line 3: \"2005-02-29\""},
      {"12,3,2005-1-01", "date at line 3: \"2005-1-01\""},
      {"12,3,20051201", "date at line 3: \"20051201\""},
      {"12,3,", "date at line 3: \"\""},
  };
  for (const Case& c : cases) {
    std::string raw = std::string("5:\n4,4,2004-02-29\r\n") + c.line + "\n8,1,2005-01-01\n";
    rl::MovieRatings r;
    rl::parse_ratings(raw, r);
    EXPECT_TRUE(r.bad) << c.line;
    EXPECT_EQ(r.bad_text.find(c.text), 0u) << r.bad_text;
    EXPECT_EQ(r.user, (std::vector<int32_t>{4})) << c.line;  // what came before is kept
  }
}

// One random raw file: mostly well-formed lines, and with `odd` also every kind of
// line the fast route hands to the literal one.
std::string random_file(std::mt19937& rng, bool odd) {
  auto pick = [&](int n) { return static_cast<int>(rng() % n); };
  std::string s = std::to_string(1 + pick(17770)) + ":" + (pick(2) ? "\r\n" : "\n");
  int lines = pick(30);
  char buf[64];
  for (int l = 0; l < lines; ++l) {
    int y = 1999 + pick(7), m = 1 + pick(12), d = 1 + pick(28);
    std::snprintf(buf, sizeof buf, "%d,%d,%04d-%02d-%02d", 1 + pick(2649429), 1 + pick(5), y, m, d);
    std::string line = buf;
    if (odd && pick(6) == 0) {
      static const char* const variants[] = {
          " 12 , 3 , 2005-01-02 ", "+12,3,2005-01-02", "1e2,3,2005-01-02", "&H1F,3,2005-01-02",
          "012,4.6,2005-01-02", "12,2.5,2005-01-02", "12,3", "12,3,2005-01-02,7", "0,3,2005-01-02",
          "2649430,3,2005-01-02", "12,0,2005-01-02", "12,6,2005-01-02", "12,x,2005-01-02",
          "12,3,2005-13-01", "12,3,2005-02-29", "12,3,2004-02-29", "12,3,2005-1-01",
          "12,3,2005-12-01x", "", "hello", "12,3,2005-01-02\r", "1234567890,3,2005-01-02",
          "12,3,2005-01-02 ", "\t12,3,2005-01-02"};
      line = variants[pick(sizeof variants / sizeof *variants)];
    }
    s += line;
    if (l + 1 < lines || pick(3)) s += pick(2) ? "\r\n" : "\n";
  }
  return s;
}

TEST(RawRatings, FastRouteAgreesWithTheLiteralOne) {
  std::mt19937 rng(2024);
  int fast_taken = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string raw = random_file(rng, round % 2 == 1);
    rl::MovieRatings fast, literal;
    rl::parse_ratings(raw, fast);
    rl::parse_ratings_literal(rl::input_mode_text(raw), literal);
    ASSERT_EQ(fast.user, literal.user) << raw;
    ASSERT_EQ(fast.star, literal.star) << raw;
    ASSERT_EQ(fast.day, literal.day) << raw;
    ASSERT_EQ(fast.bad, literal.bad) << raw;
    ASSERT_EQ(fast.bad_text, literal.bad_text) << raw;
    rl::MovieRatings probe;
    if (round % 2 == 0) {
      ASSERT_TRUE(rl::parse_ratings_fast(raw, probe)) << raw;
      ++fast_taken;
    }
  }
  EXPECT_GT(fast_taken, 0);
}

}  // namespace
