// vortel-valuta: rates puzzles on the scale the puzzle community quotes
// (ED=ER/EP/ED), shows the path of steps that rating follows, or gives the
// next step as a hint.
//
// The input is read as a stream, in any form vortel-importa reads (lists of
// one puzzle a line, drawn grids, vortel's boards and triple files); each
// puzzle is rated as soon as it is read, and its line written in input
// order, so memory stays the same whatever the input's size. Puzzles are
// rated on every core (-j), by the batch pipeline vortel-lotto uses; an
// entry that cannot be read is reported on its own line and on standard
// error, and the others are rated all the same.
#include <cstdio>
#include <cstring>

#include "batch/pipeline.h"
#include "importa/recognise.h"
#include "valuta/process.h"

namespace {

using valuta::kExitFile;
using valuta::kExitOk;
using valuta::kExitUnrated;
using valuta::kExitUsage;
using valuta::Options;

constexpr const char* kUsage =
    "Uso: vortel-valuta [OPZIONI] [ARCHIVIO...]\n"
    "\n"
    "Valuta la difficoltà dei giochi sulla scala ED=ER/EP/ED: ER è la\n"
    "tecnica più difficile del percorso che prende sempre il passo più\n"
    "facile, EP la più difficile fino al primo numero piazzato, ED quella\n"
    "del primo passo. Per ogni gioco una riga separata da tabulazioni: il\n"
    "gioco, la valutazione, la tecnica più difficile, i passi per tecnica e\n"
    "lo stato (valutato, oltre, oltre-limite, nessuna-soluzione,\n"
    "piu-soluzioni, cifre-ripetute, illeggibile). ED>X indica un gioco\n"
    "oltre X.\n"
    "\n"
    "ARCHIVIO (o lo standard input, se manca o è \"-\") contiene i giochi in\n"
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
    "  -j N             numero di thread (predefinito: tutte le CPU in linea)\n"
    "  --help           mostra questo testo\n"
    "  --version        mostra la versione\n"
    "\n"
    "Stato di uscita: 0 fatto; 1 comando errato o dati non leggibili;\n"
    "2 archivio non leggibile o errore di scrittura; 3 qualche gioco non\n"
    "valutato (nessuna o più soluzioni, cifra sbagliata).\n";

// What the run counts of each line, for its exit status.
enum Kind { kRated, kUnrated, kDamaged, kUnreadable };

const char* name_of(const Options& options, int input) {
  if (options.file_count == 0) return "standard input";
  const char* name = options.files[input];
  return std::strcmp(name, "-") == 0 ? "standard input" : name;
}

// Where and why an entry holds no puzzle, in the importer's words.
void describe(const batch::Entry& entry, const Options& options, char* text,
              std::size_t size) {
  const char* name = name_of(options, entry.input);
  if (entry.kind == batch::EntryKind::kUnreadable) {
    char reason[256];
    std::snprintf(text, size, "%s: errore di lettura: %s", name,
                  strerror_r(entry.error, reason, sizeof reason));
    return;
  }
  char message[1024];
  importa::describe_refusal(entry.refusal, message, sizeof message);
  if (entry.refusal.problem == importa::Problem::kNoPuzzle) {
    std::snprintf(text, size, "%s: %s", name, message);
  } else {
    std::snprintf(text, size, "%s: riga %ld, colonna %ld: %s", name,
                  entry.refusal.line, entry.refusal.column, message);
  }
}

// Called by the worker threads, many at once: process() is pure.
std::size_t answer(const batch::Entry& entry, char* text, std::size_t room,
                   int& kind, void* context) {
  const Options& options = *static_cast<const Options*>(context);
  logic::Text out{text, room};
  if (entry.kind == batch::EntryKind::kPuzzle) {
    logic::Digits digits{};
    for (int cell = 0; cell < 81; ++cell)
      digits.cell[cell] = entry.puzzle[static_cast<unsigned>(cell)];
    kind = valuta::process(digits, options, out) == kExitOk ? kRated : kUnrated;
    return out.length;
  }
  char detail[2048];
  describe(entry, options, detail, sizeof detail);
  // One call, one line: the lines of several threads do not mix.
  std::fprintf(stderr, "vortel-valuta: %s\n", detail);
  valuta::append_unreadable(detail, options, out);
  kind = entry.kind == batch::EntryKind::kDamaged ? kDamaged : kUnreadable;
  return out.length;
}

// The most serious of what happened: an input or the output failed, then
// damaged data, then puzzles not rated.
int final_status(const batch::Outcome& outcome) {
  if (outcome.write_error != 0) {
    std::fprintf(stderr, "vortel-valuta: errore di scrittura: %s\n",
                 std::strerror(outcome.write_error));
    return kExitFile;
  }
  if (outcome.no_memory) {
    std::fprintf(stderr, "vortel-valuta: memoria insufficiente\n");
    return kExitFile;
  }
  if (outcome.kinds[kUnreadable] != 0) return kExitFile;
  if (outcome.kinds[kDamaged] != 0) return kExitUsage;
  if (outcome.kinds[kUnrated] != 0) return kExitUnrated;
  return kExitOk;
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
  if (const char* same =
          batch::input_is_output(options.files, options.file_count)) {
    std::fprintf(stderr,
                 "vortel-valuta: %s: l'archivio in ingresso è lo standard "
                 "output\n",
                 std::strcmp(same, "-") == 0 ? "standard input" : same);
    return kExitFile;
  }
  batch::Job job;
  job.names = options.files;
  job.name_count = options.file_count;
  job.threads = options.threads;
  job.program = "vortel-valuta";
  job.answer = answer;
  job.context = &options;
  // A puzzle takes from half a millisecond to a second: small batches keep
  // every thread busy to the end of a short input.
  job.batch = 4;
  job.answer_room = valuta::kMaxText;
  batch::install_signals();
  return final_status(batch::run(job));
}
