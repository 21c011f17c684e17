#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need when they are missing (as root), or
# prints the one command that installs them (nginx: the downloader's tests against a real
# server). Then makes the locales that the locale tests run under available (as root), when they
# are missing.
set -eu
pkgs=(g++ cmake make libgtest-dev libgmock-dev libsqlite3-dev qt6-base-dev libcurl4-openssl-dev
  zlib1g-dev libssl-dev fonts-dejavu-core clang-format curl locales nginx)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  cmd="apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y ${missing[*]}"
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing: ${missing[*]}"
    # The tests and benchmarks start nginx themselves: no package may start a system service
    # (the system's nginx on port 80) as a side effect of a build.
    if [ ! -e /usr/sbin/policy-rc.d ]; then
      printf '#!/bin/sh\nexit 101\n' >/usr/sbin/policy-rc.d
      chmod 755 /usr/sbin/policy-rc.d
      trap 'rm -f /usr/sbin/policy-rc.d' EXIT
    fi
    bash -c "$cmd"
  else
    echo "Missing packages: ${missing[*]}. Run as root:" >&2
    echo "  $cmd" >&2
    exit 1
  fi
fi

# The programs must not depend on the user's locale; tests run them under Turkish (dotless i)
# and German (decimal comma). `locale -a` spells them its own way ("tr_TR.utf8").
test_locales=(tr_TR de_DE)
absent_locales() {
  local available l
  available=$(locale -a 2>/dev/null | tr 'A-Z' 'a-z' | tr -d '-')
  for l in "${test_locales[@]}"; do
    grep -qx "$(tr 'A-Z' 'a-z' <<<"$l").utf8" <<<"$available" || echo "$l"
  done
}
absent=($(absent_locales))
[ ${#absent[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
  echo "Locales missing: ${absent[*]/%/.UTF-8} (the locale tests skip them, and fail under" \
    "CI). Run tools/ensure-deps.sh as root to make them." >&2
  exit 0
fi
for l in "${absent[@]}"; do
  echo "Making the locale $l.UTF-8"
  # Listed in locale.gen, so that a later locale-gen (an upgrade of the package) keeps it.
  if grep -qs "^# *$l.UTF-8 UTF-8" /etc/locale.gen; then
    sed -i "s/^# *\($l.UTF-8 UTF-8\)/\1/" /etc/locale.gen
  elif ! grep -qs "^$l.UTF-8 UTF-8" /etc/locale.gen; then
    echo "$l.UTF-8 UTF-8" >>/etc/locale.gen
  fi
  # Warnings of the locale sources give a non-zero status with the locale made (as locale-gen).
  localedef -i "$l" -c -f UTF-8 -A /usr/share/locale/locale.alias "$l.UTF-8" || :
done
still=($(absent_locales))
if [ ${#still[@]} -gt 0 ]; then
  echo "The locales ${still[*]/%/.UTF-8} could not be made." >&2
  exit 1
fi
