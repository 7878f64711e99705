// Options first or among the names, in any order; "--" ends them; one mode
// a run.
#include "lotto/options.h"

#include <cstdlib>
#include <cstring>

#include "answers/arguments.h"

namespace lotto {

const char* const kUsage =
    "Uso: vortel-lotto [MODO] [OPZIONI] [ARCHIVIO...]\n"
    "\n"
    "Risponde per ogni gioco di una raccolta, una riga per gioco, nell'ordine\n"
    "dei giochi. Legge gli archivi indicati, uno dopo l'altro, o lo standard\n"
    "input (anche \"-\"), in tutte le forme che legge vortel-importa.\n"
    "\n"
    "Modi (uno per volta):\n"
    "  --risolvi        la prima soluzione, la stessa di vortel (predefinito)\n"
    "  --verifica       nessuna, unica o multipla, con le prime due soluzioni\n"
    "  --conta[=LIMITE] le soluzioni fino a LIMITE (2 se manca; 0: tutte)\n"
    "  --minimo         se un gioco unico è minimo, e quali dati sono superflui\n"
    "\n"
    "Opzioni:\n"
    "  -j N             N thread (predefinito: tutte le CPU in linea)\n"
    "  --json           righe JSON invece delle colonne separate da tabulazioni\n"
    "  --filtro         senza intestazione, numero, archivio e riga: una riga\n"
    "                   esce per ogni riga che entra, per dividere il lavoro\n"
    "                   (parallel)\n"
    "  --canonica[=DEF] in più la forma canonica del gioco, la stessa per ogni\n"
    "                   gioco uguale a meno di simmetrie e di cifre: DEF minlex\n"
    "                   (la stringa più piccola, predefinita) o schema (prima\n"
    "                   lo schema dei dati più piccolo)\n"
    "  --automorfismi   in più, per una griglia piena, il numero dei suoi\n"
    "                   automorfismi\n"
    "  --doppioni       in più, per ogni gioco uguale a uno precedente, il\n"
    "                   numero del primo; nel riepilogo i giochi distinti (non\n"
    "                   con --filtro)\n"
    "  -q, --silenzioso senza riepilogo né avanzamento sullo standard error\n"
    "  --help           mostra questo testo\n"
    "  --version        mostra la versione\n"
    "\n"
    "Colonne: numero, archivio, riga, etichetta, gioco, stato (risolta, unica,\n"
    "multipla, nessuna, cifre-ripetute, minima, non-minima, illeggibile,\n"
    "errore), soluzioni (\"2+\": almeno 2), soluzione, dettaglio; poi, se\n"
    "chieste, canonica, automorfismi, doppione.\n"
    "\n"
    "Stato di uscita: 0 fatto; 1 voci danneggiate o comando errato; 2 archivio\n"
    "non leggibile o uscita non scrivibile; 3 memoria insufficiente.\n";

namespace {

// A decimal number of at most 18 digits, nothing else.
bool read_number(const char* text, std::int64_t& value) {
  if (*text == '\0' || std::strlen(text) > 18) return false;
  value = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return false;
    value = 10 * value + (*p - '0');
  }
  return true;
}

ParseResult bad(const char* message, const char* argument) {
  return {Parse::kBad, message, argument};
}

bool set_mode(Settings& settings, Question mode, bool& chosen) {
  if (chosen && settings.mode != mode) return false;
  settings.mode = mode;
  chosen = true;
  return true;
}

// -j N or -jN; `i` moves past a separate value.
ParseResult threads_option(int argc, char** argv, int& i, Settings& s) {
  const char* arg = argv[i];
  const char* value = answers::threads_value(argc, argv, i);
  if (value == nullptr || !answers::parse_threads(value, s.threads)) {
    return bad("numero di thread non valido (da 1 a 1024) in", arg);
  }
  return {};
}

// The mode an argument names; false when it names none.
bool mode_option(const char* arg, Settings& s, Question& mode, bool& good) {
  good = true;
  if (std::strncmp(arg, "--conta", 7) == 0 &&
      (arg[7] == '\0' || arg[7] == '=')) {
    s.limit = 2;
    good = arg[7] == '\0' || read_number(arg + 8, s.limit);
    mode = Question::kCount;
  } else if (std::strcmp(arg, "--risolvi") == 0) {
    mode = Question::kSolve;
  } else if (std::strcmp(arg, "--verifica") == 0) {
    mode = Question::kCheck;
  } else if (std::strcmp(arg, "--minimo") == 0) {
    mode = Question::kMinimal;
  } else {
    return false;
  }
  return true;
}

// The fields an argument asks for beside the question's; false when it
// asks for none. --canonica's value comes only after "=", as --conta's: a
// separate one could not be told from a file's name.
bool column_option(const char* arg, Settings& s, bool& good) {
  good = true;
  if (std::strncmp(arg, "--canonica", 10) == 0 &&
      (arg[10] == '\0' || arg[10] == '=')) {
    s.columns.form = true;
    s.definition = canon::Definition::kMinlex;
    if (arg[10] == '=' && std::strcmp(arg + 11, "schema") == 0) {
      s.definition = canon::Definition::kPattern;
    } else if (arg[10] == '=') {
      good = std::strcmp(arg + 11, "minlex") == 0;
    }
  } else if (std::strcmp(arg, "--automorfismi") == 0) {
    s.columns.automorphisms = true;
  } else if (std::strcmp(arg, "--doppioni") == 0) {
    s.columns.duplicate = true;
  } else {
    return false;
  }
  return true;
}

// One option; `i` moves past a separate value.
ParseResult option(int argc, char** argv, int& i, Settings& s, bool& chosen) {
  const char* arg = argv[i];
  Question mode = Question::kSolve;
  bool good = true;
  if (std::strcmp(arg, "--help") == 0) return {Parse::kHelp};
  if (std::strcmp(arg, "--version") == 0) return {Parse::kVersion};
  if (std::strncmp(arg, "-j", 2) == 0) return threads_option(argc, argv, i, s);
  if (mode_option(arg, s, mode, good)) {
    if (!good) return bad("limite non valido in", arg);
    if (!set_mode(s, mode, chosen)) return bad("un solo modo per volta:", arg);
  } else if (column_option(arg, s, good)) {
    if (!good) return bad("definizione non valida (minlex o schema) in", arg);
  } else if (std::strcmp(arg, "--json") == 0) {
    s.style.json = true;
  } else if (std::strcmp(arg, "--filtro") == 0) {
    s.style.filter = true;
  } else if (std::strcmp(arg, "-q") == 0 ||
             std::strcmp(arg, "--silenzioso") == 0) {
    s.quiet = true;
  } else {
    return bad("opzione illegale", arg);
  }
  return {};
}

// The walk's state: the settings filled in, and why it stopped.
struct Walk {
  Settings& settings;
  bool chosen = false;  // a mode named
  ParseResult result;
};

bool take_option(int argc, char** argv, int& i, void* context) {
  Walk& walk = *static_cast<Walk*>(context);
  walk.result = option(argc, argv, i, walk.settings, walk.chosen);
  return walk.result.parse == Parse::kRun;
}

}  // namespace

ParseResult parse_options(int argc, char** argv, Settings& settings) {
  Walk walk{settings, false, {}};
  char** names = nullptr;
  int count = 0;
  if (!answers::walk_arguments(argc, argv, take_option, &walk, names, count))
    return walk.result;
  // A filter's lines leave out the numero, which a duplicate's mark is.
  if (settings.columns.duplicate && settings.style.filter)
    return bad("--doppioni non si usa con", "--filtro");
  settings.names = names;
  settings.name_count = count;
  settings.style.names = names;
  settings.style.name_count = count;
  return {};
}

}  // namespace lotto
