#!/bin/sh
# The self-check: integrity.sh VORTEL SCRATCH [PART]
# Altered bytes of the read-only image are refused with status 3 and the
# one message (no banner); everything that leaves those bytes as they were
# (stripping, appending, links, the dynamic loader, a rewritten build id,
# an execute-only mode, no /proc) runs normally. Outputs are compared as
# files, byte for byte.
# PART is "image" (the default: every check that needs nothing special),
# "unprivileged" (mode 0711 for a user who may not read the file: needs
# root and setpriv) or "no-proc" (needs a mount namespace, and a runtime
# that does without /proc). A part that cannot run here exits with 77,
# which CTest shows as skipped.
set -u
vortel=$1
scratch=$2
part=${3:-image}
rm -rf "$scratch"
mkdir -p "$scratch"
cd "$scratch" || exit 1
fail=0
printf '\n*** Programma alterato: controllo di integrita'"'"' fallito ***\n' > refused.expected
printf 'Programma: VORTEL - Versione: 1.0\n' > banner.expected

expect_refused() {  # expect_refused LABEL COMMAND...
  label=$1
  shift
  "$@" < /dev/null > out 2> err
  status=$?
  if [ "$status" != 3 ] || ! cmp -s out refused.expected || [ -s err ]; then
    echo "FAIL: $label: status $status, output:"
    od -c out | head -n 5
    fail=1
  fi
}

expect_runs() {  # expect_runs LABEL COMMAND...: the usage path, status 0
  label=$1
  shift
  "$@" < /dev/null > out 2> err
  status=$?
  head -n 1 out > first
  # A coverage build run by another user cannot write its profile: that is
  # the instrumentation's noise, not vortel's output.
  # Likewise AddressSanitizer's note that it cannot name the executable
  # without /proc.
  grep -v -e '^profiling:' -e '^==[0-9]*==WARNING: reading executable name' \
    err > err.own
  if [ "$status" != 0 ] || ! cmp -s first banner.expected || [ -s err.own ]; then
    echo "FAIL: $label: status $status, output:"
    head -n 3 out err
    fail=1
  fi
}

# patch FILE OFFSET: adds 1 to the byte at OFFSET.
patch() {
  byte=$(od -An -tu1 -j "$2" -N1 "$1" | tr -d ' ')
  printf "\\$(printf '%03o' $(( (byte + 1) % 256 )))" |
    dd of="$1" bs=1 seek="$2" conv=notrunc 2> /dev/null
}

# copy_bytes FILE FROM TO COUNT: COUNT bytes at offset FROM copied to TO.
copy_bytes() {
  dd if="$1" of="$1" bs=1 skip="$2" seek="$3" count="$4" conv=notrunc 2> /dev/null
}

# file_offset FILE ADDRESS: the file offset of a link address of the
# writable segment (hexadecimal, no 0x).
file_offset() {
  set -- $(readelf -lW "$1" | awk '$1 == "LOAD" && $7 ~ /W/ { print $2, $3 }') "$2"
  echo $((0x$3 - $2 + $1))
}

# slot_of FILE SYMBOL: the link address of SYMBOL's slot in the global
# offset table (hexadecimal).
slot_of() {
  readelf -rW "$1" |
    awk -v s="$2" '($3 ~ /JUMP_SLOT|GLOB_DAT/) && ($5 == s || $5 ~ "^" s "@") { print $1; exit }'
}

# outcome LABEL FILE KIND: FILE (an altered vortel) run on p.txt is refused
# by its check, or does exactly what the intact program does, or, for a
# byte of the dynamic section (KIND dynamic), never runs: the loader
# refuses it, or the start-up code falls over on a table that no longer
# makes sense (a sanitizer build reports that crash with its own status
# 99), before vortel writes a byte. Anything else fails.
outcome() {
  "./$2" p.txt < /dev/null > out 2> err
  status=$?
  if [ "$status" = 3 ] && cmp -s out refused.expected && [ ! -s err ]; then
    refused=$((refused + 1))
  elif [ "$status" = 0 ] && cmp -s out solved.expected && [ ! -s err ]; then
    harmless=$((harmless + 1))
  elif [ "$status" != 0 ] && [ ! -s out ] && [ "$3" = dynamic ] &&
    { [ "$status" = 127 ] || [ "$status" -gt 128 ] ||
      { [ "$status" = 99 ] && grep -q 'AddressSanitizer: SEGV' err; }; }; then
    not_run=$((not_run + 1))
  else
    echo "FAIL: $1: status $status, output:"
    head -c 300 out err
    fail=1
  fi
}

