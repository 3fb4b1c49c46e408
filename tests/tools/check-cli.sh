#!/bin/sh
# The command-line programs as a script sees them: --help gives the usage on standard output
# and exit code 0; a command line a program does not understand gives the usage on standard
# error and exit code 2; a failure is told on standard error, with nothing on standard output,
# and a non-zero exit code.
# usage: check-cli.sh WINE BINDIR
wine=$1 bin=$2
tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT
win="Z:$tmp"
status=0

# expect CODE help|usage|error PROGRAM ARGS...
expect() {
  code=$1 kind=$2 prog=$3
  shift 3
  # A program that mistakes the option for its work may never end.
  timeout 30 "$wine" "$bin/$prog.exe" "$@" > "$tmp/out" 2> "$tmp/err"
  rc=$?
  case $kind in
    help) grep -q "^usage: $prog" "$tmp/out" ;;
    usage) [ ! -s "$tmp/out" ] && grep -q "^usage: $prog" "$tmp/err" ;;
    error) [ ! -s "$tmp/out" ] && [ -s "$tmp/err" ] ;;
  esac
  if [ $? -ne 0 ] || [ $rc -ne "$code" ]; then
    echo "$prog $*: exit code $rc (expected $code for $kind); standard output:"; cat "$tmp/out"
    echo "standard error:"; cat "$tmp/err"
    status=1
  fi
}

for prog in bexcfg bexinfo bexrec bexzip tracewin WexDemo; do
  expect 0 help "$prog" --help
  expect 2 usage "$prog" --no-such-option
done
expect 2 error bexrec verify "$win/missing.rec"
"$wine" "$bin/bexrec.exe" create "$win/plant.rec" 12 3 "plant" "1:1:station=press" > /dev/null
printf 'X' | dd of="$tmp/plant.rec" bs=1 seek=$(($(wc -c < "$tmp/plant.rec") - 2)) conv=notrunc 2> /dev/null
expect 1 error bexrec verify "$win/plant.rec"
expect 1 error bexzip list "$win/missing.zip"
expect 1 error bexcfg install "$win/no/such/root"
expect 1 error WexDemo print "$win/missing.txt" "$win"
[ $status -eq 0 ] && echo "every program answers --help, a bad command line and a failure as a script expects"
exit $status
