#!/usr/bin/env bash
# Installs the Debian packages the demo needs, builds it, generates its data and
# then either starts the demo in a window ("run") or runs every test ("test").
# Meant for a Debian 12 machine, run as root from the repository's top folder.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake pkg-config
  libsdl1.2-compat-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libpng-dev libfreetype-dev fonts-dejavu-core
  libx11-dev xvfb xdotool x11-utils
  ffmpeg sox
  libopenmpt-dev libxmp-dev
  clang libclang-rt-14-dev python3
)

install_missing() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

build() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1" -j"$(nproc)"
}

mode=${1:-run}
install_missing
case "$mode" in
  run)
    build default
    cd build
    exec ./demo -w
    ;;
  test)
    build default
    ctest --preset default
    # The module loader, replay routine and audio clock under libFuzzer for a minute.
    bash fuzz/run_fuzz.sh 60
    build asan
    ctest --preset asan
    ;;
  *)
    echo "usage: tools/setup.sh [run|test]" >&2
    exit 2
    ;;
esac
