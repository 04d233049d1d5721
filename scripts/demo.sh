#!/usr/bin/env bash
# Sets up the machine, builds the programs, generates the demo organisation,
# lays out a machine root and shows one of the programs on it.
#   demo.sh          boxstatcon writes its report on the demo server
#   demo.sh gui      boxstat opens on the demo organisation (screenshots
#                    instead when there is no display)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
mode=${1:-console}
case "$mode" in
  console) gui=OFF ;;
  gui) gui=ON ;;
  *)
    echo "usage: $0 [gui]" >&2
    exit 2
    ;;
esac

bash "$here/scripts/setup.sh"

build="$here/build"
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTABRIX_BUILD_TESTS=OFF \
  -DTABRIX_BUILD_GUI="$gui" >/dev/null
cmake --build "$build" -j "$(nproc)"

demo="$here/demo"
if [ "$mode" = gui ]; then
  bash "$here/scripts/run-demo-gui.sh" "$build/bin" "$demo"
else
  bash "$here/scripts/run-demo.sh" "$build/bin" "$demo"
fi
