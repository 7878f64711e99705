#!/usr/bin/env python3
"""vortel-lotto end to end, one part per run:

  lotto.py LOTTO VORTEL DATA SCRATCH PART

equivalence  every mode's answers against vortel's own, run puzzle by puzzle,
             on the sample puzzle sets and on puzzles made from them with no
             solution (by logic and by search), conflicting givens, and two
             or many solutions; --conta=1's solution is the smallest, as
             --risolvi's; --minimo's superfluous givens are those whose
             removal leaves one solution, the last cell's included;
threads      -j 1 and -j N byte for byte on a large generated input with
             every form and damaged entries, and on every VORTEL_ISA path;
             --json and the columns carry the same facts;
parallel     a run split by GNU parallel (--pipe --keep-order) equals one run,
             grids split at blank lines or converted by vortel-importa
             --riga first (skipped, status 77, where parallel is not
             installed);
failures     damaged and unreadable input, statuses, a gone reader, SIGPIPE
             ignored, a full disk, SIGINT and SIGTERM mid-run;
hostile      a filter's input cut at every line, a non-blocking standard
             input, threads that cannot start, memory and file-size limits,
             every stop signal (on a reader that reads and on one that has
             stopped), the output appended to an input;
doppioni     puzzles drawn many ways each (relabelled, transposed, bands,
             rows, stacks and columns permuted), from a pipe over many
             batches: each marked with the numero of its first drawing, one
             canonical form for all the drawings of a puzzle and distinct
             ones for distinct puzzles, -j 1 and -j 3 byte for byte, the
             summary's distinct count.
"""
import fcntl
import json
import os
import random
import re
import resource
import shutil
import signal
import subprocess
import sys
import time

LOTTO, VORTEL, DATA, SCRATCH, PART = sys.argv[1:6]
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL:", message)


def lotto(args, data=None, **kwargs):
    return subprocess.run([LOTTO, "-q"] + args, input=data,
                          capture_output=True, **kwargs)


def rows(output):
    """The tab-separated lines as dictionaries, header first."""
    lines = output.decode().split("\n")
    assert lines[-1] == ""
    names = lines[0].split("\t")
    return [dict(zip(names, line.split("\t"))) for line in lines[1:-1]]


def sample_puzzles(names=None):
    puzzles = []
    for name in names or sorted(os.listdir(DATA)):
        with open(os.path.join(DATA, name)) as f:
            puzzles += [line[:81] for line in f if len(line) > 81]
    return puzzles


