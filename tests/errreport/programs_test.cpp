// Whole outputs of both reports on the small fixture, byte for byte, with the expected
// bytes worked out by hand from the fixture's values.
#include <gtest/gtest.h>

#include "fixture.h"

using ratinglab::read_file;

namespace {

const std::string CRLF = "\r\n";
const std::string loaded =
    "Movie sizes have been loaded.\r\nVerification values have been loaded.\r\n";

std::string line(const std::string& n, const std::string& q, const std::string& v,
                 const std::string& key) {
  return zone(n) + zone(q) + zone(v) + key + CRLF;
}

std::string empty_table_row() {
  std::string s;
  for (int k = 0; k < 6; ++k) s += "0000000 ";
  return s + CRLF;
}

// errreport: P = 1.0 for users 1, 2, 4, 5 (user 3 has no first score), so E = r - 1:
// 3, 0, 0, 0 for the ratings 4, 1, 1, 1.
const std::string errreport_stdout =
    " 2" + CRLF + loaded +
    zone(" 2507") + zone(" 3") + " 835.6667" + CRLF +  // r = 1: scores 0 + 2500 + 7
    zone(" 0") + zone(" 0") + " nan" + CRLF +
    zone(" 0") + zone(" 0") + " nan" + CRLF +
    zone(" 100") + zone(" 1") + " 100" + CRLF +
    zone(" 0") + zone(" 0") + " nan" + CRLF +
    CRLF +
    " 1.5  9 4" + CRLF +
    "1" + CRLF +  // entries scored with the rating of entry 1 (4)
    zone(" 0") + " 0" + CRLF + zone(" 0") + " 0" + CRLF + zone(" 0") + " 0" + CRLF +
    zone(" 9") + " 3" + CRLF + zone(" 0") + " 0" + CRLF +
    "0000004 0000003 0000000 0000000 0000001 0000000 " + CRLF + empty_table_row() +
    empty_table_row() + empty_table_row() + empty_table_row();

// errreport_b: P = 3.5 (one category at d = 1000), 4.0 (none usable), 3.125, 0/0
// (every spread above 2500, clamped to 1.0) and 6.0 (clamped to 5.0).
const std::string errreport_b_stdout =
    " 3" + CRLF + loaded +
    " 1  1000 5  3  1 11 300 3.5 4" + CRLF +
    " 2  4.294967e+009 7  3  0 22 300 4 1" + CRLF +
    " 3  1 9  3  1 33 300 3.125 5" + CRLF +
    " 4  2501 5  8  2 44 800 nan 1" + CRLF +
    " 5  2000 17770  8  1 55 800 6 1" + CRLF +
    CRLF +
    " 2.408319  29 5" + CRLF +  // sqrt(29 / 5) as a single
    zone(" 0") + " 0" + CRLF + zone(" 4") + " 2" + CRLF + zone(" 9") + " 3" + CRLF +
    zone(" 16") + " 4" + CRLF +
    "0000001 0000001 0000000 0000000 0000000 0000000 " + CRLF + empty_table_row() +
    "0000001 0000000 0000000 0000000 0000000 0000001 " + CRLF +
    "0000002 0000001 0000000 0000000 0000001 0000000 " + CRLF +
    "0000001 0000001 0000000 0000000 0000000 0000000 " + CRLF;

}  // namespace

TEST(Reports, ErrreportWholeOutput) {
  Fixture f;
  f.write();
  auto r = f.run("errreport");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, errreport_stdout);
  // Every entry lands at K = 100; the cell of 4 entries and 9 gives 150.
  EXPECT_EQ(read_file(f.at("errorbyrating.txt")), line("4", "9", " 150", " 100"));
  // Size class 9 (user 3) had no scored entry and writes no line.
  EXPECT_EQ(read_file(f.at("errorbysize.txt")),
            line("2", "9", " 212", " 5") + line("1", "0", " 0", " 7") +
                line("1", "0", " 0", " 17770"));
  EXPECT_EQ(r.err, "errreport: " + f.at("weights.dat") +
                       ": its length fits 5 users, not 480189; reading it as a model of 5 users\n");
}

TEST(Reports, ErrreportBWholeOutput) {
  Fixture f;
  f.write();
  auto r = f.run("errreport_b");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, errreport_b_stdout);
  EXPECT_EQ(read_file(f.at("errorbyrating.txt")),
            line("1", "0", " 0", " 100") + line("1", "4", " 200", " 312") +
                line("1", "0", " 0", " 350") + line("1", "9", " 300", " 400") +
                line("1", "16", " 400", " 500"));
  EXPECT_EQ(read_file(f.at("errorbysize.txt")),
            line("2", "0", " 0", " 5") + line("1", "9", " 300", " 7") +
                line("1", "4", " 200", " 9") + line("1", "16", " 400", " 17770"));
  EXPECT_EQ(r.err, "errreport_b: " + f.at("weightsb.dat") +
                       ": its length fits 5 users, not 480189; reading it as a model of 5 users\n");
}

