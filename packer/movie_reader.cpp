#include "movie_reader.h"

#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "paths.h"

namespace rl {

namespace {

std::string g_folder;
int g_count = 0;
std::vector<MovieRatings> g_movies;
std::vector<std::atomic<int>> g_ready;
std::atomic<int> g_next{0};
std::vector<std::thread> g_workers;

void work() {
  std::string bytes;
  for (;;) {
    int i = g_next.fetch_add(1);
    if (i >= g_count) return;
    read_raw_file(raw_file_name(g_folder, i + 1), bytes);
    parse_ratings(bytes, g_movies[i]);
    g_ready[i].store(1, std::memory_order_release);
    g_ready[i].notify_all();
  }
}

}  // namespace

std::string raw_file_name(std::string_view folder, int movie_number) {
  char name[32];
  std::snprintf(name, sizeof name, "mv_%07d.txt", movie_number);
  return std::string(folder) + name;
}

void read_raw_file(const std::string& path, std::string& bytes) {
  bytes.clear();
  int fd = ::open(map_path(path).c_str(), O_RDONLY);
  if (fd < 0) return;
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t have = 0;
    while (have < bytes.size()) {
      ssize_t r = ::read(fd, bytes.data() + have, bytes.size() - have);
      if (r <= 0) break;
      have += static_cast<std::size_t>(r);
    }
    bytes.resize(have);
  }
  ::close(fd);
}

void start_reading_movies(std::string_view folder, int count) {
  g_folder = std::string(folder);
  g_count = count;
  g_movies = std::vector<MovieRatings>(static_cast<std::size_t>(count));
  g_ready = std::vector<std::atomic<int>>(static_cast<std::size_t>(count));
  g_next = 0;
  unsigned threads = std::thread::hardware_concurrency();
  if (threads == 0) threads = 1;
  for (unsigned t = 0; t < threads; ++t) g_workers.emplace_back(work);
}

MovieRatings& movie_ratings(int i) {
  g_ready[i].wait(0, std::memory_order_acquire);
  return g_movies[i];
}

void finish_reading_movies() {
  for (auto& w : g_workers) w.join();
  g_workers.clear();
  g_movies.clear();
  g_movies.shrink_to_fit();
}

}  // namespace rl