# dynamic_value FILE TAG: the file offset of the value of the first entry
# of the dynamic section with tag TAG (decimal).
dynamic_value() {
  set -- "$1" "$2" $(readelf -SW "$1" | sed -n 's/^ *\[ *[0-9]*\] //p' |
    awk '$1 == ".dynamic" { print $4, $5 }')
  entry=0
  while [ $((entry * 16)) -lt $((0x$4)) ]; do
    at=$((0x$3 + entry * 16))
    [ "$(od -An -tu8 -j "$at" -N8 "$1" | tr -d ' ')" = "$2" ] &&
      { echo $((at + 8)); return; }
    entry=$((entry + 1))
  done
}

# offset_of FILE TEXT: the file offset of the first occurrence of TEXT.
offset_of() {
  grep -obUaF "$2" "$1" | head -n 1 | cut -d: -f1
}

case $part in
image)
  expect_runs "the stamped binary" "$vortel"

  # One byte of code that runs only after the check: the search's entry
  # (a byte of the check itself would crash the program, not test it).
  text=$(readelf -SW "$vortel" | awk '$2 == ".text" { print $4, $5 }')
  search=$(nm -C "$vortel" | awk '$2 == "T" && $3 ~ /^solver::search\(/ { print $1 }')
  set -- $text
  cp "$vortel" code && patch code $(( 0x$search - 0x$1 + 0x$2 + 8 ))
  expect_refused "a byte of code changed" ./code

  # One byte of constant data: inside the usage text.
  cp "$vortel" data && patch data $(( $(offset_of "$vortel" "Menu' delle opzioni") + 3 ))
  expect_refused "a byte of the usage text changed" ./data

  # One byte of the stored checksum.
  cp "$vortel" sum && patch sum $(( $(offset_of "$vortel" VRTLSUM2) + 8 ))
  expect_refused "a byte of the stored checksum changed" ./sum

  # A rewritten build id, as debuginfo tools leave it: every byte of the
  # note's descriptor (after its 16-byte header: sizes, type, "GNU").
  note=$(readelf -SW "$vortel" | awk '{ for (i = 1; i < NF; i++) if ($i == ".note.gnu.build-id") print $(i + 3) }')
  cp "$vortel" build-id
  for b in $(seq 16 35); do patch build-id $(( 0x$note + b )); done
  expect_runs "a rewritten build id" ./build-id
  cp "$vortel" build-id-header && patch build-id-header $(( 0x$note + 8 ))
  expect_refused "the build-id note's type changed" ./build-id-header

  strip -o stripped "$vortel"
  expect_runs "strip" ./stripped
  objcopy --strip-debug "$vortel" debugless
  expect_runs "objcopy --strip-debug" ./debugless
  cp "$vortel" appended && printf 'appended bytes' >> appended
  expect_runs "bytes appended" ./appended
  ln -s "$vortel" symlink
  expect_runs "a symbolic link" ./symlink
  cp "$vortel" original && ln original hardlink
  expect_runs "a hard link" ./hardlink
  loader=$(readelf -lW "$vortel" | sed -n 's/.*interpreter: \(.*\)]/\1/p')
  expect_runs "started through the dynamic loader" "$loader" ./original

  # The writable segment. Its table of library functions is filled by the
  # loader before the program runs (immediate binding), and made read-only
  # with the rest of the relocated data.
  readelf -d "$vortel" | grep -q 'FLAGS.*NOW' ||
    { echo "FAIL: not linked for immediate binding (-z now)"; fail=1; }
  readelf -lW "$vortel" | grep -q GNU_RELRO ||
    { echo "FAIL: no read-only-after-relocation segment (-z relro)"; fail=1; }
  printf '1 1 1\n1 6 7\n1 8 9\n2 2 3\n2 5 2\n2 9 8\n3 3 9\n3 4 6\n3 7 5\n4 3 5\n4 4 3\n4 7 9\n5 2 1\n5 5 8\n5 9 2\n6 1 6\n6 6 4\n7 1 3\n7 8 1\n8 2 4\n8 9 7\n9 3 7\n9 7 3\n' > p.txt
  "$vortel" p.txt > solved.expected 2> /dev/null ||
    { echo "FAIL: the intact program does not solve p.txt"; fail=1; }

  # The table's slots of fflush and ferror made to send both calls to
  # isatty, which answers 0 (flushed, no error) for any stream: a lost
  # standard output would then end with status 0.
  cp "$vortel" got
  to=$(slot_of "$vortel" isatty)
  for name in fflush ferror; do
    copy_bytes got "$(file_offset "$vortel" "$to")" \
      "$(file_offset "$vortel" "$(slot_of "$vortel" "$name")")" 8
  done
  ./got < /dev/null > /dev/full 2> err
  status=$?
  if [ "$status" = 3 ]; then
    : # refused
  elif [ "$status" != 2 ] ||
    [ "$(cat err)" != "vortel: errore in scrittura sullo standard output" ]; then
    echo "FAIL: fflush and ferror sent to isatty: status $status: $(cat err)"
    fail=1
  fi

  # The self-check's entry in the start-up table taken away (the table's
  # size, DT_PREINIT_ARRAYSZ, zeroed): the check never runs before the
  # constructors, and main refuses all the same; with the program's exit
  # code (DT_FINI) sent elsewhere as well, that code is not run.
  cp "$vortel" unchecked
  dd if=/dev/zero of=unchecked bs=1 seek="$(dynamic_value unchecked 33)" count=8 \
    conv=notrunc 2> /dev/null
  expect_refused "the self-check's start-up entry taken away" ./unchecked
  patch unchecked "$(dynamic_value unchecked 13)"
  expect_refused "the start-up entry taken away, the exit code moved" ./unchecked

  # One byte flipped in each word of each section of the writable segment
  # that the file holds (its zeroed part, .bss, is not in the file), a
  # different byte of the word each time; in a section of more than 64
  # words (a sanitizer's or a coverage build's data), 64 words spread over
  # it, the first and the last among them.
  refused=0 harmless=0 not_run=0
  readelf -SW "$vortel" | sed -n 's/^ *\[ *[0-9]*\] //p' |
    awk '$2 != "NOBITS" && $7 ~ /W/ { print $1, $4, $5 }' > writable
  [ -s writable ] || { echo "FAIL: no writable section found"; fail=1; }
  while read -r section offset size; do
    kind=data
    [ "$section" = .dynamic ] && kind=dynamic
    words=$(( (0x$size + 7) / 8 ))
    tries=$words
    [ "$tries" -le 64 ] || tries=64
    try=0
    while [ "$try" -lt "$tries" ]; do
      word=$(( tries > 1 ? try * (words - 1) / (tries - 1) : 0 ))
      at=$((0x$offset + word * 8 + word % 8))
      [ "$at" -lt $((0x$offset + 0x$size)) ] || at=$((0x$offset + word * 8))
      cp "$vortel" flipped && patch flipped "$at"
      outcome "$section, byte $at flipped" flipped "$kind"
      try=$((try + 1))
    done
  done < writable
  echo "writable segment: $refused refused, $not_run never ran, $harmless harmless"
  ;;

unprivileged)
  # Mode 0711 for a user who may execute but not read it.
  command -v setpriv > /dev/null && [ "$(id -u)" = 0 ] || {
    echo "SKIP: mode 0711 as an unprivileged user needs root and setpriv"
    exit 77
  }
  mkdir private && cp "$vortel" private/vortel && chmod 0711 private private/vortel
  expect_runs "mode 0711, an unprivileged user" \
    setpriv --reuid=65534 --regid=65534 --clear-groups private/vortel
  ;;

no-proc)
  # No /proc at all, in a mount namespace of its own.
  if readelf -d "$vortel" | grep -q 'NEEDED.*libasan'; then
    echo "SKIP: no /proc: the sanitizer runtime itself needs /proc"
    exit 77
  fi
  unshare --mount --propagation private sh -c 'umount -l /proc' 2> /dev/null || {
    echo "SKIP: cannot unmount /proc in a mount namespace here"
    exit 77
  }
  cp "$vortel" original
  expect_runs "no /proc" unshare --mount --propagation private \
    sh -c 'umount -l /proc && test ! -e /proc/self && exec "$0"' ./original
  ;;
esac

exit $fail
