// vortel-importa: converts puzzles from the forms people share them in (an
// 81-character line, a drawn grid, vortel's own boards) into vortel's
// puzzle files of (row, column, digit) triples.
//
// The input is read twice: once to check all of it and count its puzzles,
// once to write them, so that nothing is written for an input that has an
// error anywhere, and a large file needs no more memory than one line.
// Standard input, which cannot be read twice, is held in memory.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

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
    "  - giochi di 81 caratteri, uno per riga: cifre da 1 a 9 per le caselle\n"
    "    date e uno tra . 0 - _ * per quelle vuote (spazi ignorati; le righe\n"
    "    vuote e quelle che iniziano con # sono saltate);\n"
    "  - tabelle di nove righe di nove caselle, con spazi, | + : e righe di\n"
    "    separazione fatte di - = + |, comprese le tabelle stampate da vortel\n"
    "    (titoli e righe \"Caselle incognite\" sono saltati).\n"
    "\n"
    "Opzioni:\n"
    "  -o ARCHIVIO    scrive l'unico gioco nel nuovo archivio indicato\n"
    "  -o DIRETTORIO/ scrive ogni gioco in un nuovo archivio del direttorio:\n"
    "                 0001.txt, 0002.txt, ...\n"
    "  --help         mostra questo testo\n"
    "  --version      mostra la versione\n"
    "\n"
    "Senza -o un solo gioco va sullo standard output. Un archivio esistente\n"
    "non viene mai sovrascritto.\n"
    "\n"
    "Stato di uscita: 0 fatto; 1 dati non validi o comando errato; 2 archivio\n"
    "non leggibile o non scrivibile.\n";

// The input, as a stream that can be read from the start again.
struct Input {
  const char* name;  // as shown in messages
  std::FILE* file;
  std::string held;  // standard input's bytes, read from memory
};

bool open_input(const char* path, Input& in) {
  if (path == nullptr || std::strcmp(path, "-") == 0) {
    in.name = "(standard input)";
    char chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, stdin)) > 0) {
      in.held.append(chunk, got);
    }
    if (std::ferror(stdin)) return false;
    // An empty input reads as one empty line (fmemopen wants a byte).
    if (in.held.empty()) in.held = "\n";
    in.file = fmemopen(in.held.data(), in.held.size(), "r");
    return in.file != nullptr;
  }
  in.name = path;
  in.file = std::fopen(path, "r");
  if (in.file == nullptr) return false;
  struct stat info;
  return fstat(fileno(in.file), &info) == 0 && !S_ISDIR(info.st_mode);
}

// One pass over the input: every line through the recogniser. Returns 0
// when the whole input is good, else the exit status, having said why.
int read_all(Input& in, importa::Emit emit, void* context,
             importa::Recogniser& r) {
  std::rewind(in.file);
  char* line = nullptr;
  std::size_t capacity = 0;
  importa::Refusal refusal;
  bool good = true;
  ssize_t length;
  while (good && (length = getline(&line, &capacity, in.file)) >= 0) {
    std::size_t n = static_cast<std::size_t>(length);
    if (n > 0 && line[n - 1] == '\n') --n;
    good = importa::feed_line(r, line, n, emit, context, refusal);
  }
  std::free(line);
  if (std::ferror(in.file)) {
    std::fprintf(stderr, "vortel-importa: errore in lettura dell'archivio %s\n",
                 in.name);
    return kExitFile;
  }
  if (good) good = importa::finish(r, refusal);
  if (good) return 0;
  switch (refusal.problem) {
  case importa::Problem::kBadCharacter: {
    const unsigned char c = refusal.character;
    std::fprintf(stderr, "vortel-importa: %s: riga %ld, colonna %ld: ", in.name,
                 refusal.line, refusal.column);
    if (c > 32 && c < 127) {
      std::fprintf(stderr, "carattere '%c' non ammesso\n", c);
    } else {
      std::fprintf(stderr, "carattere di codice %u non ammesso\n", c);
    }
    break;
  }
  case importa::Problem::kWrongCellCount:
    std::fprintf(stderr,
                 "vortel-importa: %s: riga %ld, colonna %ld: riga di %d "
                 "caselle, ne servono 9 (una riga della tabella) o 81 (un "
                 "gioco intero)\n",
                 in.name, refusal.line, refusal.column, refusal.count);
    break;
  case importa::Problem::kGridCutShort:
    std::fprintf(stderr,
                 "vortel-importa: %s: riga %ld, colonna %ld: tabella "
                 "interrotta dopo %d righe su 9\n",
                 in.name, refusal.line, refusal.column, refusal.count);
    break;
  case importa::Problem::kNoPuzzle:
  case importa::Problem::kNone:
    std::fprintf(stderr, "vortel-importa: %s: nessun gioco trovato\n", in.name);
    break;
  }
  return kExitBadInput;
}

void ignore(const importa::Puzzle& /*puzzle*/, void* /*context*/) {}

// Where the second pass writes.
struct Output {
  std::FILE* single = nullptr;  // standard output or the one file
  std::string directory;        // with its final '/', in directory mode
  int width = 4;                // digits of the file numbers
  long written = 0;             // files created by this run
  bool failed = false;
  std::string failed_name;
};

std::string numbered(const Output& out, long n) {
  char name[32];
  std::snprintf(name, sizeof name, "%0*ld.txt", out.width, n);
  return out.directory + name;
}

bool write_triples(std::FILE* file, const importa::Puzzle& puzzle) {
  for (int i = 0; i < 81; ++i) {
    const unsigned d = puzzle[static_cast<unsigned>(i)];
    if (d != 0 &&
        std::fprintf(file, "%d %d %u\n", i / 9 + 1, i % 9 + 1, d) < 0) {
      return false;
    }
  }
  return true;
}

