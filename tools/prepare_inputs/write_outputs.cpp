// Writing the prepared files: the dataset folder's files, the working folder's
// "probe.dat" and "predictdata.dat", and the working folder's "dataset" entry for the
// builder that reads the relative folder. Every file goes through output mode, so each
// one replaces its predecessor whole or not at all.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "fail.h"
#include "paths.h"
#include "prepare.h"
#include "record_file.h"
#include "shared_inputs.h"

namespace {

const char* const working_link = "dataset";

template <class T>
void put_vector(int slot, const std::vector<T>& v) {
  rl::put_bytes(slot, 0, v.data(), v.size() * sizeof(T));
}

void write_dataset_files(const std::string& folder) {
  rl::open_file(folder + "userdata1.dat", rl::output_mode, 1);
  rl::put_value(1, 0, rl::full_movies);
  rl::put_value(1, 0, NRATINGS);
  rl::put_value(1, 0, NUSERS);
  rl::put_array(1, 0, UEND);
  rl::put_array(1, 0, UMOVIE);
  rl::put_array(1, 0, USTARS);
  rl::close_file(1);

  rl::open_file(folder + "shortuserids2.dat", rl::output_mode, 1);
  rl::put_array(1, 0, SHORTID);
  rl::close_file(1);

  rl::open_file(folder + "statistics.dat", rl::output_mode, 1);
  rl::put_array(1, 0, USIZE);
  rl::put_array(1, 0, USTAT);
  rl::put_array(1, 0, MSTAT);
  rl::close_file(1);

  rl::open_file(folder + "movieend.dat", rl::output_mode, 1);
  rl::put_array(1, 0, MEND);
  rl::close_file(1);

  rl::open_file(folder + "movienames.dat", rl::output_mode, 1);
  for (int m = 1; m <= rl::full_movies; ++m) {
    uint16_t len = static_cast<uint16_t>(MNAME[m].size());
    rl::put_value(1, 0, len);
    rl::put_bytes(1, 0, MNAME[m].data(), len);
  }
  rl::put_array(1, 0, MWORD);
  rl::close_file(1);

  rl::open_file(folder + "scores.dat", rl::output_mode, 1);
  rl::put_array(1, 0, SCORES);
  rl::close_file(1);

  rl::open_file(folder + "userids2.dat", rl::output_mode, 1);
  rl::put_array(1, 0, USERIDS);
  rl::close_file(1);

  rl::open_file(folder + "qualifying.txt", rl::output_mode, 1);
  rl::put_bytes(1, 0, QTEXT.data(), QTEXT.size());
  rl::close_file(1);
}

void write_working_files() {
  rl::open_file("probe.dat", rl::output_mode, 1);
  int32_t A = static_cast<int32_t>(PMOVIE.size()) - 1, B = static_cast<int32_t>(PUSER.size());
  rl::put_value(1, 0, A);
  rl::put_value(1, 0, B);
  put_vector(1, PEND);
  put_vector(1, PMOVIE);
  put_vector(1, PUSER);
  put_vector(1, PSTARS);
  rl::close_file(1);

  rl::open_file("predictdata.dat", rl::output_mode, 1);
  put_vector(1, QEND);
  put_vector(1, QMOVIE);
  put_vector(1, QUSER);
  rl::close_file(1);
}

std::string dataset_path() {
  std::string p = rl::map_path(rl::dataset_folder);
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  return p;
}

bool same_folder(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

// A symbolic link to the dataset folder, made under a temporary name and renamed over
// an older link; a real folder of that name gets copies of the files instead.
void link_dataset_folder(const std::string& target) {
  struct stat st;
  if (::lstat(working_link, &st) == 0 && S_ISDIR(st.st_mode)) {
    if (!same_folder(working_link, target)) write_dataset_files("dataset\\");
    return;
  }
  std::error_code ec;
  std::string abs = std::filesystem::canonical(target, ec).string();
  if (ec) rl::fail_output("cannot resolve " + target + ": " + ec.message());
  char buf[4096];
  ssize_t n = ::readlink(working_link, buf, sizeof buf);
  if (n > 0 && std::string(buf, static_cast<std::size_t>(n)) == abs) return;
  std::string temp = std::string(working_link) + ".tmp-" + std::to_string(::getpid());
  ::unlink(temp.c_str());
  if (::symlink(abs.c_str(), temp.c_str()) != 0 || ::rename(temp.c_str(), working_link) != 0) {
    std::string why = std::strerror(errno);
    ::unlink(temp.c_str());
    rl::fail_output(std::string("cannot link ") + working_link + " to " + abs + ": " + why);
  }
}

}  // namespace

void check_dataset_entry() {
  struct stat st;
  if (::lstat(working_link, &st) != 0) return;
  if (S_ISLNK(st.st_mode) || S_ISDIR(st.st_mode)) return;
  rl::fail_output(std::string("cannot make the folder link ") + working_link +
                  ": a file of that name is in the way");
}

void write_outputs() {
  std::string folder = dataset_path();
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) rl::fail_output("cannot create " + folder + ": " + ec.message());
  write_dataset_files(rl::dataset_folder);
  write_working_files();
  link_dataset_folder(folder);
}
