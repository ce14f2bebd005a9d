#!/usr/bin/env bash
# Installs every Debian package the project builds, tests and runs with, skipping
# what is already installed.
set -euo pipefail
packages=(
  g++ cmake make pkg-config
  googletest libgtest-dev libgmock-dev
  libperl-dev perl
  libxml2-dev libexpat1-dev libplist-dev zlib1g-dev
  qt6-base-dev
  diffutils
)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "setup: installing ${missing[*]}" >&2
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
fi
