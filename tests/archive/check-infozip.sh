#!/bin/sh
# Checks with Info-ZIP's unzip the archives that test_archive made through Zip: each must test
# clean, hold exactly the files of its source folder, and give each back byte for byte.
# usage: check-infozip.sh UNZIP MADEDIR   (MADEDIR/NAME.zip made from MADEDIR/NAME/)
set -eu
export LC_ALL=C.UTF-8
unzip=$1
n=0
for zip in "$2"/*.zip; do
  [ -f "$zip" ] || continue
  src=${zip%.zip}
  "$unzip" -tq "$zip" || { echo "unzip -t fails on $zip"; exit 1; }
  names=$("$unzip" -Z1 "$zip" | sort)
  [ "$names" = "$(cd "$src" && find . -type f | sed 's|^\./||' | sort)" ] || { echo "entries of $zip differ from its files"; exit 1; }
  echo "$names" | while IFS= read -r name; do
    "$unzip" -p "$zip" "$name" | cmp -s - "$src/$name" || { echo "$zip: $name differs"; exit 1; }
  done
  n=$((n + 1))
done
[ $n -gt 0 ] || { echo "no archives in $2: run test_archive first"; exit 1; }
echo "$n archives checked with Info-ZIP unzip"
