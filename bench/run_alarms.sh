#!/usr/bin/env bash
# Alarm analysis benchmark. Uses the 9-million-record folder of run_load.sh (generated once, the same way).
# In the same run: the whole events run (`vyx state DIR --at T`: load, events pass, one query) and the whole
# alarm run (`vyx alarms DIR`: the same load and events pass, then the analysis and the report), both with
# their peak resident memory; then bench_alarms, which times the analysis on its own against the events pass
# and reports how far memory rose above the events.
#
# Usage: bench/run_alarms.sh            (RUNS=3 BUILD_DIR=... DATA_DIR=... to change the defaults)
# Needs GNU time (/usr/bin/time).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build/bench-release}
data=${DATA_DIR:-$build/bench-data/load-9m}
runs=${RUNS:-3}

source "$root/bench/common.sh"
bench_require_time run_alarms.sh
bench_build vyx bench_alarms
bench_folder "$data" 30
bench_warm

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

measure() {  # appends "wall cpu maxrss_kb" to the file $1; the command's stdout goes to the file $2
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

middle=$(basename "${files[14]}" .txt)
at="${middle:2:2}/${middle:4:2}/20${middle:6:2} 12:00:00"

for ((i = 0; i < runs; i++)); do
  measure "$scratch/events" "$scratch/state.csv" "$vyx" state "$data" --at "$at"
  grep -q '^FCU,Type,' "$scratch/state.csv" || { echo "vyx state failed" >&2; exit 1; }
  measure "$scratch/alarms" "$scratch/alarms.csv" "$vyx" alarms "$data"
  grep -q '^Figures' "$scratch/alarms.csv" || { echo "vyx alarms failed" >&2; exit 1; }
done
events_wall=$(median "$scratch/events" 1)
alarms_wall=$(median "$scratch/alarms" 1)

echo "data: ${#files[@]} day files, $bytes bytes, $runs runs per figure, $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-34s %9s %7s %9s\n' "measure (median)" "wall s" "cpu s" "peak MB"
printf '%-34s %9.4f %7.2f %9.1f\n' "vyx state --at (load + events)" "$events_wall" "$(median "$scratch/events" 2)" \
  "$(peak "$scratch/events")"
printf '%-34s %9.4f %7.2f %9.1f\n' "vyx alarms (load + events + all)" "$alarms_wall" "$(median "$scratch/alarms" 2)" \
  "$(peak "$scratch/alarms")"
"$build/bench/bench_alarms" "$data" "$runs"
