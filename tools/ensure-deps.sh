#!/usr/bin/env bash
# Installs the Debian packages the build needs when they are missing (as root), or prints
# the one command that installs them.
set -eu
pkgs=(g++ cmake make libgtest-dev libgmock-dev libsqlite3-dev qt6-base-dev libcurl4-openssl-dev
  libssl-dev fonts-dejavu-core clang-format curl)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
cmd="apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  echo "Installing: ${missing[*]}"
  bash -c "$cmd"
else
  echo "Missing packages: ${missing[*]}. Run as root:" >&2
  echo "  $cmd" >&2
  exit 1
fi
