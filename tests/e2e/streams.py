#!/usr/bin/env python3
"""vortel's standard output and output file when things go wrong around it:

    streams.py VORTEL EXAMPLES_DIR SCRATCH

- a reader that has gone while -S writes a file: the file is completed,
  then vortel ends by SIGPIPE;
- SIGPIPE blocked or ignored by the parent: the lost output is reported on
  standard error with status 2, never status 0;
- a non-blocking pipe with a slow reader: every byte arrives;
- SIGINT, SIGTERM or SIGHUP during -S FILE: the file ends with a whole
  board and vortel ends by that signal.
Prints one line per failed check and a closing count; exits 1 on failure.
"""
import os
import re
import shutil
import signal
import subprocess
import sys
import time

VORTEL, EXAMPLES, SCRATCH = sys.argv[1:4]
failures = []


checks = 0


def check(label, condition, detail=""):
    global checks
    checks += 1
    if not condition:
        failures.append(label)
        print(f"FAIL: {label} {detail}")


def run(args, stdout, preexec=None, keep_sigpipe=False):
    """Runs vortel in SCRATCH; returns its wait status (negative: signal)."""
    process = subprocess.Popen([VORTEL] + args, cwd=SCRATCH, stdout=stdout,
                               stderr=subprocess.PIPE, stdin=subprocess.DEVNULL,
                               preexec_fn=preexec,
                               restore_signals=not keep_sigpipe)
    _, err = process.communicate()
    return process.returncode, err


def closed_pipe():
    """A pipe whose reader has gone before vortel writes."""
    read_end, write_end = os.pipe()
    os.close(read_end)
    return write_end


def file_text(name):
    with open(os.path.join(SCRATCH, name), "rb") as f:
        return f.read()


shutil.rmtree(SCRATCH, ignore_errors=True)
os.makedirs(SCRATCH)
shutil.copy(os.path.join(EXAMPLES, "many.txt"), SCRATCH)
shutil.copy(os.path.join(EXAMPLES, "easy.txt"), SCRATCH)
open(os.path.join(SCRATCH, "empty.txt"), "w").close()

# The reference: the same -S run with nothing going wrong.
with open(os.path.join(SCRATCH, "screen.txt"), "wb") as screen:
    status, _ = run(["many.txt", "-S", "reference.txt"], screen)
check("reference run", status == 4, status)
reference = file_text("reference.txt")

# 1. The screen's reader gone: the file is still completed.
pipe = closed_pipe()
status, err = run(["many.txt", "-S", "gone.txt"], pipe)
os.close(pipe)
check("reader gone: ends by SIGPIPE", status == -signal.SIGPIPE, (status, err))
check("reader gone: the file is complete", file_text("gone.txt") == reference,
      len(file_text("gone.txt")))

# 2. SIGPIPE blocked, or ignored, by the parent: no status 0.
def block_sigpipe():
    signal.pthread_sigmask(signal.SIG_BLOCK, {signal.SIGPIPE})


def ignore_sigpipe():
    signal.signal(signal.SIGPIPE, signal.SIG_IGN)


for label, preexec in (("blocked", block_sigpipe), ("ignored", ignore_sigpipe)):
    for args in (["easy.txt"], ["many.txt", "-c"], ["many.txt", "-S", f"{label}.txt"]):
        pipe = closed_pipe()
        status, err = run(args, pipe, preexec, keep_sigpipe=True)
        os.close(pipe)
        check(f"SIGPIPE {label}, {' '.join(args)}: status 2", status == 2, status)
        check(f"SIGPIPE {label}, {' '.join(args)}: message",
              err == b"vortel: errore in scrittura sullo standard output\n", err)

# 3. A non-blocking pipe and a reader that starts late.
read_end, write_end = os.pipe()
os.set_blocking(write_end, False)
process = subprocess.Popen([VORTEL, "many.txt", "-S"], cwd=SCRATCH, stdout=write_end,
                           stderr=subprocess.PIPE, stdin=subprocess.DEVNULL)
os.close(write_end)
time.sleep(0.5)
with os.fdopen(read_end, "rb") as reader:
    received = reader.read()
process.wait()
with open(os.path.join(SCRATCH, "listed.txt"), "wb") as listed:
    expected_status, _ = run(["many.txt", "-S"], listed)
check("non-blocking pipe: status", process.returncode == expected_status == 4,
      process.returncode)
# The elapsed time may differ.
time_figure = re.compile(rb"Tempo di cpu = [0-9]+\.[0-9][0-9] s")
check("non-blocking pipe: every byte",
      time_figure.sub(b"", received) == time_figure.sub(b"", file_text("listed.txt")),
      f"{len(received)} bytes")

# 4. Interrupted while listing to a file: whole boards, death by the signal.
for number in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
    name = f"stopped-{number.name}.txt"
    # As a shell starts a foreground command: the signal's default action,
    # whatever this test inherited (a background job ignores some).
    process = subprocess.Popen(
        [VORTEL, "empty.txt", "-S", name], cwd=SCRATCH,
        stdout=subprocess.DEVNULL, stdin=subprocess.DEVNULL,
        preexec_fn=lambda number=number: signal.signal(number, signal.SIG_DFL))
    time.sleep(0.3)
    process.send_signal(number)
    try:
        process.wait(timeout=30)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
    check(f"{number.name}: ends by the signal", process.returncode == -number,
          process.returncode)
    text = file_text(name)
    last = text.rfind(b"\nSoluzione N. ")
    tail = text[last:]
    rows = tail.split(b"\n")[3:]
    whole = (last > 0 and len(rows) == 13 and rows[-2:] == [b"", b""] and
             all(len(row) == 24 for row in rows[0:3] + rows[4:7] + rows[8:11]))
    check(f"{number.name}: the file ends with a whole board", whole, tail[-80:])

print(f"streams: {checks - len(failures)} of {checks} checks passed")
sys.exit(1 if failures else 0)
