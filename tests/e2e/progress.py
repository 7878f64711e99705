#!/usr/bin/env python3
"""The progress line of vortel-lotto and vortel-valuta, and their strings in
JSON:

  progress.py LOTTO VALUTA DATA SCRATCH

On a terminal (a pseudo-terminal here) standard error shows done/total and
the share done for a file, the puzzles and their rate for a pipe, and the
line is cleared before the summary; with standard error a file, nothing but
the summary is written. A file name that is not UTF-8 and holds a control
character gives valid JSON in both programs.
"""
import json
import os
import pty
import re
import subprocess
import sys

LOTTO, VALUTA, DATA, SCRATCH = sys.argv[1:5]
CLEAR = b"\r\x1b[K"
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL:", message)


def on_terminal(args, stdin, both=False):
    """Runs with standard error (and standard output too, if `both`) on a
    pseudo-terminal: (status, its bytes)."""
    master, slave = pty.openpty()
    with open(os.path.join(SCRATCH, "out"), "wb") as out:
        proc = subprocess.Popen(args, stdin=stdin, stdout=slave if both
                                else out, stderr=slave)
    os.close(slave)
    seen = b""
    while True:
        try:
            chunk = os.read(master, 65536)
        except OSError:  # EIO: the last writer has gone
            break
        if not chunk:
            break
        seen += chunk
    os.close(master)
    return proc.wait(timeout=300), seen


def main():
    os.makedirs(SCRATCH, exist_ok=True)
    with open(os.path.join(DATA, "bench_17clue.txt"), "rb") as f:
        puzzles = [line for line in f if len(line) > 81]
    big = os.path.join(SCRATCH, "big.txt")
    with open(big, "wb") as f:
        f.write(b"".join(puzzles * 300))
    small = os.path.join(SCRATCH, "small.txt")
    with open(small, "wb") as f:
        f.write(b"".join(puzzles[:40]))
    runs = (("vortel-lotto", [LOTTO, "--verifica", "-j", "2"], big),
            ("vortel-valuta", [VALUTA, "-j", "2"], small))
    for name, args, path in runs:
        status, seen = on_terminal(args + [path], subprocess.DEVNULL)
        # The line as drawn: done/total, the share, the puzzles.
        drawn = re.search(rb"\r%s: [0-9.]+/[0-9.]+ [kMG]B \(\d+%%\), \d+ gioc"
                          % name.encode(), seen)
        check(status == 0 and drawn, "%s on a terminal: %d %r"
              % (name, status, seen[:300]))
        # Cleared at the end: nothing of it is left before the summary.
        last = seen.rfind(CLEAR)
        check(last >= 0 and b"\r" not in seen[last + len(CLEAR):].rstrip(),
              "%s: not cleared at the end: %r" % (name, seen[-300:]))
        if name == "vortel-lotto":
            check(re.match(rb"vortel-lotto: \d+ giochi in ",
                           seen[last + len(CLEAR):]),
                  "the summary after the clear: %r" % seen[last:])
        # From a pipe: no total is known.
        with open(path, "rb") as f:
            cat = subprocess.Popen(["cat"], stdin=f, stdout=subprocess.PIPE)
            status, seen = on_terminal(args, cat.stdout)
            cat.wait()
        check(re.search(rb"\r%s: \d+ gioc\w+, \d+ al secondo\x1b\[K"
                        % name.encode(), seen) and b"%" not in seen,
              "%s from a pipe: %r" % (name, seen[:300]))
        # Standard error a file: the summary alone, or nothing.
        run = subprocess.run(args + [path], stdout=subprocess.DEVNULL,
                             stderr=subprocess.PIPE)
        expected = rb"vortel-lotto: \d+ giochi in [^\r\x1b]*\n" \
            if name == "vortel-lotto" else b""
        check(re.fullmatch(expected, run.stderr),
              "%s with standard error a file: %r" % (name, run.stderr))
    # The answers on the terminal too: no line drawn among them.
    status, seen = on_terminal([LOTTO, small], subprocess.DEVNULL, True)
    check(status == 0 and CLEAR[1:] not in seen,
          "answers on the terminal: %r" % seen[:200])
    # -q: not a byte, even on a terminal.
    status, seen = on_terminal([LOTTO, "-q", big], subprocess.DEVNULL)
    check(status == 0 and seen == b"", "-q on a terminal: %r" % seen[:200])
    # A name that is not UTF-8, with a control character: valid JSON.
    odd = os.path.join(SCRATCH.encode(), b"caff\xe8\x1f.txt")
    with open(odd, "wb") as f:
        f.write(b"1.2.3\n")
    for program in (LOTTO, VALUTA):
        run = subprocess.run([program, "--json", odd], capture_output=True)
        try:
            obj = json.loads(run.stdout.decode("utf-8"))
            ok = "caff\ufffd\x1f.txt" in obj["dettaglio"] and \
                obj["archivio"].endswith("caff\ufffd\x1f.txt")
        except (ValueError, KeyError) as error:
            ok = False
            print(error)
        check(ok, "%s --json with %r: %r" % (program, odd, run.stdout))
    if failures:
        print("%d failures" % len(failures))
        sys.exit(1)


if __name__ == "__main__":
    main()
