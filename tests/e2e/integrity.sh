#!/bin/sh
# The executable refuses to run once its bytes change: integrity.sh VORTEL SCRATCH
set -u
vortel=$1
scratch=$2
rm -rf "$scratch"
mkdir -p "$scratch"
fail=0
expected=$(printf '\n*** Programma alterato: controllo di integrita'"'"' fallito ***')

expect_refused() {  # expect_refused LABEL BINARY
  out=$("$2" < /dev/null)
  status=$?
  if [ "$status" != 3 ] || [ "$out" != "$expected" ]; then
    echo "FAIL: $1: status $status, output:"
    printf '%s\n' "$out" | head -n 5
    fail=1
  fi
}

# The stamped binary itself runs (the usage path ends with status 0).
"$vortel" > "$scratch/out" < /dev/null
status=$?
if [ "$status" != 0 ] || ! head -n 1 "$scratch/out" | grep -q '^Programma: VORTEL'; then
  echo "FAIL: the stamped binary did not run normally (status $status)"
  fail=1
fi

# One byte flipped in the middle of the code.
cp "$vortel" "$scratch/flipped"
size=$(wc -c < "$vortel")
offset=$((size / 2))
byte=$(od -An -tu1 -j "$offset" -N1 "$vortel" | tr -d ' ')
octal=$(printf '%03o' $(( (byte + 1) % 256 )))
printf "\\$octal" |
  dd of="$scratch/flipped" bs=1 seek="$offset" conv=notrunc 2> /dev/null
expect_refused "one byte changed" "$scratch/flipped"

# One byte appended after the trailer.
cp "$vortel" "$scratch/appended"
printf 'x' >> "$scratch/appended"
expect_refused "one byte appended" "$scratch/appended"

# The trailer removed, as stripping or re-linking would.
head -c $((size - 16)) "$vortel" > "$scratch/bare"
chmod +x "$scratch/bare"
expect_refused "no trailer" "$scratch/bare"

exit $fail
