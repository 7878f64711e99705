// vortel-importa: converts puzzles from the forms people share them in (a
// list of one puzzle per line, a drawn grid, vortel's own boards) into
// vortel's puzzle files of (row, column, digit) triples.
//
// The input is read once, as a stream, in fixed memory: a pipe, a FIFO or a
// terminal converts like a file; nothing reaches its final place before the
// whole input has been read and found good (output.h). The program uses the
// C library alone (no C++ runtime), so that it needs nothing beyond libc.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "importa/output.h"
#include "importa/recognise.h"

namespace {

using importa::kExitBadInput;
using importa::kExitFile;
using importa::kExitOk;
using importa::Output;

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
    if (importa::interrupted()) importa::end_by_signal(out);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      std::fprintf(stderr,
                   "vortel-importa: errore in lettura dell'archivio %s: %s\n",
                   in.name, std::strerror(errno));
      return kExitFile;
    }
    if (got == 0) break;
    if (!importa::feed(r, chunk, static_cast<std::size_t>(got),
                       importa::keep_puzzle, &out, refusal)) {
      return say_refusal(in, refusal);
    }
    if (out.write_error != 0) return kExitOk;
  }
  if (!importa::finish(r, importa::keep_puzzle, &out, refusal))
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

// What is wrong with the characters of a line, and what would make it
// readable; false for a problem of another kind.
bool say_character_problem(const importa::Refusal& refusal) {
  using importa::Problem;
  switch (refusal.problem) {
  case Problem::kNotText:
    std::fprintf(
        stderr,
        "non e' un testo (byte di codice %u): si leggono solo testi "
        "ASCII o UTF-8, e un archivio compresso va prima decompresso\n",
        static_cast<unsigned>(refusal.character));
    return true;
  case Problem::kBadCharacter:
    std::fputs("carattere '", stderr);
    put_character(refusal.character);
    std::fputs(
        "' non ammesso: le caselle sono le cifre da 1 a 9 e, per quelle "
        "vuote, uno tra . 0 _ x X * - ?\n",
        stderr);
    return true;
  case Problem::kLineTooLong:
    std::fprintf(stderr, "riga piu' lunga di %zu byte\n", importa::kMaxLine);
    return true;
  case Problem::kTripleFile:
    std::fputs(
        "l'archivio e' gia' nel formato di vortel (righe \"riga colonna "
        "cifra\"): si puo' dare a vortel cosi' com'e'\n",
        stderr);
    return true;
  default:
    return false;
  }
}

// What is wrong with the cells of a line or the rows of a grid.
void say_shape_problem(const importa::Refusal& refusal) {
  using importa::Problem;
  switch (refusal.problem) {
  case Problem::kWrongCellCount:
    std::fprintf(stderr,
                 "riga di %d caselle, ne servono 9 (una riga della tabella) "
                 "o 81 (un gioco intero)\n",
                 refusal.count);
    break;
  case Problem::kBadListLine:
    std::fprintf(stderr,
                 "%d caselle di seguito, un gioco su una riga ne ha 81 "
                 "(un'etichetta o un commento va separato dalle caselle con "
                 "uno spazio)\n",
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
  default:  // kAmbiguousLine
    std::fprintf(stderr,
                 "riga ambigua: puo' essere una riga di caselle vuote '%c' o "
                 "una riga di separazione (per le caselle vuote usare un "
                 "altro segno, per esempio '.')\n",
                 static_cast<char>(refusal.count));
    break;
  }
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
  if (!say_character_problem(refusal)) say_shape_problem(refusal);
  return kExitBadInput;
}

}  // namespace

int main(int argc, char** argv) {
  Arguments args;
  if (const int status = parse_arguments(argc, argv, args); status >= 0)
    return status;
  importa::install_signals();
  Input in;
  if (const int status = open_input(args.input, in); status != kExitOk)
    return status;
  Output out;
  int status = importa::plan_output(args.output, out);
  if (status == kExitOk) status = read_input(in, out);
  if (status == kExitOk && out.write_error != 0) {
    status = importa::say_write_error(out);
  }
  if (status == kExitOk) status = importa::commit_output(in.name, out);
  if (importa::interrupted()) importa::end_by_signal(out);
  if (status != kExitOk) {
    importa::clean_up(out);
    return status;
  }
  return importa::finish_output(out);
}
