#!/bin/sh
# Checks with Info-ZIP's unzip the archives that test_archive made through Zip: each must test
# clean, hold exactly the files of its source folder, and give each back byte for byte.
# usage: check-infozip.sh UNZIP MADEDIR   (MADEDIR/NAME.zip made from MADEDIR/NAME/)
set -eu
export LC_ALL=C.UTF-8
unzip=$1
made=$2
n=0
fail=0
for zip in "$made"/*.zip; do
  [ -f "$zip" ] || continue
  src=${zip%.zip}
  if ! "$unzip" -tq "$zip"; then
    echo "unzip -t fails on $zip"; fail=1; continue
  fi
  names=$("$unzip" -Z1 "$zip" | sort)
  files=$(cd "$src" && find . -type f | sed 's|^\./||' | sort)
  if [ "$names" != "$files" ]; then
    printf 'entries of %s differ from its files:\n%s\n--\n%s\n' "$zip" "$names" "$files"; fail=1
  fi
  echo "$names" | while IFS= read -r name; do
    [ -n "$name" ] || continue
    "$unzip" -p "$zip" "$name" | cmp -s - "$src/$name" || { echo "$zip: $name differs"; exit 1; }
  done || fail=1
  n=$((n + 1))
done
[ $n -gt 0 ] || { echo "no archives in $made: run test_archive first"; exit 1; }
[ $fail -eq 0 ] && echo "$n archives checked with Info-ZIP unzip"
exit $fail
