#!/usr/bin/env bash
# Runs the real program for a long time (600 s by default) on a private Xvfb
# with SDL's dummy audio driver and random pointer and key input, and checks:
#   - it never crashes or quits;
#   - its resident memory stays within 1 MiB after the first minute;
#   - tracks advance by themselves (the title line changes although the
#     input never presses a digit or a button).
# Not part of CI: it takes ten minutes. Usage:
#   tests/soak/real_soak.sh build/player [seconds] [display]
set -euo pipefail

player=${1:?usage: real_soak.sh PLAYER [SECONDS] [DISPLAY]}
seconds=${2:-600}
display=${3:-:93}
work=$(mktemp -d)
xvfb=0
app=0
cleanup() {
  [ "$app" -ne 0 ] && kill "$app" 2>/dev/null || true
  [ "$xvfb" -ne 0 ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
export DISPLAY=$display SDL_AUDIODRIVER=dummy
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo >/dev/null 2>&1 || { echo "Xvfb on $display did not start"; exit 1; }

"$player" >"$work/player.log" 2>&1 &
app=$!
window=""
for _ in $(seq 100); do
  window=$(xdotool search --name "Quintrell" 2>/dev/null | head -n1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "the player's window did not appear"; exit 1; }
sleep 1

# The title line: the middle of the row 40 pixels below the top, away from
# the arcs (at most 160 pixels in from either edge) and the buttons.
title_hash() {
  import -window "$window" -crop 150x34+165+20 +repage rgb:- 2>/dev/null | md5sum | cut -c1-12
}
rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$app/status"; }

# Random input that never picks a track itself: pointer moves anywhere,
# presses and drags only away from the three buttons' hit circles, keys that
# are neither digits nor Esc.
in_button() {  # x y: inside a hit circle (radius 32 around (169.6|240|310.4, 120)), with a margin
  local x=$1 y=$2 cx
  for cx in 170 240 310; do
    (( (x - cx) * (x - cx) + (y - 120) * (y - 120) <= 36 * 36 )) && return 0
  done
  return 1
}
keys=(a s d f space Left Right Up Down Return Tab F1 q w)
random_input() {
  local x=$((RANDOM % 480)) y=$((RANDOM % 240)) r=$((RANDOM % 100))
  if (( r < 70 )); then
    xdotool mousemove --window "$window" "$x" "$y"
  elif (( r < 85 )); then
    in_button "$x" "$y" && return 0
    xdotool mousemove --window "$window" "$x" "$y" click 1
  elif (( r < 92 )); then
    # A drag along the slider's rows (window y 180 to 205).
    xdotool mousemove --window "$window" $((150 + RANDOM % 180)) $((180 + RANDOM % 26)) mousedown 1 \
      mousemove --window "$window" $((150 + RANDOM % 180)) $((180 + RANDOM % 26)) mouseup 1
  else
    xdotool key --window "$window" "${keys[RANDOM % ${#keys[@]}]}"
  fi
}

start=$(date +%s)
next_sample=$start
samples=()        # "elapsed rss"
changes=0
last_hash=$(title_hash)
inputs=0
echo "soak: $player for $seconds s on $display, pid $app, window $window"
while :; do
  now=$(date +%s)
  elapsed=$((now - start))
  if ! kill -0 "$app" 2>/dev/null; then
    wait "$app" && status=0 || status=$?
    echo "FAIL: the player ended after $elapsed s with status $status"
    tail -n 20 "$work/player.log"
    exit 1
  fi
  (( elapsed >= seconds )) && break
  if (( now >= next_sample )); then
    rss=$(rss_kib)
    samples+=("$elapsed $rss")
    hash=$(title_hash)
    if [ -n "$hash" ] && [ "$hash" != "$last_hash" ]; then
      changes=$((changes + 1))
      echo "  $elapsed s: title changed ($changes), RSS $rss KiB"
      last_hash=$hash
    fi
    (( elapsed % 60 == 0 )) && echo "  $elapsed s: RSS $rss KiB, $inputs inputs so far"
    next_sample=$((now + 5))
  fi
  random_input || true
  inputs=$((inputs + 1))
  sleep 0.0$((RANDOM % 10))
done

# Resident memory from the first minute on.
read -r low high < <(printf '%s\n' "${samples[@]}" | awk '$1 >= 60 { if (lo == "" || $2 < lo) lo = $2; if ($2 > hi) hi = $2 } END { print lo, hi }')
spread=$((high - low))
echo "soak: $seconds s, $inputs inputs, RSS after the first minute $low..$high KiB (spread $spread KiB), title changes $changes"
status=0
(( spread <= 1024 )) || { echo "FAIL: resident memory moved by more than 1 MiB"; status=1; }
(( changes >= seconds / 120 )) || { echo "FAIL: tracks did not advance by themselves (expected one change per ~80-110 s)"; status=1; }
[ $status -eq 0 ] && echo "soak: PASS"
exit $status
