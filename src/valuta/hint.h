// A step told to a person (--passi) and the hint (--suggerimento): the first
// step from a puzzle or a partly filled grid, whole or graded, or the
// givens that leave it without a solution.
#ifndef VORTEL_VALUTA_HINT_H_
#define VORTEL_VALUTA_HINT_H_

#include "logic/notation.h"
#include "logic/solution.h"
#include "valuta/options.h"

namespace valuta {

/// One line for the step numbered `n`, found in the grid `before`: its
/// rating, its notation and its Italian sentence, and below it the branches
/// of a forcing chain of many, or an exclusion's combinations (in JSON, a
/// JSON object with either in "rami"). With --candidati, the grid `before`
/// with its candidates drawn above the line, the step's cells and the
/// candidates it removes marked (in JSON, "griglia" and "candidati").
void append_step(logic::Text& t, const logic::Grid& before,
                 const logic::Step& step, int n, const Options& options);

/// The hint for a grid: the error to fix, or the first step. Returns kExitOk
/// when a step was given, kExitUnrated otherwise.
int hint(const base::Puzzle& grid, const Options& options, logic::Text& t);

/// Where a grid without any solution goes wrong: a smallest set of its
/// givens that has no solution by itself, each of them needed (taken away,
/// the others have one). Returns how many (bit i of `cells` for cell i).
int find_conflict(const base::Puzzle& grid, logic::CellSet& cells);

}  // namespace valuta

#endif  // VORTEL_VALUTA_HINT_H_
