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

namespace importa {

namespace {

volatile sig_atomic_t g_signal = 0;  // the interrupting signal, 0 for none

void note_signal(int number) {
  g_signal = number;
}

// Writes all of `size` bytes, going on after an interruption by a signal
// that only notes itself. Returns false with errno set on failure.
bool write_all(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t done = write(fd, data, size);
    if (done < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += done;
    size -= static_cast<std::size_t>(done);
  }
  return true;
}

// The puzzle as vortel reads it: "row column digit" for every given cell.
bool write_triples(int fd, const Puzzle& puzzle) {
  char text[81 * 6];
  std::size_t size = 0;
  for (unsigned i = 0; i < 81; ++i) {
    if (puzzle[i] == 0) continue;
    text[size++] = static_cast<char>('1' + i / 9);
    text[size++] = ' ';
    text[size++] = static_cast<char>('1' + i % 9);
    text[size++] = ' ';
    text[size++] = static_cast<char>('0' + puzzle[i]);
    text[size++] = '\n';
  }
  return write_all(fd, text, size);
}

constexpr std::size_t kNameSize = 32;  // a final or scratch file name

bool exists(const char* path) {
  struct stat info;
  return lstat(path, &info) == 0;
}

bool is_directory(const char* path) {
  struct stat info;
  return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

void say_exists(const char* path) {
  std::fprintf(stderr,
               "vortel-importa: l'archivio %s e' gia' presente sul disco\n",
               path);
}

int say_directory_error(const Output& out, int error) {
  std::fprintf(stderr,
               "vortel-importa: errore in apertura del direttorio %s: %s\n",
               out.target, std::strerror(error));
  return kExitFile;
}

// The scratch directory, beside the target so that the final renames stay
// on one file system; inside the target when only that can be written.
int make_scratch(Output& out) {
  char parent[PATH_MAX];
  std::snprintf(parent, sizeof parent, "%s", out.target);
  std::size_t length = std::strlen(parent);
  while (length > 1 && parent[length - 1] == '/') parent[--length] = '\0';
  char* slash = std::strrchr(parent, '/');
  if (slash == nullptr) {
    std::snprintf(parent, sizeof parent, ".");
  } else {
    slash[slash == parent ? 1 : 0] = '\0';
  }
  std::snprintf(out.scratch, sizeof out.scratch, "%s/.vortel-importa-XXXXXX",
                parent);
  if (mkdtemp(out.scratch) == nullptr) {
    const int error = errno;
    const bool inside = (error == EACCES || error == EPERM || error == EROFS) &&
                        is_directory(out.target);
    std::snprintf(out.scratch, sizeof out.scratch, "%s.vortel-importa-XXXXXX",
                  out.target);
    if (!inside || mkdtemp(out.scratch) == nullptr) {
      out.scratch[0] = '\0';
      return say_directory_error(out, inside ? errno : error);
    }
  }
  out.scratch_fd = open(out.scratch, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (out.scratch_fd < 0) return say_directory_error(out, errno);
  return kExitOk;
}

int digits_of(long n) {
  int digits = 1;
  for (; n >= 10; n /= 10) ++digits;
  return digits;
}

// The name of puzzle n at the present width: 0001.txt, ...
void final_name(const Output& out, long n, char* name) {
  std::size_t zeros = 0;
  for (int d = digits_of(n); d < out.width; ++d) name[zeros++] = '0';
  std::snprintf(name + zeros, kNameSize - zeros, "%ld.txt", n);
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
    final_name(out, n, before);
    ++out.width;
    final_name(out, n, after);
    --out.width;
    if (renameat(out.scratch_fd, before, out.scratch_fd, after) != 0) {
      return false;
    }
  }
  ++out.width;
  return true;
}

// Removes the scratch directory with whatever it holds.
void remove_scratch(Output& out) {
  if (out.scratch[0] == '\0') return;
  const int fd = dup(out.scratch_fd);
  DIR* directory = fd < 0 ? nullptr : fdopendir(fd);
  if (directory != nullptr) {
    while (const dirent* entry = readdir(directory)) {
      if (entry->d_name[0] != '.') unlinkat(out.scratch_fd, entry->d_name, 0);
    }
    closedir(directory);
  }
  rmdir(out.scratch);
  out.scratch[0] = '\0';
}

int commit_single(const char* input_name, Output& out) {
  if (out.count > 1) {
    std::fprintf(
        stderr,
        "vortel-importa: %s contiene %ld giochi: per scriverli uno per "
        "archivio indicare un direttorio (-o DIRETTORIO/)\n",
        input_name, out.count);
    return kExitBadInput;
  }
  if (out.mode == Mode::kStdout) {
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

int commit_directory(Output& out) {
  if (!exists(out.target)) {
    const int error = rename_scratch_to_target(out);
    if (error == 0) return kExitOk;
    if (error != EEXIST && error != ENOTEMPTY && error != EINVAL &&
        error != ENOSYS) {
      return say_directory_error(out, error);
    }
    if (error != EEXIST && error != ENOTEMPTY) {
      if (mkdir(out.target, 0777) != 0) return say_directory_error(out, errno);
      out.made_target = true;
    }
  }
  out.target_fd = open(out.target, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (out.target_fd < 0) return say_directory_error(out, errno);
  char name[kNameSize];
  // The rename refuses an existing name; the files moved before it are
  // then removed again by clean_up.
  for (long n = 1; n <= out.count; ++n) {
    if (g_signal != 0) end_by_signal(out);
    final_name(out, n, name);
    const int error = move_into_place(out, name);
    if (error == EEXIST) {
      char path[PATH_MAX + kNameSize];
      std::snprintf(path, sizeof path, "%s%s", out.target, name);
      say_exists(path);
      return kExitFile;
    }
    if (error != 0) return say_directory_error(out, error);
    ++out.moved;
  }
  return kExitOk;
}

int say_written(const Output& out) {
  char first[kNameSize];
  char last[kNameSize];
  final_name(out, 1, first);
  final_name(out, out.count, last);
  if (out.count == 1) {
    std::printf("1 gioco scritto in %s (%s)\n", out.target, first);
  } else {
    std::printf("%ld giochi scritti in %s (%s ... %s)\n", out.count, out.target,
                first, last);
  }
  if (std::fflush(stdout) == 0) return kExitOk;
  std::fprintf(
      stderr, "vortel-importa: errore in scrittura sullo standard output: %s\n",
      std::strerror(errno));
  return kExitFile;
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

int plan_output(const char* output, Output& out) {
  if (output == nullptr || std::strcmp(output, "-") == 0) return kExitOk;
  const std::size_t length = std::strlen(output);
  const bool directory = output[length - 1] == '/' || is_directory(output);
  if (std::snprintf(out.target, sizeof out.target, "%s%s", output,
                    directory && output[length - 1] != '/' ? "/" : "") >=
      static_cast<int>(sizeof out.target)) {
    std::fprintf(stderr, "vortel-importa: nome troppo lungo: %s\n", output);
    return kExitBadInput;
  }
  if (!directory) {
    out.mode = Mode::kFile;
    if (!exists(out.target)) return kExitOk;
    say_exists(out.target);
    return kExitFile;
  }
  out.mode = Mode::kDirectory;
  if (exists(output) && !is_directory(output))
    return say_directory_error(out, ENOTDIR);
  return make_scratch(out);
}

void keep_puzzle(const Puzzle& puzzle, void* context) {
  auto& out = *static_cast<Output*>(context);
  if (out.write_error != 0) return;
  if (out.mode != Mode::kDirectory) {
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
  final_name(out, n, name);
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
  std::fprintf(stderr,
               "vortel-importa: errore in scrittura del gioco %ld in %s: %s\n",
               out.failed, out.target, std::strerror(out.write_error));
  return kExitFile;
}

void clean_up(Output& out) {
  if (out.mode == Mode::kFile && out.created) unlink(out.target);
  if (out.mode != Mode::kDirectory) return;
  char name[kNameSize];
  for (long n = 1; n <= out.moved; ++n) {
    final_name(out, n, name);
    unlinkat(out.target_fd, name, 0);
  }
  remove_scratch(out);
  if (out.made_target) rmdir(out.target);
}

[[noreturn]] void end_by_signal(Output& out) {
  clean_up(out);
  const int number = g_signal;
  signal(number, SIG_DFL);
  raise(number);
  _exit(128 + number);
}

int commit_output(const char* input_name, Output& out) {
  return out.mode == Mode::kDirectory ? commit_directory(out)
                                      : commit_single(input_name, out);
}

int finish_output(Output& out) {
  if (out.mode != Mode::kDirectory) return kExitOk;
  remove_scratch(out);  // empty now, if still there
  return say_written(out);
}

}  // namespace importa
