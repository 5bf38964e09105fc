#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Takes a screenshot of the main window under Xvfb with a sample loaded: docs/screenshot.png.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/dev}
sample=${2:-$build/samples/fx5950-ultra.rom}
out=${3:-docs/screenshot.png}
export DISPLAY=:97
Xvfb "$DISPLAY" -screen 0 1280x900x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $editor $xvfb 2>/dev/null || true' EXIT
sleep 1
"$build/src/app/zorvane-fx" "$sample" &
editor=$!
sleep 2
# The window sits at 304, 232 on a desktop without a window manager; crop it out.
import -window root -crop 740x560+296+224 +repage "$out"
echo "wrote $out"
