#!/usr/bin/env python3
"""Whole-program benchmark: vortel side by side with an earlier vortel build
and with qqwing.

Runs each workload with the programs in turn, in every order in turn
(A B C, A C B, B A C, ...), a fresh process per puzzle, and prints
Markdown tables of median wall times and their ratios.

  bench/compare.py --vortel build-bench/vortel [--baseline OLD/vortel]
                   [--runs 5] [--quick]

Workloads (puzzle sets in bench/data, one 81-character puzzle per line):
  - hard puzzles to the first solution (vortel's default mode,
    `qqwing --solve`), with the worst per-puzzle ratio against the
    baseline;
  - every multi-solution puzzle counted (vortel -c,
    `qqwing --solve --count-solutions`), each checked against the known
    count;
  - vortel -S to a file against the baseline's -S and -c on the same
    puzzles.
qqwing comes from Debian's package of that name; it is installed if
missing. Not a test: it reports numbers and judges nothing.
"""

import argparse
import itertools
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "data")
FIRST_SETS = ["hard_for_search.txt", "bench_17clue.txt", "bench_top1465.txt",
              "bench_forum_hardest_1106.txt"]


def read_set(name, limit=None):
    with open(os.path.join(DATA, name)) as f:
        puzzles = [line.strip()[:81] for line in f if len(line.strip()) >= 81]
    return puzzles[:limit] if limit else puzzles


def to_triples(puzzle):
    return "".join(f"{i // 9 + 1} {i % 9 + 1} {ch}\n"
                   for i, ch in enumerate(puzzle) if ch in "123456789")


def run(argv, stdin_text=None, cwd=None):
    """Runs one process; returns (wall seconds, standard output)."""
    start = time.perf_counter()
    proc = subprocess.run(argv, cwd=cwd, stdout=subprocess.PIPE,
                          input=stdin_text.encode() if stdin_text else None,
                          stdin=None if stdin_text else subprocess.DEVNULL)
    return time.perf_counter() - start, proc.stdout.decode("latin-1")


