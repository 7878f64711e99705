// vortel: solves the 9x9 number-placement puzzle given as a file of
// (row, column, digit) triples. Entry point only; the work is in front/ and
// solver/.
#include "front/options.h"
#include "front/puzzle_file.h"
#include "front/report.h"
#include "front/run.h"
#include "front/screen.h"

int main(int argc, char** argv) {
  front::prepare_streams();
  front::verify_integrity();
  front::print_banner();
  if (argc < 2) front::show_usage();
  front::start_clock();
  front::apply_command_line(argc, argv);
  front::load_puzzle(argv[1]);
  front::run_sequence();
}
