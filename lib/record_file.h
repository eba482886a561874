// Record files: headerless files of raw little-endian scalars and whole tables, read
// and written at 1-based byte positions (0 = where the previous operation on the slot
// ended). Files live in slots 1..254; print operations use slot 0 for the console.
//
// Failure rules: a missing file opened in binary mode is created empty; a read past the
// end fills the rest of its destination with zero bytes; operations on a closed slot do
// nothing. Output-mode files are written under a temporary name and renamed over the
// target when closed, so a run that stops early leaves the previous file whole; a
// failed open, write or close of an output stops the program with exit status 3.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "array.h"

namespace rl {

enum OpenMode { binary_mode, output_mode, input_mode };

constexpr int console_slot = 0;
constexpr int max_slot = 254;

// Opens the file in the slot (closing what the slot held). Returns whether it opened;
// the toolkit's programs never need to look.
bool open_file(std::string_view path, OpenMode mode, int slot);
// The lowest slot number that holds no open file (0 when all are taken).
int free_slot();
// Closes one slot; slot 0 closes every open file.
void close_file(int slot);
bool slot_is_open(int slot);
// The mapped path of the file open in the slot (empty when closed).
const std::string& slot_path(int slot);

void get_bytes(int slot, int64_t position, void* destination, std::size_t n);
void put_bytes(int slot, int64_t position, const void* source, std::size_t n);

template <class T>
void get_value(int slot, int64_t position, T& destination) {
  get_bytes(slot, position, &destination, sizeof(T));
}
template <class T>
void put_value(int slot, int64_t position, const T& source) {
  put_bytes(slot, position, &source, sizeof(T));
}
template <class T>
void get_array(int slot, int64_t position, Array<T>& table) {
  get_bytes(slot, position, table.data(), table.bytes());
}
template <class T>
void put_array(int slot, int64_t position, const Array<T>& table) {
  put_bytes(slot, position, table.data(), table.bytes());
}

// Reads as many bytes as the text holds; its length stays as it is.
void get_text(int slot, int64_t position, std::string& text);
// Reads a whole file into one text: a text of file_length blanks read at position 1
// (in input mode the tail left by CR LF pairs is zero bytes).
std::string read_whole_text(int slot);

// Size of the file in bytes; the position stays where it was. 0 for a closed slot.
int64_t file_length(int slot);

// The print layer's column of a slot (characters since the last CR or LF).
int& slot_column(int slot);

}  // namespace rl
