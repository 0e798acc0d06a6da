#!/usr/bin/env bash
# Sets up, builds and starts the interpreter. Arguments name a program to load and run; it is
# looked for, and programs are saved, in the folder this is started from.
set -euo pipefail
repo="$(cd "$(dirname "$0")" && pwd)"
(
  cd "$repo"
  ./setup.sh >&2
  cmake -S . -B build -DBUILD_TESTING=OFF >&2
  cmake --build build -j"${KELO_JOBS:-$(nproc)}" >&2
)
exec "$repo/build/kelo-basic" "$@"
