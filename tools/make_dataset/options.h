// Command line of make_dataset.
#pragma once

namespace gen {

// Fills SET from the command line and the scaled defaults. Prints the usage and exits 0
// for --help; stops with status 2 on a bad option.
void parse_options(int argc, char** argv);

}  // namespace gen
