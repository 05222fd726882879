#!/usr/bin/env bash
# A walkthrough of the viewer as a new user meets it, in a real X server with a window manager, driven by
# keyboard and mouse (xdotool) and photographed whole (ImageMagick's import): the first start, the damaged
# folder's notice, the main window at 1600 x 1000 and 1024 x 700, each menu open, a refused filter with the
# list still there, and the help window. Pictures go to docs/screenshots/walkthrough/.
#
# Usage: scripts/walkthrough.sh [build-dir]     (default build/dev; needs Xvfb, openbox, xdotool, imagemagick)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/dev}
out=docs/screenshots/walkthrough
for tool in Xvfb openbox xdotool import; do
  command -v "$tool" >/dev/null || { echo "walkthrough.sh needs $tool (apt-get install xvfb openbox xdotool imagemagick)" >&2; exit 2; }
done
cmake --build "$build" --target vyx vyx-viewer >/dev/null

work=$(mktemp -d)
display=:$((90 + RANDOM % 9))
cleanup() {
  kill "${viewer:-}" "${wm:-}" "${xvfb:-}" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
# With the simulator's faults: the load logs invalid records and notes the damaged day files.
"$build/src/cli/vyx" gen "$work/data" --days 3 --records-per-day 40000 --seed 7 --clock-jumps >/dev/null
mkdir -p "$out" "$work/config"

Xvfb "$display" -screen 0 1680x1080x24 >/dev/null 2>&1 &
xvfb=$!
sleep 1
export DISPLAY=$display XDG_CONFIG_HOME=$work/config HOME=$work
openbox >/dev/null 2>&1 &
wm=$!
sleep 1

shot() {  # name, after a pause for the window to settle
  sleep "${2:-1}"
  import -window root "$out/$1.png"
  echo "wrote $out/$1.png"
}
key() { xdotool key --clearmodifiers "$@"; sleep 0.5; }
window() { xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1; }
# The viewer starts maximized; a double click on its title bar gives it back its own size for windowsize.
unmaximize() {
  xdotool windowactivate --sync "$1" mousemove 300 8 click --repeat 2 --delay 80 1
  sleep 1
}

# The first start without a folder: the start panel.
"$build/src/app/vyx-viewer" --no-splash &
viewer=$!
main=$(window "Vyx Viewer")
unmaximize "$main"
xdotool windowsize "$main" 1600 1000 windowmove "$main" 0 0
shot first-start 2
kill "$viewer"
wait "$viewer" 2>/dev/null || true

# The sample folder: its invalid records box, then the damaged-folder notice above the list.
"$build/src/app/vyx-viewer" --no-splash "$work/data" &
viewer=$!
main=$(window "Vyx Viewer")
shot invalid-records-box 4
key Return
unmaximize "$main"
xdotool windowsize "$main" 1600 1000 windowmove "$main" 0 0
shot main-1600x1000-damaged-notice

# Each menu, opened with Alt+F and walked with the arrow keys.
xdotool windowactivate --sync "$main"
key alt+f
shot menu-file
key Right
shot menu-edit
key Right
shot menu-report
key Right
shot menu-help
key Escape Escape

# A refused filter: FCU 301 typed into the FCU box, F5; the box says why and the list stays.
key alt+u
xdotool type --delay 50 "301"
key F5
shot refused-filter-box
key Return
shot refused-filter-list-kept

# The help inside the viewer (F1).
xdotool windowactivate --sync "$main"
key F1
shot help-window 2
help=$(xdotool search --onlyvisible --name "^Vyx Viewer Help$" | head -n 1 || true)
if [ -n "$help" ]; then
  xdotool windowactivate --sync "$help"
  key alt+F4  # the window manager asks it to close, as its close box does
fi

# A small screen: every column within the horizontal scroll bar (the window alone).
xdotool windowactivate --sync "$main"
xdotool windowsize "$main" 1024 700 windowmove "$main" 0 0
sleep 1
eval "$(xdotool getwindowgeometry --shell "$main")"
import -window root -crop "${WIDTH}x$((HEIGHT + Y))+0+0" "$out/main-1024x700.png"
echo "wrote $out/main-1024x700.png"
