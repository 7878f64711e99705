// The output of vortel-importa: see output.h.
#include "importa/output.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "importa/files.h"

namespace importa {

namespace {

using files::digits_of;
using files::exists;
using files::final_name;
using files::is_directory;
using files::kNameSize;
using files::say_directory_error;
using files::say_exists;
using files::write_triples;

volatile sig_atomic_t g_signal = 0;  // the interrupting signal, 0 for none

void note_signal(int number) {
  g_signal = number;
}

// The scratch directory: inside an existing target, beside a new one, so
// that the final renames stay on the target's own file system (a target
// that is a mount point included).
int make_scratch(Output& out) {
  if (is_directory(out.target)) {
    std::snprintf(out.scratch, sizeof out.scratch, "%s.vortel-importa-XXXXXX",
                  out.target);
  } else {
    char parent[PATH_MAX];
    files::parent_directory(out.target, parent, sizeof parent);
    std::snprintf(out.scratch, sizeof out.scratch, "%s/.vortel-importa-XXXXXX",
                  parent);
  }
  if (mkdtemp(out.scratch) == nullptr) {
    out.scratch[0] = '\0';
    return say_directory_error(out.target, errno);
  }
  out.scratch_fd = open(out.scratch, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (out.scratch_fd < 0) return say_directory_error(out.target, errno);
  return kExitOk;
}

// An existing target that holds files named as this program names them
// (an earlier conversion, of any width) is refused before the input is
// read; the commit checks again under a lock (commit.cpp).
int check_target(const Output& out) {
  DIR* directory = opendir(out.target);
  if (directory == nullptr) return kExitOk;  // made by this run, or unusable
  return files::refuse_numbered(directory, out.target);
}

// One more digit for every file name, when the numbers outgrow them (at
// puzzle 10000, 100000, ...): the files of the scratch directory renamed.
// Each widening renames a tenth of the files that will follow it, so the
// files always have their final names and a new target directory can be
// the scratch directory itself, renamed once.
bool widen_names(Output& out) {
  char before[kNameSize];
  char after[kNameSize];
  for (long n = 1; n <= out.count; ++n) {
    final_name(out.width, n, before);
    ++out.width;
    final_name(out.width, n, after);
    --out.width;
    if (renameat(out.scratch_fd, before, out.scratch_fd, after) != 0) {
      return false;
    }
  }
  ++out.width;
  return true;
}

}  // namespace

void install_signals() {
  struct sigaction action {};
  action.sa_handler = note_signal;
  sigemptyset(&action.sa_mask);
  for (int number : {SIGINT, SIGTERM, SIGHUP}) {
    // One ignored by whoever started the run (a background job, nohup)
    // stays ignored.
    struct sigaction before {};
    sigaction(number, nullptr, &before);
    if (before.sa_handler != SIG_IGN) sigaction(number, &action, nullptr);
  }
  signal(SIGXFSZ, SIG_IGN);
}

bool interrupted() {
  return g_signal != 0;
}

int plan_output(const char* output, bool lines, Output& out) {
  out.lines = lines;
  if (output == nullptr || std::strcmp(output, "-") == 0)
    return lines ? plan_lines(out) : kExitOk;
  const std::size_t length = std::strlen(output);
  const bool directory = output[length - 1] == '/' || is_directory(output);
  if (std::snprintf(out.target, sizeof out.target, "%s%s", output,
                    directory && output[length - 1] != '/' ? "/" : "") >=
      static_cast<int>(sizeof out.target)) {
    std::fprintf(stderr, "vortel-importa: nome troppo lungo: %s\n", output);
    return kExitBadInput;
  }
  if (!directory) {
    out.destination = Destination::kFile;
    if (exists(out.target)) {
      say_exists(out.target);
      return kExitFile;
    }
    return lines ? plan_lines(out) : kExitOk;
  }
  if (lines) {
    std::fprintf(stderr,
                 "vortel-importa: con --riga i giochi vanno in un solo "
                 "archivio, non nel direttorio %s\n",
                 out.target);
    return kExitBadInput;
  }
  out.destination = Destination::kDirectory;
  if (exists(output) && !is_directory(output))
    return say_directory_error(out.target, ENOTDIR);
  if (const int status = check_target(out); status != kExitOk) return status;
  return make_scratch(out);
}

void keep_puzzle(const Puzzle& puzzle, void* context) {
  auto& out = *static_cast<Output*>(context);
  if (out.write_error != 0) return;
  if (out.lines) {
    keep_line(puzzle, out);
    return;
  }
  if (out.destination != Destination::kDirectory) {
    if (out.count++ == 0) out.held = puzzle;
    return;
  }
  const long n = out.count + 1;
  out.failed = n;  // until written
  if (digits_of(n) > out.width && !widen_names(out)) {
    out.write_error = errno;
    return;
  }
  char name[kNameSize];
  final_name(out.width, n, name);
  const int fd = openat(out.scratch_fd, name,
                        O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    out.write_error = errno;
    return;
  }
  int error = write_triples(fd, puzzle) ? 0 : errno;
  if (close(fd) != 0 && error == 0) error = errno;
  out.count = n;  // written or not, the file is there to be removed
  if (error != 0) out.write_error = error;
}

int say_write_error(const Output& out) {
  std::fprintf(
      stderr, "vortel-importa: errore in scrittura del gioco %ld in %s: %s\n",
      out.failed,
      out.destination == Destination::kStdout ? "un archivio temporaneo"
                                              : out.target,
      std::strerror(out.write_error));
  return kExitFile;
}

void clean_up(Output& out) {
  if (out.lines) {
    clean_up_lines(out);
    return;
  }
  if (out.destination == Destination::kFile && out.created) unlink(out.target);
  if (out.destination != Destination::kDirectory) return;
  char name[kNameSize];
  for (long n = 1; n <= out.moved; ++n) {
    final_name(out.width, n, name);
    unlinkat(out.target_fd, name, 0);
  }
  files::remove_scratch(out.scratch, out.scratch_fd);
  if (out.made_target) rmdir(out.target);
}

[[noreturn]] void end_by_signal(Output& out) {
  clean_up(out);
  const int number = g_signal;
  signal(number, SIG_DFL);
  raise(number);
  _exit(128 + number);
}

}  // namespace importa
