#!/usr/bin/env python3
"""vortel-valuta and signals, end to end:

  valuta_signals.py VALUTA PUZZLES SCRATCH

- SIGINT or SIGTERM while a reader reads: the output is a prefix of the
  whole run's, in whole lines, and the process ends by the signal;
- a reader that stopped reading, with the pipe full: the first SIGTERM
  waits for the write in progress (so that lines stay whole), and a second
  one ends the process at once, by the signal.
"""
import fcntl
import os
import shutil
import signal
import struct
import subprocess
import sys
import termios
import time

VALUTA, PUZZLES, SCRATCH = sys.argv[1:4]
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL:", message)


def default_signals():
    for number in (signal.SIGINT, signal.SIGTERM, signal.SIGPIPE):
        signal.signal(number, signal.SIG_DFL)


def start(args):
    return subprocess.Popen([VALUTA] + args, stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL,
                            preexec_fn=default_signals)


def ends(proc, limit):
    """The status, or None after `limit` seconds (the process is killed)."""
    try:
        return proc.wait(timeout=limit)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()
        return None


def pending_bytes(pipe):
    raw = fcntl.ioctl(pipe.fileno(), termios.FIONREAD, struct.pack("i", 0))
    return struct.unpack("i", raw)[0]


def main():
    shutil.rmtree(SCRATCH, ignore_errors=True)
    os.makedirs(SCRATCH)
    with open(PUZZLES) as f:
        puzzles = [line[:81] for line in f if len(line) > 81]
    path = os.path.join(SCRATCH, "molti.txt")
    with open(path, "w") as f:
        f.write("\n".join(puzzles * 20) + "\n")

    args = ["--passi", "-j", "2", path]
    full = subprocess.run([VALUTA] + args, capture_output=True).stdout
    for sig in (signal.SIGINT, signal.SIGTERM):
        proc = start(args)
        head = proc.stdout.read1(4096)
        proc.send_signal(sig)
        out = head + proc.stdout.read()
        status = ends(proc, 60)
        check(status == -sig, "%s while read: status %s" % (sig, status))
        check(out.endswith(b"\n") and full.startswith(out) and
              len(out) < len(full), "%s: not a prefix of whole lines" % sig)

    # Nothing read: the pipe fills and the writer waits in its write.
    proc = start(args)
    # Full: what it holds has stopped growing (a pipe's capacity is in
    # pages, seldom filled to the last byte).
    deadline = time.monotonic() + 60
    held = -1
    while time.monotonic() < deadline:
        time.sleep(0.5)
        now = pending_bytes(proc.stdout)
        if now == held and now > 32768:
            break
        held = now
    check(held > 32768, "the pipe did not fill: %d bytes" % held)
    proc.send_signal(signal.SIGTERM)
    time.sleep(0.2)
    proc.send_signal(signal.SIGTERM)
    status = ends(proc, 10)
    check(status == -signal.SIGTERM,
          "two SIGTERM, reader stopped: status %s (None: still running)" %
          status)
    proc.stdout.close()

    if failures:
        print("%d failures" % len(failures))
        sys.exit(1)


if __name__ == "__main__":
    main()
