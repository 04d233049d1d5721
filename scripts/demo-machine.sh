#!/usr/bin/env bash
# Lays out a fresh machine root for the demo: registry, system folder with
# the MAPI library, event log, the demo organisation and a default profile
# for "admin" on SRV01.
#   demo-machine.sh BIN_DIR MACHINE_DIR
# The demo organisation is the one the build generated beside BIN_DIR
# (BIN_DIR/../demo/organisation.db).
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 BIN_DIR MACHINE_DIR" >&2
  exit 2
fi
bin=$(cd "$1" && pwd)
machine=$2
org="$(dirname "$bin")/demo/organisation.db"

for f in "$bin/tabrix-org" "$bin/libmapi32.so" "$org"; do
  if [ ! -e "$f" ]; then
    echo "demo: $f is missing; build the project first" >&2
    exit 1
  fi
done

rm -rf "$machine"
"$bin/tabrix-org" setup "$machine" --org "$org" --mapi-lib "$bin/libmapi32.so" \
  --profile-mailbox admin --profile-server SRV01
