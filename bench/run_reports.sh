#!/usr/bin/env bash
# Report benchmark. Uses the 9-million-record folder of run_load.sh (generated here the same way when it is
# not there yet) and measures in the same run a floor (cat of the day files to /dev/null, warm cache), the
# load alone (`vyx count`), and the Message Log report of every record as CSV and as xlsx workbooks
# (`vyx report --stats`, which times the load and the report apart). Prints medians: wall time as a ratio to
# the floor, CPU time, peak resident memory, the report's own rate in records per second of wall time, and
# per second of CPU time (the load's CPU taken off), which a busy machine disturbs less.
#
# Usage: bench/run_reports.sh      (RUNS=5 XLSX_RUNS=3 BUILD_DIR=... DATA_DIR=... to change the defaults)
# Needs GNU time (/usr/bin/time). Writes about 1.2 GB of CSV and 0.5 GB of workbooks into a scratch folder
# under the build directory, removed at the end.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build/bench-release}
data=${DATA_DIR:-$build/bench-data/load-9m}
runs=${RUNS:-5}
xlsx_runs=${XLSX_RUNS:-3}

source "$root/bench/common.sh"
bench_require_time run_reports.sh
bench_build vyx
bench_folder "$data" 30
bench_warm

scratch=$(mktemp -d "$build/report-bench.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# One measured run: appends "wall cpu maxrss_kb report_s" to the file $1 (report_s from --stats, else 0).
measure() {
  local into=$1
  shift
  local start=$EPOCHREALTIME
  /usr/bin/time -f '%U %S %M' -o "$scratch/time" "$@" >/dev/null 2>"$scratch/err"
  local end=$EPOCHREALTIME
  local report
  report=$(sed -n 's/^load [0-9.]* s, report \([0-9.]*\) s, .*/\1/p' "$scratch/err")
  awk -v s="$start" -v e="$end" -v r="${report:-0}" '{ printf "%.4f %.2f %s %s\n", e - s, $1 + $2, $3, r }' \
    "$scratch/time" >>"$into"
}


for ((i = 0; i < runs; i++)); do measure "$scratch/floor" cat "${files[@]}"; done
floor_wall=$(median "$scratch/floor" 1)

for ((i = 0; i < runs; i++)); do measure "$scratch/load" "$vyx" count "$data"; done
records=$("$vyx" count "$data" 2>/dev/null | sed -n 's/^Total Record Found:- *//p')

echo "data: ${#files[@]} day files, $bytes bytes, $records records; $(nproc) cores, load average" \
  "$(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-24s %9s %7s %7s %8s %12s %12s  %s\n' "measure (median)" "wall s" "x floor" "cpu s" "peak MB" \
  "report rec/s" "rec/cpu-s" "target"
row() {  # name, file, target
  local wall cpu peak report rate cpu_rate
  wall=$(median "$2" 1)
  cpu=$(median "$2" 2)
  peak=$(sort -g -k3,3 "$2" | tail -n 1 | awk '{ print $3 }')
  report=$(median "$2" 4)
  rate=$(awk -v n="$records" -v r="$report" 'BEGIN { if (r > 0) printf "%.0f", n / r; else print "-" }')
  cpu_rate=$(awk -v n="$records" -v r="$report" -v c="$cpu" -v l="${load_cpu:-0}" \
    'BEGIN { if (r > 0 && c > l) printf "%.0f", n / (c - l); else print "-" }')
  printf '%-24s %9.3f %7.1f %7.2f %8.1f %12s %12s  %s\n' "$1" "$wall" \
    "$(awk -v a="$wall" -v b="$floor_wall" 'BEGIN { print a / b }')" "$cpu" \
    "$(awk -v k="$peak" 'BEGIN { print k / 1024 }')" "$rate" "$cpu_rate" "$3"
}
row "floor (cat)" "$scratch/floor" ""
row "vyx count (load)" "$scratch/load" ""
load_cpu=$(median "$scratch/load" 2)

mkdir -p "$scratch/csv" "$scratch/xlsx"
for ((i = 0; i < runs; i++)); do
  measure "$scratch/csv.t" "$vyx" report "$data" --type csv --out "$scratch/csv/r.csv" --stats
  [ -f "$scratch/csv/r_1.csv" ] || { echo "vyx report (csv) failed: $(cat "$scratch/err")" >&2; exit 1; }
  rm -f "$scratch"/csv/*
done
row "vyx report --type csv" "$scratch/csv.t" ">= 2000000 rec/s after the load, bounded memory"

for ((i = 0; i < xlsx_runs; i++)); do
  measure "$scratch/xlsx.t" "$vyx" report "$data" --type xlsx --out "$scratch/xlsx/r.xlsx" --stats
  [ -f "$scratch/xlsx/r_1.xlsx" ] || { echo "vyx report (xlsx) failed: $(cat "$scratch/err")" >&2; exit 1; }
  rm -f "$scratch"/xlsx/*
done
row "vyx report --type xlsx" "$scratch/xlsx.t" ">= 150000 rec/s after the load, bounded memory"
