// Helpers for tests that run the toolkit's programs on small fixtures.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace ratinglab {

// Path of a built program (build/bin/NAME).
std::string program_path(const std::string& name);

// A fresh empty folder, removed with everything in it at the end of the scope.
struct TempDir {
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string path;
  std::string operator/(const std::string& name) const { return path + "/" + name; }
};

struct RunResult {
  int status = -1;  // exit status, or 128 + signal
  std::string out;  // stdout bytes
  std::string err;  // stderr bytes
};

// Runs the program in the working folder with the given arguments, extra environment
// variables and stdin bytes (stdin is a file, so the key wait returns at once).
RunResult run_program(const std::string& name, const std::string& workdir,
                      const std::vector<std::string>& args = {},
                      const std::vector<std::pair<std::string, std::string>>& env = {},
                      const std::string& stdin_bytes = "");

std::string read_file(const std::string& path);
bool file_exists(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);
void make_dirs(const std::string& path);

// Little-endian byte builders for expected file contents.
template <class T>
void append_le(std::string& out, T value) {
  for (std::size_t i = 0; i < sizeof(T); ++i)
    out.push_back(static_cast<char>((static_cast<uint64_t>(value) >> (8 * i)) & 0xff));
}
template <class T>
std::string le_bytes(const std::vector<T>& values) {
  std::string s;
  for (T v : values) append_le(s, v);
  return s;
}

}  // namespace ratinglab
