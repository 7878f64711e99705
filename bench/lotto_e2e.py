#!/usr/bin/env python3
"""vortel-lotto end to end on a large file of puzzle lines, beside one
vortel process per puzzle and qqwing, in one paired run: wall and CPU time
(user + system, of the process and its children), peak resident memory,
and the lines per status from vortel-lotto's summary.

    bench/make_variants.py bench/data/bench_17clue.txt 1000000 > /tmp/million.txt
    bench/lotto_e2e.py --bin build-bench --input /tmp/million.txt

The loop and qqwing run on the first --loop and --qqwing lines only (one
process per puzzle costs about a millisecond each, qqwing a few hundred
microseconds a puzzle); vortel-lotto runs on qqwing's lines beside it, and
the loop compares with the whole run's figure a line (the variants of one
set are alike, and a thousand lines are too few to time vortel-lotto). qqwing comes from Debian's
package of that name and is installed if missing.
"""
import argparse
import os
import re
import shutil
import subprocess
import tempfile


def timed(command, stdin_path=None):
    """(wall s, CPU s, peak RSS KiB, standard error) of a command run to
    its end with its output thrown away, measured by GNU time (Debian
    package `time`): the peak memory of the program itself, not of the
    forked script before it."""
    stdin = open(stdin_path, "rb") if stdin_path else subprocess.DEVNULL
    with tempfile.NamedTemporaryFile("r") as report:
        run = subprocess.run(["/usr/bin/time", "-o", report.name, "-f",
                              "%e %U %S %M"] + command, stdin=stdin,
                             stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        wall, user, system, rss = report.read().split()[-4:]
    if stdin_path:
        stdin.close()
    return (float(wall), float(user) + float(system), int(rss),
            run.stderr.decode(errors="replace"))


def first_lines(path, count, directory):
    out = os.path.join(directory, "first-%d.txt" % count)
    with open(path) as src, open(out, "w") as dst:
        for i, line in enumerate(src):
            if i == count:
                break
            dst.write(line)
    return out


def row(name, lines, result):
    wall, cpu, rss, err = result
    statuses = re.search(r"al secondo\): (.*)", err)
    return "| %s | %d | %.2f | %.2f | %.2f | %.0f | %.1f | %s |" % (
        name, lines, wall, cpu, cpu / lines * 1e6, lines / max(wall, 0.01),
        rss / 1024.0, statuses.group(1) if statuses else "")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--bin", required=True)
    parser.add_argument("--input", required=True)
    parser.add_argument("--loop", type=int, default=2000)
    parser.add_argument("--qqwing", type=int, default=20000)
    args = parser.parse_args()
    lotto = os.path.join(args.bin, "vortel-lotto")
    vortel = os.path.join(args.bin, "vortel")
    importa = os.path.join(args.bin, "vortel-importa")
    if shutil.which("qqwing") is None:
        subprocess.run(["apt-get", "install", "-y", "-qq", "qqwing"],
                       check=True)
    total = sum(1 for _ in open(args.input))
    print("| run | lines | wall s | CPU s | CPU µs/line | lines/s (wall) "
          "| peak RSS MiB | lines per status |")
    print("|---|---:|---:|---:|---:|---:|---:|---|")
    for mode, threads in (("--verifica", "1"), ("--verifica", "2"),
                          ("--risolvi", "1"), ("--risolvi", "2")):
        result = timed([lotto, mode, "-j", threads, args.input])
        print(row("vortel-lotto %s -j %s" % (mode, threads), total, result),
              flush=True)
    with tempfile.TemporaryDirectory() as work:
        sample = first_lines(args.input, args.qqwing, work)
        print(row("qqwing --solve --count-solutions", args.qqwing,
                  timed(["qqwing", "--solve", "--count-solutions"],
                        stdin_path=sample)), flush=True)
        print(row("vortel-lotto --verifica -j 1 (same lines)", args.qqwing,
                  timed([lotto, "--verifica", "-j", "1", sample])),
              flush=True)
        loop_lines = first_lines(args.input, args.loop, work)
        puzzles = os.path.join(work, "puzzles")
        subprocess.run([importa, "-o", puzzles + "/", loop_lines],
                       check=True, stdout=subprocess.DEVNULL)
        loop = 'for f in "$0"/*; do "$1" "$f" > /dev/null; done'
        print(row("one vortel process per puzzle", args.loop,
                  timed(["sh", "-c", loop, puzzles, vortel])), flush=True)

if __name__ == "__main__":
    main()
