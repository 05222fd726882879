#!/usr/bin/env bash
# Follow benchmark: how soon a record the logger writes appears in `vyx tail`, with inotify events and by the
# one-second check alone (median over 1,000 records written at 200 a second; targets < 1 s and < 2 s), what
# tail costs while nothing is written (no busy loop: a few milliseconds of CPU over the idle time), and
# whether it keeps up with 20,000 records a second into a store of 9 million records (the folder of
# run_load.sh, linked into a scratch folder so that it is not changed).
#
# Usage: bench/run_follow.sh          (RUNS=1 BUILD_DIR=... DATA_DIR=... IDLE=10 FAST=200000 to change)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build/bench-release}
data=${DATA_DIR:-$build/bench-data/load-9m}
runs=${RUNS:-1}
idle=${IDLE:-10}
fast=${FAST:-200000}

source "$root/bench/common.sh"
bench_build vyx bench_follow
bench=$build/bench/bench_follow

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

small=$scratch/small
"$vyx" gen "$small" --days 1 --records-per-day 1000 --no-faults >/dev/null

echo "$(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg), $runs run(s) per figure"
for ((i = 0; i < runs; i++)); do
  rm -f "$small"/LG010169.txt
  "$bench" "$vyx" "$small" 200 1000
  rm -f "$small"/LG010169.txt
  "$bench" "$vyx" "$small" 200 1000 --poll
done
"$bench" "$vyx" "$small" 0 0 --idle "$idle"

if [ "$fast" -gt 0 ]; then
  bench_folder "$data" 30
  big=$scratch/big
  mkdir -p "$big"
  ln -s "$data"/LG*.txt "$data"/MISCDATA.TXT "$big"/
  bench_warm
  echo "store: ${#files[@]} day files, $bytes bytes"
  "$bench" "$vyx" "$big" 20000 "$fast"
fi
