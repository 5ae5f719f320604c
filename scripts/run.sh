#!/usr/bin/env bash
# Builds the player and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-dependencies.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build --target player -j"$(nproc)"
exec build/player
