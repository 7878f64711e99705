#!/usr/bin/env python3
"""Whole-program benchmark: vortel side by side with qqwing.

Runs each workload with both programs in turn (A B A B ...), each run a
fresh process per puzzle, and prints a Markdown table of median wall
times, their ratio, solutions per second and peak resident memory.

  bench/compare.py --vortel build-bench/vortel [--runs 5] [--quick]

Workloads (puzzle sets in bench/data, one 81-character puzzle per line):
  - hard puzzles to the first solution (vortel's default mode,
    `qqwing --solve`);
  - every multi-solution puzzle counted (vortel -c,
    `qqwing --solve --count-solutions`), each checked against the known
    count;
  - vortel -S to a file against vortel -c on the same puzzles.
qqwing comes from Debian's package of that name; it is installed if
missing. Not a test: it reports numbers and judges nothing.
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "data")


def read_set(name, limit=None):
    with open(os.path.join(DATA, name)) as f:
        puzzles = [line.strip() for line in f if len(line.strip()) == 81]
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


def run_set(commands):
    """Runs a list of (argv, stdin, cwd); returns total wall time."""
    total = 0.0
    outputs = []
    for argv, stdin_text, cwd in commands:
        wall, out = run(argv, stdin_text, cwd)
        total += wall
        outputs.append(out)
    return total, outputs


def measure_pair(name, a_commands, b_commands, runs):
    a_times, b_times = [], []
    for _ in range(runs):
        t, a_out = run_set(a_commands)
        a_times.append(t)
        t, b_out = run_set(b_commands)
        b_times.append(t)
    return statistics.median(a_times), statistics.median(b_times), a_out, b_out


def peak_rss_of(argv, stdin_text=None, cwd=None):
    """Peak RSS of one process, by GNU time's %M (KiB)."""
    result = subprocess.run(["/usr/bin/time", "-f", "%M"] + argv, cwd=cwd,
                            input=stdin_text.encode() if stdin_text else None,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    return int(result.stderr.decode().strip().splitlines()[-1])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--vortel", required=True)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--quick", action="store_true",
                        help="smaller sets and no 1,000,000-solution puzzles")
    args = parser.parse_args()
    vortel = os.path.abspath(args.vortel)
    if shutil.which("qqwing") is None:
        subprocess.run(["apt-get", "install", "-y", "-qq", "qqwing"], check=True)
    if not os.path.exists("/usr/bin/time"):
        subprocess.run(["apt-get", "install", "-y", "-qq", "time"], check=True)

    work = tempfile.mkdtemp(prefix="vortel-bench-")
    rows = []

    def puzzle_file(puzzle, index):
        path = os.path.join(work, f"p{index}.txt")
        with open(path, "w") as f:
            f.write(to_triples(puzzle))
        return path

    # Hard puzzles, first solution.
    limit = 60 if args.quick else None
    for set_name in ["hard_for_search.txt", "bench_17clue.txt", "bench_top1465.txt"]:
        puzzles = read_set(set_name, limit)
        files = [puzzle_file(p, i) for i, p in enumerate(puzzles)]
        a = [([vortel, f], None, work) for f in files]
        b = [(["qqwing", "--solve"], p + "\n", work) for p in puzzles]
        ta, tb, _, _ = measure_pair(set_name, a, b, args.runs)
        rss = max(peak_rss_of([vortel, f]) for f in files[:20])
        rows.append((f"{set_name} ({len(puzzles)} puzzles), first solution",
                     ta, tb, None, rss))

    # Multi-solution puzzles, counted.
    with open(os.path.join(DATA, "multi_solution_counts.tsv")) as f:
        counted = [line.rstrip("\n").split("\t") for line in f][1:]
    if args.quick:
        counted = [c for c in counted if int(c[1]) <= 100000]
    for index, (count, target, _, puzzle) in enumerate(counted):
        path = puzzle_file(puzzle, 1000 + index)
        runs = args.runs if int(target) < 1000000 else max(1, args.runs // 2)
        a = [([vortel, path, "-c"], None, work)]
        b = [(["qqwing", "--solve", "--count-solutions"], puzzle + "\n", work)]
        ta, tb, a_out, b_out = measure_pair(puzzle, a, b, runs)
        if f"ammette {count} soluzion" not in a_out[0]:
            sys.exit(f"vortel miscounted {puzzle}")
        if f"There are {count} solutions" not in b_out[0]:
            sys.exit(f"qqwing miscounted {puzzle}")
        rss = peak_rss_of([vortel, path, "-c"])
        rows.append((f"-c, {int(count):,} solutions", ta, tb,
                     int(count) / ta, rss))

    # -S to a file against -c, vortel alone.
    s_rows = []
    for index, (count, target, _, puzzle) in enumerate(counted):
        if int(target) > 100000:
            continue
        path = puzzle_file(puzzle, 2000 + index)
        out = os.path.join(work, "solutions.txt")

        def all_to_file():
            if os.path.exists(out):
                os.remove(out)
            return run([vortel, path, "-S", out], None, work)[0]

        c_times, s_times = [], []
        for _ in range(args.runs):
            c_times.append(run([vortel, path, "-c"], None, work)[0])
            s_times.append(all_to_file())
        s_rows.append((int(count), statistics.median(s_times),
                       statistics.median(c_times), os.path.getsize(out)))

    print("| workload | vortel (s) | qqwing (s) | qqwing / vortel | vortel solutions/s | vortel peak RSS (KiB) |")
    print("|---|---:|---:|---:|---:|---:|")
    for name, ta, tb, per_s, rss in rows:
        per = f"{per_s:,.0f}" if per_s else "-"
        print(f"| {name} | {ta:.3f} | {tb:.3f} | {tb / ta:.1f} | {per} | {rss:,} |")
    print()
    print("| -S to a file | -S (s) | -c (s) | -S / -c | file size (bytes) |")
    print("|---|---:|---:|---:|---:|")
    for count, ts, tc, size in s_rows:
        print(f"| {count:,} solutions | {ts:.3f} | {tc:.3f} | {ts / tc:.2f} | {size:,} |")
    shutil.rmtree(work)


if __name__ == "__main__":
    main()
