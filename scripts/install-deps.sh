#!/usr/bin/env bash
# Installs the Debian packages named in the given lists (one a line, # comments):
#   install-deps.sh LIST... [--optional LIST...]
# Runs apt-get only when something is missing, so repeated runs are quick.
#
# A mirror that is part-way through a sync serves an index that fails its
# check ("File has unexpected size ... Mirror sync in progress?"): the index
# update is tried a few times, then the install goes on with the indexes apt
# has, and apt's errors are printed. The packages of this machine's
# architecture are installed first; those of another (wine32:i386) in a step
# of their own, and only then is that architecture added, so that a stale
# foreign index cannot hold back the others. A package that cannot be
# installed is named with apt's reason. The packages of the lists after
# --optional may be missing afterwards: the steps that use them check for
# what they need themselves. Exit status 1 when a package of the other lists
# cannot be installed.
set -euo pipefail
required=() optional=()
in_optional=false
for argument in "$@"; do
  case "$argument" in
    --optional) in_optional=true ;;
    *) if $in_optional; then optional+=("$argument"); else required+=("$argument"); fi ;;
  esac
done

say() { printf 'install-deps: %s\n' "$*" >&2; }
listed() { [ "$#" -eq 0 ] || cat "$@" | sed -e 's/#.*//' -e 's/[[:space:]]//g' | grep -v '^$' | sort -u; }
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
native=$(dpkg --print-architecture)
is_foreign() { case "$1" in *:"$native") return 1 ;; *:*) return 0 ;; *) return 1 ;; esac; }

export DEBIAN_FRONTEND=noninteractive
apt_get() { apt-get -o DPkg::Lock::Timeout=600 -o Acquire::Retries=3 "$@"; }

indexes_updated=false
update_indexes() {
  $indexes_updated && return 0
  indexes_updated=true
  local attempt errors
  errors=$(mktemp)
  for attempt in 1 2 3; do
    if apt_get update -qq 2>"$errors"; then
      rm -f "$errors"
      return 0
    fi
    [ "$attempt" -eq 3 ] || sleep $((attempt * 10))
  done
  say "apt-get update failed 3 times; going on with the package indexes apt has. apt said:"
  sed 's/^/  /' "$errors" >&2
  rm -f "$errors"
}

# Says why each package named cannot be installed, as apt's dry run gives it;
# fails when none of them can be.
explain() {
  local package report named=false
  for package in "$@"; do
    if ! report=$(apt_get install -s -y "$package" 2>&1); then
      say "cannot install $package:"
      grep -E '^ |^E:' <<<"$report" | sed 's/^/  /' >&2
      named=true
    fi
  done
  $named
}

# install_missing GROUP PACKAGE...: installs those missing; says which cannot be.
install_missing() {
  local group=$1 package errors
  shift
  local missing=()
  for package in "$@"; do installed "$package" || missing+=("$package"); done
  [ "${#missing[@]}" -gt 0 ] || return 0
  say "installing ($group): ${missing[*]}"
  update_indexes
  errors=$(mktemp)
  if apt_get install -y -qq "${missing[@]}" 2>"$errors"; then
    rm -f "$errors"
    return 0
  fi
  # apt names the packages it could not resolve, not always those asked for:
  # each is tried alone. A failure of another kind is shown as apt gave it.
  if ! explain "${missing[@]}"; then
    say "apt-get install failed:"
    sed 's/^/  /' "$errors" >&2
  fi
  rm -f "$errors"
  # What can be installed still is.
  local installable=()
  for package in "${missing[@]}"; do
    apt_get install -s -y "$package" >/dev/null 2>&1 && installable+=("$package")
  done
  [ "${#installable[@]}" -eq 0 ] || apt_get install -y -qq "${installable[@]}" || true
  return 1
}

# install_group GROUP PACKAGE...: this machine's architecture first, then the
# others, each architecture added only when one of its packages is missing.
install_group() {
  local group=$1 package architecture added=false
  shift
  local own=() foreign=()
  for package in "$@"; do
    if is_foreign "$package"; then foreign+=("$package"); else own+=("$package"); fi
  done
  local result=0
  install_missing "$group, $native" "${own[@]}" || result=1
  for package in "${foreign[@]}"; do
    installed "$package" && continue
    architecture=${package##*:}
    if ! dpkg --print-foreign-architectures | grep -qx "$architecture"; then
      say "adding the architecture $architecture for ${package%%:*}"
      dpkg --add-architecture "$architecture"
      added=true
    fi
  done
  if $added; then indexes_updated=false; fi
  install_missing "$group, other architectures" "${foreign[@]}" || result=1
  return "$result"
}

mapfile -t required_packages < <(listed "${required[@]}")
mapfile -t optional_packages < <(listed "${optional[@]}")
if ! install_group required "${required_packages[@]}"; then
  say "some required packages could not be installed (see above)"
  exit 1
fi
install_group optional "${optional_packages[@]}" ||
  say "some optional packages could not be installed (see above); the steps that need them say what they skip"
