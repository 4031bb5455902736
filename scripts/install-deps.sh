#!/usr/bin/env bash
# Installs every Debian package the build, the player and the tests need.
# Idempotent: packages already present are left alone, so a second run is quick.
set -euo pipefail

PACKAGES=(
  # toolchain
  build-essential cmake pkg-config clang libclang-rt-14-dev
  # unit tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # Qt 6
  qt6-base-dev qt6-svg-dev qt6-tools-dev qt6-l10n-tools qt6-tools-dev-tools
  qt6-positioning-dev libqt6sql6-sqlite
  # SQLite's own interface: time limits on statements over offline map files
  libsqlite3-dev
  # video playback
  libvlc-dev libvlc-bin vlc-plugin-base
  # clip export: cutting, decoding and encoding (x264 comes with libavcodec)
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev
  # the evidence package's SHA-256 (OpenSSL uses the processor's SHA instructions)
  libssl-dev
  # fixtures, screenshots, headless GUI runs
  ffmpeg xvfb xauth xdotool imagemagick fonts-noto-cjk
  # export checks and peers measured by the benchmarks
  gpsbabel libxml2-utils libimage-exiftool-perl sqlite3
  # the Debian package check: lintian, and man to format the manual pages
  lintian man-db
  # a decimal-comma locale for the locale tests (built with localedef)
  locales
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
