// File operations, table sizing and index checks shared by both error reports. When
// CHECKED is set (errreport_b) every operation is checked and the first failure stops
// the program with its runtime error; otherwise the record-file rules hold as they are
// (a missing input is created empty, a short file leaves a zero tail) and an index
// outside its table stops with the bad-input status.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "array.h"
#include "stops.h"

namespace er {

extern bool CHECKED;

// An input record file read front to back, table by table. The layer does not say
// how many bytes a read delivered, so a checked read compares the bytes it needs with
// the file's length and the position where the read starts.
struct InputFile {
  int slot = 1;
  std::string path;    // the mapped path, for messages
  int64_t length = 0;
  int64_t offset = 0;  // where a read at position 0 starts
};

void input_open(InputFile& f, const std::string& path, int slot = 1);
// position as the record files take it: 0 = where the previous read ended.
void input_bytes(InputFile& f, int64_t position, void* destination, std::size_t n,
                 const char* field);
template <class T>
void input_value(InputFile& f, const char* field, T& value) {
  input_bytes(f, 0, &value, sizeof(T), field);
}
template <class T>
void input_table(InputFile& f, const char* table, rl::Array<T>& a, int64_t position = 0) {
  input_bytes(f, position, a.data(), a.bytes(), table);
}
void input_close(InputFile& f);
// Closes every open slot.
void input_close_all();

// An output text file in the dataset folder; a checked open first makes sure its
// folder is there and writable, since the layer itself stops a failed output open
// with the write-failure status.
void output_open(const std::string& path, int slot = 1);
void output_close(int slot = 1);

// Sizing of a table. Checked: bounds that cross are an index stop; a table whose
// bytes cannot be allocated is an allocation stop. A one-dimensional table passes 1..1
// as its second bounds.
void check_sizing(const char* table, std::size_t width, int dims, int64_t lo1, int64_t hi1,
                  int64_t lo2, int64_t hi2);
template <class T>
void size_table(rl::Array<T>& a, const char* table, int64_t lo1, int64_t hi1) {
  if (CHECKED) check_sizing(table, sizeof(T), 1, lo1, hi1, 1, 1);
  a.dim(lo1, hi1);
}
template <class T>
void size_table(rl::Array<T>& a, const char* table, int64_t lo1, int64_t hi1, int64_t lo2,
                int64_t hi2) {
  if (CHECKED) check_sizing(table, sizeof(T), 2, lo1, hi1, lo2, hi2);
  a.dim(lo1, hi1, lo2, hi2);
}

// An index i into the table's range lo..hi, taken from SOURCE at probe entry ENTRY
// (0 when no entry is meant).
[[noreturn]] void index_stop(const char* table, int64_t i, int64_t lo, int64_t hi,
                             const char* source, int64_t entry);
inline void check_index(int64_t i, int64_t lo, int64_t hi, const char* table,
                        const char* source, int64_t entry) {
  if (i < lo || i > hi) [[unlikely]]
    index_stop(table, i, lo, hi, source, entry);
}

}  // namespace er
