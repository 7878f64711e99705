#include "valuta/picture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "answers/vocabulary.h"
#include "logic/ladder.h"

namespace valuta {

namespace {

using logic::append;
using logic::append_format;
using logic::Text;

// The drawing's measures, in pixels: a cell of 60, each candidate in a
// square of 20 of it, a margin of 20 around the grid.
constexpr int kCell = 60;
constexpr int kMark = 20;
constexpr int kMargin = 20;
constexpr int kSize = 2 * kMargin + 9 * kCell;

// The colours, named once: what a test of the picture looks for.
constexpr const char* kPatternFill = "#ffe27a";
constexpr const char* kPlacementFill = "#b9efb4";
constexpr const char* kRemovedRed = "#d11a1a";
constexpr const char* kLinkColour = "#7a3db8";

int cell_x(int cell) {
  return kMargin + kCell * logic::column_of(cell);
}
int cell_y(int cell) {
  return kMargin + kCell * logic::row_of(cell);
}
// The centre of candidate d's square in its cell.
int mark_x(int cell, int d) {
  return cell_x(cell) + kMark / 2 + kMark * ((d - 1) % 3);
}
int mark_y(int cell, int d) {
  return cell_y(cell) + kMark / 2 + kMark * ((d - 1) / 3);
}

// Text for XML and HTML: the sentences hold "=>" and "<>".
void append_escaped(Text& t, const char* s) {
  char one[2] = {0, 0};
  for (; *s != '\0'; ++s) {
    switch (*s) {
    case '<':
      append(t, "&lt;");
      break;
    case '>':
      append(t, "&gt;");
      break;
    case '&':
      append(t, "&amp;");
      break;
    case '"':
      append(t, "&quot;");
      break;
    default:
      one[0] = *s;
      append(t, one);
    }
  }
}

// The step's notation and its sentence, one line, unescaped.
void step_text(char* buffer, std::size_t size, const logic::Step& step, int n) {
  Text t{buffer, size};
  append_format(t, "%d. %d.%d  ", n, step.rating / 10, step.rating % 10);
  logic::write_step(t, step);
  append(t, "  -- ");
  logic::write_sentence(t, step);
  buffer[t.length < size ? t.length : size - 1] = '\0';
}

void append_head(Text& t, const logic::Step& step, int n) {
  append_format(
      t,
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" font-family=\"sans-serif\" width=\"%d\""
      " height=\"%d\" viewBox=\"0 0 %d %d\">\n<title>",
      kSize, kSize, kSize, kSize);
  char line[4096];
  step_text(line, sizeof line, step, n);
  append_escaped(t, line);
  append(t, "</title>\n<defs>\n");
  // Arrow heads at a link's end, in the link's colour.
  append_format(t,
                "<marker id=\"freccia\" viewBox=\"0 0 10 10\" refX=\"9\""
                " refY=\"5\" markerWidth=\"7\" markerHeight=\"7\""
                " orient=\"auto\"><path d=\"M0,0 L10,5 L0,10 z\""
                " fill=\"%s\"/></marker>\n</defs>\n",
                kLinkColour);
  append_format(t,
                "<rect x=\"0\" y=\"0\" width=\"%d\" height=\"%d\""
                " fill=\"#ffffff\"/>\n",
                kSize, kSize);
}

// The pattern's cells filled (a chain's: the cells of its nodes, which
// the step's cells need not hold), and the placement's cell in green.
void append_fills(Text& t, const logic::Step& step) {
  const logic::CellSet pattern = logic::marked_cells(step);
  for (int cell = 0; cell < 81; ++cell) {
    const bool placed = cell == step.cell;
    if (!placed && !logic::has(pattern, cell)) continue;
    append_format(t,
                  "<rect class=\"%s\" data-cella=\"r%dc%d\" x=\"%d\" y=\"%d\""
                  " width=\"%d\" height=\"%d\" fill=\"%s\"/>\n",
                  placed ? "piazzamento" : "motivo", logic::row_of(cell) + 1,
                  logic::column_of(cell) + 1, cell_x(cell), cell_y(cell), kCell,
                  kCell, placed ? kPlacementFill : kPatternFill);
  }
}

// Thin lines between the cells, thick ones around the boxes, drawn over
// the fills.
void append_lines(Text& t) {
  for (int k = 0; k <= 9; ++k) {
    const bool box = k % 3 == 0;
    const int at = kMargin + kCell * k;
    const char* style = box ? "stroke=\"#000000\" stroke-width=\"3\""
                            : "stroke=\"#9a9a9a\" stroke-width=\"1\"";
    append_format(t,
                  "<line x1=\"%d\" y1=\"%d\" x2=\"%d\" y2=\"%d\" %s/>\n"
                  "<line x1=\"%d\" y1=\"%d\" x2=\"%d\" y2=\"%d\" %s/>\n",
                  at, kMargin, at, kSize - kMargin, style, kMargin, at,
                  kSize - kMargin, at, style);
  }
}

// A candidate: plain, removed (a red ring and a red stroke through it), or
// the digit placed (a green disc).
void append_mark(Text& t, int cell, int d, const logic::Step& step) {
  const int x = mark_x(cell, d);
  const int y = mark_y(cell, d);
  const bool removed = logic::carries(step.removed[cell], d);
  const bool placed = cell == step.cell && d == step.digit;
  if (removed) {
    append_format(t,
                  "<circle class=\"tolto\" cx=\"%d\" cy=\"%d\" r=\"9\""
                  " fill=\"#ffd6d6\" stroke=\"%s\" stroke-width=\"1.5\"/>\n",
                  x, y, kRemovedRed);
  } else if (placed) {
    append_format(t,
                  "<circle class=\"posto\" cx=\"%d\" cy=\"%d\" r=\"9\""
                  " fill=\"#3fae3a\"/>\n",
                  x, y);
  }
  append_format(
      t,
      "<text x=\"%d\" y=\"%d\" font-size=\"14\" text-anchor=\"middle\""
      " fill=\"%s\">%d</text>\n",
      x, y + 5,
      removed  ? kRemovedRed
      : placed ? "#ffffff"
               : "#555555",
      d);
  if (removed) {
    append_format(t,
                  "<line x1=\"%d\" y1=\"%d\" x2=\"%d\" y2=\"%d\" stroke=\"%s\""
                  " stroke-width=\"1.5\"/>\n",
                  x - 6, y + 6, x + 6, y - 6, kRemovedRed);
  }
}

// The digits: givens bold and black, placed ones blue, and each open
// cell's candidates.
void append_digits(Text& t, const base::Puzzle& puzzle, const logic::Grid& g,
                   const logic::Step& step) {
  for (int cell = 0; cell < 81; ++cell) {
    const int digit = g.digit[cell];
    if (digit != 0) {
      const bool given = puzzle.cell[cell] != 0;
      append_format(t,
                    "<text class=\"%s\" x=\"%d\" y=\"%d\" font-size=\"38\""
                    " text-anchor=\"middle\" font-weight=\"%s\""
                    " fill=\"%s\">%d</text>\n",
                    given ? "dato" : "piazzato", cell_x(cell) + kCell / 2,
                    cell_y(cell) + kCell / 2 + 13, given ? "bold" : "normal",
                    given ? "#000000" : "#1f4fd1", digit);
      continue;
    }
    for (int d = 1; d <= 9; ++d) {
      if (logic::carries(g.candidates[cell], d)) append_mark(t, cell, d, step);
    }
  }
}

// The square root of a length (x >= 1) by Newton's steps: the program
// links the C library alone, and std::sqrt may call libm's.
double root(double x) {
  double r = x;
  for (int i = 0; i < 64; ++i) r = 0.5 * (r + x / r);
  return r;
}

// A link from node a to node b, between their rings: the arrow's tip
// touches b's ring. From a true node a weak link (dashed), from a false
// one a strong link (solid).
void append_link(Text& t, const logic::Node& a, const logic::Node& b) {
  const double x1 = mark_x(a.cell, a.digit);
  const double y1 = mark_y(a.cell, a.digit);
  const double x2 = mark_x(b.cell, b.digit);
  const double y2 = mark_y(b.cell, b.digit);
  const double length =
      root((x2 - x1) * (x2 - x1) + (y2 - y1) * (y2 - y1) + 1e-9);
  if (length < 1) return;
  const double ux = (x2 - x1) / length;
  const double uy = (y2 - y1) / length;
  constexpr double kRing = 10.5;
  append_format(
      t,
      "<line class=\"%s\" x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\""
      " stroke=\"%s\" stroke-width=\"2\"%s marker-end=\"url(#freccia)\"/>\n",
      a.on ? "debole" : "forte", x1 + kRing * ux, y1 + kRing * uy,
      x2 - kRing * ux, y2 - kRing * uy, kLinkColour,
      a.on ? " stroke-dasharray=\"6 4\"" : "");
}

// A chain's nodes ringed (true: solid, false: dotted) and its links: from a
// true node to a false one a weak link (dashed), from a false to a true one
// a strong link (solid), each with an arrow at its end. The forcing chains
// of many branches keep their assumptions, not links: only ringed.
void append_chain(Text& t, const logic::Step& step) {
  int size = 0;
  const bool links =
      logic::ladder(size)[step.technique].mode == logic::Mode::kNone;
  for (int i = 0; i < step.chain_length && i < logic::kMaxChain; ++i) {
    const logic::Node& a = step.chain[i];
    append_format(t,
                  "<circle class=\"nodo\" cx=\"%d\" cy=\"%d\" r=\"9.5\""
                  " fill=\"none\" stroke=\"%s\" stroke-width=\"2\"%s/>\n",
                  mark_x(a.cell, a.digit), mark_y(a.cell, a.digit), kLinkColour,
                  a.on ? "" : " stroke-dasharray=\"2 2\"");
    if (!links || i + 1 >= step.chain_length || i + 1 >= logic::kMaxChain)
      continue;
    const logic::Node& b = step.chain[i + 1];
    if (a.on == b.on) continue;  // not a link of the alternating kind
    append_link(t, a, b);
  }
}

// The folder of the puzzle numbered `number`, and a file in it ("": the
// folder); false when the path does not fit.
bool path_of(char* path, std::size_t size, const char* dir, long long number,
             const char* file) {
  const int n = std::snprintf(path, size, "%s/%04lld%s%s", dir, number,
                              *file != '\0' ? "/" : "", file);
  return n > 0 && static_cast<std::size_t>(n) < size;
}

void fail(PictureError& problem, const char* path, int error) {
  if (problem.error != 0) return;
  problem.error = error != 0 ? error : EIO;
  std::snprintf(problem.path, sizeof problem.path, "%s", path);
}

bool write_file(const char* path, const char* data, std::size_t size,
                PictureError& problem) {
  std::FILE* f = std::fopen(path, "w");
  if (f == nullptr) {
    fail(problem, path, errno);
    return false;
  }
  const bool written = std::fwrite(data, 1, size, f) == size;
  const int error = errno;
  if (std::fclose(f) != 0 || !written) {
    fail(problem, path, written ? errno : error);
    return false;
  }
  return true;
}

bool make_directory(const char* path) {
  struct stat st {};
  if (::mkdir(path, 0777) == 0) return true;
  return errno == EEXIST && ::stat(path, &st) == 0 && S_ISDIR(st.st_mode)
             ? true
             : (errno = errno == EEXIST ? ENOTDIR : errno, false);
}

}  // namespace

bool prepare_directory(const char* dir, PictureError& problem) {
  char path[sizeof problem.path];
  const int n = std::snprintf(path, sizeof path, "%s", dir);
  if (n <= 0 || static_cast<std::size_t>(n) >= sizeof path) {
    fail(problem, dir, ENAMETOOLONG);
    return false;
  }
  // Each parent in turn, then DIR itself, as mkdir -p.
  for (char* p = path + 1; *p != '\0'; ++p) {
    if (*p != '/') continue;
    *p = '\0';
    const bool made = make_directory(path);
    *p = '/';
    if (!made) {
      fail(problem, dir, errno);
      return false;
    }
  }
  if (!make_directory(path)) {
    fail(problem, dir, errno);
    return false;
  }
  // Permissions do not stop every user (root): a file written and removed
  // is the only sure answer.
  std::snprintf(path, sizeof path, "%s/.vortel-prova", dir);
  if (!write_file(path, "", 0, problem)) return false;
  std::remove(path);
  return true;
}

void append_svg(Text& t, const base::Puzzle& puzzle, const logic::Grid& before,
                const logic::Step& step, int n) {
  append_head(t, step, n);
  append_fills(t, step);
  append_lines(t);
  append_digits(t, puzzle, before, step);
  append_chain(t, step);
  append(t, "</svg>\n");
}

bool open_album(Album& album, const base::Puzzle& puzzle) {
  char path[4096];
  if (!path_of(path, sizeof path, album.dir, album.number, "")) {
    fail(*album.problem, album.dir, ENAMETOOLONG);
    return false;
  }
  if (!make_directory(path)) {
    fail(*album.problem, path, errno);
    return false;
  }
  path_of(path, sizeof path, album.dir, album.number, "passi.html");
  album.page = std::fopen(path, "w");
  if (album.page == nullptr) {
    fail(*album.problem, path, errno);
    return false;
  }
  char digits[82];
  Text line{digits, sizeof digits};
  answers::add_puzzle(line, puzzle);
  digits[line.length] = '\0';
  std::fprintf(album.page,
               "<section>\n<h2>Gioco %lld</h2>\n<p class=\"gioco\">%s</p>\n",
               album.number, digits);
  return true;
}

void add_picture(Album& album, const base::Puzzle& puzzle,
                 const logic::Grid& before, const logic::Step& step, int n) {
  if (album.page == nullptr || album.problem->error != 0) return;
  // A few hundred bytes a candidate at most: 81 cells of nine, the chain.
  static thread_local char svg[1 << 18];
  Text t{svg, sizeof svg};
  append_svg(t, puzzle, before, step, n);
  char name[32];
  std::snprintf(name, sizeof name, "passo-%03d.svg", n);
  char path[4096];
  if (t.cut || !path_of(path, sizeof path, album.dir, album.number, name)) {
    fail(*album.problem, album.dir, t.cut ? ENOBUFS : ENAMETOOLONG);
    return;
  }
  if (!write_file(path, svg, t.length, *album.problem)) return;
  album.steps = n;
  char line[4096];
  step_text(line, sizeof line, step, n);
  char escaped[6 * sizeof line];
  Text e{escaped, sizeof escaped};
  append_escaped(e, line);
  escaped[e.length] = '\0';
  std::fprintf(album.page,
               "<figure>\n<img src=\"%04lld/%s\" width=\"%d\" height=\"%d\""
               " alt=\"passo %d\"/>\n<figcaption>%s</figcaption>\n</figure>\n",
               album.number, name, kSize, kSize, n, escaped);
}

void close_album(Album& album, const char* result) {
  if (album.page == nullptr) return;
  for (int n = album.steps + 1;; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "passo-%03d.svg", n);
    char path[4096];
    if (!path_of(path, sizeof path, album.dir, album.number, name) ||
        std::remove(path) != 0) {
      break;
    }
  }
  std::fprintf(album.page, "<p class=\"esito\">%s</p>\n</section>\n", result);
  const bool failed = std::ferror(album.page) != 0;
  const int error = errno;
  if (std::fclose(album.page) != 0 || failed) {
    char path[4096];
    path_of(path, sizeof path, album.dir, album.number, "passi.html");
    fail(*album.problem, path, failed ? error : errno);
  }
  album.page = nullptr;
}

