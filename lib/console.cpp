#include "console.h"

#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <string>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "fail.h"
#include "record_file.h"

namespace rl {

namespace {

bool g_cursor_hidden = false;

void show_cursor_at_exit() {
  if (g_cursor_hidden) {
    std::fputs("\x1b[?25h", stdout);
    std::fflush(stdout);
  }
}

struct Window {
  int rows = 25;
  int cols = 80;
};

Window window() {
  Window w;
  struct winsize ws;
  if (console_is_terminal() && ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0) {
    w.cols = ws.ws_col;
    w.rows = ws.ws_row > 0 ? ws.ws_row : 25;
  }
  return w;
}

}  // namespace

void init_program(int argc, char** argv) {
  if (argc > 0 && argv[0]) set_program_name(argv[0]);
}

bool console_is_terminal() {
  static const bool tty = ::isatty(STDOUT_FILENO) != 0;
  return tty;
}

int console_width() {
  static const int width = window().cols;
  return width;
}

void console_write(std::string_view bytes) {
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  int& col = slot_column(console_slot);
  auto last = bytes.find_last_of("\r\n");
  if (last == std::string_view::npos)
    col += static_cast<int>(bytes.size());
  else
    col = static_cast<int>(bytes.size() - last - 1);
  col %= console_width();
}

void console_clear() {
  if (console_is_terminal()) std::fputs("\x1b[2J\x1b[H", stdout);
  slot_column(console_slot) = 0;
}

void console_locate(int row, int column, bool hide_cursor) {
  if (console_is_terminal()) {
    Window w = window();
    if (hide_cursor && !g_cursor_hidden) {
      g_cursor_hidden = true;
      std::atexit(show_cursor_at_exit);
      std::fputs("\x1b[?25l", stdout);
    }
    if (row < 1 || column < 1 || row > w.rows || column > w.cols) return;
    std::fprintf(stdout, "\x1b[%d;%dH", row, column);
  }
  slot_column(console_slot) = column - 1;
}

void wait_for_key() {
  std::fflush(stdout);
  if (!::isatty(STDIN_FILENO)) {
    char c;
    [[maybe_unused]] ssize_t n = ::read(STDIN_FILENO, &c, 1);
    return;
  }
  struct termios saved, raw;
  bool have = ::tcgetattr(STDIN_FILENO, &saved) == 0;
  if (have) {
    raw = saved;
    raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 0;
    ::tcsetattr(STDIN_FILENO, TCSANOW, &raw);
  }
  for (;;) {
    struct pollfd p = {STDIN_FILENO, POLLIN, 0};
    int r = ::poll(&p, 1, 50);
    if (r > 0) {
      char c;
      if (::read(STDIN_FILENO, &c, 1) != 0) break;
      break;  // end of input on the terminal
    }
    if (r < 0) break;
  }
  if (have) ::tcsetattr(STDIN_FILENO, TCSANOW, &saved);
}

}  // namespace rl
