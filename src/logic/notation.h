// Steps written as people read them: cells as r4c7 (several as r46c9 or
// r4c15), units as r4, c7, b6, a placement r4c7=8, eliminations r46c9<>8;
// a step as its technique, what makes it, "=>" and its result. And the same
// step told in an Italian sentence.
#ifndef VORTEL_LOGIC_NOTATION_H_
#define VORTEL_LOGIC_NOTATION_H_

#include <cstddef>
#include <cstdint>

#include "base/text.h"
#include "logic/grid.h"
#include "logic/step.h"

namespace logic {

/// A text being written into a fixed buffer; what does not fit is cut
/// (base/text.h: the programs' one text builder).
using base::Text;

void append(Text& t, const char* s);
void append_format(Text& t, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

/// A unit's name: r4, c7 or b6.
void append_unit(Text& t, int unit);
/// A set of cells, grouped by rows or columns: r46c9, r4c15, r1c1,r5c7.
void append_cells(Text& t, const CellSet& cells);
/// Unit names as r4,b6 (bit u of `units` for unit u).
void append_units(Text& t, std::uint32_t units);
/// Digits as 2,7.
void append_digits(Text& t, DigitSet digits);
/// The step's result: r4c7=8, or r46c9<>8, r5c1<>3.
void append_result(Text& t, const Step& step);

/// The cells a drawing of the step marks: its pattern's, and a chain's
/// nodes' (which the pattern's cells need not hold).
CellSet marked_cells(const Step& step);

/// The technique's name as a step gives it: "Hidden Single (row)",
/// "Unique Rectangle type 2", "Bivalue Universal Grave (BUG+1)", and for
/// an X-Chain of two strong links "Turbot Fish".
void append_name(Text& t, const Step& step);

/// The same name inside an Italian sentence: "Unique Rectangle di tipo 2",
/// a hidden single's unit left to the sentence.
void append_italian_name(Text& t, const Step& step);

/// "Locked Candidates (pointing): 8 in b3 => r46c9<>8".
void write_step(Text& t, const Step& step);

/// The step in an Italian sentence for a person.
void write_sentence(Text& t, const Step& step);

/// A hint toward the step, in Italian: the technique and where to look
/// ("cerca un X-Wing sul 7"), and with `cells` the cells that make it
/// (", nelle caselle r1c49,r7c49"), without what it places or removes.
void write_hint(Text& t, const Step& step, bool cells);

/// For a forcing chain of many branches, found in the grid `before`: each
/// branch between `open` and `close`, "se r1c6=9: r1c5<>9, r2c4=9, ... =>
/// r7c6<>9", the nodes its conclusion (or contradiction) rests on in the
/// order they are forced, so that each follows from the grid and those
/// before it. Returns the branches written (0 for any other step).
int write_branches(Text& t, const Grid& before, const Step& step,
                   const char* open, const char* close);

/// For an aligned pair or triple exclusion found in `before`: for each
/// candidate it removes, a line between `open` and `close` that names what
/// excludes each combination of it with the other cells' digits, "se
/// r1c1=5: con r1c2=5 una cifra ripetuta; con r1c2=7 r2c3 (5,7) resta
/// vuota => r1c1<>5" (exclusion.cpp). Returns the lines written (0 for any
/// other step).
int write_exclusions(Text& t, const Grid& before, const Step& step,
                     const char* open, const char* close);

}  // namespace logic

#endif  // VORTEL_LOGIC_NOTATION_H_