namespace {

// Copies the puzzle's part into the index and removes it; true when there
// was none (an entry that was no puzzle) or it was copied.
bool copy_part(std::FILE* index, const char* dir, long long number,
               PictureError& problem) {
  char path[4096];
  if (!path_of(path, sizeof path, dir, number, "passi.html")) return true;
  std::FILE* part = std::fopen(path, "r");
  if (part == nullptr) {
    if (errno == ENOENT || errno == ENOTDIR) return true;
    fail(problem, path, errno);
    return false;
  }
  char buffer[65536];
  std::size_t n = 0;
  bool good = true;
  while ((n = std::fread(buffer, 1, sizeof buffer, part)) > 0) {
    good = good && std::fwrite(buffer, 1, n, index) == n;
  }
  const bool read = std::ferror(part) == 0;
  std::fclose(part);
  if (!read) fail(problem, path, EIO);
  if (read && good) std::remove(path);
  return read && good;
}

}  // namespace

bool write_index(const char* dir, long long last, PictureError& problem) {
  char path[4096];
  std::snprintf(path, sizeof path, "%s/index.html", dir);
  std::FILE* index = std::fopen(path, "w");
  if (index == nullptr) {
    fail(problem, path, errno);
    return false;
  }
  std::fputs(
      "<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"it\">\n<head>\n"
      "<meta charset=\"UTF-8\"/>\n<title>vortel-valuta: i passi</title>\n"
      "<style>body{font-family:sans-serif;margin:2em}"
      "figure{margin:1.5em 0}figcaption{max-width:580px}"
      ".gioco{font-family:monospace}</style>\n"
      "</head>\n<body>\n<h1>I passi</h1>\n",
      index);
  bool good = true;
  for (long long number = 1; number <= last && good; ++number) {
    good = copy_part(index, dir, number, problem);
  }
  std::fputs("</body>\n</html>\n", index);
  const bool failed = std::ferror(index) != 0;
  const int error = errno;
  if (std::fclose(index) != 0 || failed) {
    fail(problem, path, failed ? error : errno);
    return false;
  }
  return good;
}

}  // namespace valuta
