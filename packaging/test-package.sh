#!/usr/bin/env bash
# Builds the Debian package from a Release build, installs it with apt as a user would, checks that the
# installed programs run and that the desktop files are in place, then removes the package again.
# Needs root (apt-get install). Usage: packaging/test-package.sh   (build folder: build/package)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${VYX_PACKAGE_BUILD_DIR:-build/package}
export DEBIAN_FRONTEND=noninteractive
passed=0
failed=0

check() {  # check "what" command...
    local what=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
        echo "ok: $what"
    else
        failed=$((failed + 1))
        echo "FAILED: $what" >&2
    fi
}

bash scripts/bootstrap.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVYX_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"
rm -f "$build"/vyx-viewer_*.deb
(cd "$build" && cpack -G DEB)
deb=$(ls "$build"/vyx-viewer_*.deb)
echo "package: $deb"
dpkg-deb --field "$deb" Package Version Architecture Depends Recommends

# Every shared library the programs load must come in through the package's own dependencies: find the
# Debian package that provides each one here and look for it in Depends.
owner() {  # the package that holds a library file (the database may name it under /lib or /usr/lib)
    local path=$1
    dpkg -S "$path" 2>/dev/null || dpkg -S "/usr$path" 2>/dev/null || dpkg -S "$(realpath "$path")" 2>/dev/null
}
# Package names only: one per line, without versions, alternatives split.
depends=$(dpkg-deb --field "$deb" Depends | tr ',|' '\n\n' | awk '{ print $1 }')
libraries=$(for program in "$build/src/cli/vyx" "$build/src/app/vyx-viewer"; do
    readelf -d "$program" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p'
done | sort -u)
for library in $libraries; do
    # Read to the end (no early exit, no head): with pipefail a writer cut off by SIGPIPE fails the script.
    path=$(ldconfig -p | awk -v name="$library" '!found && $1 == name { print $NF; found = 1 }')
    package=$(owner "$path" | sed -n '1s/:.*//p')
    check "Depends names $package (for $library)" grep -q -x -F "$package" <<<"$depends"
done

# A package of the same version left by an earlier run would make apt keep the old files.
if dpkg-query -W -f='${Status}' vyx-viewer 2>/dev/null | grep -q "install ok installed"; then
    apt-get purge -y -qq vyx-viewer
fi
work=$(mktemp -d)
installed=0
cleanup() {
    if [ "$installed" = 1 ]; then apt-get purge -y -qq vyx-viewer >/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

# Recommends (xdg-utils) are left out: the test is about what the package needs, and must not download.
apt-get install -y -qq --no-install-recommends "$(realpath "$deb")"
installed=1

check "vyx is on the PATH in /usr/bin" test "$(command -v vyx)" = /usr/bin/vyx
check "vyx --help lists the commands" bash -c 'vyx --help | grep -q "^  gen "'
check "vyx --version" bash -c 'vyx --version | grep -q "^vyx [0-9]"'
check "vyx gen writes a sample folder" \
    vyx gen "$work/data" --days 2 --records-per-day 2000 --seed 11 --no-faults
check "vyx count loads it" bash -c "vyx count '$work/data' | grep -q '^Total Record Found:- 4000$'"
check "vyx-viewer --help (offscreen)" \
    bash -c 'QT_QPA_PLATFORM=offscreen timeout 5 vyx-viewer --no-splash --help | grep -q -- "--fcu"'

# A real start on the folder, with a temporary folder, settings and single-instance socket of its own, so a
# viewer already running for this user cannot answer for it. It must still run after a few seconds and have
# loaded the folder (the index files of the day files appear in its run folder inside its temporary folder).
mkdir -p -m 0700 "$work/tmp" "$work/config"
TMPDIR="$work/tmp" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/tmp" QT_QPA_PLATFORM=offscreen \
    vyx-viewer --no-splash --messages "$work/data" >"$work/viewer.log" 2>&1 &
viewer=$!
for _ in $(seq 1 20); do
    sleep 0.5
    if compgen -G "$work/tmp/vyx-*/run-*/LG*.txt_filter" >/dev/null; then break; fi
done
sleep 1
check "vyx-viewer is still running with the folder open" kill -0 "$viewer"
check "vyx-viewer loaded the folder (index files written)" compgen -G "$work/tmp/vyx-*/run-*/LG*.txt_filter"
kill -TERM "$viewer" 2>/dev/null || true
status=0
wait "$viewer" || status=$?
# 143 is the end by SIGTERM asked for above; a crash shows as 134 (abort) or 139 (segmentation fault).
check "vyx-viewer ended by the signal, not by a crash (status $status)" test "$status" = 143 -o "$status" = 0
if [ "$status" != 143 ] && [ "$status" != 0 ]; then cat "$work/viewer.log" >&2; fi

check "desktop entry installed" test -f /usr/share/applications/vyx-viewer.desktop
if command -v desktop-file-validate >/dev/null; then
    check "desktop entry valid" desktop-file-validate /usr/share/applications/vyx-viewer.desktop
fi
for size in 16 32 48 256; do
    check "icon ${size}x${size}" test -s "/usr/share/icons/hicolor/${size}x${size}/apps/vyx-viewer.png"
done
# The viewer looks for its guide in <program folder>/../share/vyx-viewer.
check "user guide where the viewer looks for it" \
    bash -c 'head -c 5 /usr/bin/../share/vyx-viewer/VyxViewer.pdf | grep -q "%PDF-"'
check "manual pages" test -s /usr/share/man/man1/vyx.1 -a -s /usr/share/man/man1/vyx-viewer.1

apt-get purge -y -qq vyx-viewer
installed=0
check "purge removes the programs" test ! -e /usr/bin/vyx -a ! -e /usr/bin/vyx-viewer

echo "package: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
