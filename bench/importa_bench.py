#!/usr/bin/env python3
"""vortel-importa on a large input: a million puzzle lines into a directory,
from a named file and from standard input (a pipe), wall time and peak
resident memory of the process, side by side with an earlier build.

  bench/importa_bench.py --importa build-bench/vortel-importa
                         [--baseline OLD/vortel-importa] [--lines 1000000]

The lines repeat the puzzles of bench/data, 81 characters each, the one
form both builds read. Each run writes into a fresh
directory of a scratch area, which is removed afterwards. Not a test: it
reports numbers and judges nothing. Needs GNU time (Debian package
time).
"""

import argparse
import os
import shutil
import subprocess
import tempfile

DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "data")


def make_input(path, lines):
    puzzles = []
    for name in sorted(os.listdir(DATA)):
        with open(os.path.join(DATA, name)) as f:
            puzzles += [line.strip() for line in f
                        if len(line.strip()) == 81 and not line.startswith("#")]
    with open(path, "w") as out:
        for n in range(lines):
            out.write(puzzles[n % len(puzzles)] + "\n")


def run(program, source, scratch, from_stdin):
    """One run under GNU time, whose own small process is what forks the
    program (a fork of this Python process would count its memory)."""
    target = os.path.join(scratch, "out")
    report = os.path.join(scratch, "time.txt")
    command = ["/usr/bin/time", "-f", "%e %M", "-o", report, program, "-o",
               target + "/"]
    if from_stdin:
        command = ["sh", "-c", 'cat "$0" | "$@"', source] + command
    else:
        command.append(source)
    status = subprocess.run(command, stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL).returncode
    with open(report) as f:
        wall, rss = f.read().split()[-2:]
    files = len(os.listdir(target)) if os.path.isdir(target) else 0
    shutil.rmtree(target, ignore_errors=True)
    return float(wall), int(rss) / 1024, status, files


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--importa", required=True)
    parser.add_argument("--baseline")
    parser.add_argument("--lines", type=int, default=1000000)
    args = parser.parse_args()
    scratch = tempfile.mkdtemp(prefix="importa-bench-")
    try:
        source = os.path.join(scratch, "input.txt")
        make_input(source, args.lines)
        programs = [("vortel-importa", args.importa)]
        if args.baseline:
            programs.append(("baseline", args.baseline))
        print(f"{args.lines} lines, {os.path.getsize(source) / 1e6:.1f} MB")
        print("| input | program | wall s | peak RSS MB | status | files |")
        print("|---|---|---:|---:|---:|---:|")
        for from_stdin in (False, True):
            for name, program in programs:
                wall, rss, status, files = run(program, source, scratch,
                                               from_stdin)
                kind = "standard input" if from_stdin else "named file"
                print(f"| {kind} | {name} | {wall:.2f} | {rss:.1f} | "
                      f"{status} | {files} |")
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    main()
