#!/usr/bin/env bash
# Installs DuckDB's Node.js package, at a pinned version, into DIR (a folder of the build tree) for the
# export tests, which load exports with a real engine. Run by CTest before those tests; quick once installed.
# When the npm registry cannot be reached it writes DIR/UNREACHABLE and exits 0, and the tests skip with that
# reason; any other failure fails.
#
# Usage: scripts/install-duckdb.sh DIR
set -uo pipefail

dir=${1:?usage: install-duckdb.sh DIR}
version=1.5.6-r.1  # works on Node.js 20
module=$dir/node_modules/@duckdb/node-api/package.json

mkdir -p "$dir" || exit 1
rm -f "$dir/UNREACHABLE"
if [ -f "$module" ] && grep -q "\"version\": \"$version\"" "$module"; then
  echo "install-duckdb: @duckdb/node-api $version present in $dir"
  exit 0
fi
if ! command -v npm >/dev/null 2>&1 || ! command -v node >/dev/null 2>&1; then
  echo "Node.js and npm are not installed" >"$dir/UNREACHABLE"
  echo "install-duckdb: $(cat "$dir/UNREACHABLE")"
  exit 0
fi
cd "$dir" || exit 1
[ -f package.json ] || echo '{ "private": true, "description": "DuckDB for the export tests" }' >package.json
if timeout 600 npm install --no-audit --no-fund --loglevel=error "@duckdb/node-api@$version"; then
  echo "install-duckdb: installed @duckdb/node-api $version in $dir"
  exit 0
fi
if timeout 60 npm ping >/dev/null 2>&1; then
  echo "install-duckdb: npm install failed although the npm registry answers" >&2
  exit 1
fi
echo "the npm registry cannot be reached" >"$dir/UNREACHABLE"
echo "install-duckdb: $(cat "$dir/UNREACHABLE"); the DuckDB checks of the export tests skip"
exit 0
