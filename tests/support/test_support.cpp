#include "test_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace ratinglab {

std::string program_path(const std::string& name) {
  return std::string(RATINGLAB_BIN_DIR) + "/" + name;
}

TempDir::TempDir() {
  std::string tmpl = std::filesystem::temp_directory_path().string() + "/ratinglab-test-XXXXXX";
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back('\0');
  if (!::mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
  path = buf.data();
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path, ec);
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

bool file_exists(const std::string& path) { return std::filesystem::exists(path); }

void write_file(const std::string& path, const std::string& bytes) {
  std::filesystem::path p(path);
  if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void make_dirs(const std::string& path) { std::filesystem::create_directories(path); }

RunResult run_program(const std::string& name, const std::string& workdir,
                      const std::vector<std::string>& args,
                      const std::vector<std::pair<std::string, std::string>>& env,
                      const std::string& stdin_bytes) {
  TempDir io;
  std::string in_path = io / "stdin", out_path = io / "stdout", err_path = io / "stderr";
  write_file(in_path, stdin_bytes);
  std::string exe = name.find('/') == std::string::npos ? program_path(name) : name;
  pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    if (::chdir(workdir.c_str()) != 0) _exit(127);
    int in = ::open(in_path.c_str(), O_RDONLY);
    int out = ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    for (const auto& [k, v] : env) ::setenv(k.c_str(), v.c_str(), 1);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(exe.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(exe.c_str(), argv.data());
    _exit(127);
  }
  int st = 0;
  ::waitpid(pid, &st, 0);
  RunResult r;
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
  r.out = read_file(out_path);
  r.err = read_file(err_path);
  return r;
}

}  // namespace ratinglab
