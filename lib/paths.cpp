#include "paths.h"

#include <cctype>
#include <cstdlib>
#include <sys/stat.h>

namespace rl {

std::string map_path(std::string_view path) {
  std::string p(path);
  for (char& c : p)
    if (c == '\\') c = '/';
  if (p.size() >= 2 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':') {
    char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(p[0])));
    std::string var = std::string("RATINGLAB_DRIVE_") + letter;
    std::string root;
    if (const char* v = std::getenv(var.c_str()); v && *v) {
      root = v;
    } else {
      const char* home = std::getenv("HOME");
      root = std::string(home && *home ? home : ".") + "/.ratinglab/drive_" +
             static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
    }
    std::string rest = p.substr(2);
    while (!root.empty() && root.back() == '/' && !rest.empty() && rest.front() == '/')
      root.pop_back();
    if (!rest.empty() && rest.front() != '/') root += '/';
    return root + rest;
  }
  return p;
}

bool parent_folder_exists(const std::string& mapped) {
  auto slash = mapped.rfind('/');
  if (slash == std::string::npos) return true;
  std::string dir = slash == 0 ? "/" : mapped.substr(0, slash);
  struct stat st;
  return ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace rl
