#!/usr/bin/env bash
# Builds everything and runs every test: unit tests against the fake platform and the
# recording OpenGL, the audio library on SDL's dummy and disk drivers, the music and
# picture checks, and the end-to-end tests of the real program under its own Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-dependencies.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
cd build
ctest --output-on-failure -j"$(nproc)"
