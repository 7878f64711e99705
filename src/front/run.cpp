// The run sequence up to the search, and the start-up integrity check.
#include "front/run.h"

#include <cstdio>

#include "front/end_run.h"
#include "front/exit_status.h"
#include "front/options.h"
#include "front/output.h"
#include "front/puzzle_file.h"
#include "front/report.h"
#include "solver/consistency.h"
#include "solver/propagate.h"

namespace front {

void verify_integrity(bool intact) {
  if (intact) return;
  std::printf(
      "\n*** Programma alterato: controllo di integrita' fallito ***\n");
  end_altered_run(kExitFormatOrMemory);
}

void run_sequence() {
  open_sink();
  set_title("Tabella iniziale\nCaselle incognite: %d", g_unknown);
  show_board(g_board);
  if (solver::check_consistency(g_board) != 0) {
    std::printf("Tabella errata per dati inconsistenti!\n");
    end_run(kExitBadGivens);
  }
  std::printf("Processo matematico in corso ...\n");
  solver::propagate(g_board, g_unknown);
  if (solver::check_consistency(g_board) != 0) {
    std::printf("Tabella errata per dati incongruenti!\n");
    end_run(kExitFileOrContradiction);
  }
  if (g_unknown == 0) {
    set_title("Tabella risolta con solo processo matematico");
    show_board(g_board);
    if (g_settings.count) std::printf("Il problema ammette 1 soluzione\n\n");
    end_run(kExitOk);
  }
  set_title("Tabella ottenuta con processo matematico\nCaselle incognite: %d",
            g_unknown);
  show_board(g_board);
  // A count writes nothing more to the output file.
  if (g_settings.count) output_file_complete();
  iterative_process(g_board, g_unknown);
}

}  // namespace front
