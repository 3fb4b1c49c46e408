#!/bin/sh
# Reads the job that test_printer printed through the printer driver: Ghostscript makes the
# PostScript into a PDF, which must have the pages the printer laid out and every line of the
# text, in order (runs of white space, tab gaps included, count as one space).
# usage: check-printed.sh PS2PDF DIR
dir=$2
[ -s "$dir/known.ps" ] || { echo "no printed job in $dir: run test_printer first"; exit 1; }
"$1" "$dir/known.ps" "$dir/known.pdf" || { echo "Ghostscript cannot read $dir/known.ps"; exit 1; }
pages=$(pdfinfo "$dir/known.pdf" | sed -n 's/^Pages: *//p')
[ "$pages" = "$(cat "$dir/pages.txt")" ] || { echo "the PDF has $pages pages, the printer laid out $(cat "$dir/pages.txt")"; exit 1; }
lines() { tr -d '\r\f' | sed 's/[[:space:]][[:space:]]*/ /g; s/^ //; s/ $//' | grep -v '^$'; }
pdftotext -layout "$dir/known.pdf" - | lines > "$dir/read.txt"
lines < "$dir/expected.txt" > "$dir/want.txt"
diff "$dir/want.txt" "$dir/read.txt" >&2 || { echo "the PDF's text differs from what was printed"; exit 1; }
echo "$pages pages, $(wc -l < "$dir/read.txt") lines, read back in order"
