#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build, the program and its tests
# need and this machine lacks. Safe to run again: it does nothing when all is there.
set -euo pipefail

packages=(
  # compiler and build
  build-essential cmake pkg-config
  # the program: window, OpenGL (Mesa), pictures, title font, modules
  libsdl2-dev libgl-dev libgl1-mesa-dri libpng-dev zlib1g-dev libfreetype-dev libfontconfig-dev fontconfig
  fonts-dejavu-core fonts-noto-mono libopenmpt-dev
  # tests, benchmarks and measuring tools
  libgtest-dev libgmock-dev libbenchmark-dev libebur128-dev
  # end-to-end tests: a virtual X server, input, an Xlib client of our own
  xvfb xfonts-base xdotool x11-utils libx11-dev
  # the benchmark driver writes its table with python3
  python3
  # fuzzing and the sanitizer builds
  clang libclang-rt-14-dev
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then sudo=(sudo); fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
