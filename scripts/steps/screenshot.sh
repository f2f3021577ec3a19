#!/bin/bash
# Screenshots of Vostrel on a virtual X screen: after a scan of its demo
# folder (Alt+S), with the filter box (Ctrl+F, a word typed), and with the
# details window of the first row (Escape, Down, Enter).
#   BUILD_DIR  the configured build folder (default: build)
# Writes vostrel-linux.png, vostrel-linux-filter.png and
# vostrel-linux-details.png in $BUILD_DIR/artifacts. Exits non-zero when a
# window does not appear or the program dies. Needs xvfb, xauth, xdotool
# and imagemagick.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$root" && realpath -m "${BUILD_DIR:-build}")
shots="$build/artifacts"
shot="$shots/vostrel-linux.png"

if [ -z "${VOSTREL_ON_XVFB:-}" ]; then
  cmake --build "$build" --target demo
  mkdir -p "$build/artifacts"
  rm -f "$shot" "$shots/vostrel-linux-filter.png" "$shots/vostrel-linux-details.png"
  VOSTREL_ON_XVFB=1 BUILD_DIR="$build" exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

"$build/demo/Vostrel" &
program=$!
trap 'kill "$program" 2>/dev/null || true; wait "$program" 2>/dev/null || true' EXIT

if ! window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Kelvane$' | head -n 1) || [ -z "$window" ]; then
  echo "screenshot: the Vostrel window did not appear" >&2
  exit 1
fi
# No window manager runs here: hand the window the keyboard directly.
xdotool windowfocus --sync "$window"
sleep 0.5
xdotool key --clearmodifiers alt+s
sleep 2  # the demo folder's few DLLs scan in well under this
if ! kill -0 "$program" 2>/dev/null; then
  echo "screenshot: Vostrel ended during the scan" >&2
  exit 1
fi
import -window root "$shot"
echo "screenshot: $shot"

xdotool key --clearmodifiers ctrl+f
sleep 0.3
xdotool type --delay 50 crater
sleep 0.5
import -window root "$shots/vostrel-linux-filter.png"
echo "screenshot: $shots/vostrel-linux-filter.png"

xdotool key --clearmodifiers Escape Down Return
if ! details=$(timeout 10 xdotool search --sync --onlyvisible --name '\.dll$' | head -n 1) || [ -z "$details" ]; then
  echo "screenshot: the details window did not appear" >&2
  exit 1
fi
sleep 0.5
import -window root "$shots/vostrel-linux-details.png"
echo "screenshot: $shots/vostrel-linux-details.png"
