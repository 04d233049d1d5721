#!/usr/bin/env bash
# Prints a report through a real CUPS queue and reads the printed page back:
# starts the CUPS scheduler when it is not running, adds a queue on the
# cups-pdf printer, prints the report of report-screens on it, and checks
# the PDF that the printer wrote (title, page count, texts of every page).
# Not part of the test run: it needs root and changes the machine's printers.
#   print-check.sh BIN_DIR      (BIN_DIR holds report-screens)
set -euo pipefail

if [ $# -ne 1 ] || [ ! -x "$1/report-screens" ]; then
  echo "usage: $0 BIN_DIR   (a build folder's bin/ with report-screens)" >&2
  exit 2
fi
bin=$(cd "$1" && pwd)
queue=TabrixPDF

missing=()
for p in cups printer-driver-cups-pdf poppler-utils; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if ! lpstat -r >/dev/null 2>&1; then
  cupsd
  for _ in $(seq 50); do lpstat -r >/dev/null 2>&1 && break; sleep 0.2; done
fi
# The queue turns the job into PostScript for cups-pdf; converted by
# pdftocairo the texts stay texts (the default converter leaves glyphs
# that no reader can turn back into text).
lpadmin -p "$queue" -E -v cups-pdf:/ -m lsb/usr/cups-pdf/CUPS-PDF_noopt.ppd \
  -o pdftops-renderer-default=pdftocairo 2>/dev/null

# cups-pdf writes a job of root's into root's home folder.
out="$HOME/PDF"
mkdir -p "$out"
rm -f "$out"/*.pdf

QT_QPA_PLATFORM=offscreen "$bin/report-screens" --print "$queue" 2>/dev/null

pdf=
for _ in $(seq 300); do
  pdf=$(find "$out" -name '*.pdf' -size +0 | head -n 1)
  [ -n "$pdf" ] && [ -z "$(lpstat -o "$queue" 2>/dev/null)" ] && break
  sleep 0.2
done
if [ -z "$pdf" ]; then
  echo "print-check: the printer wrote no PDF into $out" >&2
  lpstat -l -o "$queue" >&2 || true
  exit 1
fi

echo "Printed: $pdf"
pdfinfo "$pdf" | grep -E '^(Title|Pages|Page size):'
text=$(pdftotext -layout "$pdf" -)
status=0
for expected in "Mailbox Statistis" "Administrator" "Inbox/Projects/Project 17" "1,876,820.0"; do
  if grep -qF "$expected" <<<"$text"; then
    echo "  found: $expected"
  else
    echo "  MISSING: $expected" >&2
    status=1
  fi
done
pages=$(pdfinfo "$pdf" | awk '/^Pages:/ {print $2}')
if [ "$pages" != 3 ]; then
  echo "  expected 3 pages, got $pages" >&2
  status=1
fi
exit $status
