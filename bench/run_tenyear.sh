#!/usr/bin/env bash
# Ten-year benchmark. Generates (once) a folder of ten years of day files, 30,000 records a day, plus one day
# of 2.7 million records, which alone makes more than 256 run files in a time-ordered load. Then measures in
# the same run a floor (cat of the day files to /dev/null, warm cache) and, with the descriptor limit set to
# 1024 and to 256 (hard and soft alike: the program raises its soft limit to the hard one), `vyx count` in the
# three orders; at 256 also a filtered time-ordered load and the CSV report of every record. Prints medians:
# wall time as a ratio to the floor, CPU time, peak resident memory and the peak number of descriptors the
# process held open (sampled about every 20 ms). Any run that exits non-zero, says "Too many open files" or
# counts a different number of records is listed at the end, and the script then exits with 1.
#
# Usage: bench/run_tenyear.sh   (RUNS=3 REPORT_RUNS=... DAYS=3650 RECORDS_PER_DAY=30000 BIG_DAY=2700000
#                                LIMITS="1024 256" BUILD_DIR=... DATA_DIR=... to change the defaults)
# Needs GNU time (/usr/bin/time), prlimit and pgrep. The folder takes about 3.4 GB under the build directory;
# the load's temporary files go to a scratch folder there too, removed at the end.
set -euo pipefail
shopt -s nullglob

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build/bench-release}
days=${DAYS:-3650}
per_day=${RECORDS_PER_DAY:-30000}
big_day=${BIG_DAY:-2700000}
start=05/01/2009
data=${DATA_DIR:-$build/bench-data/tenyear-${days}x${per_day}+${big_day}}
runs=${RUNS:-3}
report_runs=${REPORT_RUNS:-$runs}
limits=${LIMITS:-1024 256}
low=${limits##* }  # the filtered load and the report run at the last limit

for tool in /usr/bin/time prlimit pgrep; do
  command -v "$tool" >/dev/null || { echo "run_tenyear.sh needs $tool" >&2; exit 2; }
done

began=$EPOCHREALTIME
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVYX_BUILD_GUI=OFF -DVYX_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target vyx >/dev/null
vyx=$build/src/cli/vyx

if [ ! -f "$data/.complete" ]; then
  rm -rf "$data" "$data.big"
  "$vyx" gen "$data" --days "$days" --records-per-day "$per_day" --start "$start" --clock-jumps
  # The big day is the day after the last of the ten years; it replaces the empty day file written there.
  # A separate folder, because the generator writes whole folders.
  big_start=$(date -u -d "$(echo "$start" | awk -F/ '{ print $3 "-" $2 "-" $1 }') + $days days" +%d/%m/%Y)
  "$vyx" gen "$data.big" --days 1 --records-per-day "$big_day" --start "$big_start" --seed 2 --clock-jumps
  big_file=LG$(echo "$big_start" | awk -F/ '{ print $1 $2 substr($3, 3, 2) }').txt
  mv "$data.big/$big_file" "$data/$big_file"
  rm -rf "$data.big"
  touch "$data/.complete"
fi
files=("$data"/LG*.txt)
bytes=$(cat "${files[@]}" | wc -c)
cat "${files[@]}" >/dev/null  # warm the page cache

scratch=$(mktemp -d "$build/tenyear-bench.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
# The load's run and index files go here, apart from any other vyx running on the machine.
mkdir "$scratch/tmp"
export TMPDIR=$scratch/tmp

# One measured run of "$@" with its stdout into the file $2 and its stderr into $scratch/err. Appends
# "wall cpu maxrss_kb peak_fds exit_code" to the file $1 (peak_fds -1: ended before the first sample). The descriptors are counted in the process GNU time
# starts (prlimit execs the program, so it keeps that pid); the glob saves a fork per sample.
measure() {
  local into=$1 out=$2
  shift 2
  local start=$EPOCHREALTIME
  /usr/bin/time -f '%U %S %M' -o "$scratch/time" "$@" >"$out" 2>"$scratch/err" &
  local timer=$! pid="" peak=-1 fds
  while kill -0 "$timer" 2>/dev/null; do
    [ -n "$pid" ] || pid=$(pgrep -P "$timer" || true)
    if [ -n "$pid" ]; then
      fds=(/proc/"$pid"/fd/*)
      ((${#fds[@]} > peak)) && peak=${#fds[@]}
    fi
    sleep 0.02
  done
  local code=0
  wait "$timer" || code=$?
  local end=$EPOCHREALTIME
  # Wall time from the shell's microsecond clock (GNU time rounds to 10 ms); CPU and peak memory from GNU time,
  # whose last line is the format's (a failed command's status line comes before it).
  awk -v s="$start" -v e="$end" -v f="$peak" -v c="$code" 'END { printf "%.4f %.2f %d %s %s\n", e - s, $1 + $2, $3, f, c }' \
    "$scratch/time" >>"$into"
}

median() {  # median of column $2 of file $1
  sort -g -k"$2","$2" "$1" | awk -v c="$2" '{ v[NR] = $c } END { print v[int((NR + 1) / 2)] }'
}
largest() {  # largest value of column $2 of file $1
  sort -g -k"$2","$2" "$1" | tail -n 1 | awk -v c="$2" '{ print $c }'
}

: >"$scratch/failures"
fail() {  # what was run, then why it failed; the first lines of its stderr follow
  {
    echo "FAILED: $1: $2"
    head -n 5 "$scratch/err" | sed 's/^/    /'
  } >>"$scratch/failures"
}

# Checks the last run: its exit code, the descriptor message, and its record count against the one it must
# agree with (empty: none). Arguments: the times file, the count, the count expected, what was run.
check() {
  local times=$1 counted=$2 expected=$3
  shift 3
  local code
  code=$(tail -n 1 "$times" | awk '{ print $5 }')
  if [ "${code:-1}" != 0 ]; then fail "$*" "exit code ${code:-unknown}"; return; fi
  if grep -q 'Too many open files' "$scratch/err"; then fail "$*" "\"Too many open files\" on stderr"; return; fi
  [ -n "$counted" ] || { fail "$*" "no record count in its output"; return; }
  if [ -n "$expected" ] && [ "$counted" != "$expected" ]; then
    fail "$*" "counted $counted records, the stored load $expected"
  fi
}

for ((i = 0; i < runs; i++)); do measure "$scratch/floor" /dev/null cat "${files[@]}"; done
floor_wall=$(median "$scratch/floor" 1)
floor_cpu=$(median "$scratch/floor" 2)

row() {  # label, limit, times file, note
  local wall cpu peak fds
  wall=$(median "$3" 1)
  cpu=$(median "$3" 2)
  peak=$(largest "$3" 3)
  fds=$(largest "$3" 4)
  [ "$fds" != -1 ] || fds=-
  local note=$4
  awk '$5 != 0 { bad = 1 } END { exit !bad }' "$3" && note="FAILED (see below)"
  printf '%-34s %5s %9.3f %7.1f %8.2f %8.1f %8s  %s\n' "$1" "$2" "$wall" \
    "$(awk -v a="$wall" -v b="$floor_wall" 'BEGIN { print a / b }')" "$cpu" \
    "$(awk -v k="$peak" 'BEGIN { print k / 1024 }')" "$fds" "$note"
}

expected=""
results=()
for limit in $limits; do
  for order in stored asc desc; do
    times=$scratch/count-$limit-$order
    : >"$times"
    for ((i = 0; i < runs; i++)); do
      measure "$times" "$scratch/out" prlimit --nofile="$limit:$limit" -- "$vyx" count "$data" --order "$order"
      counted=$(sed -n 's/^Total Record Found:- *//p' "$scratch/out")
      check "$times" "$counted" "$expected" "prlimit --nofile=$limit:$limit -- vyx count DIR --order $order"
      [ -n "$expected" ] || expected=$counted
    done
    results+=("vyx count --order $order|$limit|$times|$counted records")
  done
done

times=$scratch/filtered
: >"$times"
for ((i = 0; i < runs; i++)); do
  measure "$times" "$scratch/out" prlimit --nofile="$low:$low" -- "$vyx" count "$data" --order asc --channel A
  counted=$(sed -n 's/^Total Record Found:- *//p' "$scratch/out")
  check "$times" "$counted" "" "prlimit --nofile=$low:$low -- vyx count DIR --order asc --channel A"
done
results+=("vyx count --order asc --channel A|$low|$times|$counted records")

times=$scratch/report
: >"$times"
for ((i = 0; i < report_runs; i++)); do
  measure "$times" /dev/null prlimit --nofile="$low:$low" -- "$vyx" report "$data" --type csv --out - --stats
  stats=$(grep '^load [0-9.]* s, report ' "$scratch/err" || true)
  counted=$(echo "$stats" | sed -n 's/.*, \([0-9]*\) records, .*/\1/p')
  check "$times" "$counted" "$expected" "prlimit --nofile=$low:$low -- vyx report DIR --type csv --out - --stats"
done
results+=("vyx report --type csv --out -|$low|$times|${stats:-no stats}")

echo "data: ${#files[@]} day files (the last of $big_day records), $bytes bytes, $expected records;" \
  "$runs runs per figure ($report_runs for the report); $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-34s %5s %9s %7s %8s %8s %8s  %s\n' "measure (median)" "fds" "wall s" "x floor" "cpu s" "peak MB" \
  "peak fds" "result (last run)"
printf '%-34s %5s %9.3f %7s %8.2f %8s %8s\n' "floor (cat)" "-" "$floor_wall" "1.0" "$floor_cpu" "-" "-"
for entry in "${results[@]}"; do
  IFS='|' read -r label limit times note <<<"$entry"
  row "$label" "$limit" "$times" "$note"
done
echo "fds: hard and soft descriptor limit of the run; peak fds: most descriptors open at once, stdin/out/err" \
  "included. Took $(awk -v s="$began" -v e="$EPOCHREALTIME" 'BEGIN { printf "%.0f", e - s }') s in all."

if [ -s "$scratch/failures" ]; then
  cat "$scratch/failures" >&2
  echo "run_tenyear.sh: some runs failed (above)" >&2
  exit 1
fi
