// Whole-table transfers of the packed files: one table per file, its elements back to
// back with nothing before or after them. The caller prepends the folder to the name
// and sizes the table (element type and count) before the call.
#pragma once

#include <string_view>

#include "array.h"
#include "record_file.h"

namespace rl {

// Writes every element of the table from position 1 of a fresh file (an existing one is
// replaced whole; an empty table leaves an empty file). A failed write stops the
// program with exit status 3.
template <class T>
void save_array(std::string_view file_name, const Array<T>& table) {
  int slot = free_slot();
  open_file(file_name, output_mode, slot);
  put_array(slot, 1, table);
  close_file(slot);
}

// Fills the table from position 1 of the file. A missing file is created empty; a
// shorter file fills only the front and leaves the rest zero; a longer one leaves its
// tail unread.
template <class T>
void load_array(std::string_view file_name, Array<T>& table) {
  int slot = free_slot();
  open_file(file_name, binary_mode, slot);
  get_array(slot, 1, table);
  close_file(slot);
}

}  // namespace rl
