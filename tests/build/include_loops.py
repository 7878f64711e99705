#!/usr/bin/env python3
"""Fails when the modules of a source tree include each other in a loop.

    include_loops.py SRC_DIR

A module is a header and its source file (a/b.h and a/b.cpp are module
a/b). Module X depends on module Y when a file of X includes Y's header.
Any cycle among modules (X -> Y -> ... -> X) is printed and fails the run,
so that the files form layers a reader can take one at a time.
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def modules(src):
    deps = {}
    for root, _, files in os.walk(src):
        for name in files:
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(root, name)
            module = os.path.splitext(os.path.relpath(path, src))[0]
            with open(path, encoding="utf-8") as f:
                included = INCLUDE.findall(f.read())
            targets = {os.path.splitext(i)[0] for i in included}
            deps.setdefault(module, set()).update(targets - {module})
    return {m: {d for d in ds if d in deps} for m, ds in deps.items()}


def find_cycle(deps):
    state = {}
    stack = []

    def visit(m):
        state[m] = 1
        stack.append(m)
        for d in sorted(deps[m]):
            if state.get(d) == 1:
                return stack[stack.index(d):] + [d]
            if d not in state:
                cycle = visit(d)
                if cycle:
                    return cycle
        stack.pop()
        state[m] = 2
        return None

    for m in sorted(deps):
        if m not in state:
            cycle = visit(m)
            if cycle:
                return cycle
    return None


def main():
    deps = modules(sys.argv[1])
    cycle = find_cycle(deps)
    if cycle:
        print("modules in a loop: " + " -> ".join(cycle))
        return 1
    print(f"{len(deps)} modules, no loop")
    return 0


if __name__ == "__main__":
    sys.exit(main())
