#!/bin/sh
# Static checks of the shipped 32-bit DLL: an i386 PE whose export table is the .def's names
# (the plain standard-call names undecorated, and the one decorated name the interface asks for)
# and the C++ classes' own mangled names, nothing else.
# usage: check-pe32.sh OBJDUMP DLL NAME...
set -eu
objdump=$1; dll=$2; shift 2
dump=$($objdump -p "$dll")
echo "$dump" | grep -q 'file format pei-i386' || { echo "$dll is not an i386 PE"; exit 1; }
exports=$(echo "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/{/Name Pointer/d;p}' | sed -n 's/^.*\] //p')
fail=0
for name in "$@"; do
  echo "$exports" | grep -qx -- "$name" || { echo "missing export: $name"; fail=1; }
done
# Anything else exported, such as a plain name decorated as well, is not the interface.
for name in $(echo "$exports" | grep -v '^_Z' || true); do
  case " $* " in *" $name "*) ;; *) echo "export not in the .def: $name"; fail=1 ;; esac
done
[ $fail -eq 0 ] && echo "$(echo "$exports" | wc -l) exports checked"
exit $fail