def measure(programs, runs):
    """programs: name -> list of (argv, stdin, cwd), one per puzzle. Runs
    them in turn, puzzle by puzzle, `runs` times, in every order in turn; returns name -> list of
    per-puzzle medians, and name -> outputs of the last run."""
    times = {name: [[] for _ in cmds] for name, cmds in programs.items()}
    outputs = {name: [None] * len(cmds) for name, cmds in programs.items()}
    orders = list(itertools.permutations(programs))
    for r in range(runs):
        count = len(next(iter(programs.values())))
        for i in range(count):
            # Every order in turn, from puzzle to puzzle and run to run, so
            # that each program follows each other one equally often (a
            # long qqwing count slows whatever runs right after it).
            for name in orders[(i + r) % len(orders)]:
                wall, out = run(*programs[name][i])
                times[name][i].append(wall)
                outputs[name][i] = out
    return ({name: [statistics.median(t) for t in per] for name, per in times.items()},
            outputs)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--vortel", required=True)
    parser.add_argument("--baseline", help="an earlier vortel build")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--quick", action="store_true",
                        help="smaller sets and no 1,000,000-solution puzzles")
    args = parser.parse_args()
    vortel = os.path.abspath(args.vortel)
    baseline = os.path.abspath(args.baseline) if args.baseline else None
    if shutil.which("qqwing") is None:
        subprocess.run(["apt-get", "install", "-y", "-qq", "qqwing"], check=True)

    work = tempfile.mkdtemp(prefix="vortel-bench-")

    def puzzle_file(puzzle, index):
        path = os.path.join(work, f"p{index}.txt")
        with open(path, "w") as f:
            f.write(to_triples(puzzle))
        return path

    def programs(files, puzzles, vortel_args, qqwing_args):
        progs = {"vortel": [([vortel, f] + vortel_args, None, work) for f in files]}
        if baseline:
            progs["baseline"] = [([baseline, f] + vortel_args, None, work)
                                 for f in files]
        progs["qqwing"] = [(["qqwing"] + qqwing_args, p + "\n", work)
                           for p in puzzles]
        return progs

    head = "| workload | vortel | " + ("baseline | vortel / baseline | worst puzzle | " if baseline else "") + "qqwing | qqwing / vortel |"
    print("First solution, whole processes, milliseconds per puzzle (medians"
          f" of {args.runs} runs):\n")
    print(head)
    print("|---|" + "---:|" * (head.count("|") - 2))
    limit = 60 if args.quick else None
    index = 0
    for set_name in FIRST_SETS:
        puzzles = read_set(set_name, limit)
        files = []
        for p in puzzles:
            files.append(puzzle_file(p, index))
            index += 1
        med, out = measure(programs(files, puzzles, [], ["--solve"]), args.runs)
        for i in range(len(puzzles)):
            if baseline and out["vortel"][i] != out["baseline"][i]:
                sys.exit(f"vortel and the baseline differ on {puzzles[i]}")
        n = len(puzzles)
        v = sum(med["vortel"]) / n * 1000
        q = sum(med["qqwing"]) / n * 1000
        cells = f"| {set_name} ({n}) | {v:.2f} | "
        if baseline:
            b = sum(med["baseline"]) / n * 1000
            worst = max(a / c for a, c in zip(med["vortel"], med["baseline"]))
            cells += f"{b:.2f} | {v / b:.2f} | {worst:.2f} | "
        print(cells + f"{q:.2f} | {q / v:.2f} |")

    with open(os.path.join(DATA, "multi_solution_counts.tsv")) as f:
        counted = [line.rstrip("\n").split("\t") for line in f][1:]
    if args.quick:
        counted = [c for c in counted if int(c[1]) <= 100000]
    print("\nCounting (-c), whole processes, milliseconds:\n")
    print(head)
    print("|---|" + "---:|" * (head.count("|") - 2))
    for count, target, _, puzzle in counted:
        path = puzzle_file(puzzle, index)
        index += 1
        runs = args.runs if int(target) < 1000000 else max(3, args.runs // 2)
        med, out = measure(programs([path], [puzzle], ["-c"],
                                    ["--solve", "--count-solutions"]), runs)
        for name in out:
            expected = (f"There are {count} solutions" if name == "qqwing"
                        else f"ammette {count} soluzion")
            if expected not in out[name][0]:
                sys.exit(f"{name} miscounted {puzzle}")
        if baseline:
            first = [out[name][0].split("Prima soluzione trovata\n\n")[1][:228]
                     for name in ("vortel", "baseline")]
            if first[0] != first[1]:
                sys.exit(f"vortel and the baseline show different first solutions for {puzzle}")
        v, q = med["vortel"][0] * 1000, med["qqwing"][0] * 1000
        cells = f"| {int(count):,} solutions | {v:.1f} | "
        if baseline:
            b = med["baseline"][0] * 1000
            cells += f"{b:.1f} | {v / b:.2f} | - | "
        print(cells + f"{q:.1f} | {q / v:.1f} |")

    print("\n-S to a file, whole processes, milliseconds:\n")
    if baseline:
        print("| puzzle | vortel -S | baseline -S | vortel -S / baseline -S | baseline -c | vortel -S / baseline -c | file size (bytes) |")
        print("|---|---:|---:|---:|---:|---:|---:|")
    else:
        print("| puzzle | vortel -S | vortel -c | -S / -c | file size (bytes) |")
        print("|---|---:|---:|---:|---:|")
    for count, target, _, puzzle in counted:
        if int(target) > 100000:
            continue
        path = puzzle_file(puzzle, index)
        index += 1
        out_a = os.path.join(work, "a.txt")
        out_b = os.path.join(work, "b.txt")
        s_new, s_old, c_old = [], [], []
        other = baseline or vortel
        for _ in range(args.runs):
            for f in (out_a, out_b):
                if os.path.exists(f):
                    os.remove(f)
            s_new.append(run([vortel, path, "-S", out_a], None, work)[0])
            s_old.append(run([other, path, "-S", out_b], None, work)[0])
            c_old.append(run([other, path, "-c"], None, work)[0])
        with open(out_a, "rb") as fa, open(out_b, "rb") as fb:
            if fa.read() != fb.read():
                sys.exit(f"the -S files differ for {puzzle}")
        sn, so, co = (statistics.median(t) * 1000 for t in (s_new, s_old, c_old))
        size = os.path.getsize(out_a)
        if baseline:
            print(f"| {int(count):,} solutions | {sn:.1f} | {so:.1f} | {sn / so:.2f} | {co:.1f} | {sn / co:.2f} | {size:,} |")
        else:
            print(f"| {int(count):,} solutions | {sn:.1f} | {co:.1f} | {sn / co:.2f} | {size:,} |")
    shutil.rmtree(work)


if __name__ == "__main__":
    main()
