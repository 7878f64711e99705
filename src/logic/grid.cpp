#include "logic/grid.h"

namespace logic {

namespace {

Geometry make_geometry() {
  Geometry geo{};
  int filled[27]{};
  for (int cell = 0; cell < 81; ++cell) {
    const int units[3] = {kRowUnit + row_of(cell),
                          kColumnUnit + column_of(cell),
                          kBoxUnit + box_of(cell)};
    for (int k = 0; k < 3; ++k) {
      const int u = units[k];
      geo.cell_units[cell][k] = static_cast<std::uint8_t>(u);
      geo.unit_cells[u][filled[u]++] = static_cast<std::uint8_t>(cell);
      add(geo.unit_set[u], cell);
    }
  }
  for (int cell = 0; cell < 81; ++cell) {
    for (const int u : geo.cell_units[cell]) {
      geo.peers[cell] = geo.peers[cell] | geo.unit_set[u];
    }
    remove(geo.peers[cell], cell);
    CellSet rest = geo.peers[cell];
    for (std::uint8_t& peer : geo.peer_list[cell]) {
      peer = static_cast<std::uint8_t>(take_first(rest));
    }
  }
  return geo;
}

}  // namespace

const Geometry& geometry() {
  static const Geometry kGeometry = make_geometry();
  return kGeometry;
}

Grid make_grid(const Puzzle& puzzle) {
  Grid g;
  for (DigitSet& c : g.candidates) c = kAllDigits;
  for (int cell = 0; cell < 81; ++cell) {
    if (puzzle.cell[cell] != 0) place(g, cell, puzzle.cell[cell]);
  }
  return g;
}

void place(Grid& g, int cell, int d) {
  g.digit[cell] = static_cast<std::uint8_t>(d);
  g.candidates[cell] = 0;
  --g.open;
  const auto bit = static_cast<DigitSet>(~(1U << d));
  CellSet peers = geometry().peers[cell];
  while (!empty(peers)) {
    const int p = take_first(peers);
    g.candidates[p] &= bit;
  }
}

CellSet positions(const Grid& g, int u, int d) {
  CellSet s;
  for (const int cell : geometry().unit_cells[u]) {
    if ((g.candidates[cell] >> d) & 1U) add(s, cell);
  }
  return s;
}

CellSet positions(const Grid& g, int d) {
  CellSet s;
  for (int cell = 0; cell < 81; ++cell) {
    if ((g.candidates[cell] >> d) & 1U) add(s, cell);
  }
  return s;
}

DigitSet placed_in(const Grid& g, int u) {
  DigitSet set = 0;
  for (const int cell : geometry().unit_cells[u]) {
    set = static_cast<DigitSet>(set | (1U << g.digit[cell]));
  }
  return static_cast<DigitSet>(set & kAllDigits);
}

}  // namespace logic
