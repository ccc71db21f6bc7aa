#!/usr/bin/env bash
# Installs the Debian packages Lumetrix needs to build, run and test.
# Quick when everything is already there: only missing packages go to apt-get.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libqscintilla2-qt6-dev
  libgl1-mesa-dev libglu1-mesa-dev libxcb1-dev libgl1-mesa-dri libegl-dev libegl-mesa0
  libtiff-dev libjpeg62-turbo-dev
  libblosc-dev libzstd-dev zlib1g-dev nlohmann-json3-dev  # OME-Zarr chunks and metadata
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth
  librsvg2-bin  # draws the PNG icons from the SVG at build time
)
# --test: what the tests need; --bench: also the peer programs the benchmarks compare against.
want_test=false want_bench=false
for arg in "$@"; do
  case "$arg" in
    --test) want_test=true ;;
    --bench) want_test=true want_bench=true ;;
    *) echo "usage: scripts/deps.sh [--test] [--bench]" >&2; exit 2 ;;
  esac
done
if $want_test; then
  # Independent decoders and reference tools the tests and benchmarks compare against.
  PACKAGES+=(libgif-dev libavfilter-dev libtiff-tools lua5.4 liblua5.4-dev clang libclang-rt-14-dev ffmpeg
    python3-tifffile python3-numpy python3-pil)
  PACKAGES+=(python3-zarr python3-numcodecs)  # writes the OME-Zarr folders the reader's tests open
  PACKAGES+=(time)  # measures a command's peak resident memory (GNU time)
  # Validators of the installed desktop entry, metainfo and man page.
  PACKAGES+=(desktop-file-utils appstream man-db groff-base)
  # The Debian package's checker (tests/packaging builds the .deb and runs it).
  PACKAGES+=(lintian)
fi
if $want_bench; then
  # vispy's Volume visual, the ray caster's peer in bench/render (drawn through EGL under Xvfb, or PyQt5).
  PACKAGES+=(python3-vispy python3-opengl python3-pyqt5 python3-pyqt5.qtopengl)
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
if [[ $(id -u) -ne 0 ]]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
