#!/usr/bin/env bash
# Takes the documentation screenshots of the viewer under Xvfb and writes them to docs/screenshots/.
# Usage: scripts/screenshots.sh [build-dir]   (default build/dev, built if needed)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/dev}
if [ ! -f "$build/CMakeCache.txt" ]; then cmake --preset dev >/dev/null; fi
cmake --build "$build" --target vyx vyx-screenshots
sample=$(mktemp -d)
trap 'rm -rf "$sample"' EXIT
"$build/src/cli/vyx" gen "$sample/data" --days 3 --records-per-day 40000 --seed 7 --clock-jumps >/dev/null
mkdir -p docs/screenshots
xvfb-run -a -s "-screen 0 1400x900x24" "$build/tools/screenshots/vyx-screenshots" "$sample/data" docs/screenshots
# The walkthrough in a real window manager, driven by keyboard and mouse, where its tools are installed.
if command -v openbox >/dev/null && command -v xdotool >/dev/null && command -v import >/dev/null; then
  bash scripts/walkthrough.sh "$build"
else
  echo "screenshots.sh: the walkthrough needs openbox, xdotool and imagemagick; skipped" >&2
fi
