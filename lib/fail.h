// How a program of the toolkit stops on bad input or a failed output, and how it
// warns. Every line goes to stderr and starts with the program's name and a colon.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace rl {

// Exit statuses shared by every program.
constexpr int exit_bad_input = 2;     // a value from an input would index outside a table
constexpr int exit_output_failed = 3; // an output could not be written whole

// The name that prefixes stderr lines (set from argv[0] by init_program).
void set_program_name(std::string_view name);
const std::string& program_name();

// One stderr line "NAME: text".
void warn(std::string_view text);

// Stops the program: prints "NAME: text", discards output files that are still being
// written (their previous contents stay whole) and exits with the status.
[[noreturn]] void fail(int status, std::string_view text);
[[noreturn]] void fail_input(std::string_view text);
[[noreturn]] void fail_output(std::string_view text);

// "FILE: FIELD at POSITION holds VALUE, expected EXPECTED" and exit status 2.
[[noreturn]] void fail_value(std::string_view file, std::string_view field, int64_t position,
                             int64_t value, std::string_view expected);

// Called by fail() before exiting; the record-file layer installs its clean-up here.
void set_fail_cleanup(void (*cleanup)());

}  // namespace rl
