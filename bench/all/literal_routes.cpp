// literal_routes: times the literal reference of a program (the transcription the
// tests compare the fast route against) on the inputs of a small experiment, and
// checks that it gives the bytes the program wrote there.
//
//   literal_routes bin_test DATASET_DIR
//     userdata1.dat and weights.dat in, compared with swapn2.dat
//   literal_routes catbuild_4 DATASET_DIR MEMBERS WEIGHTS
//     userdata1.dat and the member file MEMBERS in, compared with WEIGHTS (the
//     weights.dat the program wrote from the same member file)
//
// Prints "SECONDS same" or "SECONDS different" on stdout.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "config.h"
#include "literal_bin_test.h"
#include "reference.h"

namespace {

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "literal_routes: cannot read %s\n", path.c_str());
    std::exit(2);
  }
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

template <class T>
std::vector<T> take(const std::string& bytes, std::size_t& at, std::size_t n, std::size_t lead = 0) {
  std::vector<T> v(n + lead);
  std::memcpy(v.data() + lead, bytes.data() + at, n * sizeof(T));
  at += n * sizeof(T);
  return v;
}

double seconds_since(std::chrono::steady_clock::time_point t) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

}  // namespace

int main(int argc, char** argv) {
  std::string what = argc > 1 ? argv[1] : "";
  if (!((what == "bin_test" && argc == 3) || (what == "catbuild_4" && argc == 5))) {
    std::fprintf(stderr, "usage: literal_routes bin_test DATASET_DIR\n"
                         "       literal_routes catbuild_4 DATASET_DIR MEMBERS WEIGHTS\n");
    return 2;
  }
  const std::string dir = argv[2];
  const std::string ud = slurp(dir + "/userdata1.dat");
  int32_t head[3];
  std::memcpy(head, ud.data(), 12);
  const int32_t A = head[0], R = head[1], U = head[2];
  std::size_t at = 12;
  std::vector<int32_t> uend = take<int32_t>(ud, at, U + 1);
  std::vector<uint16_t> umovie = take<uint16_t>(ud, at, R, 1);
  std::vector<uint8_t> ustars = take<uint8_t>(ud, at, R, 1);

  std::string got, expected;
  auto t0 = std::chrono::steady_clock::now();
  double seconds = 0;
  if (what == "bin_test") {
    BinModel d;
    d.A = A, d.U = U;
    d.UEND = uend, d.UMOVIE = umovie, d.USTARS = ustars;
    const std::string w = slurp(dir + "/weights.dat");
    std::memcpy(&d.N, w.data(), 4);
    std::size_t wa = 4;
    d.BINSCORE = take<uint8_t>(w, wa, static_cast<std::size_t>(d.N) * A);
    d.USERSCORE = take<int32_t>(w, wa, static_cast<std::size_t>(U) * d.N);
    t0 = std::chrono::steady_clock::now();
    BinResult r = literal_bin_test(d);
    seconds = seconds_since(t0);
    got = swapn2_bytes(r);
    expected = slurp(dir + "/swapn2.dat");
  } else {
    ref::Ratings r;
    r.nmovies = A, r.nusers = U;
    r.uend = uend, r.umovie = umovie, r.ustars = ustars;
    const std::string m = slurp(argv[3]);
    std::vector<int32_t> members(m.size() / 4);
    std::memcpy(members.data(), m.data(), members.size() * 4);
    t0 = std::chrono::steady_clock::now();
    ref::Result res = ref::run(cb::catbuild_4, r, members, 1);
    seconds = seconds_since(t0);
    got = res.files["weights.dat"];
    expected = slurp(argv[4]);
  }
  std::printf("%.1f %s\n", seconds, got == expected ? "same" : "different");
  return 0;
}
