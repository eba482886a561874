// Reading a member table from a member file.
#include <filesystem>

#include "builder.h"
#include "fail.h"
#include "paths.h"
#include "record_file.h"

namespace cb {

void read_member_file(const std::string& path, rl::Array<int32_t>& table) {
  std::error_code ec;
  const bool existed = std::filesystem::exists(rl::map_path(path), ec);
  rl::open_file(path, rl::binary_mode, 1);
  const int64_t length = rl::file_length(1);
  rl::get_array(1, 0, table);
  rl::close_file(1);
  // The file carries no shape; a length that does not match the table usually means
  // it was written by a configuration of another shape.
  if (existed && length != static_cast<int64_t>(table.bytes()))
    rl::warn(rl::map_path(path) + ": the file holds " + std::to_string(length) +
             " bytes, the member table read from it takes " + std::to_string(table.bytes()) +
             " bytes (" + std::to_string(table.extent(0)) + " x " +
             std::to_string(table.extent(1)) + " entries)");
  // Every entry is a user number or 0 (empty): anything else would index outside the
  // rating lists.
  const int32_t* e = table.data();
  for (int64_t i = 0; i < table.count(); ++i)
    if (e[i] < 0 || e[i] > NUSERS)
      rl::fail_value(path, "MEMBERS", i + 1, e[i], "0.." + std::to_string(NUSERS));
}

}  // namespace cb
