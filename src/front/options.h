// Command line: run settings, option parsing, the usage text and the check
// that refuses an existing output file.
#ifndef VORTEL_FRONT_OPTIONS_H_
#define VORTEL_FRONT_OPTIONS_H_

namespace front {

/// What the options asked for. Names point into the argument vector, so
/// they are kept whole whatever their length and never copied.
struct RunSettings {
  bool count = false;               // -c
  bool first = false;               // -s
  bool all = false;                 // -S
  const char* directory = nullptr;  // -d, as given (null when absent)
  const char* output_name = "";     // the optional name after -s or -S
};

enum class OptionStatus {
  kOk,       // settings filled in
  kUsage,    // show the usage text (-d without argument, -s/-S refused)
  kIllegal,  // an unrecognised option: show its message, then the usage
};

struct OptionResult {
  OptionStatus status;
  int bad_index;  // with kIllegal: the index of the offending argument
};

/// Reads the options from argv[2] on into `settings` (which it resets
/// first). Prints nothing. Only the order rules decide the -s/-S exclusion:
/// each is tested against the flags set before it.
OptionResult parse_options(int argc, const char* const* argv,
                           RunSettings& settings);

/// The run settings of this process.
extern RunSettings g_settings;

/// Prints the banner (two lines) to standard output.
void print_banner();

/// Prints the usage text and ends the process with status 0.
[[noreturn]] void show_usage();

/// True when `name` is an existing path that is not a directory, even if it
/// cannot be read: such a file must never be emptied by a later creation.
bool output_exists(const char* name);

/// Parses the options into g_settings and acts on the outcome: usage text,
/// illegal-option message, or the refusal of an existing output file.
/// Returns only when the run can go on to load the puzzle.
void apply_command_line(int argc, const char* const* argv);

}  // namespace front

#endif  // VORTEL_FRONT_OPTIONS_H_
