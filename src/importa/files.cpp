// The shared file operations of vortel-importa: see files.h.
#include "importa/files.h"

#include <dirent.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

namespace importa::files {

bool write_all(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t done = write(fd, data, size);
    if (done < 0) {
      if (errno == EINTR) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
      // A non-blocking descriptor whose reader is behind: wait for room.
      pollfd ready{fd, POLLOUT, 0};
      if (poll(&ready, 1, -1) < 0 && errno != EINTR) return false;
      continue;
    }
    data += done;
    size -= static_cast<std::size_t>(done);
  }
  return true;
}

bool write_triples(int fd, const Puzzle& puzzle) {
  char text[81 * 6];
  std::size_t size = 0;
  for (unsigned i = 0; i < 81; ++i) {
    if (puzzle.cell[i] == 0) continue;
    text[size++] = static_cast<char>('1' + i / 9);
    text[size++] = ' ';
    text[size++] = static_cast<char>('1' + i % 9);
    text[size++] = ' ';
    text[size++] = static_cast<char>('0' + puzzle.cell[i]);
    text[size++] = '\n';
  }
  return write_all(fd, text, size);
}

void parent_directory(const char* path, char* parent, std::size_t size) {
  std::snprintf(parent, size, "%s", path);
  std::size_t length = std::strlen(parent);
  while (length > 1 && parent[length - 1] == '/') parent[--length] = '\0';
  char* slash = std::strrchr(parent, '/');
  if (slash == nullptr) {
    std::snprintf(parent, size, ".");
  } else {
    slash[slash == parent ? 1 : 0] = '\0';
  }
}

bool exists(const char* path) {
  struct stat info;
  return lstat(path, &info) == 0;
}

bool is_directory(const char* path) {
  struct stat info;
  return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

void say_exists(const char* path) {
  std::fprintf(
      stderr, "vortel-importa: l'archivio %s è già presente sul disco\n", path);
}

int say_directory_error(const char* target, int error) {
  std::fprintf(stderr,
               "vortel-importa: errore in apertura del direttorio %s: %s\n",
               target, std::strerror(error));
  return kExitFile;
}

int digits_of(long n) {
  int digits = 1;
  for (; n >= 10; n /= 10) ++digits;
  return digits;
}

void final_name(int width, long n, char* name) {
  std::size_t zeros = 0;
  for (int d = digits_of(n); d < width; ++d) name[zeros++] = '0';
  std::snprintf(name + zeros, kNameSize - zeros, "%ld.txt", n);
}

void remove_scratch(char* scratch, int scratch_fd) {
  if (scratch[0] == '\0') return;
  const int fd = dup(scratch_fd);
  DIR* directory = fd < 0 ? nullptr : fdopendir(fd);
  if (directory != nullptr) {
    while (const dirent* entry = readdir(directory)) {
      if (entry->d_name[0] != '.') unlinkat(scratch_fd, entry->d_name, 0);
    }
    closedir(directory);
  }
  rmdir(scratch);
  scratch[0] = '\0';
}

bool is_numbered_name(const char* name) {
  std::size_t digits = 0;
  while (name[digits] >= '0' && name[digits] <= '9') ++digits;
  return digits >= 4 && std::strcmp(name + digits, ".txt") == 0;
}

int refuse_numbered(DIR* directory, const char* target) {
  int status = kExitOk;
  while (const dirent* entry = readdir(directory)) {
    if (!is_numbered_name(entry->d_name)) continue;
    char path[PATH_MAX + sizeof entry->d_name];
    std::snprintf(path, sizeof path, "%s%s", target, entry->d_name);
    say_exists(path);
    status = kExitFile;
    break;
  }
  closedir(directory);
  return status;
}

}  // namespace importa::files
