#!/usr/bin/env bash
# Installs what is missing, builds Lumetrix and runs every test.
#   ./test.sh          Release build, all tests (what CI runs)
#   ./test.sh --asan   the same with AddressSanitizer and UndefinedBehaviorSanitizer
#   ./test.sh --tsan   the window-free tests of the code that runs threads, with ThreadSanitizer
#   ./test.sh --bench  also builds the benchmarks and runs them once
set -euo pipefail
cd "$(dirname "$0")"

mode=release
bench=OFF
for arg in "$@"; do
  case "$arg" in
    --asan) mode=asan ;;
    --tsan) mode=tsan ;;
    --bench) bench=ON ;;
    *) echo "usage: ./test.sh [--asan | --tsan] [--bench]" >&2; exit 2 ;;
  esac
done

if [[ $bench == ON ]]; then
  ./scripts/deps.sh --bench
else
  ./scripts/deps.sh --test
fi

build=build/$mode
cmake_args=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DLUMETRIX_WERROR=ON -DLUMETRIX_BENCH=$bench)
if [[ $mode == asan ]]; then
  cmake_args+=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMETRIX_SANITIZE=ON)
fi
# ThreadSanitizer: the test programs of the code that runs threads (brick loading, piece and
# pyramid caches, parallel reading and writing, time points read ahead) and needs no window: Qt
# and Mesa are not built with it, and their own threads would only be reported falsely.
tsan_tests=(tests/streaming/test_streaming tests/imaging/lumetrix_imaging_tests tests/series/test_series
            tests/core/test_core tests/viewer/test_viewer_core)
if [[ $mode == tsan ]]; then
  cmake_args+=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMETRIX_TSAN=ON)
fi
cmake -S . -B "$build" "${cmake_args[@]}" >/dev/null
if [[ $mode == tsan ]]; then
  cmake --build "$build" -j"$(nproc)" --target "${tsan_tests[@]##*/}"
else
  cmake --build "$build" -j"$(nproc)"
fi

# Tests never touch the user's own settings, palettes or temporary files.
sandbox=$(mktemp -d)
trap 'rm -rf "$sandbox"' EXIT
export XDG_CONFIG_HOME=$sandbox/config XDG_DATA_HOME=$sandbox/data XDG_CACHE_HOME=$sandbox/cache
export TMPDIR=$sandbox/tmp XDG_RUNTIME_DIR=$sandbox/runtime
mkdir -p "$TMPDIR" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1
export LIBGL_ALWAYS_SOFTWARE=1

# -noreset: without it the server resets whenever its last client leaves, and a program starting
# at that moment cannot connect (a rare failure of whichever test starts then).
display=(xvfb-run -a -s "-screen 0 1600x1200x24 -noreset")

if [[ $mode == tsan ]]; then
  # A data race or a lock-order inversion fails the run (the program ends with code 66).
  export TSAN_OPTIONS=second_deadlock_stack=1
  failed=0
  for t in "${tsan_tests[@]}"; do
    (cd "$build/$(dirname "$t")" && "${display[@]}" "./$(basename "$t")") || { echo "=== $t failed under ThreadSanitizer ==="; failed=1; }
  done
  exit $failed
fi
if ! "${display[@]}" ctest --test-dir "$build" -j"$(nproc)" --timeout 600 --output-on-failure; then
  # A failure fails the run. The failures are run once more, one at a time, only so that their
  # full output ends the log.
  echo "=== failed tests, run again one by one for their output ==="
  "${display[@]}" ctest --test-dir "$build" --rerun-failed --output-on-failure -V --timeout 600 || true
  exit 1
fi

if [[ -x scripts/fuzz.sh ]]; then
  scripts/fuzz.sh --short
fi

if [[ $bench == ON ]]; then
  for b in "$build"/bench/*/bench_*; do
    if [[ -f $b && -x $b ]]; then  # not the Qt autogen folders beside them
      "${display[@]}" "$b"
    fi
  done
fi
