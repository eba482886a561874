#include "record_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include "fail.h"
#include "paths.h"

namespace rl {

namespace {

enum LastOp { op_none, op_read, op_write };

struct Slot {
  std::FILE* file = nullptr;
  OpenMode mode = binary_mode;
  bool read_only = false;
  bool open = false;
  std::string path;       // mapped target path
  std::string temp_path;  // output mode: the file being written
  LastOp last = op_none;
  int column = 0;
  std::string text;       // input mode: the whole file with CR LF turned into LF
  std::size_t text_pos = 0;
  int64_t raw_length = 0; // input mode: length of the file on disk
  char buffer[8192];
};

Slot g_slots[max_slot + 1];
int g_console_column = 0;
std::set<std::string> g_warned;
bool g_hooks_installed = false;

void discard_outputs() {
  for (int s = 1; s <= max_slot; ++s) {
    Slot& sl = g_slots[s];
    if (sl.open && sl.file) {
      std::fclose(sl.file);
      sl.file = nullptr;
      if (!sl.temp_path.empty()) ::unlink(sl.temp_path.c_str());
    }
    sl.open = false;
  }
}

void close_at_exit() { close_file(0); }

void install_hooks() {
  if (g_hooks_installed) return;
  g_hooks_installed = true;
  set_fail_cleanup(discard_outputs);
  std::atexit(close_at_exit);
}

void warn_missing_folder(const std::string& mapped) {
  if (parent_folder_exists(mapped)) return;
  if (!g_warned.insert(mapped).second) return;
  warn("the folder of " + mapped + " does not exist");
}

Slot* usable(int slot) {
  if (slot < 1 || slot > max_slot) return nullptr;
  Slot& s = g_slots[slot];
  return s.open ? &s : nullptr;
}

std::string error_text() { return std::strerror(errno); }

}  // namespace

bool open_file(std::string_view path, OpenMode mode, int slot) {
  if (slot < 1 || slot > max_slot) return false;
  install_hooks();
  close_file(slot);
  Slot& s = g_slots[slot];
  s = Slot{};
  s.path = map_path(path);
  s.mode = mode;
  const char* p = s.path.c_str();
  switch (mode) {
    case binary_mode:
      s.file = std::fopen(p, "r+b");
      if (!s.file) s.file = std::fopen(p, "w+b");
      if (!s.file) {
        s.file = std::fopen(p, "rb");
        s.read_only = s.file != nullptr;
      }
      if (!s.file) {
        warn_missing_folder(s.path);
        return false;
      }
      break;
    case output_mode: {
      s.temp_path = s.path + ".tmp-" + std::to_string(::getpid());
      s.file = std::fopen(s.temp_path.c_str(), "wb");
      if (!s.file) {
        std::string why = error_text();
        warn_missing_folder(s.path);
        fail_output("cannot write " + s.path + ": " + why);
      }
      break;
    }
    case input_mode: {
      std::FILE* f = std::fopen(p, "rb");
      if (!f) {
        warn_missing_folder(s.path);
        return false;
      }
      struct stat st;
      std::string raw;
      if (::fstat(fileno(f), &st) == 0 && st.st_size > 0) {
        raw.resize(static_cast<std::size_t>(st.st_size));
        raw.resize(std::fread(raw.data(), 1, raw.size(), f));
      }
      std::fclose(f);
      s.raw_length = static_cast<int64_t>(raw.size());
      // Every CR LF pair is delivered as a single LF.
      s.text.resize(raw.size());
      std::size_t o = 0;
      for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
        s.text[o++] = raw[i];
      }
      s.text.resize(o);
      s.open = true;
      return true;
    }
  }
  std::setvbuf(s.file, s.buffer, _IOFBF, sizeof s.buffer);
  s.open = true;
  return true;
}

int free_slot() {
  for (int s = 1; s <= max_slot; ++s)
    if (!g_slots[s].open) return s;
  return 0;
}

bool slot_is_open(int slot) { return usable(slot) != nullptr; }

const std::string& slot_path(int slot) {
  static const std::string none;
  Slot* s = usable(slot);
  return s ? s->path : none;
}

void close_file(int slot) {
  if (slot == 0) {
    for (int i = 1; i <= max_slot; ++i) close_file(i);
    return;
  }
  Slot* s = usable(slot);
  if (!s) return;
  s->open = false;
  s->text.clear();
  s->text.shrink_to_fit();
  if (!s->file) return;
  std::FILE* f = s->file;
  s->file = nullptr;
  bool bad = std::ferror(f) != 0;
  if (std::fclose(f) != 0) bad = true;
  if (s->mode == output_mode) {
    if (bad) {
      ::unlink(s->temp_path.c_str());
      fail_output("cannot write " + s->path + ": " + error_text());
    }
    if (std::rename(s->temp_path.c_str(), s->path.c_str()) != 0) {
      std::string why = error_text();
      ::unlink(s->temp_path.c_str());
      fail_output("cannot replace " + s->path + ": " + why);
    }
  } else if (bad && !s->read_only) {
    fail_output("cannot write " + s->path + ": " + error_text());
  }
}

void get_bytes(int slot, int64_t position, void* destination, std::size_t n) {
  Slot* s = usable(slot);
  if (!s || n == 0) return;
  char* dst = static_cast<char*>(destination);
  if (s->mode == input_mode) {
    if (position >= 1) s->text_pos = static_cast<std::size_t>(position - 1);
    std::size_t have = s->text_pos < s->text.size() ? s->text.size() - s->text_pos : 0;
    std::size_t k = have < n ? have : n;
    if (k) std::memcpy(dst, s->text.data() + s->text_pos, k);
    if (k < n) std::memset(dst + k, 0, n - k);
    s->text_pos += k;
    return;
  }
  if (s->mode == output_mode) {  // a file opened for writing reads nothing
    std::memset(dst, 0, n);
    return;
  }
  if (position >= 1)
    ::fseeko(s->file, static_cast<off_t>(position - 1), SEEK_SET);
  else if (s->last == op_write)
    ::fseeko(s->file, 0, SEEK_CUR);
  std::size_t k = std::fread(dst, 1, n, s->file);
  if (k < n) {
    std::memset(dst + k, 0, n - k);
    std::clearerr(s->file);
  }
  s->last = op_read;
}

void put_bytes(int slot, int64_t position, const void* source, std::size_t n) {
  Slot* s = usable(slot);
  if (!s || n == 0 || s->mode == input_mode || s->read_only) return;
  if (position >= 1)
    ::fseeko(s->file, static_cast<off_t>(position - 1), SEEK_SET);
  else if (s->last == op_read)
    ::fseeko(s->file, 0, SEEK_CUR);
  if (std::fwrite(source, 1, n, s->file) != n)
    fail_output("cannot write " + s->path + ": " + error_text());
  s->last = op_write;
}

void get_text(int slot, int64_t position, std::string& text) {
  get_bytes(slot, position, text.data(), text.size());
}

std::string read_whole_text(int slot) {
  std::string text(static_cast<std::size_t>(file_length(slot)), ' ');
  get_text(slot, 1, text);
  return text;
}

int64_t file_length(int slot) {
  Slot* s = usable(slot);
  if (!s) return 0;
  if (s->mode == input_mode) return s->raw_length;
  std::fflush(s->file);
  struct stat st;
  if (::fstat(fileno(s->file), &st) != 0) return 0;
  return static_cast<int64_t>(st.st_size);
}

int& slot_column(int slot) {
  if (slot >= 1 && slot <= max_slot) return g_slots[slot].column;
  return g_console_column;
}

}  // namespace rl
