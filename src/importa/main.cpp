// vortel-importa: converts puzzles from the forms people share them in (a
// list of one puzzle per line, a drawn grid, vortel's own boards) into
// vortel's puzzle files of (row, column, digit) triples.
//
// The input is read once, as a stream, in fixed memory: a pipe, a FIFO or a
// terminal converts like a file; nothing reaches its final place before the
// whole input has been read and found good (output.h). The program uses the
// C library alone (no C++ runtime), so that it needs nothing beyond libc.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "importa/output.h"
#include "recognise/recognise.h"

namespace {

using importa::kExitBadInput;
using importa::kExitFile;
using importa::kExitOk;
using importa::Output;

constexpr const char* kUsage =
    "Uso: vortel-importa [--riga] [-o USCITA] [ARCHIVIO]\n"
    "\n"
    "Converte i giochi dalle forme in cui vengono scambiati nel formato di\n"
    "vortel: una riga \"riga colonna cifra\" per ogni casella data.\n"
    "\n"
    "ARCHIVIO (o lo standard input, se manca o è \"-\") può contenere:\n"
    "  - elenchi di giochi, uno per riga: 81 caselle di seguito (o separate\n"
    "    da un solo spazio), con davanti un'eventuale etichetta e dopo uno\n"
    "    spazio, una tabulazione, ',' o ';' un nome, un voto o un commento;\n"
    "  - tabelle di nove righe di nove caselle, con spazi, | : , + e righe di\n"
    "    separazione fatte di - = + * | o dei caratteri per disegnare tabelle,\n"
    "    comprese le tabelle stampate da vortel.\n"
    "Le caselle date sono le cifre da 1 a 9; una casella vuota è uno tra\n"
    ". 0 _ x X * - ?. Righe vuote, righe che iniziano con # e righe di testo\n"
    "tra un gioco e l'altro sono saltate; una riga con nove caselle di\n"
    "seguito o più deve invece finire in un gioco (o esserne la soluzione),\n"
    "altrimenti l'ingresso è rifiutato.\n"
    "\n"
    "Opzioni:\n"
    "  -o ARCHIVIO    scrive l'unico gioco nel nuovo archivio indicato\n"
    "  -o DIRETTORIO/ scrive ogni gioco in un nuovo archivio del direttorio:\n"
    "                 0001.txt, 0002.txt, ...\n"
    "  -o -           scrive l'unico gioco sullo standard output\n"
    "  --riga         scrive tutti i giochi, uno per riga, sullo standard\n"
    "                 output o nel nuovo archivio di -o: le 81 caselle (.\n"
    "                 per una vuota) e, dopo uno spazio, l'etichetta\n"
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
  bool lines = false;            // --riga: one line a puzzle
};

int usage_error(const char* message, const char* argument) {
  std::fprintf(stderr, "vortel-importa: %s '%s'\n", message, argument);
  std::fprintf(stderr, "Per l'uso: vortel-importa --help\n");
  return kExitBadInput;
}

// --help and --version: the status says whether the text was written.
int print_text(const char* text) {
  std::fputs(text, stdout);
  if (std::fflush(stdout) == 0) return kExitOk;
  std::fprintf(
      stderr, "vortel-importa: errore in scrittura sullo standard output: %s\n",
      std::strerror(errno));
  return kExitFile;
}

// Returns -1 when the run goes on, else the exit status.
int parse_arguments(int argc, char** argv, Arguments& args) {
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--help") == 0) return print_text(kUsage);
    if (std::strcmp(arg, "--version") == 0) {
      return print_text("vortel-importa 1.0\n");
    }
    if (std::strcmp(arg, "--riga") == 0) {
      if (args.lines) return usage_error("opzione ripetuta", arg);
      args.lines = true;
    } else if (std::strcmp(arg, "-o") == 0) {
      if (i + 1 >= argc) return usage_error("manca il nome dopo", arg);
      if (args.output != nullptr) return usage_error("opzione ripetuta", arg);
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
    // Opening a FIFO waits for a writer; a signal meanwhile ends the run by
    // that signal, as at any other moment.
    do {
      in.fd = open(path, O_RDONLY | O_CLOEXEC);
      if (in.fd < 0 && errno == EINTR && importa::interrupted()) {
        Output nothing;
        importa::end_by_signal(nothing);
      }
    } while (in.fd < 0 && errno == EINTR);
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

int say_refusal(const Input& in, const recognise::Refusal& refusal);

recognise::Recogniser g_recogniser{};  // large: kept out of the stack

// Reads the whole input through the recogniser, handing each puzzle to
// keep_puzzle. Returns kExitOk, or the exit status having said why.
int read_input(const Input& in, Output& out) {
  static char chunk[65536];
  recognise::Refusal refusal;
  recognise::Recogniser& r = g_recogniser;
  for (;;) {
    const ssize_t got = read(in.fd, chunk, sizeof chunk);
    if (importa::interrupted()) importa::end_by_signal(out);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      // A non-blocking input with nothing for now: wait for more. A signal
      // breaks the wait and is seen above.
      pollfd wait{in.fd, POLLIN, 0};
      poll(&wait, 1, -1);
      continue;
    }
    if (got < 0) {
      std::fprintf(stderr,
                   "vortel-importa: errore in lettura dell'archivio %s: %s\n",
                   in.name, std::strerror(errno));
      return kExitFile;
    }
    if (got == 0) break;
    if (!recognise::feed(r, chunk, static_cast<std::size_t>(got),
                         importa::keep_puzzle, &out, refusal)) {
      return say_refusal(in, refusal);
    }
    if (out.write_error != 0) return importa::say_write_error(out);
  }
  if (!recognise::finish(r, importa::keep_puzzle, &out, refusal))
    return say_refusal(in, refusal);
  return out.write_error != 0 ? importa::say_write_error(out) : kExitOk;
}

int say_refusal(const Input& in, const recognise::Refusal& refusal) {
  char text[512];
  recognise::describe_refusal(refusal, text, sizeof text);
  if (refusal.problem == recognise::Problem::kNoPuzzle ||
      refusal.problem == recognise::Problem::kNone) {
    std::fprintf(stderr, "vortel-importa: %s: %s\n", in.name, text);
  } else {
    std::fprintf(stderr, "vortel-importa: %s: riga %ld, colonna %ld: %s\n",
                 in.name, refusal.line, refusal.column, text);
  }
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
  static Output out;           // large: kept out of the stack
  out.source = &g_recogniser;  // the label of the puzzle being emitted
  int status = importa::plan_output(args.output, args.lines, out);
  if (status == kExitOk) status = read_input(in, out);
  if (status == kExitOk) status = importa::commit_output(in.name, out);
  if (status != kExitOk) {
    if (importa::interrupted()) importa::end_by_signal(out);
    importa::clean_up(out);
    return status;
  }
  importa::finish_output(out);
  return kExitOk;
}
