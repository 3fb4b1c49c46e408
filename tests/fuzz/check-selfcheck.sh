#!/bin/sh
# bexfuzz on a target that misbehaves on purpose: the run must fail, name each kind of fault with
# its input, save those inputs, and go on after each to the inputs behind it.
# usage: check-selfcheck.sh WINE BEXFUZZ
wine=$1 fuzz=$2
tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT
cd "$tmp" || exit 1
"$wine" "$fuzz" --seed 1 --count 12 --timeout 3 --out findings selfcheck > out 2>&1
rc=$?
cat out
status=0
fail() { echo "FAILED: $*"; status=1; }
[ $rc -eq 1 ] || fail "exit code $rc, expected 1"
grep -q 'FAULT selfcheck input [0-9]*: access violation (write of 0*10) at bexfuzz.exe+' out || fail "the crash was not named"
grep -q 'FAULT selfcheck input [0-9]*: no end after 3 s (a hang)' out || fail "the hang was not named"
grep -q 'FAULT selfcheck input [0-9]*: read 0 bytes past the end of a 14-byte malloc block, at bexfuzz.exe+' out || fail "the overrun was not named"
grep -q 'FAULT selfcheck input [0-9]*: a pointer freed that no block starts' out || fail "the double free was not named"
grep -q 'FAULT selfcheck input [0-9]*: an exception left the reader' out || fail "the exception was not named"
# Each kind's input saved, as the input it was (a few of each, not every one).
for kind in crash hang overrun 'double free' throw; do
  grep -qx "$kind" findings/selfcheck/* || fail "no $kind input saved"
done
# The inputs after the faults were run: all 12, the faulting ones among them not counted as done.
faults=$(grep -c '^FAULT' out)
grep -q "^selfcheck *$((12 - faults)) " out || fail "not every input after a fault was run"
exit $status
