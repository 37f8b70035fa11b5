#!/usr/bin/env bash
# Installs the Debian packages the converter, its tests and benchmarks need.
# Only missing packages are installed; apt-get update runs once, and only then.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config
  libavformat-dev libavcodec-dev libavutil-dev libswresample-dev
  libmp3lame-dev libvorbis-dev libogg-dev libtag1-dev
  libflac-dev libopusenc-dev libopus-dev
  qt6-base-dev libgtest-dev
  libebur128-dev  # the tests measure loudness with it too, to compare
  clang libclang-rt-14-dev
  ffmpeg lame vorbis-tools python3-mutagen mp3val flac opus-tools parallel
  xvfb xauth time x11-utils
  dbus at-spi2-core python3-pyatspi x11-apps imagemagick
)
[ "${1:-}" = "--bench" ] && PACKAGES+=(hyperfine loudgain)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
