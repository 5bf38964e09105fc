#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Takes the screenshots in docs/ under Xvfb with a window manager, driving the editor as a user
# would: the main window with a sample (screenshot.png), the question before edits are lost
# (screenshot-unsaved.png), the File menu with its keys (screenshot-file-menu.png), and the
# message after opening an unsupported file over a window that already shows that file
# (screenshot-unsupported.png), "File saved." with the list of what a save over the opened file
# changed and where its original is kept (screenshot-saved.png); the structure window with the 3D
# core clock's bytes selected and an unsaved edit marked (screenshot-structure.png), the comparison
# of the saved image with its original (screenshot-compare.png), the help window
# (screenshot-help.png), the window at scale 2 on a 1280 x 1024 screen (screenshot-scale2.png) and
# in a dark palette with a changed and a refused value (screenshot-dark.png).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/dev}
out=${2:-docs}
mkdir -p "$out"
export DISPLAY=:97
work=/tmp/cards # a short path for the Info box
rm -rf "$work"
mkdir -p "$work"
# The program's settings (its size and place, recent files) of this run only.
export XDG_CONFIG_HOME="$work/config"
Xvfb "$DISPLAY" -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill ${editor:-} $wm $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
sleep 1
openbox >/dev/null 2>&1 &
wm=$!
sleep 1
cp "$build/samples/fx5950-ultra.rom" "$work/fx5950-ultra.rom"
# The same image with another device ID at the PCI data structure (0x180 + 6): 0110, a GeForce2 MX.
cp "$build/samples/fx5950-ultra.rom" "$work/unsupported.rom"
printf '\x10\x01' | dd of="$work/unsupported.rom" bs=1 seek=$((0x186)) conv=notrunc status=none
# Its checksum byte set again, so that it is a sound image of an unsupported card.
python3 -c 'import sys; b = bytearray(open(sys.argv[1], "rb").read()); b[-1] = (b[-1] - sum(b)) % 256; open(sys.argv[1], "wb").write(b)' \
    "$work/unsupported.rom"

# Everything on the screen but the empty desktop.
shot() {
    sleep 1
    import -window root "$work/root.png"
    convert "$work/root.png" -trim +repage "$out/$1"
    echo "wrote $out/$1"
}
# One window only, by its id.
shotWindow() {
    sleep 1
    import -window "$1" "$out/$2"
    echo "wrote $out/$2"
}
# Clicks at a point of the main window's client area.
click() {
    xdotool mousemove --window "$window" "$1" "$2" click 1
    sleep 0.3
}

"$build/src/app/zorvane-fx" "$work/fx5950-ultra.rom" &
editor=$!
window=$(xdotool search --sync --onlyvisible --name "Zorvane FX")
xdotool windowactivate --sync "$window"
shot screenshot.png

# An edit of the 3D core clock, then Exit: the title has its marker, and the question comes.
click 280 243 # the 3D core clock's box
xdotool key ctrl+a
xdotool type --delay 100 "520"
xdotool key ctrl+q
shot screenshot-unsaved.png
xdotool key Escape # Cancel: nothing happens

xdotool key alt+f
shot screenshot-file-menu.png
xdotool key Escape

# Open an unsupported file; discard the edit when asked.
xdotool key ctrl+o
sleep 1
xdotool key Tab space # Discard
sleep 1
xdotool type --delay 30 "$work/unsupported.rom"
xdotool key Return
shot screenshot-unsupported.png
xdotool key Return

# Open the sample again, raise its 3D core clock and save over it.
xdotool key ctrl+o
sleep 1
xdotool type --delay 30 "$work/fx5950-ultra.rom"
xdotool key Return
sleep 1
click 280 243
xdotool key ctrl+a
xdotool type --delay 100 "500"
xdotool key ctrl+s
sleep 1
xdotool key ctrl+a
xdotool type --delay 30 "$work/fx5950-ultra.rom"
sleep 1
xdotool key Return # Save
sleep 1
# The file dialog asks whether to replace the file: Yes.
xdotool key alt+y
shot screenshot-saved.png
xdotool key Return

# The structure window beside the main window; the 3D core box given the focus selects its bytes,
# and an edit of it shows the bytes a save would write.
xdotool key ctrl+b
structure=$(xdotool search --sync --onlyvisible --name "BIOS Structure")
xdotool windowmove "$structure" 0 0
xdotool windowactivate --sync "$window"
click 280 243
xdotool key ctrl+a
xdotool type --delay 100 "520"
xdotool windowraise "$structure"
shotWindow "$structure" screenshot-structure.png

# Compare the saved image with the original kept beside it.
xdotool windowactivate --sync "$window"
xdotool key alt+f c
sleep 1
xdotool type --delay 30 "$work/fx5950-ultra.orig.rom"
xdotool key Return
sleep 1 # the file dialog's windows are gone before the search walks the tree
compare=$(xdotool search --sync --onlyvisible --name "Compare with")
xdotool windowmove "$compare" 0 0
xdotool windowactivate --sync "$compare"
xdotool key Tab Down
shotWindow "$compare" screenshot-compare.png

xdotool windowactivate --sync "$window"
# The guides inside the program: the list, then a guide with its picture.
xdotool key F1
help=$(xdotool search --sync --onlyvisible --name "Zorvane FX guides")
sleep 0.5
xdotool mousemove --window "$help" 105 92 click 1 # "Before you flash"
shotWindow "$help" screenshot-help.png
xdotool key Escape
kill $editor
wait $editor 2>/dev/null || true

# At scale 2 the whole window fits a 1280 x 1024 screen.
QT_SCALE_FACTOR=2 "$build/src/app/zorvane-fx" "$work/fx5950-ultra.rom" &
editor=$!
window=$(xdotool search --sync --onlyvisible --name "Zorvane FX")
sleep 1
import -window root "$out/screenshot-scale2.png"
echo "wrote $out/screenshot-scale2.png"
kill $editor
wait $editor 2>/dev/null || true
editor=

# A dark palette, set by the window test that checks the marks stay readable in it.
ZFX_SCREENSHOT_DIR="$out" QT_QPA_PLATFORM=xcb "$build/tests/gui/zfx_gui_tests" theMarksReadInADarkPalette >/dev/null
echo "wrote $out/screenshot-dark.png"
