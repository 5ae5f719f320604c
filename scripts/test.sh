#!/usr/bin/env bash
# Builds everything and runs every test, in four builds:
#   build/        the normal build: unit tests against the fake platform and the
#                 recording OpenGL, the audio library on SDL's dummy and disk
#                 drivers, the music and picture checks, the soak run, and the
#                 end-to-end tests of the real program under its own Xvfb;
#   build-asan/   the same tests under AddressSanitizer and UBSan (gcc);
#   build-tsan/   the audio library's tests under ThreadSanitizer (gcc);
#   build-fuzz/   the libFuzzer targets (clang), each run for a bounded time.
# Exits non-zero if any build or test fails; every build's tests run even when
# an earlier one failed, and the normal build's ctest summary comes last.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
scripts/install-dependencies.sh || exit 1
jobs=$(nproc)
failed=()

section() { printf '\n==== %s ====\n' "$*"; }

# The sanitizers: stop at the first error, and leave alone the third-party
# libraries' process-lifetime allocations (tests/lsan.supp).
export ASAN_OPTIONS=abort_on_error=0:detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1

section "AddressSanitizer + UBSan build and all tests"
if CC=gcc CXX=g++ cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUINTRELL_SANITIZE=ON >/dev/null &&
   cmake --build build-asan -j"$jobs" > build-asan/build.log 2>&1; then
  # The end-to-end tests wait for the program with time limits; under the
  # sanitizers it starts and exits slower, so they run one at a time, after
  # the rest, rather than next to another test.
  (cd build-asan && ctest --output-on-failure -j"$jobs" --timeout 300 -LE e2e) || failed+=("asan tests")
  (cd build-asan && ctest --output-on-failure -j1 -L e2e) || failed+=("asan end-to-end tests")
else
  tail -n 40 build-asan/build.log; failed+=("asan build")
fi

section "ThreadSanitizer build and the audio library's tests"
if CC=gcc CXX=g++ cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUINTRELL_TSAN=ON >/dev/null &&
   cmake --build build-tsan --target audio_library_tests -j"$jobs" > build-tsan/build.log 2>&1; then
  # Only this one test program is built here, so it is run directly.
  SDL_AUDIODRIVER=dummy build-tsan/tests/audio_library/audio_library_tests || failed+=("tsan tests")
else
  tail -n 40 build-tsan/build.log; failed+=("tsan build")
fi

section "libFuzzer build and bounded fuzzing runs"
fuzzers=(fuzz_png png_seed_writer fuzz_module fuzz_songc fuzz_window)
if CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUINTRELL_FUZZ=ON >/dev/null &&
   cmake --build build-fuzz -j"$jobs" $(printf -- '--target %s ' "${fuzzers[@]}") > build-fuzz/build.log 2>&1; then
  (cd build-fuzz && ctest --output-on-failure -j"$jobs" -R '^fuzz_') || failed+=("fuzzing")
else
  tail -n 40 build-fuzz/build.log; failed+=("fuzz build")
fi

[ ${#failed[@]} -ne 0 ] && echo "FAILED so far: ${failed[*]}"

section "Normal build and all tests"
if cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null && cmake --build build -j"$jobs"; then
  (cd build && ctest --output-on-failure -j"$jobs") || failed+=("tests")
else
  failed+=("build")
fi

# The normal build's ctest summary stays the last thing printed.
[ ${#failed[@]} -eq 0 ] || exit 1
