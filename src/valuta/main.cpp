// vortel-valuta: rates puzzles on the scale the puzzle community quotes
// (ED=ER/EP/ED), shows the path of steps that rating follows, or gives the
// next step as a hint.
//
// The input is read as a stream, in any form vortel-importa reads (lists of
// one puzzle a line, drawn grids, vortel's boards and triple files); each
// puzzle is rated as soon as it is read, and its line written in input
// order, so memory stays the same whatever the input's size.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "importa/recognise.h"
#include "valuta/process.h"

namespace {

using valuta::kExitFile;
using valuta::kExitOk;
using valuta::kExitUsage;
using valuta::Options;

constexpr const char* kUsage =
    "Uso: vortel-valuta [OPZIONI] [ARCHIVIO...]\n"
    "\n"
    "Valuta la difficolta' dei giochi sulla scala ED=ER/EP/ED: ER e' la\n"
    "tecnica piu' difficile del percorso che prende sempre il passo piu'\n"
    "facile, EP la piu' difficile fino al primo numero piazzato, ED quella\n"
    "del primo passo. Per ogni gioco una riga separata da tabulazioni: il\n"
    "gioco, la valutazione, la tecnica piu' difficile, i passi per tecnica e\n"
    "lo stato (valutato, oltre, oltre-limite, nessuna-soluzione,\n"
    "piu-soluzioni, cifre-ripetute). ED>X indica un gioco oltre X.\n"
    "\n"
    "ARCHIVIO (o lo standard input, se manca o e' \"-\") contiene i giochi in\n"
    "ogni forma letta da vortel-importa.\n"
    "\n"
    "Opzioni:\n"
    "  --passi          mostra ogni passo del percorso, con la spiegazione\n"
    "  --suggerimento   mostra solo il primo passo (o la cifra sbagliata)\n"
    "  --json           una riga JSON per gioco (o per passo)\n"
    "  --tecniche=L     tecniche ammesse (nome,...) o escluse (-nome,...);\n"
    "                   \"unicita\" indica quelle che presumono una sola\n"
    "                   soluzione\n"
    "  --fino=R         smette di valutare un gioco appena supera R\n"
    "  -j N             numero di thread (per ora uno solo)\n"
    "  --help           mostra questo testo\n"
    "  --version        mostra la versione\n"
    "\n"
    "Stato di uscita: 0 fatto; 1 comando errato o dati non leggibili;\n"
    "2 archivio non leggibile o errore di scrittura; 3 qualche gioco non\n"
    "valutato (nessuna o piu' soluzioni, cifra sbagliata).\n";

struct Run {
  const Options* options;
  char text[valuta::kMaxText];
  int status = kExitOk;
};

void on_puzzle(const importa::Puzzle& puzzle, void* context) {
  auto& run = *static_cast<Run*>(context);
  logic::Text out{run.text, sizeof run.text};
  logic::Digits digits{};
  for (int cell = 0; cell < 81; ++cell)
    digits.cell[cell] = puzzle[static_cast<unsigned>(cell)];
  const int status = valuta::process(digits, *run.options, out);
  if (status != kExitOk && run.status == kExitOk) run.status = status;
  std::fwrite(run.text, 1, out.length, stdout);
}

// Reads one input through the recogniser; false after a refusal or a read
// error, reported.
bool read_input(const char* name, Run& run) {
  static importa::Recogniser recogniser;
  recogniser = importa::Recogniser{};
  const bool is_stdin = std::strcmp(name, "-") == 0;
  std::FILE* in = is_stdin ? stdin : std::fopen(name, "rb");
  const char* shown = is_stdin ? "standard input" : name;
  if (in == nullptr) {
    std::fprintf(stderr, "vortel-valuta: %s: %s\n", shown,
                 std::strerror(errno));
    run.status = kExitFile;
    return false;
  }
  static char buffer[1 << 16];
  importa::Refusal refusal;
  bool good = true;
  std::size_t n = 0;
  while (good && (n = std::fread(buffer, 1, sizeof buffer, in)) > 0) {
    good = importa::feed(recogniser, buffer, n, on_puzzle, &run, refusal);
  }
  const bool read_error = std::ferror(in) != 0;
  if (good && !read_error) {
    good = importa::finish(recogniser, on_puzzle, &run, refusal);
  }
  if (!is_stdin) std::fclose(in);
  if (read_error) {
    std::fprintf(stderr, "vortel-valuta: %s: errore di lettura\n", shown);
    run.status = kExitFile;
    return false;
  }
  if (!good) {
    std::fprintf(stderr,
                 "vortel-valuta: %s: riga %ld, colonna %ld: dati non "
                 "leggibili come gioco\n",
                 shown, refusal.line, refusal.column);
    run.status = kExitUsage;
  }
  return good;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!valuta::parse_options(argc, argv, options)) {
    std::fputs("Usare --help per l'elenco delle opzioni.\n", stderr);
    return kExitUsage;
  }
  if (options.help || options.version) {
    std::fputs(options.help ? kUsage : "vortel-valuta 1.0\n", stdout);
    return std::fflush(stdout) == 0 ? kExitOk : kExitFile;
  }
  static Run run;
  run.options = &options;
  const char* standard[] = {"-"};
  const char* const* files = options.file_count > 0 ? options.files : standard;
  const int count = options.file_count > 0 ? options.file_count : 1;
  for (int i = 0; i < count; ++i) read_input(files[i], run);
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    std::fprintf(stderr, "vortel-valuta: errore di scrittura: %s\n",
                 std::strerror(errno));
    return kExitFile;
  }
  return run.status;
}
