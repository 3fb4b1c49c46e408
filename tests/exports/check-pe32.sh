#!/bin/sh
# Static checks of the shipped 32-bit DLL: an i386 PE whose export table holds the plain
# standard-call names undecorated and the one decorated name the interface asks for.
# usage: check-pe32.sh OBJDUMP DLL NAME...
set -eu
objdump=$1; dll=$2; shift 2
dump=$($objdump -p "$dll")
echo "$dump" | grep -q 'file format pei-i386' || { echo "$dll is not an i386 PE"; exit 1; }
exports=$(echo "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed -n 's/^.*\] //p')
fail=0
for name in "$@"; do
  echo "$exports" | grep -qx -- "$name" || { echo "missing export: $name"; fail=1; }
done
# A plain name must never appear decorated as well.
for name in $(echo "$exports" | grep -E '^[A-Za-z_][A-Za-z0-9_]*@[0-9]+$' | grep -v '^_Z' || true); do
  case "$name" in _GetBexProjectsDir@4) ;; *) echo "decorated export: $name"; fail=1 ;; esac
done
[ $fail -eq 0 ] && echo "$(echo "$exports" | wc -l) exports checked"
exit $fail
