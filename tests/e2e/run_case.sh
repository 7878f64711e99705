#!/bin/sh
# Runs one end-to-end case: run_case.sh VORTEL CASE_DIR SCRATCH_DIR
#
# A case directory holds:
#   args      one argument per line (an empty line is an empty argument)
#   files/    copied into a fresh scratch directory, where vortel runs
#   stdout    expected standard output, byte for byte; elapsed-time figures
#             are written as @TIME@
#   status    expected exit status
#   creates/  every file the run must create, byte for byte (optional)
#   checksums optional: "SHA256  NAME" lines for created files too large to
#             keep in the repository; they are checked, then set aside
#   stderr    expected standard error (optional; absent means empty)
#   stdin     what standard input reads (optional; absent means empty)
#   limits    optional: "fsize BYTES" caps the size of files the run may
#             write (SIGXFSZ ignored, so writes fail instead, unless
#             "xfsz default" leaves the signal as a shell would), "stdout
#             /dev/full" sends standard output to that device ("stdout
#             closed" closes it), "stdin closed" closes standard input, and
#             "stack BYTES" caps the stack
# A run that lasts more than 60 s fails: every case ends in milliseconds.
# Afterwards the scratch tree must equal files/ plus creates/: a touched
# pre-existing file or a stray file fails the case.
set -u
vortel=$1
case_dir=$2
scratch=$3

rm -rf "$scratch"
mkdir -p "$scratch/run" "$scratch/expect"
work=$scratch/run
for tree in files creates; do
  if [ -d "$case_dir/$tree" ]; then cp -R "$case_dir/$tree/." "$scratch/expect/"; fi
done
if [ -d "$case_dir/files" ]; then cp -R "$case_dir/files/." "$work/"; fi

fsize=
stack=
xfsz=ignore
out_target=$scratch/stdout
in_source=
if [ -f "$case_dir/limits" ]; then
  while read -r key value; do
    case $key in
      fsize) fsize=$value ;;
      stack) stack=$value ;;
      stdout) out_target=$value ;;
      stdin) in_source=$value ;;
      xfsz) xfsz=$value ;;
    esac
  done < "$case_dir/limits"
fi

set --
if [ -f "$case_dir/args" ]; then
  while IFS= read -r line || [ -n "$line" ]; do set -- "$@" "$line"; done < "$case_dir/args"
fi

: > "$scratch/stdout"
# Under a file-size limit a coverage build could not write its profile
# whole and would spoil it for the other runs: send that run's elsewhere.
if [ -n "$fsize" ]; then GCOV_PREFIX=$scratch/gcov; export GCOV_PREFIX; fi
set -- ${fsize:+--fsize="$fsize"} ${stack:+--stack="$stack"} -- \
  timeout 60 "$vortel" "$@"
input=/dev/null
if [ -f "$case_dir/stdin" ]; then input=$case_dir/stdin; fi
if [ "$in_source" = closed ]; then
  (cd "$work" && { [ "$xfsz" = default ] || trap '' XFSZ; } && exec prlimit "$@") \
    <&- > "$out_target" 2> "$scratch/stderr"
elif [ "$out_target" = closed ]; then
  (cd "$work" && { [ "$xfsz" = default ] || trap '' XFSZ; } && exec prlimit "$@") \
    < "$input" >&- 2> "$scratch/stderr"
else
  (cd "$work" && { [ "$xfsz" = default ] || trap '' XFSZ; } && exec prlimit "$@") \
    < "$input" > "$out_target" 2> "$scratch/stderr"
fi
status=$?

fail=0
# Only what "%.2f" prints for a non-negative figure is masked: an integer
# part without leading zeros, a point, exactly two decimals.
figure='\(0\|[1-9][0-9]*\)\.[0-9][0-9]'
sed -e "s/Tempo di cpu = $figure s/Tempo di cpu = @TIME@ s/g" \
    -e "s/Tempo CPU = $figure s/Tempo CPU = @TIME@ s/g" \
    "$scratch/stdout" > "$scratch/stdout.masked"

compare() {  # compare NAME EXPECTED ACTUAL
  if ! cmp -s "$2" "$3"; then
    echo "FAIL: $1 differs"
    diff -u "$2" "$3" | head -n 60
    cmp "$2" "$3"
    fail=1
  fi
}

expected_stdout=$case_dir/stdout
[ -f "$expected_stdout" ] || expected_stdout=/dev/null
compare stdout "$expected_stdout" "$scratch/stdout.masked"
expected_stderr=$case_dir/stderr
[ -f "$expected_stderr" ] || expected_stderr=/dev/null
# A coverage build's own profile writes fail under a file-size limit; that
# is the instrumentation's noise, not vortel's output.
grep -v '^libgcov profiling error:' "$scratch/stderr" > "$scratch/stderr.own" || true
compare stderr "$expected_stderr" "$scratch/stderr.own"

expected_status=$(cat "$case_dir/status")
if [ "$status" != "$expected_status" ]; then
  echo "FAIL: exit status $status, expected $expected_status"
  fail=1
fi

if [ -f "$case_dir/checksums" ]; then
  if ! (cd "$work" && sha256sum --quiet -c "$case_dir/checksums"); then
    echo "FAIL: a created file does not match its checksum"
    fail=1
  fi
  while read -r _ name; do rm -f "$work/$name"; done < "$case_dir/checksums"
fi

if ! diff -r "$scratch/expect" "$work" > "$scratch/tree.diff"; then
  echo "FAIL: files after the run differ from files/ plus creates/"
  head -n 40 "$scratch/tree.diff"
  fail=1
fi
exit $fail
