#!/usr/bin/env python3
"""vortel's self-check under a debugger's breakpoints:

    breakpoints.py VORTEL SCRATCH

A debugger (or a system-wide probe) writes a breakpoint instruction (int3,
0xCC) into the program's code pages before it starts. This script does as
a debugger does: it starts vortel traced, writes into the mapped image at
the first stop (after exec, before the loader runs), lets it go and
compares its outputs with an untraced run's:
- int3 on the first byte of functions (one the run calls, which the
  script then steps over as a debugger does, and one it never calls): the
  program runs as the intact one does;
- any other byte written there, or int3 in constant data: refused, status 3;
- int3 written while the program's own file cannot be read: refused.
Prints one line per failed check and a closing count; exits 1 on failure,
77 (skipped) where no process may be traced.
"""
import ctypes
import os
import signal
import subprocess
import sys

VORTEL, SCRATCH = sys.argv[1:3]
libc = ctypes.CDLL(None, use_errno=True)
libc.ptrace.restype = ctypes.c_long
libc.ptrace.argtypes = [ctypes.c_long, ctypes.c_long, ctypes.c_void_p,
                        ctypes.c_void_p]
TRACEME, PEEKTEXT, POKETEXT, CONT, GETREGS, SETREGS, SINGLESTEP = \
    0, 1, 4, 7, 12, 13, 9
REFUSED = b"\n*** Programma alterato: controllo di integrita' fallito ***\n"
PUZZLE = b"1 1 1\n1 6 7\n1 8 9\n2 2 3\n2 5 2\n2 9 8\n3 3 9\n3 4 6\n3 7 5\n" \
    b"4 3 5\n4 4 3\n4 7 9\n5 2 1\n5 5 8\n5 9 2\n6 1 6\n6 6 4\n7 1 3\n" \
    b"7 8 1\n8 2 4\n8 9 7\n9 3 7\n9 7 3\n"
failures = []
checks = 0


def check(label, condition, detail=""):
    global checks
    checks += 1
    if not condition:
        failures.append(label)
        print(f"FAIL: {label} {detail}")


class Regs(ctypes.Structure):
    """x86-64 user_regs_struct: 27 words, rip at index 16."""
    _fields_ = [("words", ctypes.c_ulonglong * 27)]


RIP = 16


def symbol(name):
    """The link address of a function of vortel."""
    out = subprocess.run(["nm", "-C", VORTEL], capture_output=True,
                         text=True, check=True).stdout
    for line in out.splitlines():
        parts = line.split(" ", 2)
        if len(parts) == 3 and parts[2].startswith(name + "("):
            return int(parts[0], 16)
    raise SystemExit(f"no symbol {name}")


def load_base(pid, program):
    real = os.path.realpath(program)
    with open(f"/proc/{pid}/maps") as maps:
        for line in maps:
            fields = line.split()
            if fields[-1] == real and int(fields[2], 16) == 0:
                return int(fields[0].split("-")[0], 16)
    raise SystemExit("vortel not mapped")


def poke_byte(pid, address, value):
    """Writes one byte; returns the byte it replaced."""
    ctypes.set_errno(0)
    word = libc.ptrace(PEEKTEXT, pid, address, None) & (2**64 - 1)
    new = (word & ~0xFF) | value
    if libc.ptrace(POKETEXT, pid, address, ctypes.c_void_p(new)) != 0:
        raise SystemExit("POKETEXT failed")
    return word & 0xFF


def run_traced(pokes, unreadable=False):
    """Runs vortel on p.txt with `pokes` ({link address: byte}) written at
    the first stop; steps over each int3 it reaches as a debugger does.
    Returns (status, stdout, stderr)."""
    name = "vortel-copy" if unreadable else "vortel"
    # Named from the scratch directory, the working one: the unprivileged
    # user needs to reach only that directory, whatever the modes of those
    # above it (a checkout under a private directory).
    program = os.path.join(".", name)

    def traced():
        libc.ptrace(TRACEME, 0, None, None)
        if unreadable:  # execute-only for an unprivileged user
            os.setgid(65534)
            os.setuid(65534)

    # A sanitizer build's leak check cannot run under a tracer.
    env = dict(os.environ)
    env["ASAN_OPTIONS"] = env.get("ASAN_OPTIONS", "") + ":detect_leaks=0"
    process = subprocess.Popen([program, "p.txt"], cwd=SCRATCH, env=env,
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                               stdin=subprocess.DEVNULL, preexec_fn=traced)
    pid = process.pid
    _, status = os.waitpid(pid, 0)  # the stop after exec
    if not os.WIFSTOPPED(status):
        print("SKIP: this system does not let a process be traced")
        sys.exit(77)
    base = load_base(pid, os.path.join(SCRATCH, name))
    original = {address: poke_byte(pid, base + address, value)
                for address, value in pokes.items()}
    while True:
        libc.ptrace(CONT, pid, None, None)
        _, status = os.waitpid(pid, 0)
        if not os.WIFSTOPPED(status):
            break
        if os.WSTOPSIG(status) != signal.SIGTRAP:
            libc.ptrace(CONT, pid, None, ctypes.c_void_p(os.WSTOPSIG(status)))
            continue
        # A breakpoint reached: put the byte back, run the instruction, put
        # the breakpoint again.
        regs = Regs()
        libc.ptrace(GETREGS, pid, None, ctypes.byref(regs))
        at = regs.words[RIP] - 1 - base
        regs.words[RIP] -= 1
        libc.ptrace(SETREGS, pid, None, ctypes.byref(regs))
        poke_byte(pid, base + at, original[at])
        libc.ptrace(SINGLESTEP, pid, None, None)
        os.waitpid(pid, 0)
        poke_byte(pid, base + at, 0xCC)
    out = process.stdout.read()
    err = process.stderr.read()
    process.wait()
    code = os.WEXITSTATUS(status) if os.WIFEXITED(status) else -os.WTERMSIG(status)
    return code, out, err


