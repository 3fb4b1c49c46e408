#!/bin/sh
# test_printer with a CUPS scheduler of its own around it. Wine keeps the scheduler's printer in
# the prefix until a program loads the spooler again; one is run here with no scheduler to be
# found, so that the printer is gone before the next test, as it must be.
# usage: run-printer.sh CUPS_SCRIPT CUPSDIR WINE TEST_PRINTER
bash "$1" "$2" "$3" "$4"
rc=$?
left=$(CUPS_SERVER="$2.none" "$3" "$4" --child printers | tr -d '\r')
if echo "$left" | grep -qx PDF; then
  echo "Wine still lists the printer PDF after the scheduler has gone"
  exit 1
fi
exit $rc
