#include "checked_io.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

#include "fail.h"
#include "paths.h"
#include "record_file.h"

namespace er {

bool CHECKED = false;

namespace {

std::string span(int64_t lo, int64_t hi) { return std::to_string(lo) + ".." + std::to_string(hi); }

}  // namespace

void input_open(InputFile& f, const std::string& path, int slot) {
  f = InputFile{};
  f.slot = slot;
  f.path = rl::map_path(path);
  if (CHECKED && ::access(f.path.c_str(), R_OK) != 0)
    runtime_stop(stop_open, "cannot open " + f.path + " for reading: " + std::strerror(errno));
  bool opened = rl::open_file(path, rl::binary_mode, slot);
  if (CHECKED && !opened) runtime_stop(stop_open, "cannot open " + f.path);
  f.length = rl::file_length(slot);
}

void input_bytes(InputFile& f, int64_t position, void* destination, std::size_t n,
                 const char* field) {
  int64_t start = position >= 1 ? position - 1 : f.offset;
  int64_t need = static_cast<int64_t>(n);
  if (CHECKED && start + need > f.length)
    runtime_stop(stop_short_read, f.path + ": " + field + " needs " + std::to_string(need) +
                                      " bytes from offset " + std::to_string(start) +
                                      ", the file holds " + std::to_string(f.length));
  rl::get_bytes(f.slot, position, destination, n);
  f.offset = start + need;
}

// A failed close of a record file stops in the layer with the write-failure status.
void input_close(InputFile& f) { rl::close_file(f.slot); }
void input_close_all() { rl::close_file(0); }

void output_open(const std::string& path, int slot) {
  std::string mapped = rl::map_path(path);
  if (CHECKED) {
    auto cut = mapped.find_last_of('/');
    std::string folder = cut == std::string::npos ? "." : mapped.substr(0, cut == 0 ? 1 : cut);
    if (::access(folder.c_str(), W_OK) != 0)
      runtime_stop(stop_open, "cannot open " + mapped + " for writing: " + std::strerror(errno));
  }
  rl::open_file(path, rl::output_mode, slot);
}

void output_close(int slot) { rl::close_file(slot); }

void check_sizing(const char* table, std::size_t width, int dims, int64_t lo1, int64_t hi1,
                  int64_t lo2, int64_t hi2) {
  std::string bounds = span(lo1, hi1) + (dims > 1 ? " x " + span(lo2, hi2) : "");
  if (hi1 < lo1 - 1 || hi2 < lo2 - 1)
    runtime_stop(stop_index, std::string("cannot size table ") + table + " as " + bounds);
  uint64_t n1 = static_cast<uint64_t>(hi1 - lo1 + 1), n2 = static_cast<uint64_t>(hi2 - lo2 + 1);
  if (n1 == 0 || n2 == 0) return;
  std::string what = std::string("cannot allocate table ") + table + " as " + bounds;
  if (n1 > SIZE_MAX / width / n2) runtime_stop(stop_allocation, what);
  // A trial allocation first: the table layer would stop with its own status.
  void* p = std::calloc(static_cast<std::size_t>(n1 * n2), width);
  if (!p) runtime_stop(stop_allocation, what + " (" + std::to_string(n1 * n2 * width) + " bytes)");
  std::free(p);
}

void index_stop(const char* table, int64_t i, int64_t lo, int64_t hi, const char* source,
                int64_t entry) {
  std::string where = std::string(source);
  if (entry > 0) where += " of probe entry " + std::to_string(entry);
  std::string text = std::string(table) + " index " + std::to_string(i) + " outside " +
                     span(lo, hi) + " (" + where + ")";
  if (CHECKED) runtime_stop(stop_index, text);
  rl::fail_input(text);
}

}  // namespace er
