// One program of the category builder; CATBUILD_PROGRAM names its configuration.
#include "builder.h"
#include "console.h"
#include "fail.h"

int main(int argc, char** argv) {
  rl::init_program(argc, argv);
  if (!cb::config_by_name(CATBUILD_PROGRAM, cb::CFG)) rl::fail_input("unknown configuration");
  cb::load_rating_lists();
  if (cb::CFG.flow == cb::Flow::mean_statistics)
    cb::run_mean_flow();
  else
    cb::run_refinement();
  rl::wait_for_key();
  return 0;
}
