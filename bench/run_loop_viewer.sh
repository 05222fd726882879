#!/usr/bin/env bash
# Loop window benchmark: on the 9-million-record folder of run_load.sh (generated once, the same way), the
# Loop window computes the folder's events on its worker and then its time slider is moved every 20 ms
# (bench_loop_slider, offscreen). Every event-loop turn is timed; the figure is the longest turn while the
# slider moves, target under 50 ms, and how soon each moment shows in the tiles. Prints each run and the
# medians of the runs. The build has the viewer, so it lives beside the release build of the other scripts.
#
# Usage: bench/run_loop_viewer.sh      (RUNS=3 MOVES=400 BUILD_DIR=... DATA_DIR=... to change the defaults)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build/bench-viewer}
data=${DATA_DIR:-$root/build/bench-release/bench-data/load-9m}
runs=${RUNS:-3}
moves=${MOVES:-400}

source "$root/bench/common.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVYX_BUILD_BENCH=ON -DVYX_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target vyx bench_loop_slider >/dev/null
vyx=$build/src/cli/vyx
bench_folder "$data" 30
bench_warm

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for ((i = 0; i < runs; i++)); do
  "$build/bench/bench_loop_slider" "$data" "$moves" 2>/dev/null | tee "$scratch/run.$i"
done
echo "data: ${#files[@]} day files, $bytes bytes, $runs runs, $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
pick() {  # median over the runs of field $2 of the lines that match the pattern $1
  cat "$scratch"/run.* | awk -v k="$1" -v f="$2" '$0 ~ k { print $f }' | sort -g |
    awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}
echo "medians: events computed in $(pick '^events computed' 8) s; longest turn while computing $(pick '^turns while computing' 11) ms;" \
  "longest turn while sliding $(pick '^turns while sliding' 11) ms (target < 50 ms); move to tiles shown median" \
  "$(pick '^move to tiles shown' 6) ms, p99 $(pick '^move to tiles shown' 9) ms; the UI thread's CPU in its longest turn" \
  "$(pick '^UI thread CPU.*while sliding' 13) ms while sliding, $(pick '^UI thread CPU.*while computing' 13) ms while" \
  "computing (a wall time far above it is the machine's load, not the window)"
