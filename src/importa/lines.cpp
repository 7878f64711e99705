// One line a puzzle (--riga): each line goes to a scratch file as it comes,
// so that memory stays fixed however long the collection, and nothing
// reaches its final place before the whole input was read and found good.
// See output.h.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "importa/files.h"
#include "importa/line.h"
#include "importa/output.h"

namespace importa {

namespace {

int say_file_error(const char* target, int error) {
  std::fprintf(stderr,
               "vortel-importa: errore in scrittura dell'archivio %s: %s\n",
               target, std::strerror(error));
  return kExitFile;
}

int say_stdout_error(int error) {
  std::fprintf(stderr,
               "vortel-importa: errore in scrittura sullo standard output: "
               "%s\n",
               std::strerror(error));
  return kExitFile;
}

// Writes the buffered lines to the scratch file; false with errno set
// when that fails.
bool flush_lines(Output& out) {
  if (out.lines_buffered == 0) return true;
  if (!files::write_all(out.lines_fd, out.lines_buffer, out.lines_buffered))
    return false;
  out.lines_buffered = 0;
  out.lines_written = out.count;
  return true;
}

// Standard output's scratch file has no name from the start (or loses it
// at once where the file system cannot make one without), so that nothing
// is left behind by a run that ends in any way.
int open_unnamed(Output& out) {
  const char* directory = std::getenv("TMPDIR");
  if (directory == nullptr || directory[0] == '\0') directory = "/tmp";
  out.lines_fd = open(directory, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (out.lines_fd < 0 && errno != ENOENT && errno != EACCES) {
    char name[PATH_MAX];
    std::snprintf(name, sizeof name, "%s/vortel-importa-XXXXXX", directory);
    out.lines_fd = mkostemp(name, O_CLOEXEC);
    if (out.lines_fd >= 0) unlink(name);
  }
  if (out.lines_fd >= 0) return kExitOk;
  std::fprintf(
      stderr,
      "vortel-importa: errore in apertura di un archivio temporaneo in %s: "
      "%s\n",
      directory, std::strerror(errno));
  return kExitFile;
}

// The new file's scratch file is made beside it, so that the commit is a
// rename on one file system; it gets the mode a new file would have.
int commit_file(Output& out) {
  const mode_t mask = umask(0);
  umask(mask);
  int error = fchmod(out.lines_fd, 0666 & ~mask) == 0 ? 0 : errno;
  if (close(out.lines_fd) != 0 && error == 0) error = errno;
  out.lines_fd = -1;
  if (error != 0) return say_file_error(out.target, error);
  if (renameat2(AT_FDCWD, out.lines_scratch, AT_FDCWD, out.target,
                RENAME_NOREPLACE) != 0) {
    // Without renameat2: a link, which never replaces a name either.
    error = errno;
    if (error == EINVAL || error == ENOSYS) {
      error = link(out.lines_scratch, out.target) == 0 ? 0 : errno;
      if (error == 0) unlink(out.lines_scratch);
    }
  }
  if (error == EEXIST) {
    files::say_exists(out.target);
    return kExitFile;
  }
  if (error != 0) return say_file_error(out.target, error);
  out.lines_scratch[0] = '\0';
  return kExitOk;
}

// Standard output cannot be taken back: a signal during the copy ends the
// run by that signal, so that a partial output never ends with status 0.
int copy_to_stdout(Output& out) {
  if (lseek(out.lines_fd, 0, SEEK_SET) != 0) return say_stdout_error(errno);
  static char chunk[65536];
  for (;;) {
    const ssize_t got = read(out.lines_fd, chunk, sizeof chunk);
    if (interrupted()) end_by_signal(out);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      std::fprintf(stderr,
                   "vortel-importa: errore in lettura dell'archivio "
                   "temporaneo: %s\n",
                   std::strerror(errno));
      return kExitFile;
    }
    if (got == 0) return kExitOk;
    if (!files::write_all(STDOUT_FILENO, chunk, static_cast<std::size_t>(got)))
      return say_stdout_error(errno);
  }
}

}  // namespace

int plan_lines(Output& out) {
  if (out.destination != Destination::kFile) return open_unnamed(out);
  char parent[PATH_MAX];
  files::parent_directory(out.target, parent, sizeof parent);
  if (std::snprintf(out.lines_scratch, sizeof out.lines_scratch,
                    "%s/.vortel-importa-XXXXXX",
                    parent) >= static_cast<int>(sizeof out.lines_scratch)) {
    out.lines_scratch[0] = '\0';
    return say_file_error(out.target, ENAMETOOLONG);
  }
  out.lines_fd = mkostemp(out.lines_scratch, O_CLOEXEC);
  if (out.lines_fd >= 0) return kExitOk;
  out.lines_scratch[0] = '\0';
  return say_file_error(out.target, errno);
}

void keep_line(const Puzzle& puzzle, Output& out) {
  if (sizeof out.lines_buffer - out.lines_buffered < kMaxPuzzleLine &&
      !flush_lines(out)) {
    out.write_error = errno;
    out.failed = out.lines_written + 1;
    return;
  }
  const Recogniser* r = out.source;
  out.lines_buffered +=
      format_line(puzzle, r != nullptr ? r->emitted_label : nullptr,
                  r != nullptr ? r->emitted_label_length : 0,
                  out.lines_buffer + out.lines_buffered);
  ++out.count;
}

int commit_lines(Output& out) {
  if (!flush_lines(out)) {
    out.write_error = errno;
    out.failed = out.lines_written + 1;
    return say_write_error(out);
  }
  return out.destination == Destination::kFile ? commit_file(out)
                                               : copy_to_stdout(out);
}

void clean_up_lines(Output& out) {
  if (out.lines_fd >= 0) close(out.lines_fd);
  out.lines_fd = -1;
  if (out.lines_scratch[0] != '\0') unlink(out.lines_scratch);
  out.lines_scratch[0] = '\0';
}

}  // namespace importa
