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
#include <atomic>
#include <cstdio>
#include <cstring>

#include "answers/progress.h"
#include "answers/vocabulary.h"
#include "batch/pipeline.h"
#include "recognise/recognise.h"
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
    "del primo passo. Per ogni gioco una riga separata da tabulazioni, dopo\n"
    "una di intestazione: numero, archivio, riga, etichetta, gioco, la\n"
    "valutazione, la tecnica più difficile, i passi per tecnica e lo stato\n"
    "(valutato, oltre, oltre-limite, nessuna, multipla, cifre-ripetute,\n"
    "illeggibile). ED>X indica un gioco oltre X.\n"
    "\n"
    "ARCHIVIO (o lo standard input, se manca o è \"-\") contiene i giochi in\n"
    "ogni forma letta da vortel-importa.\n"
    "\n"
    "Opzioni:\n"
    "  --passi          mostra ogni passo del percorso, con la spiegazione\n"
    "  --suggerimento   mostra solo il primo passo (o le cifre in conflitto)\n"
    "  --suggerimento=N un suggerimento graduato: 1 la tecnica e dove\n"
    "                   cercarla, 2 anche le caselle, 3 il passo intero\n"
    "                   (anche --suggerimento N)\n"
    "  --candidati      con --passi o --suggerimento, disegna prima di ogni\n"
    "                   passo la griglia con i candidati di ogni casella\n"
    "                   (* nelle caselle del passo, x i candidati tolti)\n"
    "  --svg=DIR        con --passi, disegna ogni passo in un'immagine SVG\n"
    "                   (DIR/0001/passo-001.svg, una cartella per gioco) e\n"
    "                   scrive DIR/index.html con il percorso in ordine\n"
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
    "valutato (nessuna o più soluzioni, cifre in conflitto).\n";

// What the run counts of each line, for its exit status.
enum Kind { kRated, kUnrated, kDamaged, kUnreadable, kNotDrawn, kNoMemory };

struct Run {
  Options options;
  answers::Form form;  // the options' files and form, for the columns
  answers::Progress progress;
  // --svg: the highest entry number answered, where the index stops.
  std::atomic<long long> last{0};
};

// A puzzle's pictures not written: said once, on its own line.
void report_pictures(Run& run, const valuta::PictureError& problem) {
  char message[4200];
  std::snprintf(message, sizeof message,
                "vortel-valuta: %s: immagine non scritta: %s\n", problem.path,
                std::strerror(problem.error));
  answers::progress_message(run.progress, message);
}

// Called by the worker threads, many at once: process() is pure.
std::size_t answer(const batch::Entry& entry, char* text, std::size_t room,
                   int& kind, void* context) {
  Run& run = *static_cast<Run*>(context);
  logic::Text out{text, room};
  // The leading columns: a file name may be long, and in JSON escaped.
  char lead[32768];
  logic::Text t{lead, sizeof lead};
  answers::add_leading(t, entry, run.form);
  lead[t.length] = '\0';
  if (entry.kind == batch::EntryKind::kPuzzle) {
    valuta::PictureError problem;
    const int status = valuta::process(entry.puzzle, run.options, out, lead,
                                       entry.number, &problem);
    kind = status == kExitOk             ? kRated
           : status == kExitFile         ? kNotDrawn
           : status == valuta::kNoMemory ? kNoMemory
                                         : kUnrated;
    if (status == kExitFile) report_pictures(run, problem);
    long long seen = run.last.load();
    while (seen < entry.number &&
           !run.last.compare_exchange_weak(seen, entry.number)) {
    }
    return out.length;
  }
  char detail[2048];
  answers::describe_entry(entry, run.form, detail, sizeof detail);
  char message[2200];
  std::snprintf(message, sizeof message, "vortel-valuta: %s\n", detail);
  // One write, one line: the lines of several threads do not mix, nor
  // with the progress line.
  answers::progress_message(run.progress, message);
  valuta::append_unreadable(detail, run.options, lead, out);
  kind = entry.kind == batch::EntryKind::kDamaged ? kDamaged : kUnreadable;
  return out.length;
}

void show_progress(std::int64_t entries, std::int64_t consumed, void* context) {
  answers::update_progress(static_cast<Run*>(context)->progress, entries,
                           consumed);
}

// The most serious of what happened: an input or the output failed, then
// damaged data, then puzzles not rated.
int final_status(const batch::Outcome& outcome) {
  if (outcome.write_error != 0) {
    std::fprintf(stderr, "vortel-valuta: errore di scrittura: %s\n",
                 std::strerror(outcome.write_error));
    return kExitFile;
  }
  if (outcome.no_memory || outcome.kinds[kNoMemory] != 0) {
    std::fprintf(stderr, "vortel-valuta: memoria insufficiente\n");
    return kExitFile;
  }
  if (outcome.kinds[kUnreadable] != 0 || outcome.kinds[kNotDrawn] != 0)
    return kExitFile;
  if (outcome.kinds[kDamaged] != 0) return kExitUsage;
  if (outcome.kinds[kUnrated] != 0) return kExitUnrated;
  return kExitOk;
}

// --svg: the folder made and found writable before any puzzle is rated,
// so that a run does not end in pictures lost; false when it is not.
bool pictures_ready(const Options& options) {
  valuta::PictureError problem;
  if (options.svg_dir == nullptr ||
      valuta::prepare_directory(options.svg_dir, problem)) {
    return true;
  }
  std::fprintf(stderr,
               "vortel-valuta: %s: impossibile scrivervi le immagini: %s\n",
               problem.path, std::strerror(problem.error));
  return false;
}

// --svg: the index joined once every puzzle is answered; the run's status,
// or kExitFile when the index could not be written.
int with_index(const Options& options, long long last, int status) {
  valuta::PictureError problem;
  if (options.svg_dir == nullptr ||
      valuta::write_index(options.svg_dir, last, problem)) {
    return status;
  }
  std::fprintf(stderr, "vortel-valuta: %s: indice non scritto: %s\n",
               problem.path, std::strerror(problem.error));
  return kExitFile;
}

}  // namespace

int main(int argc, char** argv) {
  static Run run;
  Options& options = run.options;
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
                 std::strcmp(same, "-") == 0 ? "(standard input)" : same);
    return kExitFile;
  }
  if (!pictures_ready(options)) return kExitFile;
  run.form.json = options.json;
  run.form.names = options.files;
  run.form.name_count = options.file_count;
  batch::Job job;
  job.names = options.files;
  job.name_count = options.file_count;
  job.threads = options.threads;
  job.program = "vortel-valuta";
  job.answer = answer;
  job.context = &run;
  // The rating lines are a table with a header, as vortel-lotto's; the
  // blocks of --passi and the hints are not.
  char header[256];
  std::snprintf(header, sizeof header, "%s\t%s\n",
                answers::leading_header(run.form), valuta::kColumns);
  if (options.mode == valuta::Report::kRate && !options.json) {
    job.header = header;
  }
  // A puzzle takes from half a millisecond to a second: small batches keep
  // every thread busy to the end of a short input.
  job.batch = 4;
  job.answer_room = valuta::kMaxText;
  answers::begin_progress(run.progress, "vortel-valuta", options.files,
                          options.file_count, true);
  job.written = run.progress.terminal ? show_progress : nullptr;
  batch::install_signals();
  const batch::Outcome outcome = batch::run(job);
  answers::end_progress(run.progress);
  return with_index(options, run.last.load(), final_status(outcome));
}
