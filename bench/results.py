#!/usr/bin/env python3
"""Turns what bench/run.sh collects into figures and bench/RESULTS.md.

  results.py frame FRAME.json        summary of frame_bench's JSON, as key=value lines
  results.py audio AUDIO.json        summary of audio_render_bench's JSON, as key=value lines
  results.py latency TRACE           summary of the instrumented program's trace, as key=value lines
  results.py write RAWDIR OUT.md     the table, from the key=value files in RAWDIR
"""
import json
import statistics
import sys
from pathlib import Path


def read_values(path):
    """key=value lines; a key given more than once collects a list."""
    values = {}
    for line in Path(path).read_text().splitlines():
        if "=" not in line:
            continue
        key, value = line.split("=", 1)
        values.setdefault(key, []).append(value)
    return values


def numbers(values, key):
    return [float(v) for v in values.get(key, [])]


def median(values, key):
    found = numbers(values, key)
    return statistics.median(found) if found else None


def one(values, key, default=None):
    found = values.get(key)
    return found[0] if found else default


def frame_summary(path):
    data = json.loads(Path(path).read_text())
    rows = data["benchmarks"]
    for name in ("render_frame", "clear_and_swap"):
        full = name + "/process_time"
        iterations = [r for r in rows if r["run_name"] == full and r["run_type"] == "iteration"]
        for row in iterations:
            scale = {"ms": 1.0, "us": 1e-3, "ns": 1e-6}[row["time_unit"]]
            print(f"{name}_cpu_ms={row['cpu_time'] * scale:.5f}")
            print(f"{name}_real_ms={row['real_time'] * scale:.5f}")
        print(f"{name}_repetitions={len(iterations)}")
        if name == "render_frame":
            print(f"own_allocations={int(sum(r['own_allocations'] for r in iterations))}")
            print(f"counted_frames={int(sum(r['frames'] for r in iterations))}")
            for row in iterations:
                print(f"library_mallocs_per_frame={row['library_mallocs_per_frame']:.2f}")


def audio_summary(path):
    data = json.loads(Path(path).read_text())
    for row in data["benchmarks"]:
        if row["run_type"] != "iteration":
            continue
        kind, track = row["run_name"].split("/", 1)
        print(f"{kind}.{track}={row['cpu_per_music_s']:.9f}")


def latency_summary(path):
    keys, firsts, scopes = [], [], []
    for line in Path(path).read_text().splitlines():
        parts = line.split()
        if parts[0] == "key":
            keys.append(int(parts[1]))
        elif parts[0] == "first":
            firsts.append(int(parts[1]))
        elif parts[0] == "scope":
            scopes.append((int(parts[1]), int(parts[2])))
    key_ms = []
    for pressed in keys:
        later = [t for t in firsts if t > pressed]
        if later:
            key_ms.append((min(later) - pressed) / 1e6)
    print(f"keys_sent={len(keys)}")
    for value in key_ms:
        print(f"key_to_first_sample_ms={value:.3f}")
    # The program's first second (start-up, the device's first buffers) is left out.
    started = scopes[0][0] if scopes else 0
    scope_ms = [(swap - left) / 1e6 for swap, left in scopes if swap - started > 1_000_000_000]
    print(f"scope_frames={len(scope_ms)}")
    if scope_ms:
        ordered = sorted(scope_ms)
        print(f"sample_to_drawn_median_ms={statistics.median(ordered):.3f}")
        print(f"sample_to_drawn_p95_ms={ordered[int(0.95 * (len(ordered) - 1))]:.3f}")
        print(f"sample_to_drawn_min_ms={ordered[0]:.3f}")
        print(f"sample_to_drawn_max_ms={ordered[-1]:.3f}")


def fmt(value, digits=2, unit=""):
    if value is None:
        return "n/a"
    return f"{value:.{digits}f}{unit}"


def verdict(ok):
    if ok is None:
        return "n/a"
    return "yes" if ok else "**no**"


