// Paths stand in the code as the dataset's own tools write them ("C:\ratinglab\dataset\",
// "dataset\", "data/"). map_path turns them into Linux paths: every backslash becomes a
// slash, and a leading drive "X:" is rooted at $RATINGLAB_DRIVE_X, or at
// $HOME/.ratinglab/drive_x when that is unset. Relative paths stay relative.
#pragma once

#include <string>
#include <string_view>

namespace rl {

inline constexpr const char* dataset_folder = "C:\\ratinglab\\dataset\\";

std::string map_path(std::string_view path);

// Whether the folder that would hold the (mapped) file exists.
bool parent_folder_exists(const std::string& mapped);

}  // namespace rl
