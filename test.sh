#!/usr/bin/env bash
# Sets up, builds and runs every test: a plain build, then a build under
# AddressSanitizer and UndefinedBehaviorSanitizer, then the seam's tests under ThreadSanitizer,
# then the static checks and a short run of the fuzzers.
# KELO_JOBS sets how many compilers run at once (all processors by default).
set -euo pipefail
cd "$(dirname "$0")"
./setup.sh
jobs="${KELO_JOBS:-$(nproc)}"
cmake -S . -B build -DBUILD_TESTING=ON
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"
cmake -S . -B build-sanitize -DBUILD_TESTING=ON -DKELO_SANITIZE=ON
cmake --build build-sanitize -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-sanitize --output-on-failure -j"$jobs"
# The tests that cross between threads, under ThreadSanitizer: only what they need is built.
cmake -S . -B build-tsan -DBUILD_TESTING=ON -DKELO_TSAN=ON
cmake --build build-tsan -j"$jobs" --target kelo_seam_tests window_seam_test
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" build-tsan/tests/kelo_seam_tests
# The window's seam tests, each in a process of its own (freeglut starts once per process);
# only Mesa's own threads are suppressed.
TSAN_OPTIONS="suppressions=$PWD/tests/window/tsan.supp halt_on_error=1" \
  ctest --test-dir build-tsan -R '^WindowSeam\.' --output-on-failure -j"$jobs"
# Static checks over every source: clang-tidy, then cppcheck.
KELO_JOBS="$jobs" tools/static_checks.sh
# Every kept fuzz regression input runs again, then each fuzz target runs for a short while.
KELO_JOBS="$jobs" fuzz/run.sh --smoke
# The same stage from a copy of the checkout in a folder that only root may enter (a clone in
# root's home): as root the fuzzers run as the user nobody.
KELO_JOBS="$jobs" fuzz/private_folder_test.sh
