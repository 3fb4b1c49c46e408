#!/bin/sh
# Reads with ImageMagick the bitmap files test_bitmap wrote through CDIBitmap: each must decode
# to exactly the pixels the test drew (NAME.rgb beside NAME.bmp, R, G, B rows top-down).
# usage: check-saved.sh CONVERT MADEDIR
n=0
for bmp in "$2"/*.bmp; do
  [ -f "$bmp" ] || { echo "no bitmaps in $2: run test_bitmap first"; exit 1; }
  "$1" "$bmp" -alpha off -depth 8 rgb:- | cmp -s - "${bmp%.bmp}.rgb" || { echo "ImageMagick reads $bmp differently"; exit 1; }
  n=$((n + 1))
done
echo "$n bitmap files read by ImageMagick as written"
