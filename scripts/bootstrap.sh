#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the viewer need.
# Idempotent: only missing packages are installed. Run as root (or with sudo available).
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev qt6-pdf-dev
  libxlsxwriter-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libfmt-dev libcli11-dev
  libsqlite3-dev nettle-dev sqlite3
  xvfb xauth
  clang libclang-rt-14-dev
  unzip time ccache
  desktop-file-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "bootstrap: all packages present"
  exit 0
fi

echo "bootstrap: installing ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
