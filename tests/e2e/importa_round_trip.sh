#!/bin/sh
# Round trip: importa_round_trip.sh IMPORTA VORTEL CORPUS SCRATCH
# 1. Every 81-character puzzle of the corpus (puzzle:solutions:trials),
#    imported and given to vortel -c, has the known number of solutions.
# 2. vortel's -S file of a puzzle with 57 solutions imports back into 59
#    puzzles: the loaded puzzle itself, the board after the mathematical
#    process, then each solution, which vortel accepts as a complete,
#    consistent grid.
set -u
importa=$1
vortel=$2
corpus=$3
scratch=$4
rm -rf "$scratch"
mkdir -p "$scratch"
cd "$scratch" || exit 1
fail=0

grep -v '^#' "$corpus" | while IFS=: read -r puzzle solutions _; do
  printf '%s\n' "$puzzle" | "$importa" > p.txt || { echo "FAIL: import $puzzle"; exit 1; }
  "$vortel" p.txt -c > out.txt
  if [ "$solutions" = 1 ] && grep -q 'solo processo matematico' out.txt; then
    continue
  fi
  if ! grep -q "ammette $solutions soluzion" out.txt; then
    echo "FAIL: $puzzle: not $solutions solutions after the import"
    exit 1
  fi
done || fail=1

puzzle='..28.7.93.341.......96.3.2..7.3...86..3..............5..64..2.....935.6.8.7...35.'
printf '%s\n' "$puzzle" | "$importa" > few.txt
"$vortel" few.txt -S listing.txt > /dev/null
"$importa" -o boards/ listing.txt || { echo "FAIL: the -S file did not import"; fail=1; }
count=$(ls boards | wc -l)
if [ "$count" != 59 ]; then
  echo "FAIL: $count puzzles from the -S file of 57 solutions, expected 59"
  fail=1
fi
if ! cmp -s few.txt boards/0001.txt; then
  echo "FAIL: the first board of the -S file is not the original puzzle"
  fail=1
fi
for n in $(seq 3 59); do
  file=boards/$(printf '%04d' "$n").txt
  "$vortel" "$file" > solved.txt
  status=$?
  if [ "$status" != 0 ] || ! grep -q '^Caselle incognite: 0$' solved.txt ||
     ! grep -q 'solo processo matematico' solved.txt; then
    echo "FAIL: $file is not a complete, consistent grid (status $status)"
    fail=1
  fi
done
exit $fail
