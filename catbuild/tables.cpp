#include "builder.h"

#include <thread>
#include <vector>

namespace cb {

Config CFG = catbuild_3;

int32_t NMOVIES = 0, NRATINGS = 0, NUSERS = 0;
rl::Array<int32_t> UEND;
rl::Array<uint16_t> UMOVIE;
rl::Array<uint8_t> USTARS;

int32_t NCAT = 0, NSLOT = 0;
rl::Array<int32_t> MEMBERS;
rl::Array<int32_t> FILL;
rl::Array<uint8_t> BINSCORE;
rl::Array<int32_t> USERSCORE;
rl::Array<uint16_t> MOVBIN;
rl::Array<uint16_t> MOVSPREAD;
rl::Array<uint16_t> UBIN;

int32_t CUTOFF = 0, PREVTWICE = 0;
float TOTAL = 0.0f;
uint32_t ASSIGNED = 0;

std::string folder_file(const char* name) { return std::string(CFG.folder) + name; }

int worker_count() {
  unsigned n = std::thread::hardware_concurrency();
  return n == 0 ? 1 : static_cast<int>(n);
}

void parallel_range(int64_t first, int64_t last,
                    const std::function<void(int64_t, int64_t)>& fn) {
  int64_t n = last - first + 1;
  if (n <= 0) return;
  int64_t t = worker_count();
  if (t > n) t = n;
  if (t <= 1) {
    fn(first, last);
    return;
  }
  std::vector<std::thread> pool;
  int64_t start = first;
  for (int64_t k = 0; k < t; ++k) {
    int64_t len = n / t + (k < n % t ? 1 : 0);
    int64_t a = start, b = start + len - 1;
    start += len;
    if (k + 1 == t) {
      fn(a, b);
    } else {
      pool.emplace_back([&fn, a, b] { fn(a, b); });
    }
  }
  for (auto& th : pool) th.join();
}

}  // namespace cb
