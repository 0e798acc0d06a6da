#!/usr/bin/env bash
# Installs what the build needs on a Debian machine, by package name, when it is missing.
set -euo pipefail
packages=(cmake g++ make pkg-config libgtest-dev libfontconfig-dev fontconfig fonts-dejavu-core util-linux tmux)
# The console window, and the X tools its tests drive it with on a virtual X server.
packages+=(freeglut3-dev libglew-dev libgl1-mesa-dri libfreetype-dev libx11-dev xvfb xauth xdotool x11-apps imagemagick)
# The manual page: read with man, checked by both of its formatters.
packages+=(man-db groff-base mandoc)
# The fuzzers and the static checks.
packages+=(clang libclang-rt-dev clang-tidy cppcheck perl strace)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y --no-install-recommends "${missing[@]}"
fi
