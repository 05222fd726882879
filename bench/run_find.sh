#!/usr/bin/env bash
# Find benchmark. On the 9-million-record folder of run_load.sh (generated once), measures in the same run the
# floor `vyx count` in stored order, then `vyx find` for texts that no record holds, and prints each median as
# a ratio to the floor with the peak resident memory. A find loads the folder as count does, then reads every
# record again: the ratio less one is what the search itself costs.
#   --text "no such text"       no column can hold it: the records are read and their frames looked at
#   --text "DE AD BE EF 00 11"  hex digits and blanks: MessageContent is searched as bytes in every record
#   --text "12345678"           digits: Sr.No. and FCU numbers by arithmetic, Date-Time once per second
#   --decoded "no such text"    also the detail rows of every block transfer and Modbus multiple record
#
# Usage: bench/run_find.sh            (RUNS=3 BUILD_DIR=... DATA_DIR=... to change the defaults)
# Needs GNU time (/usr/bin/time).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build/bench-release}
data=${DATA_DIR:-$build/bench-data/load-9m}
runs=${RUNS:-3}

source "$root/bench/common.sh"
bench_require_time run_find.sh
bench_build vyx
bench_folder "$data" 30
bench_warm

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# One measured run: appends "wall cpu maxrss_kb" to the file $1; the command's stdout goes to the file $2.
measure() {
  local into=$1 out=$2
  shift 2
  local start=$EPOCHREALTIME
  /usr/bin/time -f '%U %S %M' -o "$scratch/time" "$@" >"$out" 2>/dev/null || true
  local end=$EPOCHREALTIME
  awk -v s="$start" -v e="$end" '{ printf "%.4f %.2f %s\n", e - s, $1 + $2, $3 }' "$scratch/time" >>"$into"
}

: >"$scratch/floor"
for ((i = 0; i < runs; i++)); do
  measure "$scratch/floor" "$scratch/out" "$vyx" count "$data" --order stored
  grep -q '^Total Record Found:- ' "$scratch/out" || { echo "vyx count failed" >&2; exit 1; }
done
floor_wall=$(median "$scratch/floor" 1)
floor_cpu=$(median "$scratch/floor" 2)
records=$(sed -n 's/^Total Record Found:- \([0-9]*\).*/\1/p' "$scratch/out")

echo "data: ${#files[@]} day files, $bytes bytes, $records records, $runs runs per figure, $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-38s %9s %7s %7s %9s %10s %s\n' "measure (median)" "wall s" "x floor" "cpu s" "peak MB" "M rec/s" "target"
printf '%-38s %9.4f %7s %7.2f %9s %10s %s\n' "floor (vyx count, stored)" "$floor_wall" "1.0" "$floor_cpu" "-" "-" ""

find_case() {  # label, target, then the find options
  local label=$1 target=$2
  shift 2
  : >"$scratch/find"
  for ((i = 0; i < runs; i++)); do
    measure "$scratch/find" "$scratch/out" "$vyx" find "$data" "$@"
    [ ! -s "$scratch/out" ] || { echo "vyx find $* found records: the benchmark needs a text no record holds" >&2; exit 1; }
  done
  local wall cpu peak
  wall=$(median "$scratch/find" 1)
  cpu=$(median "$scratch/find" 2)
  peak=$(sort -g -k3,3 "$scratch/find" | tail -n 1 | awk '{ print $3 }')
  # The search's own rate: the records over the time beyond the load.
  printf '%-38s %9.4f %7.1f %7.2f %9.1f %10s %s\n' "$label" "$wall" \
    "$(awk -v a="$wall" -v b="$floor_wall" 'BEGIN { print a / b }')" "$cpu" \
    "$(awk -v k="$peak" 'BEGIN { print k / 1024 }')" \
    "$(awk -v n="$records" -v a="$wall" -v b="$floor_wall" 'BEGIN { if (a > b) printf "%.1f", n / (a - b) / 1e6; else print "-" }')" \
    "$target"
}
find_case "find --text (no match)" "<= 3x" --text "no such text"
find_case "find --text hex digits (no match)" "<= 3x" --text "DE AD BE EF 00 11"
find_case "find --text digits (no match)" "<= 3x" --text "12345678"
find_case "find --text --match-case (no match)" "<= 3x" --text "No Such Text" --match-case
find_case "find --decoded (no match)" "<= 15x" --text "no such text" --decoded
echo "M rec/s: records / (find wall - count wall), the search alone; targets 10 (text) and 2 (decoded)"
