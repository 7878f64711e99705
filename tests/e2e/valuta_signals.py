#!/usr/bin/env python3
"""vortel-valuta under signals and hostile conditions, end to end:

  valuta_signals.py VALUTA PUZZLES SCRATCH

- every stop signal while a reader reads: the output is a prefix of the
  whole run's, in whole lines, and the process ends by the signal;
- a reader that stopped reading, with the pipe full: one SIGTERM ends the
  run at once, by the signal, what the pipe holds in whole lines;
- a non-blocking standard input is waited on; threads that cannot start,
  memory and file-size limits are said, with their statuses; standard
  output appended to an input is refused.
"""
import fcntl
import os
import resource
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


STOP_SIGNALS = [signal.SIGHUP, signal.SIGINT, signal.SIGQUIT, signal.SIGUSR1,
                signal.SIGALRM, signal.SIGTERM, signal.SIGPWR,
                signal.SIGRTMAX]


def default_signals():
    for number in STOP_SIGNALS + [signal.SIGPIPE]:
        signal.signal(number, signal.SIG_DFL)
    resource.setrlimit(resource.RLIMIT_CORE, (0, 0))  # SIGQUIT dumps none


def limited(limits):
    def apply():
        for which, value in limits.items():
            resource.setrlimit(which, (value, resource.getrlimit(which)[1]))
    return apply


def hostile(puzzles, path):
    """Non-blocking input, resource limits, output into an input."""
    good = (puzzles[0] + "\n").encode()

    def nonblocking():
        flags = fcntl.fcntl(0, fcntl.F_GETFL)
        fcntl.fcntl(0, fcntl.F_SETFL, flags | os.O_NONBLOCK)
    proc = subprocess.Popen([VALUTA], stdin=subprocess.PIPE,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            preexec_fn=nonblocking)
    time.sleep(0.3)
    out, err = proc.communicate(good * 2, timeout=60)
    check((proc.returncode, out.count(b"\tvalutato\n"), err) == (0, 2, b""),
          "non-blocking input: %d %s %s" % (proc.returncode, out, err))
    needed = subprocess.run(["readelf", "-d", VALUTA],
                            capture_output=True).stdout
    if b"libasan" not in needed and b"libtsan" not in needed:
        # A thread's stack is as large as the stack limit: with 1 GiB none
        # starts in 600 MiB; with 256 MiB four start in 1,200 MiB, the
        # fifth does not, and the room left is ample for the four workers'
        # heaps (with less, whether the heap fits depends on how many
        # threads the race lets start before the room runs out).
        big = 1 << 30
        for stack, room, threads, expected in ((big, 600, "4", 2),
                                               (big // 4, 1200, "64", 0)):
            run = subprocess.run(
                [VALUTA, "-j", threads], input=good, capture_output=True,
                preexec_fn=limited({resource.RLIMIT_STACK: stack,
                                    resource.RLIMIT_AS: room << 20}))
            check(run.returncode == expected and
                  (b"memoria insufficiente" in run.stderr) == (expected == 2)
                  and (b"thread" in run.stderr) == (expected == 0),
                  "-j %s, stack %d: %d %s" % (threads, stack, run.returncode,
                                              run.stderr))
    out = os.path.join(SCRATCH, "limited.txt")
    with open(out, "wb") as f:
        run = subprocess.run([VALUTA, "--passi", path], stdout=f,
                             stderr=subprocess.PIPE,
                             preexec_fn=limited({resource.RLIMIT_FSIZE: 4096}))
    check(run.returncode == 2 and b"errore di scrittura" in run.stderr,
          "file-size limit: %d %s" % (run.returncode, run.stderr))
    own = os.path.join(SCRATCH, "own.txt")
    with open(own, "wb") as f:
        f.write(good)
    with open(own, "ab") as f:
        run = subprocess.run([VALUTA, own], stdout=f, stderr=subprocess.PIPE,
                             timeout=60)
    with open(own, "rb") as f:
        check(run.returncode == 2 and f.read() == good and
              b"standard output" in run.stderr,
              "output into input: %d %s" % (run.returncode, run.stderr))


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
    for sig in STOP_SIGNALS:
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
    status = ends(proc, 10)
    check(status == -signal.SIGTERM,
          "SIGTERM, reader stopped: status %s (None: still running)" % status)
    out = proc.stdout.read()
    check(out.endswith(b"\n") and full.startswith(out),
          "SIGTERM, reader stopped: not a prefix of whole lines")
    proc.stdout.close()
    hostile(puzzles, path)

    if failures:
        print("%d failures" % len(failures))
        sys.exit(1)


if __name__ == "__main__":
    main()
