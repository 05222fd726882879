#!/usr/bin/env bash
# Builds Vyx Viewer and starts it on the bundled sample data folder.
# Usage: ./run.sh [extra arguments for the program]
set -euo pipefail
cd "$(dirname "$0")"

bash scripts/bootstrap.sh
cmake --preset dev >/dev/null
cmake --build --preset dev

sample=build/dev/sample-data
if [ ! -f "$sample/MISCDATA.TXT" ]; then
  build/dev/src/cli/vyx gen "$sample" --days 3 --records-per-day 5000 --seed 7 --clock-jumps
fi

viewer=build/dev/src/app/vyx-viewer
if [ -x "$viewer" ]; then
  exec "$viewer" --messages "$sample" "$@"
fi
# No viewer in this build yet: show the first records of the sample folder with the command-line tool.
first=$(ls "$sample"/LG*.txt | head -n 1)
build/dev/src/cli/vyx dump "$first" | head -n 25
