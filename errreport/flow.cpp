#include "flow.h"

#include "checked_io.h"
#include "console.h"
#include "load.h"
#include "paths.h"
#include "print.h"
#include "record_file.h"
#include "report.h"
#include "score.h"

namespace er {

std::string model_name(int argc, char** argv, const char* default_name) {
  std::string name;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) name += ' ';
    name += argv[i];
  }
  return name.empty() ? default_name : name;
}

int run_error_report(const ReportTraits& traits, int argc, char** argv) {
  rl::init_program(argc, argv);
  CHECKED = traits.checked;
  std::string name = model_name(argc, argv, traits.default_model);
  rl::console_clear();
  load_model(traits, rl::dataset_folder + name + ".dat");
  load_shared_inputs();
  // The unchecked report stops on bad input here, before anything is scored or written.
  if (!traits.checked) check_inputs();
  rl::text_item(rl::console_slot, "Movie sizes have been loaded.", rl::line_end);
  rl::text_item(rl::console_slot, "Verification values have been loaded.", rl::line_end);
  start_accumulators();
  score_probe(traits);
  write_report_files();
  write_console_summary(traits);
  rl::wait_for_key();
  return 0;
}

}  // namespace er
