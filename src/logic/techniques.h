// Every technique of the ladder: each looks at a grid and offers the steps
// it finds to the sink (step.h). ladder.cpp orders them, with their
// ratings; a new technique is one function here and one line there. A
// finder rates its steps from the sink's floor, its line's base rating,
// plus its own modifiers: no base is written twice.
#ifndef VORTEL_LOGIC_TECHNIQUES_H_
#define VORTEL_LOGIC_TECHNIQUES_H_

#include "logic/grid.h"
#include "logic/step.h"

namespace logic {

// singles.cpp
void find_full_house(const Grid& g, Sink& sink);
void find_hidden_single_box(const Grid& g, Sink& sink);
void find_hidden_single_line(const Grid& g, Sink& sink);
void find_direct_pointing(const Grid& g, Sink& sink);
void find_direct_claiming(const Grid& g, Sink& sink);
void find_direct_hidden_pair(const Grid& g, Sink& sink);
void find_naked_single(const Grid& g, Sink& sink);
void find_direct_hidden_triple(const Grid& g, Sink& sink);
// intersections.cpp
void find_pointing(const Grid& g, Sink& sink);
void find_claiming(const Grid& g, Sink& sink);
// subsets.cpp
void find_naked_pair(const Grid& g, Sink& sink);
void find_naked_triple(const Grid& g, Sink& sink);
void find_naked_quad(const Grid& g, Sink& sink);
void find_hidden_pair(const Grid& g, Sink& sink);
void find_hidden_triple(const Grid& g, Sink& sink);
void find_hidden_quad(const Grid& g, Sink& sink);
// fish.cpp
void find_x_wing(const Grid& g, Sink& sink);
void find_swordfish(const Grid& g, Sink& sink);
void find_jellyfish(const Grid& g, Sink& sink);
// wings.cpp
void find_xy_wing(const Grid& g, Sink& sink);
void find_xyz_wing(const Grid& g, Sink& sink);
// uniqueness.cpp
void find_unique_rectangle(const Grid& g, Sink& sink);
void find_bug(const Grid& g, Sink& sink);
// loops.cpp
void find_unique_loop(const Grid& g, Sink& sink);

/// A deadly pattern on digits ab (rectangle or loop) whose only cells with
/// more digits are e1 and e2: one of them holds one of its extra digits.
/// `pattern`: the step's type, digits and cells; `added`: what the
/// pattern's make adds to the technique's base, in tenths.
struct Roof {
  DigitSet ab = 0;
  int e1 = -1;
  int e2 = -1;
  DigitSet extra = 0;  // e1's and e2's digits besides ab (offer_type_3's)
  Step pattern;
  int added = 0;
};

/// Type 3: in each unit e1 and e2 share, the naked and hidden sets they
/// make as one cell, each offered (base + added + 0.1 a cell of the set
/// besides them), and the hidden sets with them. Fills in roof.extra.
/// Whether the sink asked to stop.
bool offer_type_3(const Grid& g, Roof& roof, Sink& sink);
// exclusion.cpp
void find_aligned_pair_exclusion(const Grid& g, Sink& sink);
void find_aligned_triple_exclusion(const Grid& g, Sink& sink);
// chains.cpp
void find_x_cycle(const Grid& g, Sink& sink);
void find_x_chain(const Grid& g, Sink& sink);
void find_y_cycle(const Grid& g, Sink& sink);
void find_cycle(const Grid& g, Sink& sink);
void find_forcing_chain(const Grid& g, Sink& sink);
// forcing.cpp
/// Nishio, multiple, dynamic and dynamic with patterns: the sink's mode.
void find_forcing_chains(const Grid& g, Sink& sink);
/// What a chain of `nodes` nodes adds to its technique's base rating, in
/// tenths.
int length_modifier(int nodes);

}  // namespace logic

#endif  // VORTEL_LOGIC_TECHNIQUES_H_
