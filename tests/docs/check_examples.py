#!/usr/bin/env python3
"""Runs every `$ ` example of a document and compares its output with the
text shown under it, so that an example that drifts from the program fails.

    check_examples.py DOCUMENT BIN_DIR EXAMPLES_DIR SCRATCH

DOCUMENT is Markdown (examples in fenced blocks) or a manual page (examples
between .nf and .fi; roff escapes are undone). Every line that starts with
"$ " is a command; the lines after it, up to the next command or the end of
the block, are its output as a terminal shows it. The commands of one
document run in order, with sh, in one scratch directory that holds a copy
of EXAMPLES_DIR as examples/; BIN_DIR comes first on PATH and also stands as
build/ (so "./build/vortel" and "vortel" both name the program under test),
and /usr/share/doc/vortel/examples names the copy too.

Output is rendered as a terminal shows it: a carriage return moves back to
the start of the line and the next characters overwrite. Elapsed-time
figures are recognised only where they are exactly what "%.2f" prints, and
set to 0.00 in both texts before the rendering: a figure of another width
(10.00 s on a loaded machine) would otherwise leave a different tail of the
line it overwrites.
"""
import os
import re
import shutil
import subprocess
import sys

TIME = re.compile(r"(Tempo di cpu|Tempo CPU) = (?:0|[1-9][0-9]*)\.[0-9]{2} s")


def examples_in_markdown(text):
    blocks, block, fenced = [], [], False
    for line in text.split("\n"):
        if line.startswith("```"):
            if fenced:
                blocks.append(block)
            block, fenced = [], not fenced
        elif fenced:
            block.append(line)
    return blocks


def unroff(line):
    return line.replace("\\-", "-").replace("\\e", "\\").replace("\\(aq", "'")


def examples_in_manpage(text):
    blocks, block, nofill = [], [], False
    for line in text.split("\n"):
        if line.startswith(".nf"):
            block, nofill = [], True
        elif line.startswith(".fi"):
            blocks.append(block)
            nofill = False
        elif nofill and not line.startswith("."):
            block.append(unroff(line))
    return blocks


def commands(blocks):
    """(command, expected output) pairs, in document order."""
    pairs = []
    for block in blocks:
        current = None
        for line in block:
            if line.startswith("$ "):
                if current:
                    pairs.append(current)
                current = (line[2:], [])
            elif current:
                current[1].append(line)
        if current:
            pairs.append(current)
    return [(cmd, "\n".join(out)) for cmd, out in pairs]


def render(raw):
    """What a terminal shows for these bytes: carriage returns overwrite."""
    lines = []
    for line in raw.split("\n"):
        shown = []
        column = 0
        for ch in line:
            if ch == "\r":
                column = 0
                continue
            if column < len(shown):
                shown[column] = ch
            else:
                shown.append(ch)
            column += 1
        lines.append("".join(shown))
    return "\n".join(lines)


def main():
    document, bin_dir, examples, scratch = sys.argv[1:5]
    text = open(document, encoding="utf-8").read()
    blocks = (examples_in_manpage(text) if document.endswith(".1")
              else examples_in_markdown(text))
    pairs = commands(blocks)
    if not pairs:
        print(f"{document}: no $ examples found")
        return 1
    shutil.rmtree(scratch, ignore_errors=True)
    os.makedirs(scratch)
    shutil.copytree(examples, os.path.join(scratch, "examples"))
    os.symlink(os.path.abspath(bin_dir), os.path.join(scratch, "build"))
    env = dict(os.environ, PATH=os.path.abspath(bin_dir) + ":" + os.environ["PATH"],
               LC_ALL="C")
    failed = 0
    for command, expected in pairs:
        run = command.replace("/usr/share/doc/vortel/examples", "examples")
        result = subprocess.run(["sh", "-c", run], cwd=scratch, env=env,
                                stdin=subprocess.DEVNULL, capture_output=True)
        shown = render(TIME.sub(r"\1 = 0.00 s",
                                result.stdout.decode("utf-8", "replace")))
        # A command's output ends with a newline; the document shows the
        # lines before it.
        if shown.endswith("\n"):
            shown = shown[:-1]
        if shown != TIME.sub(r"\1 = 0.00 s", expected):
            failed += 1
            print(f"FAIL: {document}: $ {command}")
            print("--- shown in the document")
            print(repr(expected))
            print("--- printed now")
            print(repr(shown))
            print(f"--- exit status {result.returncode}, standard error")
            print(repr(result.stderr.decode("utf-8", "replace")))
    print(f"{document}: {len(pairs) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
