#!/bin/sh
# Plants known faults one at a time and reports which tests catch each:
#   tools/planted_faults.sh [BUILD_DIR [NAME_PATTERN]]
# Each fault is a one-line edit of a source file (FILE|TEXT|REPLACEMENT,
# the text taken literally, "\&" for "&" and "\|" for "|"); with a pattern
# (grep -E), only the faults whose names match it are planted. Every
# fault's text is looked for before the first is planted: a text no longer
# in its file (the code rewritten) stops the script with status 2, since a
# fault that is not planted would pass for one that is caught or survives. The build directory (default build, a Release
# build with the tests) is rebuilt for each fault and the whole suite run;
# the source is restored afterwards, and once more at the end; an interrupt
# (Ctrl-C, SIGTERM, SIGHUP) restores it too before the script ends. A fault
# that no test catches is a blind spot of the suite. It prints a Markdown
# table: fault, the failing tests (or SURVIVED), and the suite's time.
set -u
cd "$(dirname "$0")/.."
build=${1:-build}
pattern=${2:-}

# Puts back every source that a fault has replaced; the copies are named
# FILE.planted-fault-original.
restore() {
  for original in $(find src -name '*.planted-fault-original'); do
    mv "$original" "${original%.planted-fault-original}"
    touch "${original%.planted-fault-original}"
  done
}
trap 'restore; trap - EXIT; exit 130' INT
trap 'restore; trap - EXIT; exit 143' TERM
trap 'restore; trap - EXIT; exit 129' HUP
trap restore EXIT
faults=$(cat <<'LIST'
memo key without the cell index|src/solver/count.cpp|(static_cast<std::uint64_t>(problem.cell[i]) << 9)|(static_cast<std::uint64_t>(problem.cell[i] * 0) << 9)
one milestone per addition|src/solver/count.cpp|while (progress.total >= progress.next_milestone) {|for (int once = 0; once < 1 \&\& progress.total >= progress.next_milestone; ++once) {
memo hit not added to the total|src/solver/count.cpp|add_to_count(counter.progress, entry.count);|(void)entry;
the small form of 64 open cells has none open|src/solver/small_problem.cpp|start.open = n == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << n) - 1;|start.open = (std::uint64_t{1} << (n \& 63)) - 1;
the counter's first phase on one State for every level|src/solver/count.cpp|State\& work = counter.level[depth];|State\& work = counter.level[0];
the count's sum wraps instead of saturating|src/solver/count.cpp|    return std::numeric_limits<std::int64_t>::max();|    return sum;
lister branches on the last open cell|src/solver/lister.cpp|const int x = __builtin_ctzll(position.open);|const int x = 63 - __builtin_clzll(position.open);
search tries digits downwards|src/solver/ordered_search.cpp|const Digit digit = lowest_digit(candidates);|const Digit digit = make_digit(31 - __builtin_clz(candidates));
one search state shared by every call|src/solver/ordered_search.cpp|  OrderedSearch search;|  static OrderedSearch search;
first solution takes the known digit unasked|src/solver/search.cpp|  for (; digits != 0; digits \&= digits - 1) {|  for (digits = known ? 1U << known_digit : digits; digits != 0; digits \&= digits - 1) {
the first try branches on a band's last open cell|src/solver/search.cpp|const unsigned p = static_cast<unsigned>(__builtin_ctz(bands.open[b]));|const unsigned p = static_cast<unsigned>(31 - __builtin_clz(bands.open[b]));
the descent skips the digit the first try reached|src/solver/search.cpp|(1U << path.digit[level]) - 1|(2U << path.digit[level]) - 1
a column in two bands taken for one|src/solver/band_deductions.inc|             (columns[1] \& columns[2]);|             (columns[1] \& columns[2] \& 0);
a wrong neighbour band|src/solver/band_tables.h|  return b == 2 ? 0 : b + 1;|  return b == 2 ? 1 : b + 1;
a box mask missing a cell|src/solver/band_tables.h|kBandBoxCells = 0x1C0E07;|kBandBoxCells = 0x1C0E03;
-S drops solution 7777|src/front/report.cpp|print_board(g_sink, solution, g_title);|if (g_solution_count != 7777) print_board(g_sink, solution, g_title);
-S progress line whatever the sink|src/front/report.cpp|if (g_sink != stdout) {|if (true) {
signals past SIGTERM not caught|src/front/signals.cpp|for (const int number : kStopSignals) catch_one(number, stop);|for (const int number : kStopSignals) if (number <= SIGTERM) catch_one(number, stop);
a count's output file never complete|src/front/run.cpp|  if (g_settings.count) output_file_complete();|  (void)0;
a closed standard input reads as /dev/null|src/front/screen.cpp|    open("/", O_PATH);|    open("/dev/null", O_RDONLY);
the writable segment not counted|src/front/integrity.cpp|absorb(lane[2], writable_sum(segment, segments, count, load_bias));|absorb(lane[2], 0 * writable_sum(segment, segments, count, load_bias));
breakpoints allowed in constant data|src/front/self_check.cpp|const bool code = image.code[s];|const bool code = true;
an altered program runs its exit-time code|src/front/end_run.cpp|  std::_Exit(status);|  std::exit(status);
importa: 9999.txt left at four digits|src/importa/output.cpp|for (long n = 1; n <= out.count; ++n) {|for (long n = 1; n < out.count; ++n) {
importa: the LF of a CR LF counted as a line|src/recognise/stream.cpp|r.swallow_lf = b == '\r';|r.swallow_lf = false;
importa: a run of cells in a text line skipped|src/recognise/list_line.cpp|constexpr int kRowRun = 9;|constexpr int kRowRun = 101;
importa: a rule line inside a band passed|src/recognise/frame.cpp|if (separator.after != 3 \&\& separator.after != 6) {|if (separator.after != 3 \&\& separator.after != 6 \&\& false) {
importa: any second run taken for a solution|src/recognise/list_line.cpp|if (second \&\& r.last_open \&\& solves(puzzle, r.last)) return true;|if (second) return true;
importa: a run taken from inside a longer one|src/recognise/list_line.cpp|return take.row_gap_length > 0|return take.row_gap_length < 0
importa: the summary line's failure ignored|src/importa/commit.cpp|if (say_written(out) != kExitOk) return kExitFile;|(void)say_written(out);
importa: five-digit names not seen as a conversion|src/importa/files.cpp|return digits >= 4 \&\& std::strcmp(name + digits, ".txt") == 0;|return digits == 4 \&\& std::strcmp(name + digits, ".txt") == 0;
importa: a full non-blocking output taken for an error|src/importa/files.cpp|if (errno != EAGAIN \&\& errno != EWOULDBLOCK) return false;|return false;
importa: scratch beside an existing target|src/importa/output.cpp|if (is_directory(out.target)) {|if (false) {
importa: a signal after the commit undoes it|src/importa/main.cpp|  importa::finish_output(out);|  if (importa::interrupted()) importa::end_by_signal(out);
importa: any complete grid after a puzzle dropped|src/recognise/grid.cpp|if (r.last_open \&\& solves(puzzle, r.last)) return;|if (r.last_open) return;
recogniser: a comment's label kept past a fast line|src/recognise/fast_line.cpp|  r.label_length = 0;|  (void)0;
recogniser: a label cut inside a character|src/recognise/label.cpp|if (length + size > kMaxLabel) break;|if (length >= kMaxLabel) break;
recogniser: the smaller of two unlike separators taken for a grid's end|src/recognise/frame.cpp|six != nullptr \&\& six->lines >= three->lines ? six : three;|six != nullptr \&\& six->lines < three->lines ? six : three;
recogniser: a cut puzzle's solution read as a puzzle|src/recognise/frame.cpp|return givens > 0 \&\& (head \|\| tail);|return givens < 0 \&\& (head \|\| tail);
recogniser: a damaged row ends its grid|src/recognise/stream.cpp|if (row) {  // the grid goes on|if (false) {  // the grid goes on
recogniser: each row of a damaged grid reported|src/recognise/stream.cpp|if (!r.damaged \|\| !row) {|if (true) {
recogniser: o not a mark of a line's own|src/recognise/marks.cpp|return c == 'o' \|\| c == 'O' \|\||return c == 'O' \|\|
recogniser: fixed-width boxes of three refused|src/recognise/fixed.cpp|if (boxes.width != 3 \&\& boxes.width != 5|if (boxes.width != 5
batch: a read error's line number one short|src/batch/reader.cpp|r->line + (r->length > 0 ? 1 : 0);|r->line;
answers: U+001F raw in JSON|src/base/text.cpp|} else if (c < 0x20 \|\| c == 0x7F) {|} else if (c < 0x1F \|\| c == 0x7F) {
answers: DEL raw in a TSV column|src/base/text.cpp|add_char(t, c < 0x20 \|\| c == 0x7F ? ' ' : s[at]);|add_char(t, c < 0x20 ? ' ' : s[at]);
answers: a UTF-16 surrogate in UTF-8 passed into JSON|src/base/text.cpp|high = p[0] == 0xED ? 0x9F : 0xBF;|high = 0xBF;
answers: -j0 accepted|src/answers/arguments.cpp|  return n >= 1 \&\& n <= 1024;|  return n >= 0 \&\& n <= 1024;
answers: standard input named - in messages|src/answers/vocabulary.cpp|return std::strcmp(name, "-") == 0 ? "(standard input)" : name;|return name;
lotto: --minimo never tries the given at r9c9|src/lotto/answer.cpp|    if (puzzle.cell[i] == 0) continue;|    if (puzzle.cell[i] == 0 \|\| i == 80) continue;
lotto: --conta=1 gives the first solution found, not the smallest|src/lotto/answer.cpp|    only = found == 1 \&\& stop > 1;|    only = found == 1;
core: the first BMI2 path gathers a band's segments without the first|src/solver/unique.cpp|return _pext_u32(cells \| cells >> 1 \| cells >> 2, 0x1249249U);|return _pext_u32(cells \| cells >> 1 \| cells >> 2, 0x1249248U);
lotto: --conta alone counts to 3|src/lotto/options.cpp|    s.limit = 2;|    s.limit = 3;
lotto: a duplicate marked with the latest drawing, not the first|src/lotto/duplicates.cpp|      first = record(seen, held - 1).first;|      first = record(seen, held - 1).first; record(seen, held - 1).first = number;
lotto: --canonica=schema read as minlex|src/lotto/options.cpp|      s.definition = canon::Definition::kPattern;|      s.definition = canon::Definition::kMinlex;
batch: a want of memory in the ordered pass not said|src/batch/pipeline.cpp|    if (!rewritten) s.outcome.no_memory = true;|    (void)rewritten;
valuta: --fino drops the tenths|src/valuta/options.cpp|  tenths = 10 * whole + tenth;|  tenths = 10 * whole + 0 * tenth;
valuta: --passi and --suggerimento taken together|src/valuta/options.cpp|  good = !chosen \|\| options.mode == mode;|  good = true;
valuta: --tecniche=-X alone allows nothing|src/valuta/options.cpp|  mask = (allowed != 0 ? allowed : logic::kAllTechniques) \& ~denied;|  mask = allowed \& ~denied;
valuta: a hint on a solved grid exits 3|src/valuta/hint.cpp|    report_plain(t, "Il gioco è già risolto", options.json);|    report_plain(t, "Il gioco è già risolto", options.json); if (g.open == 0) return kExitUnrated;
ladder: a unique rectangle type 2 rated 4.5|src/logic/uniqueness.cpp|constexpr int kType2 = 1;|constexpr int kType2 = 0;
ladder: the unique loop not a uniqueness technique|src/logic/ladder.cpp|{"Unique Loop", "unique-loop", 45, true,|{"Unique Loop", "unique-loop", 45, false,
ladder: a first placement at r1c1 not counted for EP|src/logic/ladder.cpp|if (!placed \&\& step.cell >= 0) {|if (!placed \&\& step.cell > 0) {
ladder: the Y-cycle on base 6.7|src/logic/ladder.cpp|{"Bidirectional Y-Cycle", "y-cycle", 66,|{"Bidirectional Y-Cycle", "y-cycle", 67,
ladder: multiple-chain branches told dynamically|src/logic/branches.cpp|return ladder(size)[step.technique].mode;|return ladder(size)[step.technique].mode == Mode::kStatic ? Mode::kDynamic : ladder(size)[step.technique].mode;
ladder: a limit stops a puzzle rated exactly at it|src/logic/ladder.cpp|r.er > options.limit \&\& g.open > 0|r.er >= options.limit \&\& g.open > 0
ladder: pointing rated 2.7|src/logic/ladder.cpp|"pointing", 26,|"pointing", 27,
ladder: the length modifier's first threshold at 5|src/logic/chains.cpp|int ceiling = 4;|int ceiling = 5;
ladder: dynamic chains assume candidates true only|src/logic/forcing.cpp|if (!on \&\& !is_dynamic(c.mode)) continue;|if (!on) continue;
ladder: a BUG of several cells rated as one of one|src/logic/uniqueness.cpp|return removes \&\& offer_grave(bug, step, 2, kType2, sink);|return removes \&\& offer_grave(bug, step, 2, kType1, sink);
ladder: a BUG type 3 rated as type 2 whatever its set|src/logic/uniqueness.cpp|offer_grave(bug, step, 3, kType2 + m, sink)|offer_grave(bug, step, 3, kType2 + 0 * m, sink)
ladder: a BUG type 4 rated as type 1|src/logic/uniqueness.cpp|offer_grave(bug, step, 4, kType2, sink)|offer_grave(bug, step, 4, kType1, sink)
ladder: a unique rectangle hidden type 3 rated a cell short|src/logic/uniqueness.cpp|roof.added + kType3 + k - 1;|roof.added + kType3 + k - 2;
ladder: a unique loop type 3 rated as a rectangle's|src/logic/loops.cpp|roof.added = length_added(loop.length);|roof.added = 0;
ladder: aligned triple exclusion blind to a cell seeing two of the three|src/logic/exclusion.cpp|digit_count(digits) > bits(sees)) continue;|digit_count(digits) > bits(sees) \|\| sees != 7U) continue;
ladder: a unique loop of eight cells rated as one of six|src/logic/loops.cpp|return length <= 6 ? 0 : length == 8 ? 1 : 2;|return length <= 8 ? 0 : 2;
ladder: a chain step's node count printed one short|src/logic/notation.cpp|append_format(t, " (length %d)", step.nodes);|append_format(t, " (length %d)", step.nodes - 1);
ladder: a direct hidden pair rated as a naked single|src/logic/ladder.cpp|"direct-hidden-pair", 20,|"direct-hidden-pair", 23,
valuta: a stuck path's bound past the gaps in --tecniche|src/valuta/process.cpp|if (!((options.allowed >> t) \& 1U)) break;|if (!((options.allowed >> t) \& 1U)) continue;
valuta: --candidati alone taken|src/valuta/options.cpp|if (options.candidates \&\& options.mode == Report::kRate|if (false \&\& options.candidates \&\& options.mode == Report::kRate
valuta: a conflict's givens kept whether needed or not|src/valuta/hint.cpp|if (logic::solve(kept, solution) != logic::Solutions::kNone) {|if (logic::solve(kept, solution) != logic::Solutions::kNone \|\| true) {
valuta: a picture not written ends with status 0|src/valuta/main.cpp|if (outcome.kinds[kUnreadable] != 0 \|\| outcome.kinds[kNotDrawn] != 0)|if (outcome.kinds[kUnreadable] != 0)
valuta: --svg without --passi taken|src/valuta/options.cpp|if (options.svg_dir != nullptr \&\& options.mode != Report::kSteps \&\&|if (false \&\& options.mode != Report::kSteps \&\&
valuta: a chain's cells not filled in its picture|src/logic/notation.cpp|add(cells, step.chain[k].cell);|(void)step.chain[k].cell;
valuta: a chain's weak links drawn as strong|src/valuta/picture.cpp|a.on ? "debole" : "forte", x1|a.on ? "forte" : "debole", x1
ladder: a contradiction's branch count one short|src/logic/branches.cpp|int shown = contradiction ? 1 : 2;|int shown = contradiction ? 0 : 2;
ladder: a node keeps the first way its layer meets|src/logic/propagation.cpp|if (p.derived[node] != kQueued \|\| c.key == nullptr) return;|return;
ladder: an emptied unit's conflicts left to the order|src/logic/propagation.cpp|meet(p, nodes, size, kConflict);|(void)nodes;
ladder: the multiple chains take contradictions of one assumption|src/logic/forcing.cpp|if (mode != Mode::kStatic) contradictions(s, best);|contradictions(s, best);
ladder: a nested chain's inner refutation weighs one node|src/logic/nested.cpp|derive(c, p, premise ^ 1, parents, n, size < 65535 ? size : 65535);|derive(c, p, premise ^ 1, parents, n);
ladder: nested chains of two levels on base 9.9|src/logic/ladder.cpp|"nested-forcing-chain-2", 100,|"nested-forcing-chain-2", 99,
ladder: nested chains of three levels on base 10.4|src/logic/ladder.cpp|"nested-forcing-chain-3", 105,|"nested-forcing-chain-3", 104,
ladder: a BUG of one cell with two extra digits removes them|src/logic/uniqueness.cpp|step.removed[cell] = static_cast<DigitSet>(g.candidates[cell] \& ~extra);|step.removed[cell] = static_cast<DigitSet>(g.candidates[cell] \& extra);
notation: an X-Chain of two strong links not named Turbot Fish|src/logic/notation.cpp|"x-chain") == 0 \&\& step.chain_length == 6 \&\&|"x-chain") == 0 \&\& step.chain_length == 8 \&\&
valuta: --candidati marks no removed candidate|src/valuta/hint.cpp|if (removed) marks.removed = step.removed;|(void)removed;
valuta: --suggerimento N takes no level|src/valuta/options.cpp|level = hint_level(argv[++i]);|(void)argv[++i];
LIST
)
if [ -n "$pattern" ]; then
  faults=$(echo "$faults" | grep -E "^[^|]*($pattern)")
fi
if [ -z "$faults" ]; then
  echo "planted_faults.sh: no fault named like '$pattern'" >&2
  exit 2
fi
# Each fault's text in its file, before anything is planted.
missing=$(echo "$faults" | python3 -c '
import sys
for entry in sys.stdin.read().splitlines():
    name, path, text = entry.replace("\\|", "\0").split("|")[:3]
    text = text.replace("\0", "|").replace("\\&", "&")
    try:
        found = text in open(path).read()
    except OSError:
        found = False
    if not found:
        print(f"{name}: {path}: text not found: {text}")
')
if [ -n "$missing" ]; then
  echo "$missing" >&2
  exit 2
fi
printf '| planted fault | caught by | suite s |\n|---|---|---:|\n'
while IFS= read -r entry; do
  # The fields, with "\|" kept apart from the separators.
  name=$(printf '%s' "$entry" | cut -d'|' -f1)
  file=$(printf '%s' "$entry" | cut -d'|' -f2)
  cp "$file" "$file.planted-fault-original"
  if ! python3 - "$entry" <<'PY'
import sys
fields = sys.argv[1].replace("\\|", "\0").split("|")
path, text, replacement = (
    f.replace("\0", "|").replace("\\&", "&") for f in fields[1:4])
source = open(path).read()
if text not in source:
    sys.exit(f"{path}: text not found: {text}")
open(path, "w").write(source.replace(text, replacement, 1))
PY
  then
    exit 2  # the EXIT trap puts the sources back
  fi
  if ! cmake --build "$build" > /dev/null 2>&1; then
    caught="(does not build)"
    seconds=0
  else
    start=$(date +%s)
    # The failed tests ctest lists at the end; a test skipped (a tool the
    # machine lacks) is listed there too and is no catch.
    caught=$(ctest --test-dir "$build" -j2 2>&1 | grep -v '(Skipped)$' |
      sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) (.*/\1/p' | tr '\n' ' ')
    seconds=$(( $(date +%s) - start ))
  fi
  restore  # newer than the faulty build, so that it is rebuilt
  printf '| %s | %s | %s |\n' "$name" "${caught:-SURVIVED}" "$seconds"
done <<EOF
$faults
EOF
cmake --build "$build" > /dev/null 2>&1
