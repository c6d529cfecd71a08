#!/usr/bin/env bash
# Installs, from Debian's archive only, what building, running and testing
# Quorvel needs. Idempotent: packages already present are not touched.
set -euo pipefail
pkgs=(cmake g++ make python3 libgtest-dev libbenchmark-dev
      g++-mingw-w64-x86-64 wine wine64 xvfb openbox xdotool xclip x11-utils imagemagick
      clang libclang-rt-14-dev llvm)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo=""; [ "$(id -u)" = 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
