#!/usr/bin/env bash
# Loop events benchmark. Uses the 9-million-record folder of run_load.sh (generated once, the same way), then
# measures in the same run the floor, the time-ordered load (`vyx count --order asc`), and the whole events
# run (`vyx state DIR --at T`: the same load, the events pass over it, one state query and a table of some
# 300 rows), and prints the events run as a ratio to the load with its peak resident memory. Then
# bench_state: the events pass on its own and the latency of a state query at random moments.
#
# Usage: bench/run_events.sh            (RUNS=5 BUILD_DIR=... DATA_DIR=... to change the defaults)
# Needs GNU time (/usr/bin/time).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build/bench-release}
data=${DATA_DIR:-$build/bench-data/load-9m}
runs=${RUNS:-5}

source "$root/bench/common.sh"
bench_require_time run_events.sh
bench_build vyx bench_state
bench_folder "$data" 30
bench_warm

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# One measured run: appends "wall cpu maxrss_kb" to the file $1; the command's stdout goes to the file $2.
measure() {
  local into=$1 out=$2
  shift 2
  local start=$EPOCHREALTIME
  /usr/bin/time -f '%U %S %M' -o "$scratch/time" "$@" >"$out" 2>/dev/null
  local end=$EPOCHREALTIME
  awk -v s="$start" -v e="$end" '{ printf "%.4f %.2f %s\n", e - s, $1 + $2, $3 }' "$scratch/time" >>"$into"
}

peak() {  # largest column 3 of file $1, in MB
  sort -g -k3,3 "$1" | tail -n 1 | awk '{ print $3 / 1024 }'
}

for ((i = 0; i < runs; i++)); do measure "$scratch/floor" /dev/null cat "${files[@]}"; done
floor_wall=$(median "$scratch/floor" 1)

# A moment in the middle of the folder: the day of the 15th day file at noon.
middle=$(basename "${files[14]}" .txt)
at="${middle:2:2}/${middle:4:2}/20${middle:6:2} 12:00:00"

for ((i = 0; i < runs; i++)); do
  measure "$scratch/load" "$scratch/out" "$vyx" count "$data" --order asc
  grep -q '^Total Record Found:- ' "$scratch/out" || { echo "vyx count failed" >&2; exit 1; }
  measure "$scratch/events" "$scratch/state.csv" "$vyx" state "$data" --at "$at"
  grep -q '^FCU,Type,' "$scratch/state.csv" || { echo "vyx state failed" >&2; exit 1; }
done
load_wall=$(median "$scratch/load" 1)
events_wall=$(median "$scratch/events" 1)

echo "data: ${#files[@]} day files, $bytes bytes, $runs runs per figure, $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-34s %9s %7s %7s %9s %s\n' "measure (median)" "wall s" "x load" "cpu s" "peak MB" "target"
printf '%-34s %9.4f %7s %7s %9s %s\n' "floor (cat)" "$floor_wall" "-" "-" "-" ""
printf '%-34s %9.4f %7s %7.2f %9.1f %s\n' "vyx count --order asc" "$load_wall" "1.0" \
  "$(median "$scratch/load" 2)" "$(peak "$scratch/load")" ""
printf '%-34s %9.4f %7.2f %7.2f %9.1f %s\n' "vyx state --at (load + events)" "$events_wall" \
  "$(awk -v a="$events_wall" -v b="$load_wall" 'BEGIN { print a / b }')" "$(median "$scratch/events" 2)" \
  "$(peak "$scratch/events")" "<= 2x load, <= 64 MB"
echo "(state at $at: $(($(wc -l <"$scratch/state.csv") - 1)) rows)"

for ((i = 0; i < runs; i++)); do "$build/bench/bench_state" "$data" 21 >"$scratch/state.$i"; done
cat "$scratch/state.$((runs - 1))"
echo "medians of $runs runs: events pass $(cat "$scratch"/state.* | awk '/events pass/ { print $7 }' | sort -g |
  awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }') s, state at T (fresh query) $(cat "$scratch"/state.* |
  awk '/fresh query/ { print $9 }' | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }') ms"
echo "target: state at any T within 50 ms"
