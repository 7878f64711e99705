#!/usr/bin/env python3
"""Adversarial inputs for vortel-importa.

    importa_adversary.py IMPORTA SCRATCH [--count N] [--seed S] [--verbose]
                         [--only TRIAL]

Builds valid inputs of every form vortel-importa reads (one to five puzzles,
with labels, ratings, frames, column headers and empty-cell marks of every
kind), damages each at random (a cell or a row deleted or doubled, a rule
line deleted, doubled or moved, a label glued on, lines joined or split,
the empty mark swapped, a second puzzle, a solution or a text line put in),
and converts it into a new directory. For every input:

    status 0  =>  the files written are exactly the puzzles the damaged
                  input holds, in order;
    otherwise =>  nothing is left (no directory, no scratch directory).

Each damage knows what it leaves: the same puzzles, other puzzles (a line
deleted or doubled, a puzzle put in), or a damaged puzzle, which must be
refused. A damage that a reader could take either way accepts a refusal or
the puzzles it leaves, never anything else. Valid inputs must convert.
Prints how many inputs were tried and refused; exits 1 on any failure.
"""

import os
import random
import re
import shutil
import subprocess
import sys

MARKS = ".0_xX*-?"
SAFE_MARKS = ".0xX?"  # never drawn as a rule
CELLS = "123456789" + MARKS

