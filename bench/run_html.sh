#!/usr/bin/env bash
# The Message Log page in a real browser. Generates a folder of RECORDS records (90,000 by default), writes
# its Message Log report as HTML with `vyx report --type html`, and times a headless Chromium taking a
# screenshot of the page (it waits for the page to load and lay out). Prints the median of RUNS and keeps
# the screenshot, to be looked at: the rows should be small Verdana (or the sans-serif standing in for it).
#
# Usage: bench/run_html.sh        (RECORDS=... RUNS=... TIMEOUT=seconds BUILD_DIR=... to change the defaults;
#                                  VYX=path uses that vyx instead of building one; PAGE=file.html times that
#                                  page instead of writing one)
# Needs the Debian package chromium.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build/bench-release}
records=${RECORDS:-90000}
runs=${RUNS:-3}
timeout_s=${TIMEOUT:-1800}
browser=${CHROMIUM:-chromium}

if ! command -v "$browser" >/dev/null; then
  echo "run_html.sh needs $browser; install the Debian package 'chromium'" >&2
  exit 2
fi

out=$build/html-bench
mkdir -p "$out"
page=${PAGE:-}
if [ -z "$page" ]; then
  vyx=${VYX:-}
  if [ -z "$vyx" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVYX_BUILD_GUI=OFF -DVYX_BUILD_TESTS=OFF >/dev/null
    cmake --build "$build" --target vyx >/dev/null
    vyx=$build/src/cli/vyx
  fi
  data=$build/bench-data/html-$records
  if [ ! -f "$data/.complete" ]; then
    rm -rf "$data"
    "$vyx" gen "$data" --days 1 --records-per-day "$records" --no-faults >/dev/null
    touch "$data/.complete"
  fi
  page=$out/report.html
  "$vyx" report "$data" --type html --out "$page" 2>/dev/null
fi
rows=$(grep -c '^<tr>' "$page" || true)

profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
times=()
for ((i = 0; i < runs; i++)); do
  start=$EPOCHREALTIME
  status=0
  timeout "$timeout_s" "$browser" --headless --no-sandbox --disable-gpu --hide-scrollbars \
    --user-data-dir="$profile" --window-size=1280,900 --screenshot="$out/report.png" "file://$page" \
    >/dev/null 2>&1 || status=$?
  end=$EPOCHREALTIME
  if [ "$status" -eq 124 ]; then
    echo "run $((i + 1)): not rendered within $timeout_s s"
    times+=("$timeout_s")
    continue
  fi
  times+=("$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.1f", e - s }')")
  echo "run $((i + 1)): ${times[-1]} s"
done
median=$(printf '%s\n' "${times[@]}" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')
echo "page: $page, $(wc -c <"$page") bytes, $rows rows (header included); $(nproc) cores, load average" \
  "$(cut -d' ' -f1-3 /proc/loadavg)"
echo "chromium screenshot, median of $runs: $median s (target: under 60 s); screenshot: $out/report.png"