// Creates `path` only if nothing of that name exists.
std::FILE* create_new(const std::string& path) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
  if (fd < 0) return nullptr;
  std::FILE* file = fdopen(fd, "w");
  if (file == nullptr) close(fd);
  return file;
}

void write_puzzle(const importa::Puzzle& puzzle, void* context) {
  auto& out = *static_cast<Output*>(context);
  if (out.failed) return;
  if (out.directory.empty()) {
    if (!write_triples(out.single, puzzle)) out.failed = true;
    return;
  }
  const std::string path = numbered(out, out.written + 1);
  std::FILE* file = create_new(path);
  if (file == nullptr) {
    out.failed = true;
    out.failed_name = path;
    return;
  }
  ++out.written;
  const bool good = write_triples(file, puzzle) && std::ferror(file) == 0;
  if (std::fclose(file) != 0 || !good) {
    out.failed = true;
    out.failed_name = path;
  }
}

int digits_of(long n) {
  int d = 1;
  while (n >= 10) {
    n /= 10;
    ++d;
  }
  return d;
}

bool is_directory(const char* path) {
  struct stat info;
  return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

int usage_error(const char* message, const char* argument) {
  std::fprintf(stderr, "vortel-importa: %s '%s'\n", message, argument);
  std::fprintf(stderr, "Per l'uso: vortel-importa --help\n");
  return kExitBadInput;
}

}  // namespace

int main(int argc, char** argv) {
  const char* output = nullptr;
  const char* input = nullptr;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--help") == 0) {
      std::fputs(kUsage, stdout);
      return std::fflush(stdout) == 0 ? kExitOk : kExitFile;
    }
    if (std::strcmp(arg, "--version") == 0) {
      std::puts("vortel-importa 1.0");
      return std::fflush(stdout) == 0 ? kExitOk : kExitFile;
    }
    if (std::strcmp(arg, "-o") == 0) {
      if (i + 1 >= argc) return usage_error("manca il nome dopo", arg);
      output = argv[++i];
      if (output[0] == '\0') return usage_error("nome vuoto dopo", arg);
    } else if (arg[0] == '-' && arg[1] != '\0') {
      return usage_error("opzione illegale", arg);
    } else if (input != nullptr) {
      return usage_error("archivio di troppo", arg);
    } else {
      input = arg;
    }
  }

  Input in{};
  if (!open_input(input, in)) {
    std::fprintf(stderr,
                 "vortel-importa: errore in apertura dell'archivio %s\n",
                 in.name);
    return kExitFile;
  }

  // First pass: the whole input checked, its puzzles counted.
  importa::Recogniser first;
  if (const int status = read_all(in, ignore, nullptr, first)) return status;
  const long count = first.puzzles;

  Output out;
  const std::size_t out_length = output ? std::strlen(output) : 0;
  const bool to_directory =
      output != nullptr &&
      (output[out_length - 1] == '/' || is_directory(output));
  if (!to_directory && count > 1) {
    std::fprintf(stderr,
                 "vortel-importa: %s contiene %ld giochi: per scriverli uno "
                 "per archivio indicare un direttorio (-o DIRETTORIO/)\n",
                 in.name, count);
    return kExitBadInput;
  }
  bool made_directory = false;
  if (to_directory) {
    out.directory = output;
    if (out.directory.back() != '/') out.directory += '/';
    out.width = digits_of(count) > 4 ? digits_of(count) : 4;
    if (!is_directory(output)) {
      if (mkdir(output, 0777) != 0) {
        std::fprintf(stderr,
                     "vortel-importa: errore in apertura del direttorio %s\n",
                     output);
        return kExitFile;
      }
      made_directory = true;
    }
    // Every name checked before the first is written.
    for (long n = 1; n <= count; ++n) {
      struct stat info;
      const std::string path = numbered(out, n);
      if (lstat(path.c_str(), &info) == 0) {
        std::fprintf(stderr,
                     "vortel-importa: l'archivio %s e' gia' presente sul "
                     "disco\n",
                     path.c_str());
        return kExitFile;
      }
    }
  } else if (output != nullptr) {
    out.single = create_new(output);
    if (out.single == nullptr) {
      if (errno == EEXIST) {
        std::fprintf(stderr,
                     "vortel-importa: l'archivio %s e' gia' presente sul "
                     "disco\n",
                     output);
      } else {
        std::fprintf(stderr,
                     "vortel-importa: errore in apertura dell'archivio %s\n",
                     output);
      }
      return kExitFile;
    }
    out.failed_name = output;
  } else {
    out.single = stdout;
  }

  // Second pass: the puzzles written.
  importa::Recogniser second;
  const int status = read_all(in, write_puzzle, &out, second);
  std::fclose(in.file);
  if (out.single != nullptr && out.single != stdout) {
    if (std::fclose(out.single) != 0) out.failed = true;
  }
  if (out.single == stdout &&
      (std::fflush(stdout) != 0 || std::ferror(stdout))) {
    std::fputs("vortel-importa: errore in scrittura sullo standard output\n",
               stderr);
    return kExitFile;
  }
  if (status == 0 && !out.failed) return kExitOk;
  // Nothing half done: what this run created goes.
  if (to_directory) {
    for (long n = 1; n <= out.written; ++n)
      std::remove(numbered(out, n).c_str());
    if (made_directory) rmdir(output);
  } else if (output != nullptr) {
    std::remove(output);
  }
  if (status != 0) return status;  // the input changed between the passes
  std::fprintf(stderr, "vortel-importa: errore in scrittura dell'archivio %s\n",
               out.failed_name.c_str());
  return kExitFile;
}
