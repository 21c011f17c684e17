#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need when they are missing (as root), or
# prints the one command that installs them (nginx: the downloader's tests against a real
# server; xvfb: the display probe's test against a live X server). A system service that the
# install brings (nginx's) is disabled, so that it starts neither during the install nor at a
# boot. Then makes the locales that the locale tests run under available (as root), when they
# are missing.
set -eu
pkgs=(g++ cmake make libgtest-dev libgmock-dev libsqlite3-dev qt6-base-dev libcurl4-openssl-dev
  zlib1g-dev libbrotli-dev libssl-dev fonts-dejavu-core clang-format curl locales nginx xvfb)

# The installed packages, one a line, sorted.
installed_packages() {
  dpkg-query -W -f='${Status} ${binary:Package}\n' | awk '$3 == "installed" { print $4 }' | sort
}

# Disables the system services that the named packages ship (systemd units that start one, SysV
# init scripts), so that none starts at a boot; services of other packages stay as they are.
disable_services() {
  local p f name units=() scripts=() failed=()
  for p in "$@"; do
    while IFS= read -r f; do
      name=${f##*/}
      if [[ $f =~ ^(/usr)?/lib/systemd/system/[^/@]+\.(service|socket|timer)$ ]]; then
        units+=("$name")
      elif [[ $f =~ ^/etc/init\.d/[^/]+$ ]] && [ -f "$f" ]; then
        scripts+=("$name")
      fi
    done < <(dpkg -L "$p" 2>/dev/null)
  done
  # update-rc.d turns the script's start links into stop links, and disables a systemd unit of
  # the same name as well.
  for name in "${scripts[@]}"; do
    echo "Disabling the system service $name"
    update-rc.d "$name" disable >/dev/null 2>&1 || failed+=("$name")
  done
  if [ ${#units[@]} -gt 0 ] && command -v systemctl >/dev/null; then
    echo "Disabling the systemd units ${units[*]}"
    systemctl --quiet disable "${units[@]}" || failed+=("${units[@]}")
  fi
  if [ ${#failed[@]} -gt 0 ]; then
    echo "Could not disable the system services ${failed[*]}: they may start at a boot." \
      "Disable them by hand (systemctl disable, update-rc.d <name> disable)." >&2
    return 1
  fi
}
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
    before=$(installed_packages)
    bash -c "$cmd"
    # What the install brought: the missing packages and what they needed.
    disable_services $(comm -13 <(echo "$before") <(installed_packages))
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