// Full-size model files under the default names read as before, with no remark; any
// other name is given as the command line, its words joined by single blanks.
TEST(Reports, ModelNames) {
  Fixture f;
  f.write_shared();
  ratinglab::write_file(f.at("weights.dat"), f.weights_bytes(480189));
  ratinglab::write_file(f.at("weightsb.dat"), f.weightsb_bytes(480189));
  ratinglab::write_file(f.at("a b.dat"), f.weights_bytes(5));
  ratinglab::write_file(f.at("c d.dat"), f.weightsb_bytes(5));
  auto a = f.run("errreport");
  EXPECT_EQ(a.status, 0) << a.err;
  EXPECT_EQ(a.out, errreport_stdout);
  EXPECT_EQ(a.err, "");
  auto b = f.run("errreport_b");
  EXPECT_EQ(b.status, 0) << b.err;
  EXPECT_EQ(b.out, errreport_b_stdout);
  EXPECT_EQ(b.err, "");
  auto c = f.run("errreport", {"a", "b"});
  EXPECT_EQ(c.status, 0) << c.err;
  EXPECT_EQ(c.out, errreport_stdout);
  EXPECT_NE(c.err.find("a b.dat: its length fits 5 users"), std::string::npos) << c.err;
  auto d = f.run("errreport_b", {"c", "d"});
  EXPECT_EQ(d.status, 0) << d.err;
  EXPECT_EQ(d.out, errreport_b_stdout);
}

namespace {

// The error-value table and the prediction table: the last lines of the console.
std::string console_tail(const std::string& out, int lines) {
  std::size_t pos = out.size();
  for (int k = 0; k <= lines && pos != std::string::npos && pos > 0; ++k)
    pos = out.rfind(CRLF, pos - 1);
  return out.substr(pos + 2);
}

}  // namespace

// Nine rounds of the ratings 1..5 for user 1: errreport_b predicts 3.5 each time, so E
// is 2, 2, 0, 0, 2 and every entry lands in row 4; errreport predicts 1.0, so E = r - 1
// and every entry lands in row 1. errreport_b shows 40 diagnostic lines of the 45.
TEST(Reports, ErrorPatternsOfOneUser) {
  Fixture f;
  f.pend = {0, 45};
  f.pmovie = {3, 0};
  f.puser.assign(45, 10);
  f.pstars.clear();
  for (int k = 0; k < 45; ++k) f.pstars.push_back(static_cast<uint8_t>(k % 5 + 1));
  f.write();

  auto b = f.run("errreport_b");
  ASSERT_EQ(b.status, 0) << b.err;
  std::size_t diag = 0;
  for (std::size_t p = b.out.find(" 1  1000 5  3  1 11 300 3.5 "); p != std::string::npos;
       p = b.out.find(" 1  1000 5  3  1 11 300 3.5 ", p + 1))
    ++diag;
  EXPECT_EQ(diag, 40u);
  EXPECT_EQ(console_tail(b.out, 9),
            zone(" 0") + " 0" + CRLF + zone(" 108") + " 54" + CRLF + zone(" 0") + " 0" + CRLF +
                zone(" 0") + " 0" + CRLF + empty_table_row() + empty_table_row() +
                empty_table_row() + "0000045 0000009 0000009 0000009 0000009 0000009 " + CRLF +
                empty_table_row());
  EXPECT_EQ(read_file(f.at("errorbyrating.txt")), line("45", "108", " 155", " 350"));

  auto a = f.run("errreport");
  ASSERT_EQ(a.status, 0) << a.err;
  EXPECT_EQ(console_tail(a.out, 10),
            zone(" 0") + " 0" + CRLF + zone(" 9") + " 9" + CRLF + zone(" 36") + " 18" + CRLF +
                zone(" 81") + " 27" + CRLF + zone(" 144") + " 36" + CRLF +
                "0000045 0000009 0000009 0000009 0000009 0000009 " + CRLF + empty_table_row() +
                empty_table_row() + empty_table_row() + empty_table_row());
  EXPECT_EQ(read_file(f.at("errorbyrating.txt")), line("45", "270", " 245", " 100"));
}

// Two groups that end at the same entry: the walk steps once there, and every later
// entry is scored with the second group's movie (5), never the third's (8).
TEST(Reports, EmptyMovieGroup) {
  Fixture f;
  f.pend = {0, 2, 2, 4};
  f.pmovie = {3, 5, 8, 99};
  f.puser = {10, 10, 10, 10};
  f.pstars = {4, 4, 4, 4};
  f.write();
  auto r = f.run("errreport_b");
  ASSERT_EQ(r.status, 0) << r.err;
  // Movie 5 has no spread in any category: P = 4.0 with no category counted.
  std::string expected = " 1  1000 5  3  1 11 300 3.5 4" + CRLF + " 1  1000 5  3  1 11 300 3.5 4" +
                         CRLF + " 1  4.294967e+009 5  5  0 11 0 4 4" + CRLF +
                         " 1  4.294967e+009 5  5  0 11 0 4 4" + CRLF;
  EXPECT_NE(r.out.find(loaded + expected + CRLF), std::string::npos) << r.out;
}

// No scored entry: the overall error is 0/0 and the report files hold no lines.
TEST(Reports, NothingScored) {
  Fixture f;
  for (auto& row : f.userscore) row[0] = 4294967295u;
  f.write();
  auto a = f.run("errreport");
  ASSERT_EQ(a.status, 0) << a.err;
  EXPECT_NE(a.out.find(CRLF + CRLF + " nan  0 0" + CRLF + "0" + CRLF), std::string::npos) << a.out;
  EXPECT_EQ(read_file(f.at("errorbyrating.txt")), "");
  EXPECT_EQ(read_file(f.at("errorbysize.txt")), "");

  // errreport_b scores an empty probe list without indexing anything.
  f.pend = {0};
  f.pmovie = {0};
  f.puser.clear();
  f.pstars.clear();
  f.write();
  auto b = f.run("errreport_b");
  ASSERT_EQ(b.status, 0) << b.err;
  EXPECT_EQ(b.out.substr(0, 4 + loaded.size() + 13), " 3" + CRLF + loaded + CRLF + " nan  0 0" + CRLF);
  EXPECT_EQ(read_file(f.at("errorbyrating.txt")), "");
}
