#!/usr/bin/env python3
"""vortel-valuta --passi --svg=DIR, end to end:

  valuta_svg.py VALUTA PUZZLES SCRATCH            the files and refusals
  valuta_svg.py VALUTA PUZZLES SCRATCH --render [--save PNG]

PUZZLES: examples/giochi.txt (its third puzzle's path has an X-Chain, a Turbot Fish).

- every picture of a chain puzzle and the index are well-formed XML
  (xmllint); one picture a step, the index's captions the steps' lines in
  order; givens drawn apart from placed digits; a chain's strong links
  solid and weak links dashed, with arrows;
- several puzzles: a folder each, their parts of the index in input order;
- --svg without --passi refused (1); a folder that cannot be written
  refused (2), before or during the run, never 0.
- --render: the Turbot Fish's picture drawn by headless Chromium, its
  pattern's cells filled where the picture puts them (SKIP, 77, without
  chromium);
  --save keeps the PNG (docs/chain-step.png is made so).
"""
import glob
import html
import os
import re
import shutil
import struct
import subprocess
import sys
import zlib

VALUTA, PUZZLES, SCRATCH = sys.argv[1:4]
SKIP = 77
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL:", message)


def run(args, stdin):
    return subprocess.run([VALUTA] + args, input=stdin, capture_output=True,
                          text=True, check=False)


def puzzle(n):
    with open(PUZZLES, encoding="utf-8") as f:
        return f.read().splitlines()[n - 1] + "\n"


def fresh(name):
    path = os.path.join(SCRATCH, name)
    shutil.rmtree(path, ignore_errors=True)
    return path


def step_lines(stdout):
    return [l.strip() for l in stdout.splitlines() if re.match(r"\s+\d+\. ", l)]


def chain_picture(folder):
    """The first picture with a strong link, and its text."""
    for path in sorted(glob.glob(os.path.join(folder, "0001", "*.svg"))):
        with open(path, encoding="utf-8") as f:
            text = f.read()
        if 'class="forte"' in text:
            return path, text
    return None, ""


def test_chain_puzzle():
    out = fresh("chain")
    # A picture left by an earlier, longer path is not taken for a step.
    os.makedirs(os.path.join(out, "0001"))
    for stale in ("passo-067.svg", "passo-068.svg"):
        with open(os.path.join(out, "0001", stale), "w",
                  encoding="utf-8") as f:
            f.write("x")
    r = run(["--passi", "--svg=" + out], puzzle(3))
    check(r.returncode == 0, f"chain puzzle: status {r.returncode}: {r.stderr}")
    steps = step_lines(r.stdout)
    pictures = sorted(glob.glob(os.path.join(out, "0001", "passo-*.svg")))
    check(len(steps) > 40 and len(pictures) == len(steps),
          f"{len(pictures)} pictures for {len(steps)} steps")
    files = pictures + [os.path.join(out, "index.html")]
    x = subprocess.run(["xmllint", "--noout"] + files, capture_output=True,
                       text=True, check=False)
    check(x.returncode == 0, "xmllint: " + x.stderr[:500])
    with open(os.path.join(out, "index.html"), encoding="utf-8") as f:
        index = f.read()
    captions = [html.unescape(c) for c in
                re.findall(r"<figcaption>(.*?)</figcaption>", index)]
    # The index's captions are the steps' lines, without the padding.
    check([re.sub(r"\s+", " ", c) for c in captions] ==
          [re.sub(r"\s+", " ", s) for s in steps],
          "the index's captions are not the steps in order")
    sources = re.findall(r'<img src="([^"]+)"', index)
    check(sources == [f"0001/passo-{n:03d}.svg"
                      for n in range(1, len(steps) + 1)],
          "the index's pictures are not the steps in order")
    check("ED=" in index and "passi.html" not in os.listdir(
        os.path.join(out, "0001")), "the index's part not joined")
    with open(pictures[-1], encoding="utf-8") as f:
        last = f.read()
    givens = sum(c != "." for c in puzzle(3).strip())
    # The last step is drawn in the grid its round was found in: the last
    # cell open, or a few more whose singles that round placed at once.
    placed = last.count('class="piazzato"')
    check(last.count('class="dato"') == givens and
          80 - givens - 8 <= placed <= 80 - givens,
          "the last picture's givens and placed digits")
    path, text = chain_picture(out)
    check(path is not None, "no picture with a strong link")
    weak = re.findall(r'<line class="debole"[^>]*>', text)
    strong = re.findall(r'<line class="forte"[^>]*>', text)
    check(weak and all("stroke-dasharray" in l and "marker-end" in l
                       for l in weak), "weak links not dashed with arrows")
    check(all("stroke-dasharray" not in l and "marker-end" in l
              for l in strong), "strong links not solid with arrows")
    check('class="tolto"' in text, "the chain's elimination not marked")