os.makedirs(SCRATCH, exist_ok=True)
with open(os.path.join(SCRATCH, "p.txt"), "wb") as f:
    f.write(PUZZLE)
with open(VORTEL, "rb") as src, open(os.path.join(SCRATCH, "vortel"), "wb") as dst:
    dst.write(src.read())
os.chmod(os.path.join(SCRATCH, "vortel"), 0o755)
intact = subprocess.run([os.path.join(SCRATCH, "vortel"), "p.txt"], cwd=SCRATCH,
                        capture_output=True, stdin=subprocess.DEVNULL)
check("intact run", intact.returncode == 0, intact.returncode)

called = symbol("solver::search")
not_called = symbol("front::show_usage")
for label, pokes in (("int3 on a function never called", {not_called: 0xCC}),
                     ("int3 on a function called", {called: 0xCC}),
                     ("int3 on both", {called: 0xCC, not_called: 0xCC})):
    status, out, err = run_traced(pokes)
    check(f"{label}: runs", status == 0, (status, err))
    check(f"{label}: the same outputs", (out, err) == (intact.stdout, b""),
          out[-200:])

def link_address(offset):
    """The link address of a file offset inside a loadable segment."""
    out = subprocess.run(["readelf", "-lW", VORTEL], capture_output=True,
                         text=True, check=True).stdout
    for line in out.splitlines():
        fields = line.split()
        if fields[:1] == ["LOAD"]:
            start, address, size = (int(fields[i], 16) for i in (1, 2, 4))
            if start <= offset < start + size:
                return offset - start + address
    raise SystemExit(f"offset {offset} in no segment")


USAGE_TEXT = link_address(open(VORTEL, "rb").read().find(b"Menu' delle opzioni"))
for label, pokes in (("another byte at a function", {not_called: 0x90}),
                     ("int3 in constant data", {USAGE_TEXT: 0xCC}),
                     ("int3 and another byte", {called: 0xCC,
                                                not_called + 1: 0x90})):
    status, out, err = run_traced(pokes)
    check(f"{label}: refused", (status, out, err) == (3, REFUSED, b""),
          (status, out[-200:], err))

# The program's own file unreadable (mode 0711, an unprivileged user): the
# breakpoints cannot be told from an alteration, so the run is refused.
if os.getuid() == 0:
    copy = os.path.join(SCRATCH, "vortel-copy")
    with open(VORTEL, "rb") as src, open(copy, "wb") as dst:
        dst.write(src.read())
    os.chmod(copy, 0o711)
    os.chmod(SCRATCH, 0o755)
    os.chmod(os.path.join(SCRATCH, "p.txt"), 0o644)
    status, out, _ = run_traced({not_called: 0xCC}, unreadable=True)
    check("int3, the file unreadable: refused", (status, out) == (3, REFUSED),
          (status, out[-200:]))

# A real system-wide probe, where perf may set one (root, a kernel with
# uprobes): on a copy of its own, removed afterwards.
def probe_run():
    copy = os.path.join(SCRATCH, "vortel-probed")
    with open(VORTEL, "rb") as src, open(copy, "wb") as dst:
        dst.write(src.read())
    os.chmod(copy, 0o755)
    event = f"vortel{os.getpid()}:search"
    added = subprocess.run(["perf", "probe", "-q", "-x", copy, "-a",
                            f"{event}=0x{called:x}"], capture_output=True)
    if added.returncode != 0:
        print("note: no system-wide probe here (perf probe failed)")
        return
    try:
        data = os.path.join(SCRATCH, "perf.data")
        probed = subprocess.run(["perf", "record", "-q", "-o", data, "-e",
                                 event, "--", copy, "p.txt"], cwd=SCRATCH,
                                capture_output=True, stdin=subprocess.DEVNULL)
        check("under a system-wide probe: runs", probed.returncode == 0,
              probed.returncode)
        check("under a system-wide probe: the same outputs",
              probed.stdout == intact.stdout, probed.stdout[-200:])
    finally:
        subprocess.run(["perf", "probe", "-q", "-d", event],
                       capture_output=True)


if os.getuid() == 0 and subprocess.run(["sh", "-c", "command -v perf"],
                                       capture_output=True).returncode == 0:
    probe_run()

print(f"breakpoints: {checks - len(failures)} of {checks} checks passed")
sys.exit(1 if failures else 0)
