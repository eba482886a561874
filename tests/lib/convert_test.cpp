#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "convert.h"

using namespace rl;

TEST(NumberText, PrintItemExamples) {
  EXPECT_EQ(integer_text(17770), " 17770");
  EXPECT_EQ(integer_text(-1), "-1");
  EXPECT_EQ(integer_text(0), " 0");
  EXPECT_EQ(unsigned_text(0), "0");
  EXPECT_EQ(unsigned_text(3), "3");
  EXPECT_EQ(unsigned_text(4294967295u), "4294967295");
  EXPECT_EQ(single_text(0.85f), " 0.85");
  EXPECT_EQ(single_text(1234567.0f), " 1234567");
  EXPECT_EQ(single_text(12345678.0f), " 1.234568e+007");
  EXPECT_EQ(single_text(static_cast<float>(100480507)), " 1.004805e+008");
  EXPECT_EQ(single_text(0.00001f), " 1e-005");
  EXPECT_EQ(single_text(-2.5f), "-2.5");
  EXPECT_EQ(double_text(1.0 / 3.0), " 0.3333333333333333");
  EXPECT_EQ(double_text(0.0), " 0");
  EXPECT_EQ(double_text(1e16), " 1e+016");
  EXPECT_EQ(single_text(0.0001f), " 0.0001");  // X = -4 keeps the plain form
  EXPECT_EQ(double_text(1e100), " 1e+100");
}

TEST(NumberText, SpecialValues) {
  EXPECT_EQ(single_text(std::numeric_limits<float>::quiet_NaN()), " nan");
  EXPECT_EQ(single_text(-std::numeric_limits<float>::quiet_NaN()), " nan");
  EXPECT_EQ(double_text(std::numeric_limits<double>::infinity()), " inf");
  EXPECT_EQ(double_text(-std::numeric_limits<double>::infinity()), "-inf");
}

TEST(Conversions, TextForms) {
  EXPECT_EQ(int_to_text(-12), "-12");
  EXPECT_EQ(int_to_text(5), "5");
  EXPECT_EQ(uint_to_text(4294967295u), "4294967295");
  EXPECT_EQ(whole_to_text(0.0), "0");
  EXPECT_EQ(whole_to_text(9999999999999998.0), "9999999999999998");
  EXPECT_EQ(trim_left("   a b "), "a b ");
  EXPECT_EQ(trim_left("\ta"), "\ta");
  EXPECT_EQ(format_fixed2(4), "4.00");
  EXPECT_EQ(format_fixed2(0), "0.00");
  EXPECT_EQ(format_fixed2(1234), "1234.00");
  EXPECT_EQ(format_fixed2(65535), "65535.00");
}

TEST(Conversions, TextToNumber) {
  struct Case { const char* text; double value; } cases[] = {
      {"  42", 42},   {"", 0},        {"   ", 0},      {"123,x", 123}, {"-7.5e1", -75},
      {",5", 0},      {"&H1F", 31},   {"&hff", 255},   {"&O17", 15},   {"&B101", 5},
      {"&b2", 0},     {"+3.25", 3.25}, {"1e", 1},      {"1e+", 1},     {".5", 0.5},
      {"5.", 5},      {"-", 0},       {"2005-12-31", 2005}, {"07", 7}, {"1,2,3", 1},
      {"inf", 0},     {"0x10", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(text_to_number(c.text), c.value) << '"' << c.text << '"';
}

TEST(Conversions, RoundToIntTiesToEven) {
  EXPECT_EQ(round_to_int(2.5L), 2);
  EXPECT_EQ(round_to_int(3.5L), 4);
  EXPECT_EQ(round_to_int(-2.5L), -2);
  EXPECT_EQ(round_to_int(2.4999L), 2);
  EXPECT_EQ(round_to_int(1e12L), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(round_to_int(std::nanl("")), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(round_to_int64(4294967295.5L), 4294967296LL);
}