def made_puzzles(puzzles, rng):
    """No solution, conflicts, two or many solutions, solved by logic."""
    made = []
    for p in puzzles[:40]:
        cells = list(p)
        givens = [i for i, c in enumerate(cells) if c != "."]
        i = rng.choice(givens)
        other = list(cells)
        other[i] = str((int(cells[i]) + rng.randrange(1, 9) - 1) % 9 + 1)
        made.append("".join(other))  # most often none, by logic or search
        empty = [j for j, c in enumerate(cells) if c == "."]
        j = next(j for j in empty if j // 9 == i // 9)
        clash = list(cells)
        clash[j] = cells[i]
        made.append("".join(clash))  # conflicting givens
        fewer = list(cells)
        fewer[rng.choice(givens)] = "."
        made.append("".join(fewer))  # usually several solutions
        more = list(cells)
        more[rng.choice(empty)] = str(rng.randrange(1, 10))
        made.append("".join(more))  # often none, found only by the search
    return made


def vortel_board(text, title):
    """The 81 digits of the board printed after `title`."""
    lines = text.split("\n")
    start = lines.index(title)
    digits = ""
    for line in lines[start + 1:]:
        if line.startswith("   ") and len(digits) < 81:
            digits += line.replace(" ", "").replace("-", ".")
    return digits


def vortel_facts(puzzle, work):
    """vortel -c on the puzzle: (status, first solution, count)."""
    path = os.path.join(work, "p.txt")
    with open(path, "w") as f:
        for i, c in enumerate(puzzle):
            if c != ".":
                f.write("%d %d %s\n" % (i // 9 + 1, i % 9 + 1, c))
    run = subprocess.run([VORTEL, path, "-c"], capture_output=True)
    text = run.stdout.decode()
    first, count = None, 0
    for title in ("Prima soluzione trovata",
                  "Tabella risolta con solo processo matematico"):
        if title in text:
            first = vortel_board(text, title)
    found = re.search(r"Il problema ammette (\d+) soluzion", text)
    if found:
        count = int(found.group(1))
    return run.returncode, first, count


def vortel_second(puzzle, work):
    """The second solution of vortel -S, read from its screen listing."""
    path = os.path.join(work, "p.txt")
    proc = subprocess.Popen([VORTEL, path, "-S"], stdout=subprocess.PIPE)
    text = ""
    while "Soluzione N. 3\n" not in text:
        chunk = proc.stdout.read1(65536).decode()
        if not chunk:
            break
        text += chunk
    proc.kill()
    proc.wait()
    return vortel_board(text, "Soluzione N. 2")


def expected_solve(status, first, count):
    if status == 1:
        return ("cifre-ripetute", "0", "", "dati inconsistenti")
    if status == 2:
        return ("nessuna", "0", "", "dati incongruenti")
    if first is None:
        return ("nessuna", "0", "", "privo di soluzioni")
    return ("risolta", "1+", first, "")


def differences(first, second):
    return ",".join("r%dc%d=%s/%s" % (i // 9 + 1, i % 9 + 1, a, b)
                    for i, (a, b) in enumerate(zip(first, second)) if a != b)


def part_equivalence():
    rng = random.Random(25)
    puzzles = sample_puzzles()
    puzzles += made_puzzles(puzzles, rng)
    data = "".join(p + "\n" for p in puzzles).encode()
    answers = {mode: rows(lotto([mode], data).stdout)
               for mode in ("--risolvi", "--verifica", "--conta", "--conta=0",
                            "--conta=1", "--conta=5", "--minimo")}
    work = os.path.join(SCRATCH, "vortel")
    os.makedirs(work, exist_ok=True)
    kinds = set()
    for n, p in enumerate(puzzles):
        status, first, count = vortel_facts(p, work)
        kinds.add((status, min(count, 3)))
        solve = answers["--risolvi"][n]
        got = (solve["stato"], solve["soluzioni"], solve["soluzione"],
               solve["dettaglio"])
        check(got == expected_solve(status, first, count),
              "--risolvi %s: %s, vortel %d %s" % (p, got, status, first))
        exact = answers["--conta=0"][n]
        limited = answers["--conta=5"][n]
        check(exact["soluzioni"] == str(count),
              "--conta=0 %s: %s, vortel %d" % (p, exact["soluzioni"], count))
        check(limited["soluzioni"] ==
              ("5+" if count >= 5 else str(count)),
              "--conta=5 %s: %s, vortel %d" % (p, limited["soluzioni"], count))
        two = answers["--conta"][n]["soluzioni"]
        check(two == ("2+" if count >= 2 else str(count)),
              "--conta %s: %s, vortel %d" % (p, two, count))
        one = answers["--conta=1"][n]
        if count >= 1:
            check(one["soluzione"] == first,
                  "--conta=1 %s: %s, vortel %s" % (p, one["soluzione"], first))
        verify = answers["--verifica"][n]
        minimal = answers["--minimo"][n]
        if count == 1:
            check(verify["stato"] == "unica" and verify["soluzione"] == first,
                  "--verifica %s: %s" % (p, verify))
            check(minimal["stato"] in ("minima", "non-minima"),
                  "--minimo %s: %s" % (p, minimal))
        elif count > 1:
            second = vortel_second(p, work)
            check((verify["stato"], verify["soluzioni"], verify["soluzione"],
                   verify["dettaglio"]) ==
                  ("multipla", "2+", first, differences(first, second)),
                  "--verifica %s: %s, vortel %s %s" % (p, verify, first,
                                                       second))
            check(minimal["stato"] == "multipla", "--minimo %s" % p)
        else:
            check(verify["stato"] == solve["stato"] == minimal["stato"],
                  "--verifica/--minimo %s" % p)
    minimal_against_removals(puzzles, answers["--conta=0"])
    # The inputs cover every kind of answer.
    for kind in ((0, 1), (1, 0), (2, 0), (4, 0), (4, 1), (4, 3)):
        check(kind in kinds, "no puzzle with vortel status/count %s" % (kind,))


def minimal_against_removals(puzzles, counts):
    """--minimo on unique puzzles, and on each with the last cell's digit
    added as a given (superfluous there), against --conta=2 on the puzzle
    without each given in turn: a given is superfluous when one solution is
    left without it."""
    unique = [p for p, c in zip(puzzles, counts) if c["soluzioni"] == "1"]
    solved = rows(lotto(["--risolvi"], "".join(
        p + "\n" for p in unique[:30]).encode()).stdout)
    tried = unique[:30] + [p[:80] + s["soluzione"][80]
                           for p, s in zip(unique, solved) if p[80] == "."]
    minimal = rows(lotto(["--minimo"], "".join(
        p + "\n" for p in tried).encode()).stdout)
    without = [(p, i) for p in tried for i in range(81) if p[i] != "."]
    counted = rows(lotto(["--conta=2"], "".join(
        p[:i] + "." + p[i + 1:] + "\n" for p, i in without).encode()).stdout)
    superfluous = {p: [] for p in tried}
    for (p, i), c in zip(without, counted):
        if c["soluzioni"] == "1":
            superfluous[p].append("r%dc%d" % (i // 9 + 1, i % 9 + 1))
    last = 0
    for p, m in zip(tried, minimal):
        expected = superfluous[p]
        last += "r9c9" in expected
        check((m["stato"], m["dettaglio"]) ==
              ("non-minima" if expected else "minima", ",".join(expected)),
              "--minimo %s: %s %s, expected %s" % (p, m["stato"],
                                                   m["dettaglio"], expected))
    check(last > 0, "no puzzle with a superfluous given at r9c9")


def drawn(puzzle):
    """The puzzle as a drawn grid of nine rows with rules."""
    lines = []
    for r in range(9):
        if r % 3 == 0:
            lines.append("+-------+-------+-------+")
        row = puzzle[9 * r:9 * r + 9]
        lines.append("| %s | %s | %s |" % (" ".join(row[0:3]),
                                           " ".join(row[3:6]),
                                           " ".join(row[6:9])))
    lines.append("+-------+-------+-------+")
    return "\n".join(lines) + "\n"


# The sets of the large inputs: quick ones, so that a sanitizer build runs
# the many passes over them in minutes (the hard sets are in equivalence).
QUICK_SETS = ["bench_17clue.txt", "bench_top1465.txt", "bench_serg_multi.txt",
              "multi_solution.txt"]


def large_input(rng, count, damaged=True, names=None):
    puzzles = sample_puzzles(names)
    out = []
    for n in range(count):
        p = list(rng.choice(puzzles))
        digits = list("123456789")
        rng.shuffle(digits)
        p = "".join(digits[int(c) - 1] if c != "." else "." for c in p)
        form = n % 50
        if form == 7:
            out.append("%s,%s\n" % (p, "comment"))
        elif form == 13:
            out.append("Gioco %d: %s ED=1.2\r\n" % (n, p.replace(".", "0")))
        elif form == 29:
            out.append(drawn(p))
        elif form == 31 and damaged:
            out.append(p[:80] + "\n")  # a damaged entry
        elif form == 41 and damaged:
            out.append(p + "x\n")  # a damaged entry: cells run on
        else:
            out.append(p + "\n")
    return "".join(out).encode()


def part_threads():
    rng = random.Random(2025)
    data = large_input(rng, 10000, names=QUICK_SETS)
    path = os.path.join(SCRATCH, "large.txt")
    with open(path, "wb") as f:
        f.write(data)
    # --minimo and --conta=20 cost several searches a puzzle: a smaller
    # input keeps a sanitizer build's run short.
    small = os.path.join(SCRATCH, "small.txt")
    with open(small, "wb") as f:
        f.write(large_input(rng, 2000, names=QUICK_SETS))
    for mode, counts, name in (("--verifica", "238", path),
                               ("--minimo", "3", small),
                               ("--conta=20", "3", small)):
        one = lotto([mode, "-j", "1", name])
        check(one.returncode == 1, "%s: status %d" % (mode, one.returncode))
        for threads in counts:
            many = lotto([mode, "-j", threads, name])
            check(many.stdout == one.stdout and many.returncode == 1,
                  "%s -j %s differs from -j 1" % (mode, threads))
        # Every instruction path of the order-free core answers alike; a
        # path the machine lacks, or a name of none, is told and replaced.
        for isa in ("base", "v2", "avx2", "avx512", "nessuno"):
            forced = lotto([mode, "-j", "2", name],
                           env=dict(os.environ, VORTEL_ISA=isa))
            check(forced.stdout == one.stdout and forced.returncode == 1,
                  "%s with VORTEL_ISA=%s differs" % (mode, isa))
            check(isa != "nessuno" or
                  b"VORTEL_ISA=nessuno: valore sconosciuto" in forced.stderr,
                  "VORTEL_ISA=nessuno not told: %r" % forced.stderr)
    # From a pipe, in pieces, the same, but for the file's name.
    piped = lotto(["--verifica", "-j", "2"], data)
    named = lotto(["--verifica", "-j", "1", path]).stdout
    check(piped.stdout.replace(b"(standard input)", path.encode())
          .replace(b"\t-\t", b"\t%s\t" % path.encode()) == named,
          "standard input differs from the named file")
    table = rows(lotto(["--verifica", path]).stdout)
    check(len(table) == 10000, "%d lines for 10000 entries" % len(table))
    statuses = {r["stato"] for r in table}
    check(statuses == {"unica", "multipla", "illeggibile"},
          "statuses %s" % statuses)
    # The JSON lines carry the same facts.
    lines = lotto(["--verifica", "--json", path]).stdout.decode()
    objects = [json.loads(line) for line in lines.split("\n")[:-1]]
    check(len(objects) == len(table), "JSON line count")
    for row, obj in zip(table, objects):
        count = str(obj["soluzioni"]) if obj["soluzioni"] is not None else ""
        count += "+" if obj["almeno"] else ""
        facts = (str(obj["numero"]), obj["archivio"], str(obj["riga"]),
                 obj["etichetta"], obj["gioco"] or "", obj["stato"], count,
                 obj["soluzione"] or "", obj["dettaglio"])
        if facts != (row["numero"], row["archivio"], row["riga"],
                     row["etichetta"], row["gioco"], row["stato"],
                     row["soluzioni"], row["soluzione"], row["dettaglio"]):
            check(False, "JSON %s against %s" % (obj, row))
            break


def part_parallel():
    if shutil.which("parallel") is None:
        print("GNU parallel is not installed: skipped")
        sys.exit(77)
    rng = random.Random(7)
    # A filter's input: one entry a line (damaged ones included).
    data = large_input(rng, 8000, names=QUICK_SETS)
    data = b"".join(line + b"\n" for line in data.split(b"\n")
                    if line and not line.startswith((b"+", b"|")))
    for args in (["--verifica", "--filtro"], ["--risolvi", "--filtro",
                                              "--json"]):
        whole = lotto(args + ["-j", "1"], data)
        split = subprocess.run(
            ["parallel", "--will-cite", "--pipe", "--keep-order",
             "--block", "50k", "-j", "3", LOTTO, "-q", "-j", "1"] + args,
            input=data, capture_output=True)
        check(split.stdout == whole.stdout and len(whole.stdout) > 0,
              "parallel %s differs from one run" % args)
        # parallel's own status is the number of jobs that failed.
        check(split.returncode != 0 and whole.returncode == 1,
              "statuses %d %d" % (split.returncode, whole.returncode))
    split_grids(rng)


def split_grids(rng):
    """A puzzle on many lines is cut by a split at any line end; the
    README's two recipes for such input, a split only at blank lines and a
    conversion to one line a puzzle first, each give the output of one run.
    """
    puzzles = sample_puzzles(QUICK_SETS)
    grids = []
    for n in range(600):
        p = rng.choice(puzzles)
        grids.append(drawn(p) if n % 2 else
                     "\n".join(p[9 * r:9 * r + 9] for r in range(9)) + "\n")
    data = "\n".join(grids).encode()
    args = ["--verifica", "--filtro"]
    whole = lotto(args + ["-j", "1"], data)
    check(whole.returncode == 0 and whole.stdout.count(b"\n") == 600,
          "grids in one run: %d" % whole.returncode)

    def split(data, *options):
        return subprocess.run(
            ["parallel", "--will-cite", "--pipe", "--keep-order", "--block",
             "5k", "-j", "3"] + list(options) + [LOTTO, "-q", "-j", "1"] +
            args, input=data, capture_output=True)

    check(split(data).stdout != whole.stdout,
          "a split at line ends cut no grid: the check below proves nothing")
    at_blank_lines = split(data, "--recend", "\\n\\n")
    check(at_blank_lines.stdout == whole.stdout and
          at_blank_lines.returncode == 0,
          "grids split at blank lines differ from one run")
    importa = os.path.join(os.path.dirname(LOTTO), "vortel-importa")
    lines = subprocess.run([importa, "--riga"], input=data,
                           capture_output=True)
    check(lines.returncode == 0 and lines.stdout.count(b"\n") == 600,
          "vortel-importa --riga: %d %s" % (lines.returncode, lines.stderr))
    converted = split(lines.stdout)
    check(converted.stdout == whole.stdout and converted.returncode == 0,
          "grids converted to lines and split differ from one run")


def part_failures():
    puzzle = sample_puzzles()[0]
    good = (puzzle + "\n").encode()
    # Each kind of damaged entry: its line, the others all answered.
    damaged = ("%s\n"  # 1 puzzle
               "1.2.3\n"  # 2 cells neither 9 nor 81
               "%s\x00\n"  # 3 not text
               "%sx\n"  # 4 cells run on
               "Gioco: %s\n"  # 5 a label: fine
               "1 2 3 4 5 6 7 8 9\n"  # 6 a grid row ...
               "abc\n"  # 7 ... cut short by text
               "%s\n"  # 8 puzzle
               "%s\n") % ((puzzle,) * 5 + ("9" * 70 + "é" * 11,))  # 9
    result = lotto(["--verifica"], damaged.encode())
    table = rows(result.stdout)
    got = [(r["riga"], r["stato"]) for r in table]
    check(got == [("1", "unica"), ("2", "illeggibile"), ("3", "illeggibile"),
                  ("4", "illeggibile"), ("5", "unica"), ("7", "illeggibile"),
                  ("8", "unica"), ("9", "illeggibile")],
          "damaged entries: %s" % got)
    check(result.returncode == 1, "damaged: status %d" % result.returncode)
    check("riga 2, colonna 1: riga di 5 caselle" in table[1]["dettaglio"],
          "message: %s" % table[1]["dettaglio"])
    read_error_mid_line(puzzle)
    # An input that cannot be opened: its line, the others read; status 2.
    missing = lotto(["-", os.path.join(SCRATCH, "missing.txt")], good)
    check(missing.returncode == 2 and
          [r["stato"] for r in rows(missing.stdout)] ==
          ["risolta", "illeggibile"],
          "missing input: %d %s" % (missing.returncode, missing.stdout))
    # Where each answer came from: files and standard input, in TSV and
    # JSON alike; a label's quotes and backslash kept in both.
    labelled = os.path.join(SCRATCH, "labelled.txt")
    with open(labelled, "w") as f:
        f.write("Golden Nugget: %s\n# x\n\n%s\n" % (puzzle, puzzle))
    stdin = ('%s "Primo" \\ x\n' % puzzle).encode()
    expected = [("1", labelled, "1", "Golden Nugget"), ("2", labelled, "4", ""),
                ("3", "-", "1", '"Primo" \\ x'),
                ("4", labelled, "1", "Golden Nugget"), ("5", labelled, "4", "")]
    for json_form in (False, True):
        run = lotto(["--verifica", labelled, "-", labelled] +
                    (["--json"] if json_form else []), stdin)
        table = [json.loads(line) for line in
                 run.stdout.decode().split("\n")[:-1]] if json_form \
            else rows(run.stdout)
        got = [(str(r["numero"]), r["archivio"], str(r["riga"]),
                r["etichetta"]) for r in table]
        check(got == expected, "numero/archivio/riga/etichetta: %s" % got)
    filtered = lotto(["--filtro"], stdin).stdout.decode()
    check(filtered.startswith('"Primo" \\ x\t%s\trisolta\t' % puzzle),
          "--filtro: %s" % filtered)
    # The summary agrees with its count.
    for data, start in ((good, b"vortel-lotto: 1 gioco in "),
                        (good * 2, b"vortel-lotto: 2 giochi in ")):
        summary = subprocess.run([LOTTO], input=data, capture_output=True)
        check(summary.stderr.startswith(start), "summary: %s" % summary.stderr)
    check(lotto(["--conta=x"]).returncode == 1, "bad limit accepted")
    check(lotto(["--verifica", "--minimo"]).returncode == 1, "two modes")
    # A full disk.
    with open("/dev/full", "wb") as full:
        run = subprocess.run([LOTTO, "-q"], input=good, stdout=full,
                             stderr=subprocess.PIPE)
    check(run.returncode == 2 and b"errore in scrittura" in run.stderr,
          "/dev/full: %d %s" % (run.returncode, run.stderr))
    path = os.path.join(SCRATCH, "big.txt")
    with open(path, "wb") as f:
        f.write(large_input(random.Random(3), 100000, damaged=False,
                            names=["bench_17clue.txt"]))
    # A reader that goes: the run ends by SIGPIPE; with SIGPIPE ignored, by
    # a reported write error.
    for ignore, expected in ((False, -signal.SIGPIPE), (True, 2)):
        proc = subprocess.Popen(
            [LOTTO, "--verifica", "-j", "2", path], stdout=subprocess.PIPE,
            stderr=subprocess.PIPE,
            preexec_fn=(lambda: signal.signal(signal.SIGPIPE, signal.SIG_IGN))
            if ignore else None)
        proc.stdout.readline()
        proc.stdout.close()
        err = proc.stderr.read()
        check(proc.wait(timeout=120) == expected,
              "gone reader (ignored %s): %d" % (ignore, proc.returncode))
        check(ignore == (b"errore in scrittura" in err), "message: %s" % err)
    # SIGINT and SIGTERM: whole lines, a prefix of the full output, the
    # process ended by the signal.
    full = lotto(["--verifica", "-j", "2", path]).stdout
    for sig in (signal.SIGINT, signal.SIGTERM):
        proc = subprocess.Popen([LOTTO, "-q", "--verifica", "-j", "2", path],
                                stdout=subprocess.PIPE)
        head = proc.stdout.read1(4096)
        proc.send_signal(sig)
        out = head + proc.stdout.read()
        check(proc.wait(timeout=120) == -sig, "%s: %d" % (sig,
                                                          proc.returncode))
        check(out.endswith(b"\n") and full.startswith(out) and
              len(out) < len(full), "%s: not a prefix of whole lines" % sig)
    interrupted_while_waiting()


def read_error_mid_line(puzzle):
    """A read that fails: its entry stands at the line begun, or else at
    the last line read. A pseudo-terminal's master, once its slave is
    closed, gives what was written and then EIO."""
    import pty
    import tty
    for tail, line in (("# due\n" + puzzle[:40], "3"), ("# due\n", "2"),
                       ("", "1")):
        master, slave = pty.openpty()
        tty.setraw(slave)
        os.write(slave, (puzzle + "\n" + tail).encode())
        os.close(slave)
        result = lotto([], stdin=master)
        os.close(master)
        got = [(r["riga"], r["stato"], r["dettaglio"])
               for r in rows(result.stdout)]
        check(result.returncode == 2 and len(got) == 2 and
              got[0][:2] == ("1", "risolta") and
              got[1] == (line, "illeggibile", "(standard input): errore in "
                         "lettura: %s" % os.strerror(5)),
              "read error after %r: %d %s" % (tail, result.returncode, got))


def interrupted_while_waiting():
    """A run waiting for more input ends at once by SIGINT, after writing
    what it has answered."""
    proc = subprocess.Popen([LOTTO, "-q", "-j", "2"], stdin=subprocess.PIPE,
                            stdout=subprocess.PIPE)
    proc.stdin.write((sample_puzzles()[0] + "\n").encode())
    proc.stdin.flush()
    out = proc.stdout.readline() + proc.stdout.readline()
    proc.send_signal(signal.SIGINT)
    out += proc.stdout.read()
    check(proc.wait(timeout=60) == -signal.SIGINT,
          "waiting for input, SIGINT: %d" % proc.returncode)
    check(out.count(b"\n") == 2 and b"\trisolta\t" in out,
          "waiting for input: %s" % out)
    proc.stdin.close()


def sanitized():
    """A sanitizer's runtime reserves terabytes: no address-space limit."""
    needed = subprocess.run(["readelf", "-d", LOTTO],
                            capture_output=True).stdout
    return b"libasan" in needed or b"libtsan" in needed


def limited(limits):
    """A preexec function setting the resource limits {resource: soft}."""
    def apply():
        for which, value in limits.items():
            hard = resource.getrlimit(which)[1]
            resource.setrlimit(which, (value, hard))
    return apply


def filter_pieces():
    """A filter's input cut into pieces at every line, run piece by piece,
    gives what the whole gives: a piece of comments or blank lines gives
    nothing, and changes no status."""
    puzzles = sample_puzzles()[:4]
    lines = (["# c\n", "\n"] + [p + "\n" for p in puzzles[:2]] +
             ["# c\n", "\n", "\n", puzzles[2][:80] + "\n", puzzles[3] + "\n",
              "# end\n"])
    for args in (["--verifica", "--filtro"], ["--filtro", "--json"]):
        whole = lotto(args, "".join(lines).encode())
        cuts = [[lines[:k], lines[k:]] for k in range(1, len(lines))]
        cuts.append([[line] for line in lines])
        for pieces in cuts:
            runs = [lotto(args, "".join(piece).encode()) for piece in pieces]
            joined = b"".join(run.stdout for run in runs)
            status = max(run.returncode for run in runs)
            if (joined, status) != (whole.stdout, whole.returncode):
                check(False, "%s cut %s: %s %d, whole %s %d" % (
                    args, [len(p) for p in pieces], joined, status,
                    whole.stdout, whole.returncode))
                break
    # Nothing but comments, alone: no line (an empty piece of a split run).
    alone = lotto(["--filtro"], b"# c\n\n")
    check((alone.stdout, alone.returncode) == (b"", 0),
          "comments alone: %s %d" % (alone.stdout, alone.returncode))


def nonblocking_input(good):
    """A non-blocking standard input that is empty for a while is waited
    on, not taken for a read error."""
    def nonblocking():
        flags = fcntl.fcntl(0, fcntl.F_GETFL)
        fcntl.fcntl(0, fcntl.F_SETFL, flags | os.O_NONBLOCK)
    proc = subprocess.Popen([LOTTO, "-q", "--filtro"], stdin=subprocess.PIPE,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            preexec_fn=nonblocking)
    time.sleep(0.3)
    out, err = proc.communicate(good * 3, timeout=60)
    check((proc.returncode, out.count(b"\trisolta\t"), err) == (0, 3, b""),
          "non-blocking input: %d %s %s" % (proc.returncode, out, err))


def resource_limits(good, path):
    """Threads that cannot start, memory that runs out, a file-size limit:
    said on standard error with their statuses, never a crash."""
    if not sanitized():
        big = 1 << 30
        # Each thread's stack is as large as the stack limit.
        for stack, threads, expected in ((big, "8", 3), (big // 8, "64", 0)):
            run = subprocess.run(
                [LOTTO, "-q", "-j", threads], input=good, capture_output=True,
                preexec_fn=limited({resource.RLIMIT_STACK: stack,
                                    resource.RLIMIT_AS: 600 << 20}))
            check(run.returncode == expected and
                  run.stdout.count(b"\trisolta\t") == (expected == 0) and
                  (b"memoria insufficiente" in run.stderr) == (expected == 3)
                  and (b"thread" in run.stderr) == (expected == 0),
                  "-j %s, stack %d: %d %s" % (threads, stack, run.returncode,
                                              run.stderr))
        run = subprocess.run([LOTTO, "-q", "-j", "2"], input=good,
                             capture_output=True,
                             preexec_fn=limited({resource.RLIMIT_AS: 20 << 20}))
        check(run.returncode == 3 and b"memoria insufficiente" in run.stderr
              and b"in lettura" not in run.stdout,
              "address space of 20 MB: %d %s %s" % (run.returncode, run.stdout,
                                                    run.stderr))
    out = os.path.join(SCRATCH, "limited.txt")
    with open(out, "wb") as f:
        run = subprocess.run([LOTTO, "-q", path], stdout=f,
                             stderr=subprocess.PIPE,
                             preexec_fn=limited({resource.RLIMIT_FSIZE: 4096}))
    check(run.returncode == 2 and b"errore in scrittura" in run.stderr,
          "file-size limit: %d %s" % (run.returncode, run.stderr))


# Every signal whose default action ends the process (SIGKILL, SIGPIPE,
# SIGXFSZ and the faults apart).
STOP_SIGNALS = [signal.SIGHUP, signal.SIGINT, signal.SIGQUIT, signal.SIGUSR1,
                signal.SIGUSR2, signal.SIGALRM, signal.SIGTERM,
                signal.SIGXCPU, signal.SIGVTALRM, signal.SIGPROF,
                signal.SIGIO, signal.SIGPWR, signal.SIGRTMIN + 3]


def default_signals():
    for number in STOP_SIGNALS + [signal.SIGPIPE]:
        signal.signal(number, signal.SIG_DFL)
    resource.setrlimit(resource.RLIMIT_CORE, (0, 0))  # SIGQUIT dumps none


def whole_prefix(out, full):
    return out.endswith(b"\n") and full.startswith(out) and len(out) < len(full)


def stop_signals(path):
    """Every stop signal ends the run by itself, with whole lines only: on a
    reader that reads, and at once on one that has stopped reading (so that
    one SIGTERM of timeout ends it); an ignored one stays ignored."""
    args = [LOTTO, "-q", "--verifica", "-j", "2", path]
    full = subprocess.run(args, capture_output=True).stdout
    for sig in STOP_SIGNALS:
        proc = subprocess.Popen(args, stdout=subprocess.PIPE,
                                preexec_fn=default_signals)
        head = proc.stdout.read1(4096)
        proc.send_signal(sig)
        out = head + proc.stdout.read()
        check(proc.wait(timeout=120) == -sig and whole_prefix(out, full),
              "%s while read: %d, %s" % (sig, proc.returncode, out[-100:]))
    for sig in (signal.SIGHUP, signal.SIGTERM):
        # The reader reads nothing until the run has ended.
        proc = subprocess.Popen(["timeout", "-s", str(int(sig)), "1"] + args,
                                stdout=subprocess.PIPE,
                                preexec_fn=default_signals)
        try:
            status = proc.wait(timeout=20)
        except subprocess.TimeoutExpired:
            proc.kill()
            status = None
        out = proc.stdout.read()
        check(status == 124 and whole_prefix(out, full),
              "%s, reader stopped: %s, %s" % (sig, status, out[-100:]))
    proc = subprocess.Popen(
        args, stdout=subprocess.PIPE,
        preexec_fn=lambda: signal.signal(signal.SIGHUP, signal.SIG_IGN))
    head = proc.stdout.read1(4096)
    proc.send_signal(signal.SIGHUP)
    out = head + proc.stdout.read()
    check(proc.wait(timeout=120) == 0 and out == full,
          "SIGHUP ignored: %d" % proc.returncode)


def output_into_input(good):
    """Standard output appended to an input: refused before any line."""
    path = os.path.join(SCRATCH, "own.txt")
    with open(path, "wb") as f:
        f.write(good)
    for args, stdin in (([path], None), (["-"], path), ([], path)):
        with open(path, "ab") as out:
            with open(stdin or os.devnull, "rb") as source:
                run = subprocess.run([LOTTO, "-q"] + args, stdin=source,
                                     stdout=out, stderr=subprocess.PIPE,
                                     timeout=60)
        with open(path, "rb") as f:
            check(run.returncode == 2 and f.read() == good and
                  b"standard output" in run.stderr,
                  "output into input %s: %d %s" % (args, run.returncode,
                                                   run.stderr))


def part_hostile():
    good = (sample_puzzles()[0] + "\n").encode()
    path = os.path.join(SCRATCH, "big.txt")
    with open(path, "wb") as f:
        f.write(large_input(random.Random(3), 50000, damaged=False,
                            names=["bench_17clue.txt"]))
    filter_pieces()
    nonblocking_input(good)
    resource_limits(good, path)
    stop_signals(path)
    output_into_input(good)


def drawn_again(puzzle, rng):
    """The puzzle under a random transform: digits relabelled, bands, rows
    within them, stacks and columns within them permuted, maybe
    transposed."""
    def lines():
        bands = rng.sample(range(3), 3)
        return [3 * b + r for b in bands for r in rng.sample(range(3), 3)]
    rows, cols = lines(), lines()
    digits = rng.sample("123456789", 9)
    cells = [puzzle[9 * rows[i // 9] + cols[i % 9]] for i in range(81)]
    if rng.random() < 0.5:
        cells = [cells[9 * (i % 9) + i // 9] for i in range(81)]
    return "".join(digits[int(c) - 1] if c != "." else "." for c in cells)


def part_doppioni():
    rng = random.Random(34)
    originals = sample_puzzles(["bench_17clue.txt"])[:25]
    lines, marks, firsts = [], [], {}
    for n in range(300):
        k = rng.randrange(len(originals))
        lines.append(drawn_again(originals[k], rng))
        marks.append(firsts.get(k, ""))
        firsts.setdefault(k, str(n + 1))
    data = "".join(p + "\n" for p in lines).encode()
    args = ["--doppioni", "--canonica"]
    one = subprocess.run([LOTTO, "-j", "1"] + args, input=data,
                         capture_output=True)
    table = rows(one.stdout)
    check(one.returncode == 0 and [r["doppione"] for r in table] == marks,
          "--doppioni marks: %d %s" % (one.returncode,
                                       [r["doppione"] for r in table]))
    forms = {}
    for r in table:
        forms.setdefault(r["canonica"], set()).add(
            r["doppione"] or r["numero"])
    check(len(forms) == len(firsts) and
          all(len(f) == 1 for f in forms.values()),
          "%d forms for %d puzzles" % (len(forms), len(firsts)))
    summary = "; distinti %d, doppioni %d\n" % (len(firsts),
                                                 300 - len(firsts))
    check(one.stderr.decode().endswith(summary),
          "summary: %s, expected %s" % (one.stderr, summary))
    many = lotto(["-j", "3"] + args, data)
    check(many.stdout == one.stdout and many.returncode == 0,
          "--doppioni -j 3 differs from -j 1")


def main():
    shutil.rmtree(SCRATCH, ignore_errors=True)
    os.makedirs(SCRATCH)
    globals()["part_" + PART]()
    if failures:
        print("%d failures" % len(failures))
        sys.exit(1)


if __name__ == "__main__":
    main()
