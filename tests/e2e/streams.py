#!/usr/bin/env python3
"""vortel's standard output and output file when things go wrong around it:

    streams.py VORTEL EXAMPLES_DIR SCRATCH

- a reader that has gone while -S writes a file: the file is completed,
  then vortel ends by SIGPIPE;
- SIGPIPE blocked or ignored by the parent: the lost output is reported on
  standard error with status 2, never status 0;
- a non-blocking pipe with a slow reader: every byte arrives;
- any signal whose default action ends the process, during -S FILE: the
  file ends with a whole board and vortel ends by that signal;
- a stop signal while the screen is stalled (a full pipe, blocking or not):
  the run still ends at once, by that signal, with the file whole;
- a count with an output file whose screen reader has gone: it ends as a
  filter does, the file holding what it would have held.
Nothing waits a fixed time: each step waits for the file or the process to
reach the state it needs, within a generous limit that only a fault uses.
Prints one line per failed check and a closing count; exits 1 on failure.
"""
import fcntl
import os
import resource
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


def wait_until(condition, limit=30.0):
    """Polls `condition` until it holds (True) or `limit` seconds pass."""
    deadline = time.monotonic() + limit
    while not condition():
        if time.monotonic() > deadline:
            return False
        time.sleep(0.005)
    return True


def ended(process, limit=20.0):
    """Waits for `process` to end; kills it after `limit` seconds (a hang)
    and returns None then, else its return code."""
    try:
        return process.wait(timeout=limit)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
        return None


WRITE, POLL = 1, 7  # x86-64 system call numbers


def blocked_on_screen(pid):
    """True while `pid` sleeps in write or poll (its screen is stalled)."""
    try:
        with open(f"/proc/{pid}/stat") as f:
            state = f.read().rsplit(")", 1)[1].split()[0]
        with open(f"/proc/{pid}/syscall") as f:
            call = f.read().split()[0]
    except (OSError, IndexError):
        return False
    return state == "S" and call in (str(WRITE), str(POLL))


def file_size(name):
    try:
        return os.path.getsize(os.path.join(SCRATCH, name))
    except OSError:
        return 0


def full_pipe(blocking):
    """A pipe of one page, filled, whose reader never reads: the next write
    to it blocks (or fails with EAGAIN when `blocking` is False)."""
    read_end, write_end = os.pipe()
    fcntl.fcntl(write_end, fcntl.F_SETPIPE_SZ, 4096)
    os.set_blocking(write_end, False)
    try:
        while True:
            os.write(write_end, b"x" * 4096)
    except BlockingIOError:
        pass
    os.set_blocking(write_end, blocking)
    return read_end, write_end


def whole_board_at_end(text):
    """The listing ends with a whole solution board."""
    last = text.rfind(b"\nSoluzione N. ")
    rows = text[last:].split(b"\n")[3:]
    return (last > 0 and len(rows) == 13 and rows[-2:] == [b"", b""] and
            all(len(row) == 24 for row in rows[0:3] + rows[4:7] + rows[8:11]))


def default_action(number):
    """As a shell starts a foreground command: the signal's default action,
    whatever this test inherited (a background job ignores some); no core
    file for the signals that would leave one."""
    def reset():
        signal.signal(number, signal.SIG_DFL)
        resource.setrlimit(resource.RLIMIT_CORE, (0, 0))
    return reset


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
check("non-blocking pipe: the writer waits for the reader",
      wait_until(lambda: blocked_on_screen(process.pid)))
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

# 4. A signal while listing to a file: whole boards, death by the signal.
# Every signal whose default action ends the process, faults of the
# program itself (SIGSEGV and the like) apart.
STOPS = [signal.SIGINT, signal.SIGTERM, signal.SIGHUP, signal.SIGQUIT,
         signal.SIGUSR1, signal.SIGUSR2, signal.SIGALRM, signal.SIGXCPU,
         signal.SIGVTALRM, signal.SIGPROF, signal.SIGIO, signal.SIGPWR,
         signal.SIGRTMIN, signal.SIGRTMAX]
