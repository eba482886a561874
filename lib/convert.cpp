#include "convert.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace rl {

std::string int_to_text(int32_t v) { return std::to_string(v); }
std::string uint_to_text(uint32_t v) { return std::to_string(v); }

std::string whole_to_text(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.0f", v);
  return buf;
}

std::string trim_left(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  return std::string(text.substr(i));
}

std::string format_fixed2(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  return buf;
}

double text_to_number(std::string_view t) {
  std::size_t i = 0;
  while (i < t.size() && t[i] == ' ') ++i;
  if (i + 1 < t.size() && t[i] == '&') {
    int base = 0;
    switch (t[i + 1]) {
      case 'H': case 'h': base = 16; break;
      case 'O': case 'o': base = 8; break;
      case 'B': case 'b': base = 2; break;
    }
    if (base) {
      double v = 0;
      for (std::size_t k = i + 2; k < t.size(); ++k) {
        char c = t[k];
        int d = c >= '0' && c <= '9' ? c - '0'
                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                : c >= 'A' && c <= 'F' ? c - 'A' + 10 : 99;
        if (d >= base) break;
        v = v * base + d;
      }
      return v;
    }
  }
  // Longest prefix of the form [sign] digits [. digits] [e [sign] digits].
  std::size_t k = i;
  if (k < t.size() && (t[k] == '+' || t[k] == '-')) ++k;
  std::size_t digits = 0;
  while (k < t.size() && t[k] >= '0' && t[k] <= '9') ++k, ++digits;
  if (k < t.size() && t[k] == '.') {
    ++k;
    while (k < t.size() && t[k] >= '0' && t[k] <= '9') ++k, ++digits;
  }
  if (digits == 0) return 0.0;
  if (k < t.size() && (t[k] == 'e' || t[k] == 'E')) {
    std::size_t e = k + 1;
    if (e < t.size() && (t[e] == '+' || t[e] == '-')) ++e;
    if (e < t.size() && t[e] >= '0' && t[e] <= '9') {
      while (e < t.size() && t[e] >= '0' && t[e] <= '9') ++e;
      k = e;
    }
  }
  std::string prefix(t.substr(i, k - i));
  return std::strtod(prefix.c_str(), nullptr);
}

std::string integer_text(int32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "% d", v);
  return buf;
}

std::string unsigned_text(uint32_t v) { return std::to_string(v); }

namespace {

std::string general_text(double v, int digits) {
  if (std::isnan(v)) return " nan";
  if (std::isinf(v)) return v < 0 ? "-inf" : " inf";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*g", digits, v);
  std::string s = buf;
  // The exponent carries at least three digits: e+07 becomes e+007.
  auto e = s.find('e');
  if (e != std::string::npos) {
    std::string mant = s.substr(0, e + 2);  // through the sign
    std::string exp = s.substr(e + 2);
    while (exp.size() < 3) exp.insert(exp.begin(), '0');
    s = mant + exp;
  }
  if (s[0] != '-') s.insert(s.begin(), ' ');
  return s;
}

}  // namespace

std::string single_text(float v) { return general_text(static_cast<double>(v), 7); }
std::string double_text(double v) { return general_text(v, 16); }

}  // namespace rl
