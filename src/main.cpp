// vortel: solves the 9x9 number-placement puzzle given as a file of
// (row, column, digit) triples. Entry point only; the work is in front/ and
// solver/.
#include "front/options.h"
#include "front/puzzle_file.h"
#include "front/report.h"
#include "front/run.h"
#include "front/screen.h"
#include "front/self_check.h"

namespace {

// The self-check's verdict, taken before any constructor of the program
// runs, while its writable data is exactly as the loader left it; false
// also when the check never ran (its table entry below was altered).
bool g_intact = false;

void check_image(int /*argc*/, char** /*argv*/, char** /*envp*/) {
  g_intact = front::program_is_intact();
  if (!g_intact) {
    // Refused here, so that no constructor of an altered program runs.
    front::prepare_streams();
    front::verify_integrity(false);
  }
}

}  // namespace

// The C library's start-up code calls the functions of this table before
// any other code of the program.
[[gnu::used,
  gnu::section(".preinit_array")]] void (*g_check_image)(int, char**,
                                                         char**) = check_image;

int main(int argc, char** argv) {
  front::prepare_streams();
  front::verify_integrity(g_intact);
  front::print_banner();
  if (argc < 2) front::show_usage();
  front::start_clock();
  front::apply_command_line(argc, argv);
  front::load_puzzle(argv[1]);
  front::run_sequence();
}
