#include "fail.h"

#include <cstdio>
#include <cstdlib>

#include "array.h"

namespace rl {

namespace {
std::string g_name = "ratinglab";
void (*g_cleanup)() = nullptr;
}  // namespace

void set_program_name(std::string_view name) {
  auto slash = name.rfind('/');
  g_name = std::string(slash == std::string_view::npos ? name : name.substr(slash + 1));
}

const std::string& program_name() { return g_name; }

void warn(std::string_view text) {
  std::fflush(stdout);
  std::fprintf(stderr, "%s: %.*s\n", g_name.c_str(), static_cast<int>(text.size()), text.data());
  std::fflush(stderr);
}

void set_fail_cleanup(void (*cleanup)()) { g_cleanup = cleanup; }

void fail(int status, std::string_view text) {
  warn(text);
  if (g_cleanup) g_cleanup();
  std::fflush(stdout);
  std::_Exit(status);
}

void fail_input(std::string_view text) { fail(exit_bad_input, text); }
void fail_output(std::string_view text) { fail(exit_output_failed, text); }

void fail_value(std::string_view file, std::string_view field, int64_t position, int64_t value,
                std::string_view expected) {
  std::string t;
  t.append(file).append(": ").append(field).append(" at ").append(std::to_string(position));
  t.append(" holds ").append(std::to_string(value));
  if (!expected.empty()) t.append(", expected ").append(expected);
  fail_input(t);
}

void fail_allocation(std::size_t bytes) {
  fail(exit_bad_input, "cannot allocate a table of " + std::to_string(bytes) + " bytes");
}

}  // namespace rl
