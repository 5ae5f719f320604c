#!/usr/bin/env bash
# Builds what the benchmarks need, runs them under a private Xvfb with SDL's
# dummy audio driver, and writes bench/RESULTS.md.
#
#   bench/run.sh                      every benchmark (about 7 to 8 minutes)
#   bench/run.sh startup frame ...    only those named; RESULTS.md keeps the
#                                     other rows from their last run, dated
#
# Benchmarks: startup playing frame audio memory latency. "playing" also
# measures memory, so "memory" alone is only needed when "playing" is not run.
# Environment: BENCH_BUILD_DIR (default: ../build-bench beside the source tree),
# BENCH_DISPLAYS (X display numbers to try, default "80 81 ... 89").
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BENCH_BUILD_DIR:-$(dirname "$root")/build-bench}
raw=$build/bench-results
displays=${BENCH_DISPLAYS:-"80 81 82 83 84 85 86 87 88 89"}

# Runs per figure; every figure is the median of these.
startup_runs=15
playing_runs=3
playing_seconds=30   # measured stretch, after 2 s of start-up
memory_runs=3
frame_repetitions=5
audio_repetitions=5
latency_keys=12

all=(startup playing frame audio memory latency)
if [[ $# -eq 0 ]]; then
    chosen=(startup playing frame audio latency)
else
    chosen=("$@")
    for name in "${chosen[@]}"; do
        [[ " ${all[*]} " == *" $name "* ]] || { echo "unknown benchmark: $name (one of: ${all[*]})" >&2; exit 2; }
    done
fi

log() { printf '%s  %s\n' "$(date -u +%H:%M:%S)" "$*" >&2; }

# --- build -----------------------------------------------------------------
mkdir -p "$build" "$raw"
if [[ ! -f $build/CMakeCache.txt ]]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
targets=(player first_swap_shim proc_probe minimal_window openmpt_realtime frame_bench audio_render_bench player_traced)
log "building ${targets[*]}"
cmake --build "$build" -j2 --target "${targets[@]}" >"$build/bench-build.log" 2>&1 ||
    { tail -30 "$build/bench-build.log" >&2; exit 1; }

player=$build/player
shim=$build/bench/probe/first_swap_shim.so
probe=$build/bench/probe/proc_probe
minimal=$build/bench/minimal_window/minimal_window
openmpt=$build/bench/openmpt_realtime/openmpt_realtime
frame_bench=$build/bench/frame/frame_bench
audio_bench=$build/bench/audio_render/audio_render_bench
traced=$build/bench/latency/player_traced
results_py=$root/bench/results.py
# The first track the program plays.
first_song=$root/assets/songs/$(awk '$1 == 112 {print $3}' "$root/assets/resources.rc" | sed 's|^songs/||')

# --- a private X server ----------------------------------------------------
xvfb_pid=""
cleanup() {
    if [[ -n $xvfb_pid ]]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
}
trap cleanup EXIT
for number in $displays; do
    [[ -e /tmp/.X$number-lock || -e /tmp/.X11-unix/X$number ]] && continue
    Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do
        [[ -e /tmp/.X11-unix/X$number ]] && break
        sleep 0.1
    done
    if kill -0 "$xvfb_pid" 2>/dev/null && [[ -e /tmp/.X11-unix/X$number ]]; then
        export DISPLAY=":$number"
        break
    fi
    xvfb_pid=""
done
[[ -n $xvfb_pid ]] || { echo "no free X display among: $displays" >&2; exit 1; }
export SDL_AUDIODRIVER=dummy
log "Xvfb on $DISPLAY"

stamp() { echo "measured_at=$(date -u '+%Y-%m-%d %H:%M UTC')"; echo "display=$DISPLAY"; echo "load=$(cut -d' ' -f1-3 /proc/loadavg)"; }

# --- 1. start-up -------------------------------------------------------------
run_startup() {
    local out=$raw/startup.txt
    log "startup: $startup_runs runs each, alternating"
    # One unmeasured run each fills the page cache and Mesa's shader cache.
    "$probe" startup "$shim" -- "$player" >/dev/null
    "$probe" startup "$shim" -- "$minimal" >/dev/null
    { stamp; echo "runs=$startup_runs"
      for _ in $(seq "$startup_runs"); do
          "$probe" startup "$shim" -- "$player" | sed 's/^startup_ms=/player_ms=/'
          "$probe" startup "$shim" -- "$minimal" | sed 's/^startup_ms=/minimal_ms=/'
      done; } >"$out.new"
    mv "$out.new" "$out"
}

# --- 2. playing, and 5. memory (read in the same runs) -----------------------
run_playing() {
    local out=$raw/playing.txt to=$((2 + playing_seconds))
    log "playing: $playing_runs rounds of player, minimal window, libopenmpt alone, ${playing_seconds} s each"
    { stamp; echo "runs=$playing_runs"; echo "seconds=$playing_seconds"; echo "song=$(basename "$first_song")"
      for _ in $(seq "$playing_runs"); do
          "$probe" run --cpu-from 2 --cpu-to "$to" --hwm-at 5 --watch "$xvfb_pid" -- "$player" | sed 's/^/player_/'
          "$probe" run --cpu-from 2 --cpu-to "$to" --hwm-at 5 --watch "$xvfb_pid" -- "$minimal" pace | sed 's/^/minimal_/'
          "$probe" run --cpu-from 2 --cpu-to "$to" --hwm-at 5 -- "$openmpt" "$first_song" | sed 's/^/openmpt_/'
      done; } >"$out.new"
    mv "$out.new" "$out"
    # The memory figures of these runs are the memory benchmark's too.
    { stamp; echo "runs=$playing_runs"; grep -E '^(player|minimal)_hwm_kb=' "$out"; } >"$raw/memory.txt"
}

run_memory() {
    local out=$raw/memory.txt
    log "memory: $memory_runs runs each, peak resident set after 5 s"
    { stamp; echo "runs=$memory_runs"
      for _ in $(seq "$memory_runs"); do
          "$probe" run --cpu-from 1 --cpu-to 5 --hwm-at 5 -- "$player" | grep hwm | sed 's/^/player_/'
          "$probe" run --cpu-from 1 --cpu-to 5 --hwm-at 5 -- "$minimal" pace | grep hwm | sed 's/^/minimal_/'
      done; } >"$out.new"
    mv "$out.new" "$out"
}

# --- 3. one frame --------------------------------------------------------------
run_frame() {
    local out=$raw/frame.txt json=$raw/frame.json status=0
    log "frame: $frame_repetitions repetitions each"
    "$frame_bench" --benchmark_repetitions="$frame_repetitions" --benchmark_min_time=0.5 \
        --benchmark_enable_random_interleaving=true \
        --benchmark_out="$json" --benchmark_out_format=json >/dev/null || status=$?
    { stamp; echo "frame_bench_status=$status"; python3 "$results_py" frame "$json"; } >"$out.new"
    mv "$out.new" "$out"
}

# --- 4. audio rendering -------------------------------------------------------
run_audio() {
    local out=$raw/audio.txt json=$raw/audio.json
    log "audio: $audio_repetitions repetitions per track"
    # Interleaved repetitions, so that a busy spell of the machine falls on
    # both sides of a pair rather than on one.
    "$audio_bench" --benchmark_repetitions="$audio_repetitions" --benchmark_min_time=0.2 \
        --benchmark_enable_random_interleaving=true \
        --benchmark_out="$json" --benchmark_out_format=json >/dev/null
    { stamp; python3 "$results_py" audio "$json"; } >"$out.new"
    mv "$out.new" "$out"
}

# --- 6. latency -------------------------------------------------------------
run_latency() {
    local out=$raw/latency.txt trace=$raw/latency_trace.txt window="" pid
    log "latency: $latency_keys digit keys on the instrumented program"
    rm -f "$trace"
    QUINTRELL_TRACE_FILE=$trace "$traced" &
    pid=$!
    for _ in $(seq 100); do
        window=$(xdotool search --name "Quintrell" 2>/dev/null | head -1 || true)
        [[ -n $window ]] && break
        sleep 0.1
    done
    [[ -n $window ]] || { kill "$pid"; echo "latency: the window did not appear" >&2; return 1; }
    sleep 2
    local keys=(2 3 4 5 6 7 8 9 1)
    for i in $(seq 0 $((latency_keys - 1))); do
        xdotool key --window "$window" "${keys[i % ${#keys[@]}]}"
        # Uneven gaps, so that presses land at every point of the frame loop's sleep.
        sleep "1.$((RANDOM % 10))$((RANDOM % 10))"
    done
    xdotool key --window "$window" Escape
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill "$pid" 2>/dev/null || true
    wait "$pid" || true
    { stamp; python3 "$results_py" latency "$trace"; } >"$out.new"
    mv "$out.new" "$out"
}

for name in "${chosen[@]}"; do "run_$name"; done
python3 "$results_py" write "$raw" "$root/bench/RESULTS.md"
log "wrote $root/bench/RESULTS.md"
