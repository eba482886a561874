#include "raw_text.h"

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "fail.h"

namespace rl {

bool read_raw_file(const std::string& path, std::string& text) {
  text.clear();
  int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  text.resize(static_cast<std::size_t>(st.st_size));
  std::size_t got = 0;
  while (got < text.size()) {
    ssize_t k = ::read(fd, text.data() + got, text.size() - got);
    if (k <= 0) break;
    got += static_cast<std::size_t>(k);
  }
  ::close(fd);
  text.resize(got);
  return true;
}

bool LineCursor::next(std::string_view& out) {
  if (p >= end) return false;
  const char* nl = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
  const char* stop = nl ? nl : end;
  const char* e = stop;
  if (e > p && e[-1] == '\r') --e;
  out = std::string_view(p, static_cast<std::size_t>(e - p));
  p = nl ? nl + 1 : end;
  ++line;
  return true;
}

bool parse_digits(std::string_view field, int64_t& value) {
  if (field.empty() || field.size() > 18) return false;
  int64_t v = 0;
  for (char c : field) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  value = v;
  return true;
}

bool is_date(std::string_view f) {
  if (f.size() != 10 || f[4] != '-' || f[7] != '-') return false;
  for (int i : {0, 1, 2, 3, 5, 6, 8, 9})
    if (f[i] < '0' || f[i] > '9') return false;
  int month = (f[5] - '0') * 10 + (f[6] - '0');
  int day = (f[8] - '0') * 10 + (f[9] - '0');
  return month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

std::string shown(std::string_view field) {
  std::string s = "\"";
  std::size_t n = field.size() < 60 ? field.size() : 60;
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(field[i]);
    s.push_back(c >= 32 && c < 127 ? static_cast<char>(c) : '?');
  }
  if (n < field.size()) s += "...";
  s += "\"";
  return s;
}

void fail_line(std::string_view file, std::string_view field, int64_t line, std::string_view value,
               std::string_view expected) {
  std::string t;
  t.append(file).append(": ").append(field).append(" at line ").append(std::to_string(line));
  t.append(": ").append(value);
  if (!expected.empty()) t.append(", expected ").append(expected);
  fail_input(t);
}

}  // namespace rl
