// The commit of vortel-importa's output, once the whole input was read
// and found good: the one puzzle written, or the directory's files moved
// into place. See output.h.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "importa/files.h"
#include "importa/output.h"

namespace importa {

namespace {

using files::exists;
using files::final_name;
using files::kNameSize;
using files::remove_scratch;
using files::say_directory_error;
using files::say_exists;
using files::write_all;
using files::write_triples;

int commit_single(const char* input_name, Output& out) {
  if (out.count > 1) {
    std::fprintf(
        stderr,
        "vortel-importa: %s contiene %ld giochi: per scriverli uno per "
        "archivio indicare un direttorio (-o DIRETTORIO/), per scriverli "
        "uno per riga --riga\n",
        input_name, out.count);
    return kExitBadInput;
  }
  if (out.destination == Destination::kStdout) {
    if (write_triples(STDOUT_FILENO, out.held)) return kExitOk;
    std::fprintf(
        stderr,
        "vortel-importa: errore in scrittura sullo standard output: %s\n",
        std::strerror(errno));
    return kExitFile;
  }
  const int fd =
      open(out.target, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0 && errno == EEXIST) {
    say_exists(out.target);
    return kExitFile;
  }
  int error = fd < 0 ? errno : 0;
  if (fd >= 0) {
    out.created = true;
    if (!write_triples(fd, out.held)) error = errno;
    if (close(fd) != 0 && error == 0) error = errno;
  }
  if (error == 0) return kExitOk;
  std::fprintf(stderr,
               "vortel-importa: errore in scrittura dell'archivio %s: %s\n",
               out.target, std::strerror(error));
  return kExitFile;
}

// Moves a file of the scratch directory to the target, never replacing
// one: renameat2 where the file system has it, else link and unlink.
int move_into_place(const Output& out, const char* name) {
  if (renameat2(out.scratch_fd, name, out.target_fd, name, RENAME_NOREPLACE) ==
      0) {
    return 0;
  }
  if (errno != EINVAL && errno != ENOSYS) return errno;
  if (linkat(out.scratch_fd, name, out.target_fd, name, 0) != 0) return errno;
  unlinkat(out.scratch_fd, name, 0);
  return 0;
}

// A target that does not exist yet becomes the scratch directory itself,
// in one rename that fails if the name appeared meanwhile. Returns 0, or
// the errno that sends the run to moving the files one by one (the name
// exists now, or no renameat2) or to failing.
int rename_scratch_to_target(Output& out) {
  char path[PATH_MAX];
  std::snprintf(path, sizeof path, "%s", out.target);
  for (std::size_t n = std::strlen(path); n > 1 && path[n - 1] == '/';) {
    path[--n] = '\0';
  }
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(out.scratch_fd, 0777 & ~mask);  // as mkdir would have made it
  if (renameat2(AT_FDCWD, out.scratch, AT_FDCWD, path, RENAME_NOREPLACE) != 0) {
    return errno;
  }
  out.scratch[0] = '\0';
  return 0;
}

// Files named as this program names them, in the target: an earlier
// conversion, whose numbering this run must not mix with its own.
int check_earlier(const Output& out) {
  const int fd = dup(out.target_fd);
  DIR* directory = fd < 0 ? nullptr : fdopendir(fd);
  if (directory == nullptr) return say_directory_error(out.target, errno);
  return files::refuse_numbered(directory, out.target);
}

// The existing target, locked against another run's commit until this
// one ends, and found free of earlier conversions.
int open_target(Output& out) {
  out.target_fd = open(out.target, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (out.target_fd < 0) return say_directory_error(out.target, errno);
  while (flock(out.target_fd, LOCK_EX) != 0) {
    if (errno != EINTR) return say_directory_error(out.target, errno);
  }
  return check_earlier(out);
}

// The files moved one by one; the rename refuses an existing name, and the
// files moved before it are then removed again by clean_up.
int move_files(Output& out) {
  char name[kNameSize];
  for (long n = 1; n <= out.count; ++n) {
    final_name(out.width, n, name);
    const int error = move_into_place(out, name);
    if (error == EEXIST) {
      char path[PATH_MAX + kNameSize];
      std::snprintf(path, sizeof path, "%s%s", out.target, name);
      say_exists(path);
      return kExitFile;
    }
    if (error != 0) return say_directory_error(out.target, error);
    ++out.moved;
  }
  return kExitOk;
}

// How many puzzles went where, on standard output: said before the files
// are moved, so that a line that cannot be written fails the run while
// nothing is in place yet.
int say_written(const Output& out) {
  char first[kNameSize];
  char last[kNameSize];
  final_name(out.width, 1, first);
  final_name(out.width, out.count, last);
  char text[PATH_MAX + 3 * kNameSize + 64];
  const int size =
      out.count == 1
          ? std::snprintf(text, sizeof text, "1 gioco scritto in %s (%s)\n",
                          out.target, first)
          : std::snprintf(text, sizeof text,
                          "%ld giochi scritti in %s (%s ... %s)\n", out.count,
                          out.target, first, last);
  if (write_all(STDOUT_FILENO, text, static_cast<std::size_t>(size))) {
    return kExitOk;
  }
  std::fprintf(
      stderr, "vortel-importa: errore in scrittura sullo standard output: %s\n",
      std::strerror(errno));
  return kExitFile;
}

// The commit: the summary line, then the move, which a signal no longer
// stops (it is taken once every file is in place).
int commit_directory(Output& out) {
  const bool fresh = !exists(out.target);
  if (!fresh) {
    if (const int status = open_target(out); status != kExitOk) return status;
  }
  if (interrupted()) end_by_signal(out);
  if (say_written(out) != kExitOk) return kExitFile;
  if (fresh) {
    const int error = rename_scratch_to_target(out);
    if (error == 0) return kExitOk;
    if (error == EEXIST || error == ENOTEMPTY) {  // it appeared meanwhile
      if (const int status = open_target(out); status != kExitOk) {
        return status;
      }
    } else if (error == EINVAL || error == ENOSYS) {
      if (mkdir(out.target, 0777) != 0)
        return say_directory_error(out.target, errno);
      out.made_target = true;
      if (const int status = open_target(out); status != kExitOk) {
        return status;
      }
    } else {
      return say_directory_error(out.target, error);
    }
  }
  return move_files(out);
}

}  // namespace

int commit_output(const char* input_name, Output& out) {
  if (out.lines) return commit_lines(out);
  return out.destination == Destination::kDirectory
             ? commit_directory(out)
             : commit_single(input_name, out);
}

void finish_output(Output& out) {
  if (out.destination == Destination::kDirectory)
    remove_scratch(out.scratch, out.scratch_fd);  // empty by now
  if (interrupted()) {
    std::fputs(
        "vortel-importa: segnale ricevuto a conversione completa: i giochi "
        "sono tutti al loro posto\n",
        stderr);
  }
}

}  // namespace importa
