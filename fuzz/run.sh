#!/usr/bin/env bash
# Builds the instrumented fuzzers (clang; the readers and everything they use carry
# coverage, AddressSanitizer and UndefinedBehaviorSanitizer) in their own build
# folder and runs each target for a while over its seeds plus the inputs it has
# grown before. Crashes are kept as files; one line per target says what happened.
#
#   fuzz/run.sh [-t SECONDS] [-b BUILD_DIR] [TARGET...]     (default: 60 s, every target)
#
# Grown inputs live in BUILD_DIR/corpus/TARGET, crashes in BUILD_DIR/crashes/TARGET,
# each run's log in BUILD_DIR/logs/TARGET.log.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=60
build=build-fuzz
while getopts "t:b:h" option; do
  case "$option" in
    t) seconds="$OPTARG" ;;
    b) build="$OPTARG" ;;
    *) sed -n '2,10p' "$0"; exit 2 ;;
  esac
done
shift $((OPTIND - 1))

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in fuzz/fuzz_*.cpp; do
    targets+=("$(basename "$source" .cpp)")
  done
fi

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DMAROVIN_LIBFUZZER=ON -DMAROVIN_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$build" --parallel "$(nproc)" --target "${targets[@]}"

mkdir -p "$build/logs"
printf '%-16s %12s %8s %8s %8s\n' target runs cov features crashes
for target in "${targets[@]}"; do
  grown="$build/corpus/$target"
  crashes="$build/crashes/$target"
  mkdir -p "$grown" "$crashes"
  log="$build/logs/$target.log"
  # A crash ends the run early; the summary below still reads what it reached.
  "$build/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$crashes/" \
    "$grown" "fuzz/corpus/$target" >"$log" 2>&1 || true
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  cov=$(grep -oE 'cov: [0-9]+' "$log" | tail -n 1 | cut -d' ' -f2)
  features=$(grep -oE 'ft: [0-9]+' "$log" | tail -n 1 | cut -d' ' -f2)
  found=$(find "$crashes" -type f | wc -l)
  printf '%-16s %12s %8s %8s %8s\n' "$target" "${runs:-?}" "${cov:-?}" "${features:-?}" "$found"
done
