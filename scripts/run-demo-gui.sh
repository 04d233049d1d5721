#!/usr/bin/env bash
# Opens boxstat on the demo organisation, logged on with the default
# profile as soon as "Log On" is pressed. Without a display (or with
# QT_QPA_PLATFORM=offscreen) it renders the windows to PNG files instead.
#   run-demo-gui.sh BIN_DIR DEMO_DIR
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 BIN_DIR DEMO_DIR" >&2
  exit 2
fi
bin=$(cd "$1" && pwd)
mkdir -p "$2"
demo=$(cd "$2" && pwd)

for f in "$bin/boxstat" "$bin/boxstat-screens"; do
  if [ ! -x "$f" ]; then
    echo "run-demo-gui: $f is missing; build with -DTABRIX_BUILD_GUI=ON first" >&2
    exit 1
  fi
done

bash "$(dirname "$0")/demo-machine.sh" "$bin" "$demo/machine"

platform=${QT_QPA_PLATFORM:-}
if [ "$platform" = offscreen ] || [ "$platform" = minimal ] ||
   { [ -z "$platform" ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; }; then
  screens="$demo/screens"
  rm -rf "$screens"
  echo "run-demo-gui: no display to open boxstat on; rendering its windows instead"
  # The offscreen platform's warnings are noise here; they are shown only
  # when the rendering fails.
  log="$demo/screens.log"
  if ! QT_QPA_PLATFORM=offscreen "$bin/boxstat-screens" "$screens" >/dev/null 2>"$log"; then
    cat "$log" >&2
    exit 1
  fi
  echo "Screenshots: $screens ($(find "$screens" -name '*.png' | wc -l) PNG files)"
  exit 0
fi

echo "Starting boxstat on the demo organisation (machine root $demo/machine)."
echo "Press \"Log On\" with \"Default Profile\" checked; close the window to end the demo."
TABRIX_MACHINE="$demo/machine" exec "$bin/boxstat"