BASE = [[(3 * (r % 3) + r // 3 + c) % 9 + 1 for c in range(9)] for r in range(9)]


def random_solution(rng):
    digits = list(range(1, 10))
    rng.shuffle(digits)
    bands = [0, 1, 2]
    rng.shuffle(bands)
    rows = [3 * b + r for b in bands for r in rng.sample(range(3), 3)]
    stacks = [0, 1, 2]
    rng.shuffle(stacks)
    cols = [3 * s + c for s in stacks for c in rng.sample(range(3), 3)]
    return "".join(str(digits[BASE[r][c] - 1]) for r in rows for c in cols)


def random_puzzle(rng):
    solution = random_solution(rng)
    keep = rng.uniform(0.2, 0.5)
    puzzle = "".join(d if rng.random() < keep else "." for d in solution)
    if puzzle == "." * 81:
        puzzle = solution[0] + puzzle[1:]
    return puzzle, solution


def with_mark(puzzle, mark):
    return puzzle.replace(".", mark)


# ---- list lines -----------------------------------------------------------

LABELS = ["", "Golden Nugget: ", "1) ", "#12 ", "Puzzle 2: ", "12: ",
          "Gioco: "]
TRAILERS = ["", " nome", "\tED=10.5/1.2/1.2", " 42", " # commento", ";a;b"]


def list_cells(cells, style):
    if style == "packed":
        return cells
    if style == "spaced":
        return " ".join(cells)
    if style == "groups":
        return " ".join(cells[9 * i:9 * i + 9] for i in range((len(cells) + 8) // 9))
    # one blank apart, wider gaps between boxes and rows
    out = ""
    for i, c in enumerate(cells):
        if i:
            out += "   " if i % 9 == 0 else "  " if i % 3 == 0 else " "
        out += c
    return out


def list_block(rng, puzzle, solution):
    mark = rng.choice(SAFE_MARKS if rng.random() < 0.8 else MARKS)
    style = rng.choice(["packed", "packed", "spaced", "groups", "boxes"])
    label = rng.choice(LABELS)
    if style != "packed" and label == "#12 ":
        label = "1) "
    trailer = rng.choice(TRAILERS + ["," + solution, " " + solution])
    cells = with_mark(puzzle, mark)
    line = label + list_cells(cells, style) + trailer
    maybe = mark in "-*_"
    return {"kind": "list", "lines": [line], "puzzles": [puzzle],
            "rows": [0], "rules": [], "maybe": maybe, "mark": mark,
            "puzzle": puzzle, "solution": solution, "label": label,
            "style": style, "trailer": trailer, "cells": cells}


def relist(b, cells):
    """The list line again, with other cells."""
    b["cells"] = cells
    b["lines"][0] = b["label"] + list_cells(cells, b["style"]) + b["trailer"]


# ---- grids ----------------------------------------------------------------

def row_bare(cells):
    return cells


def row_spaced(cells):
    return " ".join(cells)


def row_boxed(cells):
    return " | ".join(" ".join(cells[3 * b:3 * b + 3]) for b in range(3))


def row_printed(cells):  # as vortel prints its boards
    return "   " + "   ".join(" ".join(cells[3 * b:3 * b + 3]) for b in range(3))


def row_light(cells):
    return "\u2502 " + " \u2502 ".join(
        " ".join(cells[3 * b:3 * b + 3]) for b in range(3)) + " \u2502"


def row_barred(cells):
    return "|" + "|".join(cells[3 * b:3 * b + 3] for b in range(3)) + "|"


GRID_STYLES = {
    "bare": (row_bare, ["", "---+---+---", "==========="]),
    "spaced": (row_spaced, ["", "------+-------+------", "---------------------"]),
    "boxed": (row_boxed, ["", "------+-------+------", "- - - + - - - + - - -",
                          "======+=======+======"]),
    "printed": (row_printed, ["<blank>"]),
    "light": (row_light, ["\u251c" + "\u2500" * 7 + "\u253c" + "\u2500" * 7 +
                          "\u253c" + "\u2500" * 7 + "\u2524"]),
    "barred": (row_barred, ["", "+---+---+---+", "*-----------*"]),
}


def grid_block(rng, puzzle, solution, style=None):
    style = style or rng.choice(list(GRID_STYLES))
    row, rules = GRID_STYLES[style]
    rule = rng.choice(rules)
    mark = rng.choice(SAFE_MARKS if rng.random() < 0.8 else MARKS)
    cells = with_mark(puzzle, mark)
    lines, rows, rule_at = [], [], []
    border = rule not in ("", "<blank>") and rng.random() < 0.6
    if border:
        rule_at.append(len(lines))
        lines.append(rule)
    for r in range(9):
        rows.append(len(lines))
        lines.append(row(cells[9 * r:9 * r + 9]))
        if r in (2, 5) and rule:
            rule_at.append(len(lines))
            lines.append("" if rule == "<blank>" else rule)
    if border:
        rule_at.append(len(lines))
        lines.append(rule)
    maybe = mark in "-*_" or "- - -" in rule
    return {"kind": "grid", "lines": lines, "puzzles": [puzzle], "rows": rows,
            "rules": rule_at, "maybe": maybe, "mark": mark, "style": style,
            "puzzle": puzzle, "solution": solution}


def text_block(rng):
    line = rng.choice(["", "# commento", "[Puzzle]", "\u00c8 difficile",
                       "Puzzle 3", "Tabella iniziale", "Caselle incognite: 58",
                       "# 4....8.5 commentato"])
    return {"kind": "text", "lines": [line], "puzzles": [], "rows": [],
            "rules": [], "maybe": False}


def make_input(rng):
    blocks = []
    for _ in range(rng.randint(1, 5)):
        if rng.random() < 0.5:
            blocks.append(text_block(rng))
        puzzle, solution = random_puzzle(rng)
        make = list_block if rng.random() < 0.5 else grid_block
        blocks.append(make(rng, puzzle, solution))
    # A grid right after a grid or a list line needs a line between (a
    # blank at least), as any file has.
    out = []
    for b in blocks:
        if out and (b["kind"] == "grid" or out[-1]["kind"] == "grid"):
            out.append({"kind": "text", "lines": [""], "puzzles": [],
                        "rows": [], "rules": [], "maybe": False})
        out.append(b)
    return out


# ---- damage ---------------------------------------------------------------
# Each returns (blocks, expectation), expectation "same" (the puzzles of the
# blocks), "refuse" or "either" (refused, or the puzzles of the blocks).

def pick(rng, blocks, kind=None):
    choices = [i for i, b in enumerate(blocks)
               if b["puzzles"] and (kind is None or b["kind"] == kind)]
    return rng.choice(choices) if choices else None


def cell_positions(line):
    return [i for i, c in enumerate(line) if c in "123456789" + MARKS]


def damage_cell(rng, blocks, double):
    i = pick(rng, blocks)
    if i is None:
        return blocks, "same"
    b = blocks[i]
    k = rng.choice(b["rows"])
    line = b["lines"][k]
    positions = cell_positions(line)
    if b["kind"] == "list":  # a cell of the puzzle, where it stands
        start = len(b["label"])
        end = len(line) - len(b["trailer"])
        positions = [p for p in positions if start <= p < end]
    p = rng.choice(positions)
    line = line[:p] + (line[p] * 2 if double else "") + line[p + 1:]
    b["lines"][k] = line
    return blocks, "refuse"


def damage_row(rng, blocks, double):
    i = pick(rng, blocks)
    if i is None:
        return blocks, "same"
    b = blocks[i]
    k = rng.choice(b["rows"])
    if b["kind"] == "list":
        if double:
            b["lines"].append(b["lines"][0])
            b["puzzles"] = b["puzzles"] * 2
        else:
            b["lines"] = []
            b["puzzles"] = []
        return blocks, "same"
    if double:
        b["lines"].insert(k, b["lines"][k])
    else:
        del b["lines"][k]
    return blocks, "refuse"


def damage_rule(rng, blocks, how):
    choices = [i for i, b in enumerate(blocks) if b.get("rules")]
    if not choices:
        return blocks, "same"
    b = blocks[rng.choice(choices)]
    k = rng.choice(b["rules"])
    inner = 0 < k < len(b["lines"]) - 1 and k - 1 in b["rows"] and k + 1 in b["rows"]
    rule = b["lines"].pop(k)
    if how == "delete":
        return blocks, "either"
    if how == "double":
        b["lines"].insert(k, rule)
        b["lines"].insert(k, rule)
        return blocks, "either"
    # moved one row up or down: a band of two rows and one of four
    if not inner:
        b["lines"].insert(k, rule)
        return blocks, "same"
    k += rng.choice([-1, 1])
    b["lines"].insert(k, rule)
    return blocks, "refuse"


def damage_label(rng, blocks):
    i = pick(rng, blocks, "list")
    if i is None:
        return blocks, "same"
    b = blocks[i]
    label = rng.choice(["Puzzle 7:", "Gioco:", "[12]", "Nugget ", "#9",
                        "Sudoku x", "n. 12 ", "Golden Nugget:"])
    line = label + b["lines"][0]
    b["lines"][0] = line
    if line.startswith("#"):
        # a comment, whatever follows, unless a number and a blank, ':' or
        # ')' label a puzzle
        if not re.match(r"#[0-9]{1,8}[ \t:)][ \t]*[" + re.escape(CELLS) + "]", line):
            b["puzzles"] = []
        return blocks, "same"
    if label == "Sudoku x" and b["label"] == "":
        return blocks, "refuse"  # a cell glued on: 82 of them
    return blocks, "same"


def damage_join(rng, blocks):
    k = rng.randrange(len(blocks))
    if k + 1 >= len(blocks):
        return blocks, "same"
    a, b = blocks[k], blocks[k + 1]
    if a["kind"] == "list" and b["kind"] == "list":
        glue = rng.choice([" ", ""])
        a["lines"][0] += glue + b["lines"][0]
        a["puzzles"] += b["puzzles"]
        del blocks[k + 1]
        if glue == "":
            return blocks, "either"  # a trailer may end the first run
        return blocks, "either" if a["maybe"] or b["maybe"] else "same"
    if a["kind"] == "grid" or b["kind"] == "grid":
        g = a if a["kind"] == "grid" else b
        r = rng.choice(g["rows"][:-1])
        if r + 1 in g["rows"]:
            g["lines"][r] += " " + g["lines"][r + 1]
            del g["lines"][r + 1]
            return blocks, "refuse"
    return blocks, "same"


def damage_split(rng, blocks):
    i = pick(rng, blocks)
    if i is None:
        return blocks, "same"
    b = blocks[i]
    k = rng.choice(b["rows"])
    line = b["lines"][k]
    positions = cell_positions(line)
    if b["kind"] == "list":
        start = len(b["label"])
        end = len(line) - len(b["trailer"])
        positions = [p for p in positions if start < p < end]
    p = rng.choice(positions[1:-1]) if len(positions) > 2 else positions[0]
    b["lines"][k:k + 1] = [line[:p], line[p:]]
    return blocks, "refuse"


def damage_marks(rng, blocks):
    i = pick(rng, blocks)
    if i is None:
        return blocks, "same"
    b = blocks[i]
    new = rng.choice(MARKS)
    old = b["mark"]
    for k in b["rows"]:
        line = b["lines"][k]
        if b["kind"] == "list":
            relist(b, with_mark(b["puzzle"], new))
            line = b["lines"][0]
        else:
            line = line.replace(old, new) if old not in "-*_" else line
        b["lines"][k] = line
    return blocks, "either" if new in "-*_" or old in "-*_" else "same"


def damage_insert(rng, blocks):
    k = rng.randrange(len(blocks) + 1)
    puzzle, solution = random_puzzle(rng)
    what = rng.choice(["puzzle", "solution", "solution-beside", "text-in-grid",
                       "puzzle-in-grid", "solution-grid"])
    if what == "puzzle":
        blocks.insert(k, list_block(rng, puzzle, solution))
        if k > 0 and blocks[k - 1]["kind"] == "grid":
            blocks.insert(k, text_block(rng) | {"lines": [""]})
        return blocks, "either" if blocks[k]["maybe"] else "same"
    i = pick(rng, blocks)
    if i is None:
        return blocks, "same"
    b = blocks[i]
    if what == "solution":  # as the next list line: a puzzle of its own
        blocks.insert(i + 1, {"kind": "list", "lines": [b["solution"]],
                              "puzzles": [b["solution"]], "rows": [0],
                              "rules": [], "maybe": False})
        if b["kind"] == "grid":
            blocks.insert(i + 1, text_block(rng) | {"lines": [""]})
        return blocks, "same"
    if what == "solution-beside" and b["kind"] == "list":
        b["lines"][0] += " " + b["solution"]
        return blocks, "same" if not b["maybe"] else "either"
    if what == "solution-grid":  # the next grid: not a puzzle
        style = b.get("style") if b["kind"] == "grid" else None
        g = grid_block(rng, b["solution"], b["solution"], style)
        g["puzzles"] = []
        blocks.insert(i + 1, g)
        blocks.insert(i + 1, text_block(rng) | {"lines": [""]})
        return blocks, "either"
    if b["kind"] != "grid":
        return blocks, "same"
    r = rng.choice(b["rows"][1:])
    if what == "text-in-grid":
        b["lines"].insert(r, rng.choice(["Riga di testo", "[nota]", "Tabella"]))
    else:
        b["lines"].insert(r, puzzle)
    return blocks, "refuse"


DAMAGES = {
    "none": lambda rng, b: (b, "same"),
    "delete-cell": lambda rng, b: damage_cell(rng, b, False),
    "double-cell": lambda rng, b: damage_cell(rng, b, True),
    "delete-row": lambda rng, b: damage_row(rng, b, False),
    "double-row": lambda rng, b: damage_row(rng, b, True),
    "delete-rule": lambda rng, b: damage_rule(rng, b, "delete"),
    "double-rule": lambda rng, b: damage_rule(rng, b, "double"),
    "move-rule": lambda rng, b: damage_rule(rng, b, "move"),
    "glue-label": damage_label,
    "join-lines": damage_join,
    "split-line": damage_split,
    "swap-marks": damage_marks,
    "insert": damage_insert,
}


def render(blocks, rng):
    text = "".join(line + "\n" for b in blocks for line in b["lines"])
    if rng.random() < 0.15:
        text = text.replace("\n", "\r\n")
    if rng.random() < 0.2 and text.endswith("\n"):
        text = text.rstrip("\r\n")
    return text


def read_triples(path):
    cells = ["."] * 81
    with open(path) as f:
        for line in f:
            r, c, d = line.split()
            cells[9 * (int(r) - 1) + int(c) - 1] = d
    return "".join(cells)


def run_one(importa, scratch, text):
    if os.path.exists(scratch):
        shutil.rmtree(scratch)
    os.makedirs(scratch)
    with open(os.path.join(scratch, "in.txt"), "w", encoding="utf-8",
              newline="") as f:
        f.write(text)
    proc = subprocess.run([importa, "-o", "out/", "in.txt"], cwd=scratch,
                          capture_output=True, timeout=60)
    left = sorted(os.listdir(scratch))
    written = None
    if proc.returncode == 0 and "out" in left:
        names = sorted(os.listdir(os.path.join(scratch, "out")))
        written = [read_triples(os.path.join(scratch, "out", n)) for n in names]
    return proc, left, written


def main():
    args = sys.argv[1:]
    importa, scratch = os.path.abspath(args[0]), os.path.abspath(args[1])
    count = int(args[args.index("--count") + 1]) if "--count" in args else 300
    seed = int(args[args.index("--seed") + 1]) if "--seed" in args else 20261208
    verbose = "--verbose" in args
    only = int(args[args.index("--only") + 1]) if "--only" in args else -1
    rng = random.Random(seed)
    tried = refused = failures = false_refusals = 0
    by_damage = {}
    for trial in range(count):
        blocks = make_input(rng)
        damage = rng.choice(list(DAMAGES))
        blocks, expect = DAMAGES[damage](rng, blocks)
        puzzles = [p for b in blocks for p in b["puzzles"]]
        if not puzzles and expect != "refuse":
            expect = "refuse"  # no puzzle at all is refused
        if any(b["maybe"] for b in blocks) and expect == "same":
            expect = "either"
        text = render(blocks, rng)
        if 0 <= only != trial:
            continue  # made, to keep the sequence, but not run
        proc, left, written = run_one(importa, scratch, text)
        tried += 1
        stats = by_damage.setdefault(damage, [0, 0])
        stats[0] += 1
        problem = None
        if proc.returncode == 0:
            if expect == "refuse":
                problem = "status 0 on a damaged input"
            elif written != puzzles:
                problem = "status 0 with other puzzles than the input holds"
        else:
            refused += 1
            stats[1] += 1
            if left != ["in.txt"]:
                problem = "refused, but left " + " ".join(left)
            elif expect == "same" and damage == "none":
                problem = "a valid input refused"
            elif expect == "same":
                false_refusals += 1
                if verbose:
                    print(f"-- refused (damage {damage} leaves puzzles):\n"
                          f"{text}\n{proc.stderr.decode(errors='replace')}")
        if problem:
            failures += 1
            if failures <= 10:
                print(f"FAIL #{trial} ({damage}): {problem}\n--- input:\n{text}"
                      f"\n--- status {proc.returncode}: "
                      f"{proc.stderr.decode(errors='replace')}"
                      f"--- expected {expect}: {puzzles}\n--- written: {written}\n")
    shutil.rmtree(scratch, ignore_errors=True)
    print(f"{tried} inputs tried, {refused} refused, {failures} failures, "
          f"{false_refusals} refused that hold their puzzles whole")
    for damage, (n, r) in sorted(by_damage.items()):
        print(f"  {damage}: {n} tried, {r} refused")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
