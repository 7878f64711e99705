// vortel-importa: converts puzzles from the forms people share them in (a
// list of one puzzle per line, a drawn grid, vortel's own boards) into
// vortel's puzzle files of (row, column, digit) triples.
//
// The input is read once, as a stream, in fixed memory: a pipe, a FIFO or a
// terminal converts like a file. Nothing reaches its final place before the
// whole input has been read and found good:
//  - one puzzle (to standard output or a new file) is held until the end;
//  - with a directory, each puzzle goes to a numbered file of a new scratch
//    directory beside the target, and only at the end are the files moved
//    to their names (0001.txt, ...) with a rename that never replaces an
//    existing name.
// On any failure, and on SIGINT, SIGTERM or SIGHUP, what this run made is
// removed. The program uses the C library alone (no C++ runtime), so that
// it needs nothing beyond libc.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "importa/recognise.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitBadInput = 1;  // bad input, or a bad command line
constexpr int kExitFile = 2;      // a file that cannot be read or written

constexpr const char* kUsage =
    "Uso: vortel-importa [-o USCITA] [ARCHIVIO]\n"
    "\n"
    "Converte i giochi dalle forme in cui vengono scambiati nel formato di\n"
    "vortel: una riga \"riga colonna cifra\" per ogni casella data.\n"
    "\n"
    "ARCHIVIO (o lo standard input, se manca o e' \"-\") puo' contenere:\n"
    "  - elenchi di giochi, uno per riga: 81 caselle di seguito (o separate\n"
    "    da un solo spazio), con davanti un'eventuale etichetta e dopo uno\n"
    "    spazio, una tabulazione, ',' o ';' un nome, un voto o un commento;\n"
    "  - tabelle di nove righe di nove caselle, con spazi, | : , + e righe di\n"
    "    separazione fatte di - = + * | o dei caratteri per disegnare tabelle,\n"
    "    comprese le tabelle stampate da vortel.\n"
    "Le caselle date sono le cifre da 1 a 9; una casella vuota e' uno tra\n"
    ". 0 _ x X * - ?. Righe vuote, righe che iniziano con # e righe di testo\n"
    "tra un gioco e l'altro sono saltate.\n"
    "\n"
    "Opzioni:\n"
    "  -o ARCHIVIO    scrive l'unico gioco nel nuovo archivio indicato\n"
    "  -o DIRETTORIO/ scrive ogni gioco in un nuovo archivio del direttorio:\n"
    "                 0001.txt, 0002.txt, ...\n"
    "  -o -           scrive l'unico gioco sullo standard output\n"
    "  --help         mostra questo testo\n"
    "  --version      mostra la versione\n"
    "\n"
    "Senza -o un solo gioco va sullo standard output. Un archivio esistente\n"
    "non viene mai sovrascritto.\n"
    "\n"
    "Stato di uscita: 0 fatto; 1 dati non validi o comando errato; 2 archivio\n"
    "non leggibile o non scrivibile.\n";

// --- signals -----------------------------------------------------------------

volatile sig_atomic_t g_signal = 0;  // the interrupting signal, 0 for none

void note_signal(int number) {
  g_signal = number;
}

// SIGINT, SIGTERM and SIGHUP only note themselves (without SA_RESTART, so
// that a read waiting on a pipe returns): the run removes what it made and
// then ends by the same signal. A file-size limit must fail the write, not
// end the process with a half-written file.
void install_signals() {
  struct sigaction action {};
  action.sa_handler = note_signal;
  sigemptyset(&action.sa_mask);
  for (int number : {SIGINT, SIGTERM, SIGHUP})
    sigaction(number, &action, nullptr);
  signal(SIGXFSZ, SIG_IGN);
}

// --- the command line
// ----------------------------------------------------------

struct Arguments {
  const char* input = nullptr;   // nullptr or "-": standard input
  const char* output = nullptr;  // nullptr or "-": standard output
};

int usage_error(const char* message, const char* argument) {
  std::fprintf(stderr, "vortel-importa: %s '%s'\n", message, argument);
  std::fprintf(stderr, "Per l'uso: vortel-importa --help\n");
  return kExitBadInput;
}

int print_and_exit(const char* text) {
  std::fputs(text, stdout);
  return std::fflush(stdout) == 0 ? kExitOk : kExitFile;
}