for number in STOPS:
    name = f"stopped-{int(number)}.txt"
    process = subprocess.Popen(
        [VORTEL, "empty.txt", "-S", name], cwd=SCRATCH,
        stdout=subprocess.DEVNULL, stdin=subprocess.DEVNULL,
        preexec_fn=default_action(number))
    # Some boards are in the file: the listing is under way.
    check(f"signal {int(number)}: listing under way",
          wait_until(lambda: file_size(name) > 100000))
    process.send_signal(number)
    status = ended(process)
    check(f"signal {int(number)}: ends by the signal", status == -number, status)
    check(f"signal {int(number)}: the file ends with a whole board",
          whole_board_at_end(file_text(name)), file_text(name)[-80:])

# 5. A stop signal while the screen is stalled: a full pipe that nobody
# reads, blocking or not. The signal still ends the run at once, the file
# holding whole boards: after the two phase boards only, for a count.
with open(os.path.join(SCRATCH, "phases.txt"), "wb") as screen:
    run(["empty.txt", "-s", "first.txt"], screen)
first = file_text("first.txt")
phase_boards = first[:first.rfind(b"\nTabella risolta con processo iterativo")]
for blocking in (True, False):
    for args, number in ((["-S"], signal.SIGTERM), (["-s"], signal.SIGHUP),
                         (["-S"], signal.SIGUSR1)):
        mode = "blocking" if blocking else "non-blocking"
        name = f"stalled-{args[0]}-{mode}-{int(number)}.txt"
        args = ["empty.txt"] + args + [name] + (["-c"] if args == ["-s"] else [])
        label = f"stalled {mode} screen, {' '.join(args[1:])}, signal {int(number)}"
        read_end, write_end = full_pipe(blocking)
        process = subprocess.Popen(
            [VORTEL] + args, cwd=SCRATCH, stdout=write_end,
            stdin=subprocess.DEVNULL, preexec_fn=default_action(number))
        os.close(write_end)
        check(f"{label}: stalled", wait_until(
            lambda: blocked_on_screen(process.pid)))
        process.send_signal(number)
        status = ended(process)
        os.close(read_end)
        check(f"{label}: ends by the signal", status == -number, status)
        text = file_text(name)
        if "-c" in args:
            check(f"{label}: the file holds the phase boards",
                  text == phase_boards, text[-80:])
        else:
            check(f"{label}: the file ends with a whole board",
                  whole_board_at_end(text), text[-80:])

# 6. A count whose screen reader has gone: the output file already holds
# all it will get (the phase boards), so the run ends as a filter does, by
# SIGPIPE, or with status 2 and the message when SIGPIPE cannot end it.
for option in ("-s", "-S"):
    name = f"counted{option}.txt"
    pipe = closed_pipe()
    process = subprocess.Popen([VORTEL, "empty.txt", option, name, "-c"],
                               cwd=SCRATCH, stdout=pipe,
                               stderr=subprocess.PIPE, stdin=subprocess.DEVNULL)
    os.close(pipe)
    status = ended(process)
    check(f"count {option} FILE, reader gone: ends by SIGPIPE",
          status == -signal.SIGPIPE, status)
    check(f"count {option} FILE, reader gone: the phase boards",
          file_text(name) == phase_boards, file_text(name)[-80:])
    name = f"counted-ignored{option}.txt"
    pipe = closed_pipe()
    process = subprocess.Popen([VORTEL, "empty.txt", option, name, "-c"],
                               cwd=SCRATCH, stdout=pipe, stderr=subprocess.PIPE,
                               stdin=subprocess.DEVNULL,
                               preexec_fn=ignore_sigpipe, restore_signals=False)
    os.close(pipe)
    status = ended(process)
    err = process.stderr.read()
    check(f"count {option} FILE, reader gone, SIGPIPE ignored: status 2",
          status == 2, status)
    check(f"count {option} FILE, reader gone, SIGPIPE ignored: message",
          err == b"vortel: errore in scrittura sullo standard output\n", err)
    check(f"count {option} FILE, reader gone, SIGPIPE ignored: phase boards",
          file_text(name) == phase_boards, file_text(name)[-80:])

print(f"streams: {checks - len(failures)} of {checks} checks passed")
sys.exit(1 if failures else 0)
