#!/usr/bin/env bash
# Fuzzes the content loaders with libFuzzer: builds the fuzz targets of
# tests/fuzz/ with clang (AddressSanitizer and UndefinedBehaviorSanitizer on)
# into their own build folder and runs each for a chosen time, starting from
# the seed corpus in tests/fuzz/corpus/<target>/.
#
#   bash scripts/fuzz.sh [-t SECONDS] [-j PARALLEL] [-b BUILD_DIR] [TARGET ...]
#
# TARGET is stagefile, gltf, wav or image (default: all four, one after the
# other, or PARALLEL at a time). -t is the time per target (default 60 s),
# -b the build folder (default build-fuzz). Needs clang and its runtime
# (apt-get install clang libclang-rt-14-dev); the normal build does not.
#
# Each target works in BUILD_DIR/fuzz/<target>/: corpus/ (a copy of the seeds,
# grown by the run), artifacts/ (what libFuzzer found) and log.txt. Every
# finding is copied into tests/fuzz/regressions/<target>/, which test_fuzz
# replays on every test run: fix the fault and commit the file. The script
# ends with 1 when anything was found, and prints each target's executions
# per second and coverage (libFuzzer's cov and ft figures).
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"

seconds=60
parallel=1
build=build-fuzz
while getopts "t:j:b:h" option; do
  case "$option" in
    t) seconds="$OPTARG" ;;
    j) parallel="$OPTARG" ;;
    b) build="$OPTARG" ;;
    *) sed -n '2,20p' "$0" | sed 's/^# \{0,1\}//'; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(stagefile gltf wav image)
for t in "${targets[@]}"; do
  case "$t" in
    stagefile|gltf|wav|image) ;;
    *) echo "fuzz.sh: unknown target '$t' (stagefile, gltf, wav, image)" >&2; exit 2 ;;
  esac
done
if ! command -v clang++ >/dev/null; then
  echo "fuzz.sh: clang++ not found (sudo apt-get install clang libclang-rt-14-dev)" >&2
  exit 2
fi

# Warnings stay warnings here: the project is kept free of them with gcc,
# and clang's set differs from version to version.
cmake -S . -B "$build" -DGV_FUZZ=ON -DGV_WERROR=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${targets[@]/#/fuzz_}"

# One target: seeds copied into the working corpus, then libFuzzer for the
# given time. Inputs over 1 MiB are not generated (the seeds are far smaller);
# an input running longer than 10 s counts as a hang, over 2 GB as a finding.
run_target() {
  local t="$1" work="$root/$build/fuzz/$1"
  mkdir -p "$work/corpus" "$work/artifacts"
  find "tests/fuzz/corpus/$t" -type f ! -name README.md -exec cp -n {} "$work/corpus/" \;
  local dict=()
  [ -f "tests/fuzz/dict/$t.dict" ] && dict=(-dict="$root/tests/fuzz/dict/$t.dict")
  "$root/$build/tests/fuzz_$t" -max_total_time="$seconds" -print_final_stats=1 -max_len=1048576 \
    -timeout=10 -rss_limit_mb=2048 "${dict[@]}" -artifact_prefix="$work/artifacts/" "$work/corpus" \
    >"$work/log.txt" 2>&1 || true
}

running=0
for t in "${targets[@]}"; do
  rm -rf "$build/fuzz/$t/artifacts"
  echo "fuzzing $t for $seconds s (log: $build/fuzz/$t/log.txt)"
  run_target "$t" &
  running=$((running + 1))
  if [ "$running" -ge "$parallel" ]; then
    wait -n
    running=$((running - 1))
  fi
done
wait

status=0
for t in "${targets[@]}"; do
  work="$build/fuzz/$t"
  line="$(grep -E '^#[0-9]+.*cov: ' "$work/log.txt" | tail -n 1 || true)"
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log.txt")"
  speed="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/log.txt")"
  rss="$(sed -n 's/^stat::peak_rss_mb: *//p' "$work/log.txt")"
  cov="$(sed -n 's/.* cov: \([0-9]*\) ft: \([0-9]*\).*corp: \([0-9]*\)\/\([^ ]*\).*/cov \1, ft \2, corpus \3 inputs (\4)/p' <<<"$line")"
  echo "$t: ${runs:-?} runs, ${speed:-?} execs/s, ${cov:-no coverage line}, peak RSS ${rss:-?} MB"
  shopt -s nullglob
  found=("$work"/artifacts/*)
  shopt -u nullglob
  if [ ${#found[@]} -gt 0 ]; then
    mkdir -p "tests/fuzz/regressions/$t"
    for f in "${found[@]}"; do
      cp "$f" "tests/fuzz/regressions/$t/"
      echo "  FOUND $(basename "$f") -> tests/fuzz/regressions/$t/ (see $work/log.txt)"
    done
    status=1
  elif ! grep -q '^Done [0-9]* runs' "$work/log.txt"; then
    echo "  the run did not finish normally: see $work/log.txt"
    status=1
  fi
done
exit "$status"
