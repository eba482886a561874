#include <string>

#include "convert.h"
#include "literal_bin_test.h"
#include "test_support.h"

BinResult literal_bin_test(const BinModel& d) {
  const int32_t A = d.A, U = d.U, N = d.N;
  auto BINSCORE = [&](int32_t j, int32_t m) { return d.BINSCORE[(j - 1) * A + (m - 1)]; };
  BinResult out;
  out.BINRATING.assign(static_cast<std::size_t>(U) * N * 5, 0);
  out.BINERROR.assign(static_cast<std::size_t>(U) * N * 5, 0);
  out.CATERROR = d.USERSCORE;
  auto BINRATING = [&](int32_t u, int32_t j, int32_t b) -> uint16_t& {
    return out.BINRATING[((u - 1) * N + (j - 1)) * 5 + (b - 1)];
  };
  auto BINERROR = [&](int32_t u, int32_t j, int32_t b) -> uint16_t& {
    return out.BINERROR[((u - 1) * N + (j - 1)) * 5 + (b - 1)];
  };
  std::vector<float> ITEMBIN(A + 1);
  std::vector<uint8_t> ITEMSTARS(A + 1);
  float total = 0;
  int32_t predicted = 0;
  for (int32_t u = 1; u <= U; ++u) {
    for (int32_t j = 1; j <= N; ++j) {
      if (d.USERSCORE[(u - 1) * N + (j - 1)] == -1) {
        for (int b = 1; b <= 5; ++b) BINERROR(u, j, b) = 65535;
        continue;
      }
      int32_t cnt = 0;
      int32_t STARCOUNT[6] = {0, 0, 0, 0, 0, 0};
      for (int32_t r = d.UEND[u - 1] + 1; r <= d.UEND[u]; ++r) {
        uint8_t w = BINSCORE(j, d.UMOVIE[r]);
        if (w == 0) continue;
        cnt = cnt + 1;
        ITEMBIN[cnt] = w;
        ITEMSTARS[cnt] = d.USTARS[r];
        STARCOUNT[d.USTARS[r]] += 1;
      }
      float BINBEST[6];
      for (int b = 1; b <= 5; ++b) {
        float best = 500000;
        int bestg = 0;
        for (int g = 1; g <= 5; ++g) {
          float s = 0;
          for (int32_t i = 1; i <= cnt; ++i)
            if (ITEMBIN[i] == b) {
              long double dd = g - ITEMSTARS[i];
              s = static_cast<float>(s + dd * dd);
            }
          if (s < best) best = s, bestg = g;
        }
        BINBEST[b] = best;
        BINRATING(u, j, b) = static_cast<uint16_t>(bestg);
      }
      for (int b = 1; b <= 5; ++b) {
        if (STARCOUNT[b] > 0) {
          int32_t x = rl::round_to_int(static_cast<long double>(BINBEST[b]) / STARCOUNT[b] * 1000);
          BINERROR(u, j, b) = static_cast<uint16_t>(x > 65534 ? 65534 : x);
        } else {
          BINERROR(u, j, b) = 65535;
        }
      }
      float s = 0;
      for (int32_t i = 1; i <= cnt; ++i) {
        long double dd = BINRATING(u, j, static_cast<int32_t>(ITEMBIN[i])) - ITEMSTARS[i];
        s = static_cast<float>(s + dd * dd);
      }
      int32_t& caterror = out.CATERROR[(u - 1) * N + (j - 1)];
      if (cnt == 0)
        caterror = -1;
      else
        caterror = rl::round_to_int(static_cast<long double>(s) / cnt * 1000 + 1);
    }
    float s = 0;
    int32_t n = 0;
    for (int32_t r = d.UEND[u - 1] + 1; r <= d.UEND[u]; ++r) {
      int32_t m = d.UMOVIE[r];
      float bestq = 10000000;
      int32_t bestj = 0, valid = 0;
      for (int32_t j = 1; j <= N; ++j) {
        uint8_t w = BINSCORE(j, m);
        if (w == 0) continue;
        uint16_t q = BINERROR(u, j, w);
        if (q == 65535) continue;
        if (q < bestq) bestq = q, bestj = j;
        valid = valid + 1;
      }
      if (valid >= 1) {
        int32_t p = BINRATING(u, bestj, BINSCORE(bestj, m));
        n = n + 1;
        long double dd = p - d.USTARS[r];
        s = static_cast<float>(s + dd * dd);
      }
    }
    total = total + s;
    predicted = predicted + n;
  }
  out.total = total;
  out.predicted = predicted;
  return out;
}

std::string userdata_bytes(const BinModel& d) {
  using ratinglab::append_le;
  std::string s;
  int32_t R = d.UEND.empty() ? 0 : d.UEND.back();
  append_le<int32_t>(s, d.A);
  append_le<int32_t>(s, R);
  append_le<int32_t>(s, d.U);
  for (int32_t v : d.UEND) append_le<int32_t>(s, v);
  for (int32_t r = 1; r <= R; ++r) append_le<uint16_t>(s, d.UMOVIE[r]);
  for (int32_t r = 1; r <= R; ++r) append_le<uint8_t>(s, d.USTARS[r]);
  return s;
}

std::string weights_bytes(const BinModel& d) {
  using ratinglab::append_le;
  std::string s;
  append_le<int32_t>(s, d.N);
  for (uint8_t b : d.BINSCORE) append_le<uint8_t>(s, b);
  for (int32_t v : d.USERSCORE) append_le<int32_t>(s, v);
  return s;
}

std::string swapn2_bytes(const BinResult& r) {
  return ratinglab::le_bytes(r.BINRATING) + ratinglab::le_bytes(r.BINERROR) +
         ratinglab::le_bytes(r.CATERROR);
}
