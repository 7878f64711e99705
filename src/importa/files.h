// The file operations that vortel-importa's output and its commit share:
// writing whole (waiting on a full non-blocking descriptor), the numbered
// names, and the messages about names and directories.
#ifndef VORTEL_IMPORTA_FILES_H_
#define VORTEL_IMPORTA_FILES_H_

#include <dirent.h>

#include <cstddef>

#include "recognise/recognise.h"

namespace importa {

using base::Puzzle;

inline constexpr int kExitOk = 0;
inline constexpr int kExitBadInput = 1;  // bad input, or a bad command line
inline constexpr int kExitFile = 2;  // a file that cannot be read or written

}  // namespace importa

namespace importa::files {

inline constexpr std::size_t kNameSize = 32;  // a final or scratch file name

/// Writes all of `size` bytes, going on after an interruption by a signal
/// that only notes itself, and waiting while a non-blocking descriptor is
/// full. Returns false with errno set on failure.
bool write_all(int fd, const char* data, std::size_t size);

/// The puzzle as vortel reads it: "row column digit" for every given cell.
bool write_triples(int fd, const Puzzle& puzzle);

/// The directory that holds `path` ("." for a bare name), into `parent`.
void parent_directory(const char* path, char* parent, std::size_t size);

bool exists(const char* path);
bool is_directory(const char* path);
void say_exists(const char* path);
/// Says that the target directory cannot be used; returns kExitFile.
int say_directory_error(const char* target, int error);

int digits_of(long n);
/// The name of puzzle n at a width of `width` digits: 0001.txt, ...
void final_name(int width, long n, char* name);

/// A name this program gives its files: four digits or more, ".txt".
bool is_numbered_name(const char* name);
/// Reads the open directory `directory` of the target `target` (its name
/// ending in '/') for files named as this program names them, says the
/// first one found, and closes it: kExitOk when there is none, else
/// kExitFile.
int refuse_numbered(DIR* directory, const char* target);

/// Removes the scratch directory `scratch` (open as `scratch_fd`) with
/// whatever it holds, if it is there (`scratch` not empty); empties
/// `scratch`.
void remove_scratch(char* scratch, int scratch_fd);

}  // namespace importa::files

#endif  // VORTEL_IMPORTA_FILES_H_
