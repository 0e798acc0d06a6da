#!/usr/bin/env bash
# The fuzz stage of ./test.sh from a copy of the checkout in a folder that only root may enter,
# as a clone in root's home is: the fuzzers run there as the user nobody, so this shows that
# they need nothing from the checkout itself. Run as another user it has nothing to show.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" -ne 0 ]; then
  echo "fuzz from a private folder: skipped (only root's fuzzers change user)"
  exit 0
fi
home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
chmod 700 "$home"
mkdir "$home/main"
# The working tree as it stands, without what builds and fuzz runs left in it.
tar --exclude=./.git --exclude='./build*' --exclude=./fuzz/corpus --exclude=./fuzz/findings -cf - . |
  tar -xf - -C "$home/main"
echo "fuzz from a private folder: $home/main (mode $(stat -c %a "$home"), owner $(stat -c %U "$home"))"
# A short run: what it shows is that the fuzzers start, read their inputs and report.
"$home/main/fuzz/run.sh" --smoke 5
