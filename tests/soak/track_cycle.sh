#!/usr/bin/env bash
# Picks the nine tracks in turn with the digit keys, 14 times over (126 loads),
# and prints the program's resident memory after each round: loading and
# freeing modules must not make it grow. Not part of CI. Usage:
#   tests/soak/track_cycle.sh build/player [display]
set -euo pipefail
player=${1:?usage: track_cycle.sh PLAYER [DISPLAY]}
display=${2:-:95}
Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
app=0
trap 'kill $app $xvfb 2>/dev/null || true' EXIT
export DISPLAY=$display SDL_AUDIODRIVER=dummy
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
"$player" >/dev/null 2>&1 &
app=$!
window=""
for _ in $(seq 100); do
  window=$(xdotool search --name "Quintrell" 2>/dev/null | head -n1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "the player's window did not appear"; exit 1; }
for round in $(seq 1 14); do
  for key in 1 2 3 4 5 6 7 8 9; do
    xdotool key --window "$window" "$key"
    sleep 0.3
  done
  echo "round $round: resident $(awk '/VmRSS/ {print $2}' "/proc/$app/status") kB"
done
