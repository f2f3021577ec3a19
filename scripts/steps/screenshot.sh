#!/bin/bash
# A screenshot of Vostrel after a scan of its demo folder, taken on a virtual
# X screen: starts the program, waits for its window, gives it the Scan
# command (Alt+S) and photographs the screen.
#   BUILD_DIR  the configured build folder (default: build)
# Writes $BUILD_DIR/artifacts/vostrel-linux.png. Exits non-zero when the
# window does not appear or the program dies. Needs xvfb, xauth, xdotool
# and imagemagick.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$root" && realpath -m "${BUILD_DIR:-build}")
shot="$build/artifacts/vostrel-linux.png"

if [ -z "${VOSTREL_ON_XVFB:-}" ]; then
  cmake --build "$build" --target demo
  mkdir -p "$build/artifacts"
  rm -f "$shot"
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
