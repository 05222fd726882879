#!/usr/bin/env bash
# Load benchmark. Generates a folder of 9 million records over 30 day files (once), then measures in the same
# run a floor (cat of the day files to /dev/null, warm cache) and `vyx count` in the three orders, and prints
# each median as a ratio to the floor with the peak resident memory. Then bench_fetch: how soon the first
# 1000 records can be fetched during a load, and how long a page of 50 rows takes to fetch.
#
# Usage: bench/run_load.sh            (RUNS=5 BUILD_DIR=... DATA_DIR=... to change the defaults)
# Needs GNU time (/usr/bin/time).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build/bench-release}
data=${DATA_DIR:-$build/bench-data/load-9m}
runs=${RUNS:-5}

source "$root/bench/common.sh"
bench_require_time run_load.sh
bench_build vyx bench_fetch
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
  # Wall time from the shell's microsecond clock (GNU time rounds to 10 ms); CPU and peak memory from GNU time.
  awk -v s="$start" -v e="$end" '{ printf "%.4f %.2f %s\n", e - s, $1 + $2, $3 }' "$scratch/time" >>"$into"
}


for ((i = 0; i < runs; i++)); do measure "$scratch/floor" /dev/null cat "${files[@]}"; done
floor_wall=$(median "$scratch/floor" 1)
floor_cpu=$(median "$scratch/floor" 2)

echo "data: ${#files[@]} day files, $bytes bytes, $runs runs per figure, $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-26s %9s %7s %7s %9s %s\n' "measure (median)" "wall s" "x floor" "cpu s" "peak MB" "target"
printf '%-26s %9.4f %7s %7.2f %9s %s\n' "floor (cat)" "$floor_wall" "1.0" "$floor_cpu" "-" ""

for order in stored asc desc; do
  : >"$scratch/$order"
  for ((i = 0; i < runs; i++)); do
    measure "$scratch/$order" "$scratch/out" "$vyx" count "$data" --order "$order"
    grep -q '^Total Record Found:- ' "$scratch/out" || { echo "vyx count failed" >&2; exit 1; }
  done
  wall=$(median "$scratch/$order" 1)
  cpu=$(median "$scratch/$order" 2)
  peak=$(sort -g -k3,3 "$scratch/$order" | tail -n 1 | awk '{ print $3 }')
  target="<= 15x, <= 40 MB"
  [ "$order" = stored ] && target="<= 4x, <= 40 MB"
  printf '%-26s %9.4f %7.1f %7.2f %9.1f %s\n' "vyx count --order $order" "$wall" \
    "$(awk -v a="$wall" -v b="$floor_wall" 'BEGIN { print a / b }')" "$cpu" \
    "$(awk -v k="$peak" 'BEGIN { print k / 1024 }')" "$target"
done
echo "($(cat "$scratch/out"))"

# Filtered loads in stored order: the decoding filters take each record apart, so they cost the most.
filtered() {  # label, then the filter options
  local label=$1
  shift
  : >"$scratch/filtered"
  for ((i = 0; i < runs; i++)); do
    measure "$scratch/filtered" "$scratch/out" "$vyx" count "$data" "$@"
    grep -q '^Total Record Found:- ' "$scratch/out" || { echo "vyx count $* failed" >&2; exit 1; }
  done
  local wall cpu peak
  wall=$(median "$scratch/filtered" 1)
  cpu=$(median "$scratch/filtered" 2)
  peak=$(sort -g -k3,3 "$scratch/filtered" | tail -n 1 | awk '{ print $3 }')
  printf '%-26s %9.4f %7.1f %7.2f %9.1f %s (%s)\n' "$label" "$wall" \
    "$(awk -v a="$wall" -v b="$floor_wall" 'BEGIN { print a / b }')" "$cpu" \
    "$(awk -v k="$peak" 'BEGIN { print k / 1024 }')" "<= 8x" "$(cat "$scratch/out")"
}
filtered "Open, FCU 12" --command Open --fcu 12
filtered "all status and alarms" --command "--ALL STATUS AND ALARMS--"
filtered "MS_B(right), Modbus" --channel "MS_B(right)" --command Modbus

"$build/bench/bench_fetch" "$data" "$runs"
echo "targets: first 1000 records within 20 ms; 50 rows within 1 ms"
