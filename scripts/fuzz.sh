#!/usr/bin/env bash
# Builds the script engine's libFuzzer targets with clang in build/fuzz and runs them.
#   scripts/fuzz.sh           fuzz_parse, fuzz_compile, fuzz_run and fuzz_regexp for 5 minutes
#                             each, side by side (FUZZ_SECONDS=n to change)
#   scripts/fuzz.sh --short   fuzz_parse and fuzz_compile for 30 s (what ./test.sh runs; about a
#                             minute in all, build included)
# Exits 1 when a target finds a crash, leak, timeout or out-of-memory input (kept in
# build/fuzz/findings/, replay with: build/fuzz/<dir>/fuzz_<name> <file>), 2 when clang or
# libFuzzer is missing or the targets do not build.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-300}
short=0
for arg in "$@"; do
  case "$arg" in
    --short) short=1; seconds=${FUZZ_SECONDS:-30} ;;
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
# -O1 with line tables: quick to build, fast enough to fuzz, readable stack traces.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_FLAGS="-O1 -gline-tables-only" \
  -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" \
  -DLUMETRIX_FUZZ=ON -DLUMETRIX_GUI=OFF -DLUMETRIX_TESTS=OFF -DLUMETRIX_BENCH=OFF >"$build/configure.log" 2>&1 ||
  { tail -20 "$build/configure.log" >&2; fail_setup "configuring $build failed"; }

# The short run covers the front end (lexer, parser, compiler); the long one also runs scripts.
targets=(fuzz_parse fuzz_compile)
(( short )) || targets+=(fuzz_run fuzz_regexp)
cmake --build "$build" -j"$jobs" --target "${targets[@]}" >"$build/build.log" 2>&1 ||
  { tail -30 "$build/build.log" >&2; fail_setup "building the fuzz targets failed (see $build/build.log)"; }

# --short keeps the whole run near a minute: a first (uncached) build eats into the fuzzing
# time, down to 15 s per target.
if (( short )) && [[ -z ${FUZZ_SECONDS:-} ]]; then
  left=$(( 60 - SECONDS ))
  (( left < seconds )) && seconds=$left
  (( seconds < 15 )) && seconds=15
fi

seeds=scripting/vbscript/fuzz/corpus
dict=scripting/vbscript/fuzz/vbscript.dict
mkdir -p "$build/findings"
# Our own sanitizer settings: ./test.sh switches leak checking off for the other tests.
export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=0:detect_stack_use_after_return=0:handle_abort=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

echo "fuzz.sh: running ${targets[*]} for ${seconds} s each"
for t in "${targets[@]}"; do
  exe=$(find "$build" -type f -name "$t" -perm -u+x | head -1)
  [[ -n $exe ]] || fail_setup "$t was not built"
  mkdir -p "$build/corpus/$t"
  # New inputs go to the first (work) corpus; the seeds in the source tree stay untouched.
  "$exe" "$build/corpus/$t" "$seeds" -dict="$dict" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -max_len=4096 -print_final_stats=1 \
    -artifact_prefix="$build/findings/$t-" >"$build/$t.log" 2>&1 &
  pids+=($!)
done

status=0
for i in "${!targets[@]}"; do
  t=${targets[$i]}
  if wait "${pids[$i]}"; then
    pids[$i]=""
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$build/$t.log" | grep -o '[0-9]*$' || true)
    echo "fuzz.sh: $t: ${runs:-?} inputs, no findings"
  else
    pids[$i]=""
    status=1
    echo "fuzz.sh: $t FOUND A PROBLEM (log: $build/$t.log)" >&2
    grep -E 'ERROR: |SUMMARY: |fuzz invariant broken|Test unit written to|runtime error' "$build/$t.log" | head -20 >&2 || true
  fi
done
exit $status
