// Command line: option parsing with its order rules, the usage text, and the
// refusal of an existing output file.
#include "front/options.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>

#include "front/end_run.h"
#include "front/exit_status.h"

namespace front {

RunSettings g_settings;

namespace {

// The usage text, printed as one block; it opens with an empty line and
// closes with one.
constexpr const char* kUsageText =
    "\n"
    "Il programma VORTEL risolve il gioco omonimo (noto come SUDOKU, nome registrato\n"
    "appartenente alla societa' Nikoli), completando, quando possibile, la tabella\n"
    "9x9, della quale viene fornito un numero arbitrario di elementi, variabile tra\n"
    "0 ed 81. In quest'ultimo caso il programma effettuerebbe unicamente il control-\n"
    "lo di congruenza delle cifre inserite.\n"
    "\n"
    "Per eseguire il gioco il comando di base e' il seguente:\n"
    "\n"
    "                   vortel <archivio>\n"
    "\n"
    "dove <archivio> rappresenta il nome di un archivio di testo in formato ASCII che\n"
    "contiene righe formate ciascuna da tre numeri interi compresi tra 1 e 9 e sepa-\n"
    "rati tra loro da spazi, che rappresentano rispettivamente le due coordinate (ri-\n"
    "ga e colonna) di una casella ed il suo contenuto.\n"
    "\n"
    "Con il medesimo programma e' possibile svolgere anche altre funzioni di seguito\n"
    "descritte mediante l'uso di parametri opzionali, che devono essere sempre forni-\n"
    "ti dopo il nome dell'archivio dei dati.\n"
    "\n"
    "Menu' delle opzioni valide:\n"
    "\n"
    "  -c       - trova una soluzione e quindi esegue il conteggio delle altre solu-\n"
    "             zioni ammissibili. Vengono considerate tutte le soluzioni comprese\n"
    "             quelle ottenibili da altre mediante operazioni di simmetria.\n"
    "  -d <dir> - specifica il direttorio, e relativo percorso, dove si trova l'ar-\n"
    "             chivio contenente i dati del gioco, nel caso che esso non si tro-\n"
    "             vi sul direttorio corrente.\n"
    "  -s <usc> - stampa sull'archivio <usc> la prima soluzione trovata.\n"
    "             Se l'archivio <usc> gia' esiste, il programma si interrompe, mentre\n"
    "             se non viene fornito, l'uscita viene diretta sullo schermo.\n"
    "  -S <usc> - stampa sull'archivio <usc> TUTTE le soluzioni trovate.\n"
    "             Se l'archivio <usc> gia' esiste, il programma si interrompe, mentre\n"
    "             se non viene fornito, l'uscita viene diretta sullo schermo.\n"
    "       NOTA: Questo comando puo' comportare la creazione di archivi di dimensio-\n"
    "             ni tali da riempire il disco di sistema. USARE quindi il comando\n"
    "             CON CAUTELA dopo aver eseguito il conteggio delle soluzioni ammis-\n"
    "             sibili con l'opzione -c.\n"
    "\n";

// Takes the optional output name after -s or -S: the next argument when
// there is one and it does not begin with '-' (an empty argument qualifies
// and makes the name empty). A missing name keeps an earlier one.
void take_output_name(int argc, const char* const* argv, int& i,
                      RunSettings& settings) {
  if (i + 1 < argc && argv[i + 1][0] != '-') {
    settings.output_name = argv[++i];
  }
}

}  // namespace

OptionResult parse_options(int argc, const char* const* argv,
                           RunSettings& settings) {
  settings = RunSettings{};
  for (int i = 2; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "-c") == 0) {
      settings.count = true;
    } else if (std::strcmp(arg, "-d") == 0) {
      if (i + 1 >= argc) return {OptionStatus::kUsage, 0};
      settings.directory = argv[++i];
    } else if (std::strcmp(arg, "-s") == 0) {
      if (settings.count || settings.all) return {OptionStatus::kUsage, 0};
      settings.first = true;
      take_output_name(argc, argv, i, settings);
    } else if (std::strcmp(arg, "-S") == 0) {
      if (settings.count || settings.first) return {OptionStatus::kUsage, 0};
      settings.all = true;
      take_output_name(argc, argv, i, settings);
    } else {
      return {OptionStatus::kIllegal, i};
    }
  }
  return {OptionStatus::kOk, 0};
}

void print_banner() {
  std::fputs(
      "Programma: VORTEL - Versione: 1.0\n"
      "Autori: il gruppo di sviluppo di VORTEL - Contatto: vortel@example.org\n",
      stdout);
}

void show_usage() {
  std::fputs(kUsageText, stdout);
  end_run(kExitOk);
}

bool output_exists(const char* name) {
  // stat follows links and never opens the file, so a FIFO or a device
  // does not block here. A path that cannot be examined (a missing one, a
  // name too long) does not count: creating the file exclusively later
  // refuses anything that is really there.
  struct stat info;
  if (stat(name, &info) != 0) return false;
  return !S_ISDIR(info.st_mode);
}

void apply_command_line(int argc, const char* const* argv) {
  const OptionResult result = parse_options(argc, argv, g_settings);
  if (result.status == OptionStatus::kIllegal) {
    std::printf("\n*** Opzione illegale '%s' ***\n", argv[result.bad_index]);
  }
  if (result.status != OptionStatus::kOk) show_usage();
  const char* name = g_settings.output_name;
  if (name[0] != '\0' && output_exists(name)) {
    std::printf(
        "\n*** L'archivio %s di uscita e' gia' presente sul disco ***\n*** Cancellare l'archivio o fornire il nome di un archivio non esistente ***\n\n",
        name);
    end_run(kExitFileOrContradiction);
  }
}

}  // namespace front
