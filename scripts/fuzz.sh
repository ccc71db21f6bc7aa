#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build/fuzz and runs them, two at a time: the script
# engine's (fuzz_parse, fuzz_compile, fuzz_run, fuzz_regexp) and the readers of outside data (fuzz_tiff,
# fuzz_metadata, fuzz_bmp_jpeg, fuzz_palette_files, fuzz_avi, fuzz_settings, fuzz_keyframes, fuzz_zarr, fuzz_brick_source,
# fuzz_pyramid_cache;
# fuzz/CMakeLists.txt).
#   scripts/fuzz.sh           every target for 5 minutes (FUZZ_SECONDS=n to change)
#   scripts/fuzz.sh --short   every target but fuzz_run for 8 s (what ./test.sh runs; under a
#                             minute of fuzzing, plus a first build of a few minutes)
#   FUZZ_TARGETS="fuzz_tiff" scripts/fuzz.sh   only the named targets
# Exits 1 when a target finds a crash, leak, timeout or out-of-memory input (kept in
# build/fuzz/findings/, replay with: build/fuzz/<dir>/fuzz_<name> <file>), 2 when clang or
# libFuzzer is missing or the targets do not build.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-300}
short=0
for arg in "$@"; do
  case "$arg" in
    --short) short=1; seconds=${FUZZ_SECONDS:-8} ;;
    *) echo "usage: scripts/fuzz.sh [--short]" >&2; exit 2 ;;
  esac
done

fail_setup() {
  echo "fuzz.sh: $*" >&2
  exit 2
}

# clang and its libFuzzer runtime (Debian: clang, libclang-rt-14-dev; scripts/deps.sh --test).
cxx=""
for c in "${FUZZ_CXX:-}" clang++ clang++-16 clang++-15 clang++-14; do
  if [[ -n $c ]] && command -v "$c" >/dev/null 2>&1; then cxx=$(command -v "$c"); break; fi
done
[[ -n $cxx ]] || fail_setup "clang++ not found; install the Debian packages clang and libclang-rt-14-dev (scripts/deps.sh --test)"
cc=${cxx/clang++/clang}
[[ -x $cc ]] || fail_setup "$cc not found next to $cxx"
probe=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do
    if [[ -n $p ]]; then kill "$p" 2>/dev/null || true; fi
  done
  rm -rf "$probe"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
printf '#include <cstddef>\n#include <cstdint>\nextern "C" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }\n' \
  >"$probe/probe.cpp"
"$cxx" -fsanitize=fuzzer,address,undefined "$probe/probe.cpp" -o "$probe/probe" >"$probe/log" 2>&1 ||
  fail_setup "$cxx cannot build libFuzzer programs (libFuzzer runtime missing: install libclang-rt-14-dev):
$(tail -5 "$probe/log")"

build=build/fuzz
jobs=$(nproc)
(( jobs > 2 )) && jobs=2
mkdir -p "$build"
echo "fuzz.sh: building the fuzz targets with $cxx in $build"
# -O1 with line tables: quick to build, fast enough to fuzz, readable stack traces. Everything is
# instrumented, so that the readers' libraries guide the fuzzer and are checked by the sanitizers.
flags="-O1 -gline-tables-only -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_C_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" \
  -DLUMETRIX_FUZZ=ON -DLUMETRIX_GUI=OFF -DLUMETRIX_TESTS=OFF -DLUMETRIX_BENCH=OFF >"$build/configure.log" 2>&1 ||
  { tail -20 "$build/configure.log" >&2; fail_setup "configuring $build failed"; }

# The short run covers the script front end (lexer, parser, compiler) and every reader; the long
# one also runs scripts.
targets=(fuzz_parse fuzz_compile fuzz_tiff fuzz_metadata fuzz_bmp_jpeg fuzz_palette_files fuzz_avi fuzz_settings
  fuzz_keyframes fuzz_zarr fuzz_brick_source fuzz_pyramid_cache fuzz_regexp)
(( short )) || targets+=(fuzz_run)
if [[ -n ${FUZZ_TARGETS:-} ]]; then read -ra targets <<<"$FUZZ_TARGETS"; fi
cmake --build "$build" -j"$jobs" --target "${targets[@]}" >"$build/build.log" 2>&1 ||
  { tail -30 "$build/build.log" >&2; fail_setup "building the fuzz targets failed (see $build/build.log)"; }

mkdir -p "$build/findings"
# Our own sanitizer settings: ./test.sh switches leak checking off for the other tests.
export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=0:detect_stack_use_after_return=0:handle_abort=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

run_one() {
  local t=$1 exe seeds extra=()
  exe=$(find "$build" -type f -name "$t" -perm -u+x | head -1)
  [[ -n $exe ]] || { echo "fuzz.sh: $t was not built" >&2; return 3; }
  mkdir -p "$build/corpus/$t"
  case $t in
    fuzz_parse | fuzz_compile | fuzz_run)
      seeds=scripting/vbscript/fuzz/corpus; extra=(-dict=scripting/vbscript/fuzz/vbscript.dict -max_len=4096) ;;
    fuzz_regexp) seeds=scripting/vbscript/fuzz/corpus; extra=(-max_len=4096) ;;
    *) seeds=fuzz/corpus/$t; extra=(-max_len=16384) ;;
  esac
  # New inputs go to the first (work) corpus; the seeds in the source tree stay untouched.
  "$exe" "$build/corpus/$t" "$seeds" "${extra[@]}" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -malloc_limit_mb=256 -print_final_stats=1 \
    -artifact_prefix="$build/findings/$t-" >"$build/$t.log" 2>&1
}

echo "fuzz.sh: running ${targets[*]} for ${seconds} s each, $jobs at a time"
status=0
for (( i = 0; i < ${#targets[@]}; i += jobs )); do
  batch=("${targets[@]:i:jobs}")
  pids=()
  for t in "${batch[@]}"; do
    run_one "$t" &
    pids+=($!)
  done
  for j in "${!batch[@]}"; do
    t=${batch[$j]}
    if wait "${pids[$j]}"; then
      runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$build/$t.log" | grep -o '[0-9]*$' || true)
      echo "fuzz.sh: $t: ${runs:-?} inputs, no findings"
    else
      status=1
      echo "fuzz.sh: $t FOUND A PROBLEM (log: $build/$t.log)" >&2
      grep -E 'ERROR: |SUMMARY: |fuzz invariant broken|Test unit written to|runtime error|malloc' "$build/$t.log" | head -20 >&2 || true
    fi
    pids[$j]=""
  done
done
exit $status
