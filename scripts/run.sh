#!/bin/sh
# Builds Vostrel on Debian 12 and starts it in its demo folder, which holds
# the lookup library and a few sample mission DLLs: press Scan.
# Installs the packages of scripts/deps.txt first (run it as root).
#   BUILD_DIR  build folder (default: build)
set -eu
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}

bash scripts/install-deps.sh scripts/deps.txt

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" --target demo
exec "$build/demo/Vostrel" "$@"