def test_several_and_refusals():
    out = fresh("several")
    multiple = "." * 81 + "\n"
    r = run(["--passi", "--svg", out, "-j", "2"],
            puzzle(2) + multiple + puzzle(4))
    check(r.returncode == 3, f"several: status {r.returncode}")
    with open(os.path.join(out, "index.html"), encoding="utf-8") as f:
        index = f.read()
    heads = re.findall(r"<h2>Gioco (\d+)</h2>", index)
    check(heads == ["1", "2", "3"], f"the index's puzzles: {heads}")
    check("multipla" in index, "the unrated puzzle's status not in the index")
    check(glob.glob(os.path.join(out, "0003", "passo-001.svg")) != [],
          "the third puzzle's pictures")
    for args, status in ((["--svg=" + out], 1),
                         (["--suggerimento", "--svg=" + out], 1),
                         (["--passi", "--svg="], 1)):
        r = run(args, puzzle(2))
        check(r.returncode == status and "vortel-valuta:" in r.stderr,
              f"{args}: status {r.returncode}, {r.stderr!r}")
    blocker = os.path.join(SCRATCH, "a-file")
    with open(blocker, "w", encoding="utf-8") as f:
        f.write("x")
    for target in (blocker, blocker + "/sub"):
        r = run(["--passi", "--svg=" + target], puzzle(2))
        check(r.returncode == 2 and "immagini" in r.stderr and r.stdout == "",
              f"{target}: status {r.returncode}, {r.stderr!r}")
    # A puzzle's folder that cannot be made, the run under way.
    out = fresh("blocked")
    os.makedirs(out)
    with open(os.path.join(out, "0002"), "w", encoding="utf-8") as f:
        f.write("x")
    r = run(["--passi", "--svg=" + out], puzzle(2) + puzzle(4))
    check(r.returncode == 2 and "0002" in r.stderr,
          f"a folder not made mid-run: status {r.returncode}, {r.stderr!r}")


def png_pixels(path):
    """(width, height, rows of RGB tuples) of an 8-bit RGB or RGBA PNG."""
    with open(path, "rb") as f:
        data = f.read()
    pos, idat, width, height, kind = 8, b"", 0, 0, 0
    while pos < len(data):
        length, tag = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if tag == b"IHDR":
            width, height, depth, kind = struct.unpack(">IIBB", body[:10])
            assert depth == 8 and kind in (2, 6), (depth, kind)
        elif tag == b"IDAT":
            idat += body
        pos += 12 + length
    size = 4 if kind == 6 else 3
    raw, stride, rows, prior = zlib.decompress(idat), width * size, [], None
    for y in range(height):
        line = raw[y * (stride + 1):(y + 1) * (stride + 1)]
        kind_of, row = line[0], bytearray(line[1:])
        for i in range(stride):
            a = row[i - size] if i >= size else 0
            b = prior[i] if prior else 0
            c = prior[i - size] if prior and i >= size else 0
            if kind_of == 1:
                row[i] = (row[i] + a) & 255
            elif kind_of == 2:
                row[i] = (row[i] + b) & 255
            elif kind_of == 3:
                row[i] = (row[i] + (a + b) // 2) & 255
            elif kind_of == 4:
                p = a + b - c
                near = min((abs(p - a), a), (abs(p - b), b), (abs(p - c), c),
                           key=lambda t: t[0])[1]
                row[i] = (row[i] + near) & 255
        rows.append([tuple(row[x * size:x * size + 3]) for x in range(width)])
        prior = row
    return width, height, rows


def near(colour, hex_colour):
    want = tuple(int(hex_colour[k:k + 2], 16) for k in (1, 3, 5))
    return all(abs(a - b) <= 8 for a, b in zip(colour, want))


def test_render(save):
    chromium = shutil.which("chromium") or shutil.which("chromium-browser")
    if chromium is None:
        print("SKIP: chromium not found (apt-get install chromium)")
        return SKIP
    out = fresh("render")
    run(["--passi", "--svg=" + out], puzzle(3))
    svg, text = chain_picture(out)
    if svg is None:
        check(False, "no chain picture to render")
        return 1
    png = os.path.join(out, "chain.png")
    size = re.search(r'width="(\d+)" height="(\d+)"', text).groups()
    subprocess.run([chromium, "--headless", "--disable-gpu", "--no-sandbox",
                    "--hide-scrollbars", "--screenshot=" + png,
                    f"--window-size={size[0]},{size[1]}", svg],
                   capture_output=True, check=False, timeout=120)
    check(os.path.exists(png), "chromium wrote no screenshot")
    if failures:
        return 1
    width, height, rows = png_pixels(png)
    check((width, height) == (int(size[0]), int(size[1])),
          f"screenshot {width}x{height}")
    cells = re.findall(r'class="motivo" data-cella="r\dc\d" x="(\d+)" '
                       r'y="(\d+)"[^>]*fill="(#[0-9a-f]{6})"', text)
    check(len(cells) >= 2, "the chain's cells not highlighted")
    # Between the candidates' squares, where only the cell's fill shows
    # (a link may cross one of the four points).
    for x, y, fill in cells:
        points = [(int(x) + dx, int(y) + dy) for dx in (20, 40)
                  for dy in (20, 40)]
        hits = sum(near(rows[py][px], fill) for px, py in points)
        check(hits >= 3, f"cell at {x},{y}: fill {fill} seen at {hits} of 4")
    # Cells outside the pattern without a digit stay white there.
    taken = {(int(c[0]), int(c[1])) for c in cells}
    plain = [(x, y) for x in range(20, 560, 60) for y in range(20, 560, 60)
             if (x, y) not in taken and f'x="{x + 30}" y="{y + 43}"' not in text
             and f'x="{x}" y="{y}" width' not in text]
    white = sum(near(rows[y + 20][x + 20], "#ffffff") for x, y in plain)
    check(plain and white >= len(plain) - 2,
          f"{white} of {len(plain)} cells outside the pattern white")
    if save:
        shutil.copyfile(png, save)
    return 1 if failures else 0


def main():
    os.makedirs(SCRATCH, exist_ok=True)
    if "--render" in sys.argv:
        save = sys.argv[sys.argv.index("--save") + 1] \
            if "--save" in sys.argv else None
        return test_render(save)
    test_chain_puzzle()
    test_several_and_refusals()
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
