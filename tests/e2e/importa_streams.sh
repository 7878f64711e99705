#!/bin/sh
# vortel-importa on inputs that cannot be read twice, and interrupted:
#   importa_streams.sh IMPORTA SCRATCH
# 1. A FIFO, /dev/stdin from a pipe and a named file convert alike.
# 2. SIGINT, SIGTERM or SIGHUP while a directory is being written (the
#    input still open) end the run by that signal and leave nothing: no
#    target directory, no scratch directory; with --riga -o FILE, no file
#    and no scratch file.
# 3. An existing name found after the first files have been moved: status
#    2, the existing file untouched, none of this run's files left.
# 4. A non-blocking standard input, empty for a while, is waited on.
set -u
importa=$1
scratch=$2
rm -rf "$scratch"
mkdir -p "$scratch"
cd "$scratch" || exit 1
fail=0
puzzle='4.....8.5.3..........7......2.....6.....8.4......1.......6.3.7.5..2.....1.4......'
printf '%s\n%s\n%s\n' "$puzzle" "$puzzle" "$puzzle" > three.txt

"$importa" -o file/ three.txt > /dev/null || { echo "FAIL: named file"; fail=1; }
mkfifo fifo
cat three.txt > fifo &
"$importa" -o fifo-out/ fifo > /dev/null || { echo "FAIL: FIFO"; fail=1; }
wait
cat three.txt | "$importa" -o stdin-out/ /dev/stdin > /dev/null ||
  { echo "FAIL: /dev/stdin from a pipe"; fail=1; }
for out in fifo-out stdin-out; do
  diff -r file "$out" > /dev/null || { echo "FAIL: $out differs from file/"; fail=1; }
done

# wait_for COMMAND...: true as soon as COMMAND succeeds, false after 30 s
# (only a fault waits that long).
wait_for() {
  tries=0
  until "$@"; do
    tries=$((tries + 1))
    [ "$tries" -lt 3000 ] || return 1
    sleep 0.01
  done
}

# waiting_in_read PID: the run has made its scratch directory and sleeps,
# waiting for more input.
waiting_in_read() {
  [ -n "$(find . -name '*vortel-importa-*' 2> /dev/null)" ] &&
    [ "$(sed 's/.*) //' "/proc/$1/stat" | cut -c1)" = S ]
}

# The writer keeps the FIFO open after the puzzles, so the run is waiting
# in a read when the signal comes.
for run_case in INT:2:-o:interrupted/ TERM:15:-o:interrupted/ HUP:1:-o:interrupted/ \
                INT:2:--riga:interrupted.txt TERM:15:--riga:interrupted.txt; do
  pair=${run_case%%:-*}
  signal=${pair%:*}
  target=${run_case##*:}
  case $run_case in *--riga*) set -- --riga -o "$target" ;; *) set -- -o "$target" ;; esac
  rm -f fifo && mkfifo fifo
  { cat three.txt; sleep 30; } > fifo &
  writer=$!
  # A background command of a script starts with SIGINT ignored: reset it
  # (and the others), as a foreground command of a terminal has them.
  env --default-signal=INT,TERM,HUP "$importa" "$@" fifo > /dev/null 2>&1 &
  run=$!
  wait_for waiting_in_read "$run" || { echo "FAIL: $*: SIG$signal: the run never waited for input"; fail=1; }
  kill -s "$signal" "$run"
  wait "$run"
  status=$?
  kill "$writer" 2> /dev/null
  wait "$writer" 2> /dev/null
  expected=$((128 + ${pair#*:}))
  [ "$status" = "$expected" ] || { echo "FAIL: SIG$signal: status $status, expected $expected"; fail=1; }
  left=$(ls -A | grep -v -x -e three.txt -e fifo -e file -e fifo-out -e stdin-out)
  [ -z "$left" ] || { echo "FAIL: SIG$signal left: $left"; fail=1; }
done

mkdir taken && echo mine > taken/0002.txt
"$importa" -o taken/ three.txt > /dev/null 2> err.txt
status=$?
[ "$status" = 2 ] || { echo "FAIL: existing name: status $status"; fail=1; }
[ "$(ls -A taken)" = 0002.txt ] && [ "$(cat taken/0002.txt)" = mine ] ||
  { echo "FAIL: existing name: taken/ holds $(ls -A taken)"; fail=1; }
grep -q "taken/0002.txt è già presente" err.txt || { echo "FAIL: message: $(cat err.txt)"; fail=1; }
[ -z "$(ls -A | grep vortel-importa)" ] || { echo "FAIL: scratch directory left"; fail=1; }

# A parent that left its pipe non-blocking: the run waits for the input.
{ sleep 0.3; cat three.txt; } | python3 -c '
import fcntl, os, sys
fcntl.fcntl(0, fcntl.F_SETFL, fcntl.fcntl(0, fcntl.F_GETFL) | os.O_NONBLOCK)
os.execv(sys.argv[1], sys.argv[1:])' "$importa" -o nonblocking/ > /dev/null 2> err.txt ||
  { echo "FAIL: non-blocking standard input: $(cat err.txt)"; fail=1; }
diff -r file nonblocking > /dev/null || { echo "FAIL: nonblocking/ differs from file/"; fail=1; }
exit $fail
