#!/bin/sh
# Reads with ImageMagick the bitmap files that test_bitmap wrote through CDIBitmap: each must
# decode to exactly the pixels the test drew (NAME.rgb beside NAME.bmp, R, G, B rows top-down).
# usage: check-saved.sh CONVERT MADEDIR
set -eu
convert=$1
made=$2
n=0
fail=0
for bmp in "$made"/*.bmp; do
  [ -f "$bmp" ] || continue
  if "$convert" "$bmp" -alpha off -depth 8 rgb:- | cmp -s - "${bmp%.bmp}.rgb"; then
    n=$((n + 1))
  else
    echo "ImageMagick reads $bmp differently"; fail=1
  fi
done
[ $n -gt 0 ] || [ $fail -ne 0 ] || { echo "no bitmaps in $made: run test_bitmap first"; exit 1; }
[ $fail -eq 0 ] && echo "$n bitmap files read by ImageMagick as written"
exit $fail
