#!/bin/sh
# Makes the Info-ZIP archives that the archive tests read, and the files they hold.
# usage: make-fixtures.sh ZIP OUTDIR
set -eu
zip=$1
out=$2
rm -rf "$out"
mkdir -p "$out/src/dir"
cd "$out/src"
printf 'alpha\r\nthe first file\r\n' > dir/a.txt
printf 'bravo\n' > b.txt
printf 'a name with spaces\n' > "dir/name with spaces.txt"
: > empty.txt
# Well over 64 KiB, so that deflate streams span several blocks and buffers.
awk 'BEGIN { for (i = 0; i < 5000; i++) printf "line %05d of a large text file, check %d\n", i, (i * 7919) % 1009 }' > big.txt
"$zip" -q -X -0 ../stored.zip dir/a.txt b.txt
"$zip" -q -X -9 ../deflated.zip dir/a.txt b.txt big.txt empty.txt "dir/name with spaces.txt"
# With -r the directory gets an entry of its own.
"$zip" -q -X -r ../tree.zip dir b.txt
# Written to a pipe, zip cannot seek back: sizes and CRC follow the data in descriptors.
"$zip" -q -X -fz- - dir/a.txt big.txt | cat > ../streamed.zip
