#!/usr/bin/env bash
# Sets up, builds and starts the interpreter. Arguments name a program to load and run.
set -euo pipefail
cd "$(dirname "$0")"
./setup.sh >&2
cmake -S . -B build -DBUILD_TESTING=OFF >&2
cmake --build build -j"$(nproc)" >&2
exec build/kelo-basic "$@"
