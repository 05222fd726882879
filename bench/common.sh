# Shared by the benchmark scripts (sourced, after root, build and data are set): GNU time, the release build
# of the programs measured, the generated folders, the warm page cache and the median of a column.

bench_require_time() {  # the script's name
  if [ ! -x /usr/bin/time ]; then
    echo "$1 needs GNU time (/usr/bin/time); install the Debian package 'time'" >&2
    exit 2
  fi
}

bench_build() {  # targets: a release build without the viewer and the tests; sets vyx
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVYX_BUILD_BENCH=ON -DVYX_BUILD_GUI=OFF \
    -DVYX_BUILD_TESTS=OFF >/dev/null
  cmake --build "$build" --target "$@" >/dev/null
  vyx=$build/src/cli/vyx
}

bench_folder() {  # folder, days: 300,000 records a day with clock jumps, generated once
  if [ ! -f "$1/.complete" ]; then
    rm -rf "$1"
    "$vyx" gen "$1" --records-per-day 300000 --days "$2" --clock-jumps
    touch "$1/.complete"
  fi
}

bench_warm() {  # sets files and bytes for the folder $data and reads it once into the page cache
  files=("$data"/LG*.txt)
  bytes=$(cat "${files[@]}" | wc -c)
  cat "${files[@]}" >/dev/null
}

median() {  # median of column $2 of file $1
  sort -g -k"$2","$2" "$1" | awk -v c="$2" '{ v[NR] = $c } END { print v[int((NR + 1) / 2)] }'
}
