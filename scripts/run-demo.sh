#!/usr/bin/env bash
# Runs the console report on the demo organisation.
#   run-demo.sh BIN_DIR DEMO_DIR
# BIN_DIR holds the built programs and libmapi32.so; the demo organisation is
# the one the build generated beside it (BIN_DIR/../demo/organisation.db).
# DEMO_DIR receives a machine root (DEMO_DIR/machine), a copy of boxstatcon
# with its BOXSTATCON.INI, and the report the run writes.
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 BIN_DIR DEMO_DIR" >&2
  exit 2
fi
bin=$(cd "$1" && pwd)
mkdir -p "$2"
demo=$(cd "$2" && pwd)

if [ ! -x "$bin/boxstatcon" ]; then
  echo "run-demo: $bin/boxstatcon is missing; build the project first" >&2
  exit 1
fi

bash "$(dirname "$0")/demo-machine.sh" "$bin" "$demo/machine"

cp -f "$bin/boxstatcon" "$demo/boxstatcon"
cat > "$demo/BOXSTATCON.INI" <<'INI'
[Organization]
Name=Tabrix

[Config]
LogSuccess=1
Text qualifier="
Row delimiter=,

[Server0]
Site Name=First Administrative Group
Server Name=SRV01
MBSizeLimit=-1
RealNTAccount=1
INI

rm -f "$demo/SRV01.txt"
TABRIX_MACHINE="$demo/machine" "$demo/boxstatcon"

report="$demo/SRV01.txt"
if [ ! -f "$report" ]; then
  echo "run-demo: boxstatcon wrote no report" >&2
  exit 1
fi
echo
echo "Report: $report ($(($(wc -l < "$report") - 1)) mailboxes)"
echo "Event log: $demo/machine/eventlog/Application.jsonl"
echo "First lines of the report:"
# The report is in the Windows code page, as Windows tools expect it; the
# terminal wants UTF-8.
head -n 6 "$report" | tr -d '\r' | iconv -f WINDOWS-1252 -t UTF-8