// Returns -1 when the run goes on, else the exit status.
int parse_arguments(int argc, char** argv, Arguments& args) {
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--help") == 0) return print_and_exit(kUsage);
    if (std::strcmp(arg, "--version") == 0) {
      return print_and_exit("vortel-importa 1.0\n");
    }
    if (std::strcmp(arg, "-o") == 0) {
      if (i + 1 >= argc) return usage_error("manca il nome dopo", arg);
      args.output = argv[++i];
      if (args.output[0] == '\0') return usage_error("nome vuoto dopo", arg);
    } else if (arg[0] == '-' && arg[1] != '\0') {
      return usage_error("opzione illegale", arg);
    } else if (args.input != nullptr) {
      return usage_error("archivio di troppo", arg);
    } else {
      args.input = arg;
    }
  }
  return -1;
}

// --- writing -----------------------------------------------------------------

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
bool write_triples(int fd, const importa::Puzzle& puzzle) {
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

// --- the output
// ----------------------------------------------------------------

enum class Mode { kStdout, kFile, kDirectory };

// Where the puzzles go, and what this run has made so far.
struct Output {
  Mode mode = Mode::kStdout;
  char target[PATH_MAX] = {};  // the file, or the directory with a final '/'
  // One puzzle (standard output or a file): held until the input has ended.
  importa::Puzzle held{};
  bool created = false;  // kFile: the file exists
  // kDirectory.
  char scratch[PATH_MAX + 32] = {};  // "" until made
  int scratch_fd = -1;
  int target_fd = -1;
  bool made_target = false;
  int width = 4;   // digits of the file numbers so far (see keep_puzzle)
  long moved = 0;  // files moved to their final names in the target
  // Every puzzle.
  long count = 0;
  int write_error = 0;  // errno of a failed write, 0 while none
  long failed = 0;      // the puzzle whose writing failed
};

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

// Decides where the puzzles go and checks what can be checked before the
// input is read. Returns kExitOk, or the exit status having said why.
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

void keep_puzzle(const importa::Puzzle& puzzle, void* context) {
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

// Removes what this run made: the files moved to their names, the scratch
// directory with what it still holds, the target directory if this run
// made it, the output file.
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

// --- reading
// -------------------------------------------------------------------

struct Input {
  const char* name = "(standard input)";  // as messages show it
  int fd = STDIN_FILENO;
};

int open_input(const char* path, Input& in) {
  if (path != nullptr && std::strcmp(path, "-") != 0) {
    in.name = path;
    in.fd = open(path, O_RDONLY | O_CLOEXEC);
  }
  struct stat info;
  int error = 0;
  if (in.fd < 0) {
    error = errno;
  } else if (fstat(in.fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    error = EISDIR;
  }
  if (error == 0) return kExitOk;
  std::fprintf(stderr,
               "vortel-importa: errore in apertura dell'archivio %s: %s\n",
               in.name, std::strerror(error));
  return kExitFile;
}

int say_refusal(const Input& in, const importa::Refusal& refusal);

importa::Recogniser g_recogniser{};  // large: kept out of the stack

// Reads the whole input through the recogniser, handing each puzzle to
// keep_puzzle. Returns kExitOk, or the exit status having said why.
int read_input(const Input& in, Output& out) {
  static char chunk[65536];
  importa::Refusal refusal;
  importa::Recogniser& r = g_recogniser;
  for (;;) {
    const ssize_t got = read(in.fd, chunk, sizeof chunk);
    if (g_signal != 0) end_by_signal(out);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      std::fprintf(stderr,
                   "vortel-importa: errore in lettura dell'archivio %s: %s\n",
                   in.name, std::strerror(errno));
      return kExitFile;
    }
    if (got == 0) break;
    if (!importa::feed(r, chunk, static_cast<std::size_t>(got), keep_puzzle,
                       &out, refusal)) {
      return say_refusal(in, refusal);
    }
    if (out.write_error != 0) return kExitOk;
  }
  if (!importa::finish(r, keep_puzzle, &out, refusal))
    return say_refusal(in, refusal);
  return kExitOk;
}

// The character as the user sees it: its UTF-8 bytes.
void put_character(std::uint32_t c) {
  char text[5] = {};
  if (c < 0x80) {
    text[0] = static_cast<char>(c);
  } else if (c < 0x800) {
    text[0] = static_cast<char>(0xC0 | (c >> 6));
    text[1] = static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    text[0] = static_cast<char>(0xE0 | (c >> 12));
    text[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    text[2] = static_cast<char>(0x80 | (c & 0x3F));
  } else {
    text[0] = static_cast<char>(0xF0 | (c >> 18));
    text[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    text[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    text[3] = static_cast<char>(0x80 | (c & 0x3F));
  }
  std::fputs(text, stderr);
}

int say_refusal(const Input& in, const importa::Refusal& refusal) {
  using importa::Problem;
  if (refusal.problem == Problem::kNoPuzzle ||
      refusal.problem == Problem::kNone) {
    std::fprintf(stderr, "vortel-importa: %s: nessun gioco trovato\n", in.name);
    return kExitBadInput;
  }
  std::fprintf(stderr, "vortel-importa: %s: riga %ld, colonna %ld: ", in.name,
               refusal.line, refusal.column);
  switch (refusal.problem) {
  case Problem::kNotText:
    std::fprintf(
        stderr,
        "non e' un testo (byte di codice %u): si leggono solo testi "
        "ASCII o UTF-8, e un archivio compresso va prima decompresso\n",
        static_cast<unsigned>(refusal.character));
    break;
  case Problem::kBadCharacter:
    std::fputs("carattere '", stderr);
    put_character(refusal.character);
    std::fputs(
        "' non ammesso: le caselle sono le cifre da 1 a 9 e, per quelle "
        "vuote, uno tra . 0 _ x X * - ?\n",
        stderr);
    break;
  case Problem::kWrongCellCount:
    std::fprintf(
        stderr,
        "riga di %d caselle, ne servono 9 (una riga della tabella) o 81 "
        "(un gioco intero)\n",
        refusal.count);
    break;
  case Problem::kBadListLine:
    std::fprintf(
        stderr,
        "%d caselle di seguito, un gioco su una riga ne ha 81 (un'etichetta "
        "o un commento va separato dalle caselle con uno spazio)\n",
        refusal.count);
    break;
  case Problem::kListTrailer:
    std::fputs(
        "dopo le 81 caselle serve uno spazio, una tabulazione, ',' o ';' "
        "prima del resto della riga (per esempio un commento)\n",
        stderr);
    break;
  case Problem::kGridCutShort:
    std::fprintf(stderr, "tabella interrotta dopo %d righe su 9\n",
                 refusal.count);
    break;
  case Problem::kAmbiguousLine:
    std::fprintf(
        stderr,
        "riga ambigua: puo' essere una riga di caselle vuote '%c' o una "
        "riga di separazione (per le caselle vuote usare un altro segno, "
        "per esempio '.')\n",
        static_cast<char>(refusal.count));
    break;
  case Problem::kTripleFile:
    std::fputs(
        "l'archivio e' gia' nel formato di vortel (righe \"riga colonna "
        "cifra\"): si puo' dare a vortel cosi' com'e'\n",
        stderr);
    break;
  case Problem::kLineTooLong:
    std::fprintf(stderr, "riga piu' lunga di %zu byte\n", importa::kMaxLine);
    break;
  default:
    break;
  }
  return kExitBadInput;
}

// --- the end
// -------------------------------------------------------------------

int commit_single(const Input& in, Output& out) {
  if (out.count > 1) {
    std::fprintf(
        stderr,
        "vortel-importa: %s contiene %ld giochi: per scriverli uno per "
        "archivio indicare un direttorio (-o DIRETTORIO/)\n",
        in.name, out.count);
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

int say_write_error(const Output& out) {
  std::fprintf(stderr,
               "vortel-importa: errore in scrittura del gioco %ld in %s: %s\n",
               out.failed, out.target, std::strerror(out.write_error));
  return kExitFile;
}

}  // namespace

int main(int argc, char** argv) {
  Arguments args;
  if (const int status = parse_arguments(argc, argv, args); status >= 0)
    return status;
  install_signals();
  Input in;
  if (const int status = open_input(args.input, in); status != kExitOk)
    return status;
  Output out;
  int status = plan_output(args.output, out);
  if (status == kExitOk) status = read_input(in, out);
  if (status == kExitOk && out.write_error != 0) status = say_write_error(out);
  if (status == kExitOk) {
    status = out.mode == Mode::kDirectory ? commit_directory(out)
                                          : commit_single(in, out);
  }
  if (g_signal != 0) end_by_signal(out);
  if (status != kExitOk) {
    clean_up(out);
    return status;
  }
  if (out.mode == Mode::kDirectory) {
    remove_scratch(out);  // empty now, if still there
    return say_written(out);
  }
  return kExitOk;
}
