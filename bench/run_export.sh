#!/usr/bin/env bash
# Export benchmark. Uses the folder of run_load.sh (9 million records over 30 day files; generated once),
# measures in the same run a floor (cat of the day files to /dev/null, warm cache) and `vyx count` (the load
# alone), then `vyx export` to CSV, JSON Lines and SQLite, and prints the medians of wall time as ratios to the
# floor, records per second of the whole command and of the export phase (its own --stats), and peak
# resident memory; beside the SQLite export, SQLite's own copy of its rows (the sqlite3 shell) as the engine's
# floor. A second, smaller folder (a third of the days) shows that memory does not grow with the
# folder.
#
# Usage: bench/run_export.sh            (RUNS=3 BUILD_DIR=... DATA_DIR=... SMALL_DIR=... OUT_DIR=... to change the
#                                       defaults)
# Needs GNU time (/usr/bin/time). The exports go to OUT_DIR (default: beside the data), about 5 GB at most.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build/bench-release}
data=${DATA_DIR:-$build/bench-data/load-9m}
small=${SMALL_DIR:-$build/bench-data/export-3m}
runs=${RUNS:-3}
out=${OUT_DIR:-$build/bench-data/export-out}

source "$root/bench/common.sh"
bench_require_time run_export.sh
bench_build vyx
bench_folder "$data" 30
bench_folder "$small" 10
bench_warm
records=$("$vyx" count "$data" 2>/dev/null | sed -n 's/^Total Record Found:- //p')
small_records=$("$vyx" count "$small" 2>/dev/null | sed -n 's/^Total Record Found:- //p')

scratch=$(mktemp -d)
mkdir -p "$out"
trap 'rm -rf "$scratch" "$out"' EXIT

# One measured run: appends "wall cpu maxrss_kb export_rate" to the file $1. The export's own --stats line
# (stderr) gives the rate of the export phase; 0 when the command prints none.
measure() {
  local into=$1
  shift
  local start=$EPOCHREALTIME
  /usr/bin/time -f '%U %S %M' -o "$scratch/time" "$@" >/dev/null 2>"$scratch/err" || {
    echo "failed: $*" >&2
    cat "$scratch/err" >&2
    exit 1
  }
  local end=$EPOCHREALTIME
  local rate
  rate=$(sed -n 's/.* \([0-9]*\) records\/s$/\1/p' "$scratch/err" | tail -n 1)
  awk -v s="$start" -v e="$end" -v r="${rate:-0}" '{ printf "%.4f %.2f %s %s\n", e - s, $1 + $2, $3, r }' \
    "$scratch/time" >>"$into"
}

peak() {  # largest peak memory (column 3) in MB
  sort -g -k3,3 "$1" | tail -n 1 | awk '{ printf "%.1f", $3 / 1024 }'
}

for ((i = 0; i < runs; i++)); do measure "$scratch/floor" cat "${files[@]}"; done
floor_wall=$(median "$scratch/floor" 1)

echo "data: ${#files[@]} day files, $bytes bytes, $records records; $runs runs per figure, $(nproc) cores," \
  "load average $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-34s %8s %7s %7s %9s %12s %12s %s\n' "measure (median)" "wall s" "x floor" "cpu s" "peak MB" \
  "records/s" "export r/s" "target"
printf '%-34s %8.3f %7s %7s %9s %12s %12s\n' "floor (cat)" "$floor_wall" "1.0" "$(median "$scratch/floor" 2)" \
  "-" "-" "-"

row() {  # label, target, records, then the command; the output $fresh (when set) is removed before each run
  local label=$1 target=$2 n=$3
  shift 3
  : >"$scratch/m"
  for ((i = 0; i < runs; i++)); do
    # Each run writes a new output, not over the last one: freeing gigabytes of a replaced file is not the export.
    if [ -n "${fresh:-}" ]; then rm -rf "$fresh"; fi
    measure "$scratch/m" "$@"
  done
  local wall
  wall=$(median "$scratch/m" 1)
  printf '%-34s %8.3f %7.1f %7.2f %9s %12.0f %12s %s\n' "$label" "$wall" \
    "$(awk -v a="$wall" -v b="$floor_wall" 'BEGIN { print a / b }')" "$(median "$scratch/m" 2)" \
    "$(peak "$scratch/m")" "$(awk -v n="$n" -v w="$wall" 'BEGIN { print n / w }')" "$(median "$scratch/m" 4)" \
    "$target"
}

row "vyx count (the load alone)" "" "$records" "$vyx" count "$data"
fresh=$out/all.csv row "vyx export --format csv" ">= 2 M/s" "$records" "$vyx" export "$data" --format csv --out "$out/all.csv" --stats
rm -f "$out/all.csv"
fresh=$out/all.jsonl row "vyx export --format jsonl" ">= 2 M/s" "$records" "$vyx" export "$data" --format jsonl --out "$out/all.jsonl" --stats
rm -f "$out/all.jsonl"
fresh=$out/all.sqlite row "vyx export --format sqlite" ">= 1 M/s" "$records" "$vyx" export "$data" --format sqlite --out "$out/all.sqlite" --stats
# The engine's own floor: the sqlite3 shell copies the rows just exported into a fresh database with the same
# table and indexes and the export's settings (the WHERE keeps SQLite from copying the rows as they are stored).
if command -v sqlite3 >/dev/null; then
  schema=$(sqlite3 "$out/all.sqlite" "SELECT group_concat(sql, '; ') FROM (SELECT sql FROM sqlite_schema
    WHERE tbl_name = 'records' AND sql IS NOT NULL ORDER BY type = 'index', rowid)")
  copy="PRAGMA page_size = 16384; PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; PRAGMA locking_mode = EXCLUSIVE;
    PRAGMA cache_size = -32768; ATTACH '$out/all.sqlite' AS export; BEGIN; $schema;
    INSERT INTO main.records SELECT * FROM export.records WHERE sr_no > 0; COMMIT;"
  row "SQLite's own copy (sqlite3 shell)" "" "$records" bash -c 'rm -f "$1" && sqlite3 "$1" "$2"' copy \
    "$out/copy.sqlite" "$copy"
  rm -f "$out/copy.sqlite"
else
  echo "no sqlite3 shell (Debian package sqlite3): no row for SQLite's own copy of the rows"
fi
rm -f "$out/all.sqlite"
fresh=$out/part row "vyx export csv --partition" ">= 2 M/s" "$records" "$vyx" export "$data" --format csv --partition "$out/part" --site bench --stats
rm -rf "$out/part"
echo "a third of the days ($small_records records): peak memory should stay the same"
fresh=$out/s.csv row "vyx export --format csv (10 days)" "" "$small_records" "$vyx" export "$small" --format csv --out "$out/s.csv" --stats
fresh=$out/s.sqlite row "vyx export --format sqlite (10 days)" "" "$small_records" "$vyx" export "$small" --format sqlite --out "$out/s.sqlite" --stats
echo "records/s: records over the whole command's wall time (load included); export r/s: the export phase alone"
echo "SQLite's own copy: INSERT ... SELECT of the sqlite export's rows into the same table and indexes (reading"
echo "them included): how fast SQLite itself fills that schema on this machine"
