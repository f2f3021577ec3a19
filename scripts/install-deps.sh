#!/usr/bin/env bash
# Installs the Debian packages named in the given lists (one a line, # comments).
# Runs apt-get only when something is missing, so repeated runs are quick.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
mapfile -t packages < <(cat "$@" | sed -e 's/#.*//' -e 's/[[:space:]]//g' | grep -v '^$' | sort -u)
missing=()
foreign=()  # architectures other than the machine's, as in wine32:i386
for package in "${packages[@]}"; do
  # dpkg-query takes the name with its architecture (wine32:i386) as it is.
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
  case "$package" in *:*) foreign+=("${package##*:}") ;; esac
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  for architecture in $(printf '%s\n' "${foreign[@]}" | sort -u); do
    [ "$architecture" = "$(dpkg --print-architecture)" ] && continue
    dpkg --print-foreign-architectures | grep -qx "$architecture" || dpkg --add-architecture "$architecture"
  done
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}"
fi
