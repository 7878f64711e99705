#!/usr/bin/env python3
"""Writes N puzzle lines made from the lines of a puzzle file by the changes
that keep a puzzle's solutions and difficulty: the digits relabelled, the
rows permuted within each band, the columns within each stack, and the
bands and stacks themselves permuted. Deterministic for a given seed.

    bench/make_variants.py bench/data/bench_17clue.txt 1000000 > million.txt
"""
import random
import sys


def permutation_within_groups(rng):
    """The nine lines reordered: the three groups of three permuted, and
    the three lines of each group."""
    groups = [0, 1, 2]
    rng.shuffle(groups)
    order = []
    for g in groups:
        lines = [3 * g, 3 * g + 1, 3 * g + 2]
        rng.shuffle(lines)
        order.extend(lines)
    return order


def variant(puzzle, rng):
    digits = list("123456789")
    rng.shuffle(digits)
    relabel = {str(d + 1): digits[d] for d in range(9)}
    rows = permutation_within_groups(rng)
    cols = permutation_within_groups(rng)
    out = []
    for r in range(9):
        for c in range(9):
            cell = puzzle[9 * rows[r] + cols[c]]
            out.append(relabel.get(cell, "."))
    return "".join(out)


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit("usage: make_variants.py PUZZLES COUNT [SEED]")
    puzzles = [line[:81] for line in open(sys.argv[1]) if len(line) >= 81]
    count = int(sys.argv[2])
    rng = random.Random(int(sys.argv[3]) if len(sys.argv) == 4 else 2026)
    out = sys.stdout
    for i in range(count):
        out.write(variant(puzzles[i % len(puzzles)], rng) + "\n")


if __name__ == "__main__":
    main()
