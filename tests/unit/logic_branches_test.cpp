// The branches of the forcing chains of many, as --passi prints them, read
// back by a checker that knows only what a person checks by eye: a digit
// true in a cell takes that digit from its peers and the other digits from
// the cell; a digit is true where it is a cell's last candidate or a unit's
// last place; a contradiction is a candidate both true and false, a cell
// without digits or a digit without a place. Every node of every branch
// must follow from the grid the step was found in and the nodes listed
// before it, in the step's mode (the multiple chains read their singles
// from the grid as it stands, Nishio keeps to one digit), and the branch
// must end in the step's conclusion.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "logic/ladder.h"
#include "logic/notation.h"
#include "logic_support.h"

namespace {

using logic::Grid;
using logic::Step;

struct Node {
  int cell;
  int digit;
  bool on;
};

// "r4c7=8" or "r4c7<>8" at text[at]; advances `at`.
bool read_node(const std::string& text, std::size_t& at, Node& node) {
  int row = 0;
  int column = 0;
  int used = 0;
  char sign = 0;
  if (std::sscanf(text.c_str() + at, "r%1dc%1d%c%n", &row, &column, &sign,
                  &used) != 3) {
    return false;
  }
  at += static_cast<std::size_t>(used);
  if (sign == '<') ++at;  // "<>"
  node = {9 * (row - 1) + column - 1, text[at] - '0', sign == '='};
  ++at;
  return true;
}

// The state a person keeps: candidates as the nodes so far leave them, and
// the digits made true.
struct State {
  Grid g;
  int true_digit[81] = {};
  bool conflict = false;  // a candidate taken both true and false
  // The step's mode: in the static mode (multiple chains) a single is read
  // from the grid the step was found in, a cell or a unit of two places
  // whose other one is false; Nishio follows the premise's digit alone.
  logic::Mode mode = logic::Mode::kDynamic;
  Grid start;
  int premise_digit = 0;
};

// Whether the single (cell, digit) is one of the grid as it stands: the
// cell has two digits there, or the digit two places in one of its units.
bool static_single(const State& s, const Node& n) {
  const logic::Geometry& geo = logic::geometry();
  if (logic::digit_count(s.start.candidates[n.cell]) == 2) return true;
  for (const int u : geo.cell_units[n.cell]) {
    int places = 0;
    for (const int c : geo.unit_cells[u]) {
      places += logic::carries(s.start.candidates[c], n.digit) ? 1 : 0;
    }
    if (places == 2) return true;
  }
  return false;
}

// Whether the step's mode allows the node at all.
bool in_mode(const State& s, const Node& n) {
  if (s.mode == logic::Mode::kNishio) return n.digit == s.premise_digit;
  return !n.on || s.mode != logic::Mode::kStatic || static_single(s, n);
}

bool follows(const State& s, const Node& n) {
  const logic::Geometry& geo = logic::geometry();
  if (!in_mode(s, n)) return false;
  if (!n.on) {
    for (int other = 0; other < 81; ++other) {
      const int d = s.true_digit[other];
      if (d == 0) continue;
      if (other == n.cell && d != n.digit) return true;
      if (d == n.digit && logic::has(geo.peers[n.cell], other)) return true;
    }
    return false;
  }
  const logic::DigitSet left = s.g.candidates[n.cell];
  if (left == (1U << n.digit)) return true;
  if (!logic::carries(left, n.digit)) return false;
  for (const int u : geo.cell_units[n.cell]) {
    int places = 0;
    for (const int c : geo.unit_cells[u]) {
      places += logic::carries(s.g.candidates[c], n.digit) ? 1 : 0;
    }
    if (places == 1) return true;
  }
  return false;
}

// Takes the node, noting a conflict with the nodes before: a removed
// candidate made true, a true one removed, two digits true in a cell or a
// digit true in two peers (each of those is the opposite of a node before).
void take(State& s, const Node& n) {
  Node opposite{n.cell, n.digit, !n.on};
  if (follows(s, opposite) ||
      (n.on && !logic::carries(s.g.candidates[n.cell], n.digit))) {
    s.conflict = true;
  }
  if (n.on) {
    s.true_digit[n.cell] = n.digit;
  } else {
    s.g.candidates[n.cell] &= static_cast<logic::DigitSet>(~(1U << n.digit));
  }
}

bool contradicted(const State& s) {
  if (s.conflict) return true;
  const logic::Geometry& geo = logic::geometry();
  for (int cell = 0; cell < 81; ++cell) {
    const int d = s.true_digit[cell];
    if (s.g.digit[cell] == 0 && s.g.candidates[cell] == 0) return true;
    if (d != 0 && !logic::carries(s.g.candidates[cell], d)) return true;
  }
  for (int u = 0; u < 27; ++u) {
    for (int d = 1; d <= 9; ++d) {
      bool place = false;
      for (const int c : geo.unit_cells[u]) {
        place =
            place || s.g.digit[c] == d || logic::carries(s.g.candidates[c], d);
      }
      if (!place) return true;
    }
  }
  return false;
}

// Checks one printed branch line; returns what is wrong, empty if nothing.
std::string check_branch(const Grid& before, logic::Mode mode,
                         const std::string& line) {
  State s;
  s.g = before;
  s.mode = mode;
  s.start = before;
  std::size_t at = line.find("se ");
  Node node{};
  at += 3;
  if (!read_node(line, at, node)) return "no premise";
  s.premise_digit = node.digit;
  take(s, node);
  at = line.find(':', at) + 1;  // past " (N nodi):"
  while (at < line.size() && line.compare(at, 4, " => ") != 0) {
    at += line[at] == ',' ? 2 : 1;
    if (!read_node(line, at, node)) return "unreadable node";
    if (!follows(s, node)) return "a node that does not follow";
    take(s, node);
  }
  at += 4;
  if (line.compare(at, 14, "contraddizione") == 0) {
    return contradicted(s) ? "" : "no contradiction";
  }
  if (!read_node(line, at, node)) return "no conclusion";
  return follows(s, node) ? "" : "a conclusion that does not follow";
}

struct Seen {
  int steps = 0;
  int branches = 0;
  std::vector<std::string> faults;
};

// The step's length against the branches listed. The length is what the
// step is rated by, so it stays that: every branch's nodes with its premise
// and the conclusion (each branch counts them once more); a
// contradiction's two chains, to a node and to its opposite, counted one
// by one (the nodes they share twice). The listing gives each node once,
// and each branch's "(N nodi)" counts what its line shows: the premise,
// the nodes listed and the conclusion, so that for one conclusion the
// branches add up to the length.
void check_count(const Step& step, const std::string& slug,
                 const std::string& text, Seen& seen) {
  int listed = 0;
  int lines = 0;
  int told = 0;
  bool contradiction = false;
  for (std::size_t from = 0; from < text.size(); ++lines) {
    const std::size_t end = text.find('\n', from);
    const std::string line = text.substr(from, end - from);
    const std::size_t colon = line.find(':');
    const std::size_t arrow = line.find(" => ");
    int here = arrow > colon + 1 ? 1 : 0;
    for (std::size_t k = colon; k < arrow; ++k) here += line[k] == ',';
    listed += here;
    const bool ends_in_contradiction =
        line.compare(arrow + 4, 14, "contraddizione") == 0;
    contradiction = contradiction || ends_in_contradiction;
    const int shown = here + (ends_in_contradiction ? 1 : 2);
    std::string count = " (";
    count.append(std::to_string(shown)).append(" nodi):");
    if (line.find(count) == std::string::npos) {
      std::string fault = slug;
      fault.append(": count not the nodes shown: ").append(line);
      seen.faults.push_back(fault);
    }
    told += shown;
    from = end + 1;
  }
  const bool fits =
      contradiction ? listed + 2 <= step.nodes && step.nodes <= 2 * (listed + 2)
                    : step.nodes == told;
  if (!fits) {
    seen.faults.push_back(slug + ": " + std::to_string(step.nodes) +
                          " nodes for " + std::to_string(listed) + " listed");
  }
}

void check_step(const Grid& before, const Step& step, void* context) {
  auto& seen = *static_cast<Seen*>(context);
  int size = 0;
  const std::string slug = logic::ladder(size)[step.technique].slug;
  static char buffer[1 << 16];
  logic::Text t{buffer, sizeof buffer};
  const int n = logic::write_branches(t, before, step, "", "\n");
  if (step.nodes == 0) return;
  ++seen.steps;
  if (n != step.chain_length) seen.faults.push_back(slug + ": branch lost");
  const std::string text(buffer, t.length);
  check_count(step, slug, text, seen);
  // With patterns, a node may rest on a pattern the checker does not know.
  if (slug == "dynamic-forcing-chain-plus") return;
  for (std::size_t from = 0; from < text.size();) {
    const std::size_t end = text.find('\n', from);
    const std::string line = text.substr(from, end - from);
    const std::string fault =
        check_branch(before, logic::ladder(size)[step.technique].mode, line);
    if (!fault.empty()) {
      std::string report = slug;
      report.append(": ").append(fault).append(": ").append(line);
      seen.faults.push_back(report);
    }
    ++seen.branches;
    from = end + 1;
  }
}

TEST(BranchesTest, EveryBranchChecksByEye) {
  std::ifstream in(VORTEL_BENCH_DATA "/bench_top1465.txt");
  std::string line;
  Seen seen;
  for (int k = 0; k < 40 && std::getline(in, line); ++k) {
    const base::Puzzle puzzle = test::digits_of(line);
    base::Puzzle solution{};
    ASSERT_EQ(logic::solve(puzzle, solution), logic::Solutions::kOne);
    logic::RateOptions options;
    options.on_step = check_step;
    options.context = &seen;
    logic::rate(logic::make_grid(puzzle), solution, options);
  }
  EXPECT_GT(seen.steps, 100);
  EXPECT_GT(seen.branches, 200);
  for (const std::string& fault : seen.faults) ADD_FAILURE() << fault;
}

}  // namespace
