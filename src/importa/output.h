// Where vortel-importa's puzzles go: standard output, a new file, or the
// numbered files of a directory, written so that nothing reaches its final
// place before the whole input has been read and found good, and nothing
// this run made is left behind when it fails or is interrupted.
//  - One puzzle (to standard output or a new file) is held until the end.
//  - For a directory, each puzzle goes to a file of a new scratch directory
//    under its final name (0001.txt, ...: one more digit for every file
//    when the numbers outgrow them). The scratch directory is made inside
//    an existing target and beside a new one, so that every move is a
//    rename on one file system. A target that already holds numbered files
//    (an earlier conversion) is refused.
//  - The commit (commit.cpp): the summary line is written first; then a
//    new target is the scratch directory renamed, and into an existing one
//    the files are moved one by one with a rename that never replaces a
//    name, under a lock on the target. From the summary line on, a signal
//    is taken only once every file is in place: status 0 means every
//    puzzle is there, any other status that nothing of this run is.
//  - One line a puzzle (--riga, lines.cpp): each line goes to a scratch
//    file as it comes, in fixed memory. For a new file the scratch file is
//    made beside it and renamed to its name at the commit, a rename that
//    never replaces a name; for standard output it is a file without a
//    name in the temporary directory, copied out at the commit.
#ifndef VORTEL_IMPORTA_OUTPUT_H_
#define VORTEL_IMPORTA_OUTPUT_H_

#include <climits>
#include <cstddef>

#include "importa/files.h"
#include "recognise/recognise.h"

namespace importa {

using base::Puzzle;
using recognise::Recogniser;
using recognise::Refusal;

/// SIGINT, SIGTERM and SIGHUP (those not ignored at start) only note
/// themselves (without SA_RESTART, so that a read waiting on a pipe
/// returns): the run removes what it made and then ends by the same signal
/// (end_by_signal). A file-size limit fails the write instead of ending the
/// process (SIGXFSZ ignored).
void install_signals();

/// True once one of those signals has arrived.
bool interrupted();

/// Where the puzzles go: standard output, one file, or a directory of
/// numbered files.
enum class Destination { kStdout, kFile, kDirectory };

/// Where the puzzles go, and what this run has made so far.
struct Output {
  Destination destination = Destination::kStdout;
  char target[PATH_MAX] = {};  // the file, or the directory with a final '/'
  // One puzzle (standard output or a file): held until the input has ended.
  Puzzle held{};
  bool created = false;  // kFile: the file exists
  // kDirectory.
  char scratch[PATH_MAX + 32] = {};  // "" until made, or once gone
  int scratch_fd = -1;
  int target_fd = -1;
  bool made_target = false;
  int width = 4;   // digits of the file numbers so far
  long moved = 0;  // files moved to their final names in the target
  // One line a puzzle (--riga; kStdout or kFile).
  bool lines = false;
  const Recogniser* source = nullptr;      // what tells the label of a puzzle
  int lines_fd = -1;                       // the scratch file
  char lines_scratch[PATH_MAX + 32] = {};  // kFile: its name, "" once gone
  char lines_buffer[65536] = {};
  std::size_t lines_buffered = 0;
  long lines_written = 0;  // puzzles whose lines reached the scratch file
  // Every puzzle.
  long count = 0;
  int write_error = 0;  // errno of a failed write, 0 while none
  long failed = 0;      // the puzzle whose writing failed
};

/// Decides where the puzzles go (`output`: null or "-" for standard output,
/// a name ending in '/' or an existing directory for a directory, else a
/// new file; `lines`: one line a puzzle, into one file or standard output)
/// and checks what can be checked before the input is read. Returns
/// kExitOk, or the exit status having said why.
int plan_output(const char* output, bool lines, Output& out);

/// The Emit of the recogniser, with the Output as context: holds the one
/// puzzle, or writes it to the scratch directory.
void keep_puzzle(const Puzzle& puzzle, void* context);

/// After the whole input was read and found good: the one puzzle written
/// (refused when the input, named `input_name`, held more than one), or,
/// for a directory, the summary line on standard output and the files
/// moved into place. Returns kExitOk, or the exit status having said why.
int commit_output(const char* input_name, Output& out);

/// One line a puzzle (lines.cpp): the scratch file made; the puzzle's line
/// added to it; the file committed (renamed to its name, or copied to
/// standard output); what this run made removed.
int plan_lines(Output& out);
void keep_line(const Puzzle& puzzle, Output& out);
int commit_lines(Output& out);
void clean_up_lines(Output& out);

/// Reports a failed write of the scratch files; returns kExitFile.
int say_write_error(const Output& out);

/// Removes what this run made: the files moved to their names, the scratch
/// directory with what it still holds, the target directory if this run
/// made it, the output file.
void clean_up(Output& out);

/// Removes what this run made and ends the process by the signal that
/// arrived.
[[noreturn]] void end_by_signal(Output& out);

/// After a successful commit: removes the empty scratch directory, if
/// still there, and says on standard error that a signal which arrived
/// during the commit was taken once the output was complete.
void finish_output(Output& out);

}  // namespace importa

#endif  // VORTEL_IMPORTA_OUTPUT_H_
