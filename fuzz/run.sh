#!/usr/bin/env bash
# Builds the fuzz targets and runs them.
#   fuzz/run.sh SECONDS   runs both targets side by side for that long, one core each, and
#                         keeps what they find: new inputs in fuzz/corpus/, crashes and hangs
#                         in fuzz/findings/ (move each into fuzz/regressions/ once fixed).
#   fuzz/run.sh --smoke [SECONDS]
#                         replays every input in fuzz/regressions/, then runs each target for
#                         a short while (30 s) from the tests' programs; fails on any finding.
# Fuzzed programs SAVE where they please, so as root the fuzzers run as the user nobody, which
# can write nowhere but the scratch folder and the world-writable ones. Nobody may not enter
# the checkout either (it may be in root's home), so the fuzzers need nothing from it: their
# binaries, the dictionary and every input are copied into the scratch folder first.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
targets=(typed_lines program_file)

mode="${1:-}"
if [ "$mode" = "--smoke" ] && [[ "${2:-30}" =~ ^[0-9]+$ ]]; then
  seconds="${2:-30}"
elif [[ "$mode" =~ ^[0-9]+$ ]]; then
  seconds="$mode"
else
  echo "usage: fuzz/run.sh SECONDS | --smoke [SECONDS]" >&2
  exit 2
fi

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DKELO_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build build-fuzz -j"${KELO_JOBS:-3}" --target typed_lines_fuzzer program_file_fuzzer >/dev/null  # the fuzzers need no front end

# In memory where the machine allows: every SAVE flushes its file to the disk, which a disk
# makes slow.
base=/tmp
[ -d /dev/shm ] && [ -w /dev/shm ] && base=/dev/shm
work="$(mktemp -d "$base/kelo-fuzz-run.XXXXXX")"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/tmp" "$work/regressions"
cp fuzz/kelo.dict "$work/"
cp -R fuzz/regressions/. "$work/regressions/"
for target in "${targets[@]}"; do
  cp "build-fuzz/fuzz/${target}_fuzzer" "$work/"
  mkdir -p "$work/$target/corpus" "$work/$target/seeds" "$work/$target/findings"
  # A long run goes on from what earlier runs kept.
  if [ "$mode" != "--smoke" ] && [ -d "fuzz/corpus/$target" ]; then cp -R "fuzz/corpus/$target" "$work/$target/kept"; fi
done
# Seeds from the tests' programs and fuzz/seeds/.
perl fuzz/seeds_from_tests.pl tests "$work/typed_lines/seeds" "$work/program_file/seeds" >/dev/null
for target in "${targets[@]}"; do cp fuzz/seeds/"$target"/* "$work/$target/seeds/"; done
as_fuzzer=()
if [ "$(id -u)" -eq 0 ]; then
  chown -R 65534:65534 "$work"
  as_fuzzer=(setpriv --reuid=65534 --regid=65534 --clear-groups --)
fi
# Runs a fuzzer in the scratch folder, which is also its current folder.
fuzzer() {
  "${as_fuzzer[@]}" env -C "$work" TMPDIR="$work/tmp" \
    ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=1" UBSAN_OPTIONS=print_stacktrace=1 "$work/${1}_fuzzer" "${@:2}"
}

options=(-dict="$work/kelo.dict" -max_len=8192 -timeout=30 -rss_limit_mb=2048 -print_final_stats=1)
status=0

# Every input that ever crashed or hung runs again first.
for target in "${targets[@]}"; do
  regressions=("$work"/regressions/"$target"/*)
  [ -e "${regressions[0]}" ] || continue
  if fuzzer "$target" "${options[@]}" "${regressions[@]}" >"$work/$target.replay.log" 2>&1; then
    echo "fuzz $target: ${#regressions[@]} regression inputs pass"
  else
    echo "fuzz $target: a regression input fails again:" >&2
    tail -40 "$work/$target.replay.log" >&2
    status=1
  fi
done

pids=()
# Stopped early (Ctrl+C), the fuzzers end and what they found is still kept.
trap 'kill "${pids[@]}" 2>/dev/null || true' INT TERM
for target in "${targets[@]}"; do
  corpora=("$work/$target/corpus" "$work/$target/seeds")
  [ -d "$work/$target/kept" ] && corpora+=("$work/$target/kept")
  # A long run goes on after a finding, a smoke run stops at the first.
  keep_going=()
  [ "$mode" != "--smoke" ] && keep_going=(-fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1)
  fuzzer "$target" "${options[@]}" "${keep_going[@]}" -max_total_time="$seconds" \
    -artifact_prefix="$work/$target/findings/" "${corpora[@]}" >"$work/$target.log" 2>&1 &
  pids+=($!)
done
for i in "${!targets[@]}"; do
  target="${targets[$i]}"
  wait "${pids[$i]}" || status=1
  if [ "$mode" != "--smoke" ]; then
    mkdir -p "$root/fuzz/corpus/$target" "$root/build-fuzz/logs"
    cp -n "$work/$target/corpus/"* "$root/fuzz/corpus/$target/" 2>/dev/null || true
    cp "$work/$target.log" "$root/build-fuzz/logs/$target.log"
  fi
  # The last progress line: executions so far and coverage reached (cov: edges, ft: features).
  progress="$(grep -E '^#[0-9]+' "$work/$target.log" | tail -1 || true)"
  echo "fuzz $target: ${progress:-no progress line}"
  findings=("$work/$target/findings/"*)
  if [ -e "${findings[0]}" ]; then
    status=1
    mkdir -p "$root/fuzz/findings/$target"
    cp "${findings[@]}" "$root/fuzz/findings/$target/"
    echo "fuzz $target: findings kept in fuzz/findings/$target:" >&2
    ls "$work/$target/findings" >&2
    grep -E -A12 '^==[0-9]+==ERROR|runtime error|kelo fuzz:' "$work/$target.log" | head -60 >&2 || true
  elif [ "$status" -ne 0 ]; then
    tail -40 "$work/$target.log" >&2
  fi
done
exit "$status"
