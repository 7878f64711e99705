// One name for a puzzle: its canonical form among all the puzzles that are
// the same to a player (rows permuted within a band, bands permuted,
// columns within a stack, stacks, the transposition, and the digits
// relabelled: 3,359,232 geometric forms times 9! relabellings).
//
// Two definitions of "smallest":
// - kMinlex: of every string the puzzle can be drawn as (81 cells in
//   row-major order, empty = 0, the digits relabelled 1, 2, ... in order
//   of first appearance), the smallest.
// - kPattern: the smallest pattern of givens first (a given = 1, an empty
//   cell = 0, compared as minlex compares, so an empty cell sorts before a
//   given), then the smallest relabelled string on that pattern.
//
// A full grid (no empty cell) is a puzzle like any other; its
// automorphisms are the transforms that map it onto itself.
//
// Reentrant: no state outside the arguments.
#ifndef VORTEL_CANON_CANON_H_
#define VORTEL_CANON_CANON_H_

#include <cstdint>

#include "base/cells.h"

namespace canon {

enum class Definition { kMinlex, kPattern };

/// A transform of the board: output cell i takes the digit of input cell
/// cell_from[i], relabelled by digit_to (digit_to[0] = 0, an empty cell
/// stays empty; digit_to[d] is the new label of digit d).
struct Transform {
  std::uint8_t cell_from[81];
  std::uint8_t digit_to[10];
};

struct Form {
  base::Puzzle form;
  /// Maps the puzzle onto `form`: apply(transform, puzzle) == form.
  Transform transform;
};

/// The canonical form of `puzzle` under `definition`, with a transform
/// that yields it. `puzzle` need not be valid or unique: any digits 0..9.
Form canonical_form(const base::Puzzle& puzzle,
                    Definition definition = Definition::kMinlex);

/// The number of transforms (geometric and relabelling together) that map
/// `grid` onto itself; 1 for most grids, at most 648 for a valid grid.
/// Meant for full grids; for a puzzle with empty cells it counts the same
/// way (transforms that keep the puzzle as it is, the digits absent from
/// it relabelled freely), and -1 when that count does not fit an int (a
/// puzzle with few givens).
int automorphisms(const base::Puzzle& grid);

/// `t` applied to `p`: out.cell[i] = t.digit_to[p.cell[t.cell_from[i]]].
base::Puzzle apply(const Transform& t, const base::Puzzle& p);

}  // namespace canon

#endif  // VORTEL_CANON_CANON_H_
