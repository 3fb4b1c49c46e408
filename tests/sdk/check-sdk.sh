#!/bin/sh
# The SDK as an application developer gets it: installed from this build into a folder of its
# own, the example application configured against that folder alone (find_package), built with
# the cross toolchain and run under Wine with the DLLs the package placed beside it.
# usage: check-sdk.sh CMAKE BUILDDIR TOOLCHAIN EXAMPLEDIR WINE|none
cmake=$1 build=$2 toolchain=$3 example=$4 wine=$5
tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT
fail() { echo "$*"; [ -f "$tmp/log" ] && cat "$tmp/log"; exit 1; }

"$cmake" --install "$build" --prefix "$tmp/sdk" > "$tmp/log" 2>&1 || fail "cmake --install failed"
[ -f "$tmp/sdk/lib/BexLib32.def" ] || fail "the SDK has no BexLib32.def"
"$cmake" -S "$example" -B "$tmp/build" -G Ninja --toolchain "$toolchain" \
  -DBexLib32_DIR="$tmp/sdk/lib/cmake/BexLib32" > "$tmp/log" 2>&1 || fail "the example does not configure against the SDK"
"$cmake" --build "$tmp/build" > "$tmp/log" 2>&1 || fail "the example does not build against the SDK"
rm -f "$tmp/log"
[ "$wine" = none ] && { echo "SDK installed and example built against it (not run: this machine cannot run it)"; exit 0; }

cd "$tmp/build" || exit 1
out=$("$wine" bexhello.exe hello.rec 2>&1) || fail "bexhello failed: $out"
echo "$out" | tr -d '\r' | grep -qx 'read back 3 of 3 records with the same CRC-16' || fail "bexhello said: $out"
# A file it cannot write: the library's own message, from the library's string table.
"$wine" bexhello.exe 'no folder\hello.rec' > out.txt 2> err.txt
rc=$?
[ $rc -eq 1 ] && [ ! -s out.txt ] && tr -d '\r' < err.txt | grep -q "^bexhello: Cannot open file '.*no folder\\\\hello.rec'\.$" ||
  fail "bexhello on an unwritable file: exit $rc, $(cat out.txt err.txt)"
echo "SDK installed, example built against it and run"