def write(raw_dir, out_path):
    raw = Path(raw_dir)
    load = lambda name: read_values(raw / f"{name}.txt") if (raw / f"{name}.txt").exists() else None
    rows = []  # measure, ours, peer, ratio, goal, met
    notes = []

    startup = load("startup")
    if startup:
        ours, peer = median(startup, "player_ms"), median(startup, "minimal_ms")
        # Runs alternate, so each player run has a minimal-window run made beside it
        # under the same load; the median of those pairs' ratios is the comparison.
        pairs = [a / b for a, b in zip(numbers(startup, "player_ms"), numbers(startup, "minimal_ms"))]
        ratio = statistics.median(pairs) if pairs else None
        fastest = (min(numbers(startup, "player_ms")) / min(numbers(startup, "minimal_ms"))) if pairs else None
        rows.append(("1. Start-up to first presented frame", fmt(ours, 1, " ms"), fmt(peer, 1, " ms") + " (minimal window)",
                     fmt(ratio), "≤ 1.3", verdict(ratio <= 1.3 if ratio else None)))
        notes.append(f"1. Start-up: median of {one(startup, 'runs')} runs each, the two programs alternating, after one "
                     f"unmeasured run each (page cache, Mesa's shader cache); measured {one(startup, 'measured_at')}. "
                     f"From just before fork/exec to the return of the first SDL_GL_SwapWindow, which a preloaded shim "
                     f"(bench/probe/first_swap_shim.cpp) notes before ending the process with _exit(0); same shim for "
                     f"both programs. The ratio is the median of the ratios of each player run to the minimal-window "
                     f"run beside it; the ratio of the two medians is {fmt(ours / peer if ours and peer else None)} and "
                     f"of the two fastest runs {fmt(fastest)}; "
                     f"load average then {one(startup, 'load')} (other builds share the machine, and start-up is "
                     f"the figure that moves most with it). All runs (ms): player "
                     f"{', '.join(fmt(v, 1) for v in numbers(startup, 'player_ms'))}; minimal window "
                     f"{', '.join(fmt(v, 1) for v in numbers(startup, 'minimal_ms'))}.")

    playing = load("playing")
    if playing:
        player = median(playing, "player_cpu_per_s")
        window = median(playing, "minimal_cpu_per_s")
        music = median(playing, "openmpt_cpu_per_s")
        parts = window + music if window is not None and music is not None else None
        ratio = player / parts if player is not None and parts else None
        overhead = ratio - 1 if ratio is not None else None
        rows.append(("2. Playing: CPU s per s of music (whole process)", fmt(player, 4),
                     f"{fmt(parts, 4)} = window {fmt(window, 4)} + libopenmpt {fmt(music, 4)}",
                     fmt(ratio), "overhead ≤ 20% (ratio ≤ 1.20)",
                     verdict(overhead <= 0.20 if overhead is not None else None)))
        drawing_note = ""
        frame_values = load("frame")
        if frame_values and overhead is not None:
            extra_ms = median(frame_values, "render_frame_cpu_ms") - median(frame_values, "clear_and_swap_cpu_ms")
            frames_per_s = 1000.0 / (20.0 + median(frame_values, "render_frame_real_ms"))
            drawing_note = (f"Most of the overhead is the scene itself, which the minimal window does not draw: from "
                            f"benchmark 3, renderFrame costs {extra_ms:.3f} ms of CPU more than clear + swap, at about "
                            f"{frames_per_s:.0f} frames/s that is {extra_ms * frames_per_s:.1f} ms per second, "
                            f"leaving {max(0.0, (player - parts) * 1000 - extra_ms * frames_per_s):.1f} ms per second "
                            f"not explained by back-to-back drawing (caches and llvmpipe threads gone cold over each 20 ms "
                            f"sleep, the audio library's capture and history, event handling, "
                            f"measurement noise). ")
        xvfb_player = median(playing, "player_watch_cpu_per_s")
        xvfb_window = median(playing, "minimal_watch_cpu_per_s")
        notes.append(f"2. Playing: median of {one(playing, 'runs')} rounds; each round runs the player, the minimal "
                     f"window presenting at the same pace (clear, swap, 20 ms sleep) and libopenmpt alone playing "
                     f"{one(playing, 'song')} into SDL's dummy output (44100 Hz, 512 frames, filter length 8), one "
                     f"after the other, each for {one(playing, 'seconds')} s after 2 s of start-up; CPU is user + "
                     f"system of all threads from /proc/PID/stat (10 ms ticks); load average at the start {one(playing, 'load')}. Overhead beyond the two parts: "
                     f"{fmt(overhead * 100 if overhead is not None else None, 1, '%')} "
                     f"({fmt((player - parts) * 1000 if ratio is not None else None, 1, ' ms')} of CPU per second). "
                     f"{drawing_note}"
                     f"Xvfb's own CPU, outside the process: {fmt(xvfb_player, 4)} s/s beside the player, "
                     f"{fmt(xvfb_window, 4)} s/s beside the minimal window. Measured {one(playing, 'measured_at')}. "
                     f"All runs: player {', '.join(fmt(v, 4) for v in numbers(playing, 'player_cpu_per_s'))}; window "
                     f"{', '.join(fmt(v, 4) for v in numbers(playing, 'minimal_cpu_per_s'))}; libopenmpt "
                     f"{', '.join(fmt(v, 4) for v in numbers(playing, 'openmpt_cpu_per_s'))}.")

    frame = load("frame")
    if frame:
        ours, peer = median(frame, "render_frame_cpu_ms"), median(frame, "clear_and_swap_cpu_ms")
        ratio = ours / peer if ours and peer else None
        rows.append(("3. One frame, process CPU (llvmpipe, 480x240)", fmt(ours, 3, " ms"),
                     fmt(peer, 3, " ms") + " (clear + swap)", fmt(ratio), "none set", "n/a"))
        own = int(one(frame, "own_allocations", "-1"))
        status = one(frame, "frame_bench_status", "?")
        rows.append(("3. Allocations by the program's drawing per frame", f"{own} in {one(frame, 'counted_frames')} frames",
                     "—", "—", "0", verdict(own == 0 and status == "0")))
        notes.append(f"3. One frame: Google Benchmark, {one(frame, 'render_frame_repetitions')} repetitions of at least "
                     f"0.5 s each, median; CPU time of the whole process (Mesa's llvmpipe draws on threads of its own), "
                     f"audio output stopped so that the music is not counted. The Player is built over the real "
                     f"platform layer on a 480x240 window under Xvfb. Wall time per frame: renderFrame "
                     f"{fmt(median(frame, 'render_frame_real_ms'), 3, ' ms')}, clear + swap "
                     f"{fmt(median(frame, 'clear_and_swap_real_ms'), 3, ' ms')}. Allocations were counted over every "
                     f"timed frame after 50 frames of warm-up, by operator new on any thread and malloc/calloc/realloc "
                     f"called from the executable's own code; Mesa's and SDL's own mallocs on the drawing thread are "
                     f"counted apart: {fmt(median(frame, 'library_mallocs_per_frame'), 1)} per frame (median), inside "
                     f"the GL driver, not the program. Measured {one(frame, 'measured_at')}.")

    audio = load("audio")
    if audio:
        tracks = sorted({k.split(".", 1)[1] for k in audio if k.startswith("library_callback.")})
        worst = None
        details = []
        for track in tracks:
            ours = median(audio, f"library_callback.{track}")
            peer = median(audio, f"openmpt_read.{track}")
            if ours is None or not peer:
                continue
            ratio = ours / peer
            details.append(f"{track} {ours * 1000:.3f} / {peer * 1000:.3f} ms = {ratio:.3f}")
            if worst is None or ratio > worst[0]:
                worst = (ratio, track, ours, peer)
        songs = [t for t in tracks if t != "test_tune"] or tracks
        total_ours = sum(median(audio, f"library_callback.{t}") for t in songs)
        total_peer = sum(median(audio, f"openmpt_read.{t}") for t in songs)
        if total_peer:
            ratio = total_ours / total_peer
            rows.append((f"4. Audio render, CPU per s of music (all {len(songs)} songs)",
                         fmt(total_ours / len(songs) * 1000, 3, " ms"),
                         fmt(total_peer / len(songs) * 1000, 3, " ms") + " (libopenmpt's own read)", fmt(ratio, 3),
                         "≤ 1.1", verdict(ratio <= 1.1)))
        notes.append(f"4. Audio render: bench/audio_render (the library's render callback against "
                     f"openmpt_module_read_interleaved_stereo, same settings), median of "
                     f"{len(numbers(audio, 'library_callback.' + tracks[0])) if tracks else 0} repetitions per track, "
                     f"repetitions interleaved at random; the row gives the mean over the songs and the ratio of "
                     f"the sums. CPU ms per second of music per track, ours / libopenmpt: {'; '.join(details)}; "
                     f"worst track {worst[1] if worst else 'n/a'} ({fmt(worst[0] if worst else None, 3)}). Single-track "
                     f"ratios move by several tenths between runs on this shared 2-CPU machine. "
                     f"Measured {one(audio, 'measured_at')}.")

    memory = load("memory")
    if memory:
        ours, peer = median(memory, "player_hwm_kb"), median(memory, "minimal_hwm_kb")
        ratio = ours / peer if ours and peer else None
        rows.append(("5. Peak resident set after 5 s (VmHWM)", fmt(ours / 1024 if ours else None, 1, " MiB"),
                     fmt(peer / 1024 if peer else None, 1, " MiB") + " (minimal window)", fmt(ratio),
                     "≤ 1.5", verdict(ratio <= 1.5 if ratio else None)))
        notes.append(f"5. Memory: VmHWM from /proc/PID/status 5 s after the start, median of {one(memory, 'runs')} "
                     f"runs each (the playing runs when those were made). Both processes map Mesa's llvmpipe (LLVM) "
                     f"and SDL; the program adds libopenmpt, FreeType/fontconfig, its decoded pictures and the "
                     f"audio thread. Measured {one(memory, 'measured_at')}.")

    latency = load("latency")
    if latency:
        key = median(latency, "key_to_first_sample_ms")
        key_all = numbers(latency, "key_to_first_sample_ms")
        scope = median(latency, "sample_to_drawn_median_ms")
        rows.append(("6a. Digit key's WM_KEYDOWN to first sample of the new track leaving the callback",
                     fmt(key, 1, " ms"), "—", "—", "< 30 ms", verdict(key < 30 if key is not None else None)))
        rows.append(("6b. Sample leaving the callback to drawn by the oscilloscope (median frame)", fmt(scope, 1, " ms"),
                     "—", "—", "< 30 ms", verdict(scope < 30 if scope is not None else None)))
        notes.append(f"6. Latency: the program built with QUINTRELL_TRACE_LATENCY (bench/latency, "
                     f"platform/sdl/audio_trace.cpp) records CLOCK_MONOTONIC times; xdotool sent "
                     f"{one(latency, 'keys_sent')} digit keys ~1-2 s apart. (a) starts when the key's WM_KEYDOWN is put "
                     f"on the message queue (the layer's PeekMessageA turns SDL's event into it) and ends when the "
                     f"first callback that rendered the newly loaded module returns its buffer to SDL; median of "
                     f"{len(key_all)} presses, max {fmt(max(key_all) if key_all else None, 1, ' ms')}, all: "
                     f"{', '.join(fmt(v, 1) for v in key_all)}. It leaves out the time a key waits in the X/SDL queue "
                     f"while the frame loop sleeps (up to 20 ms plus one frame) before it becomes a message. (b) for "
                     f"every presented frame: from the return of the callback that handed out the newest frame the "
                     f"oscilloscope drew, to the return of that frame's SDL_GL_SwapWindow; over "
                     f"{one(latency, 'scope_frames')} frames after the first second: median {fmt(scope, 1, ' ms')}, "
                     f"min {fmt(median(latency, 'sample_to_drawn_min_ms'), 1, ' ms')}, 95th percentile "
                     f"{fmt(median(latency, 'sample_to_drawn_p95_ms'), 1, ' ms')}, max "
                     f"{fmt(median(latency, 'sample_to_drawn_max_ms'), 1, ' ms')}. The capture deliberately shows "
                     f"what is being heard: it ends two 512-frame buffers behind the newest frame handed to the "
                     f"device, moved on by the time since the last callback, so its newest frame left the callback "
                     f"one to two buffers (11.6 to 23.2 ms) before the capture; (b) is that modelled device queue "
                     f"plus the rest of the frame's drawing and its swap. Neither figure can "
                     f"include the sound card's own delay or the display's scan-out: the runs use SDL's dummy audio "
                     f"driver and Xvfb. Measured {one(latency, 'measured_at')}.")

    lines = ["# Benchmark results", "",
             "Written by `bench/run.sh` (do not edit by hand). Machine: "
             f"{Path('/proc/cpuinfo').read_text().count('processor')} CPUs; Xvfb, Mesa llvmpipe, SDL dummy audio; "
             "Release build. Ratios are ours / peer, each pair measured side by side in the same run.", "",
             "| Measure | Ours | Peer | Ratio | Goal | Met? |", "|---|---|---|---|---|---|"]
    lines += ["| " + " | ".join(row) + " |" for row in rows]
    lines += ["", "## How each figure was obtained", ""]
    lines += [note + "\n" for note in notes]
    Path(out_path).write_text("\n".join(lines))


def main():
    if len(sys.argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    command = sys.argv[1]
    if command == "frame":
        frame_summary(sys.argv[2])
    elif command == "audio":
        audio_summary(sys.argv[2])
    elif command == "latency":
        latency_summary(sys.argv[2])
    elif command == "write" and len(sys.argv) == 4:
        write(sys.argv[2], sys.argv[3])
    else:
        print(__doc__, file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main())
