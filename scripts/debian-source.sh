#!/usr/bin/env bash
# Fetches one version of a Debian source package and unpacks it (with
# Debian's patches applied) into a folder, for a build that needs sources
# Debian ships no cross-built package of:
#   scripts/debian-source.sh PACKAGE VERSION FOLDER     e.g. uchardet 0.0.7-1 build-deps/uchardet
# apt fetches it from the archives this machine's own entries name, as
# deb-src, and checks it against their signed indexes. The system's apt
# state is left alone: the entries and indexes live in a folder of this run's
# own. Needs dpkg-dev (dpkg-source unpacks it).
set -euo pipefail
if [ $# -ne 3 ]; then
  echo "usage: $0 PACKAGE VERSION FOLDER" >&2
  exit 2
fi
package=$1 version=$2 folder=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/lists/partial" "$work/parts"

# The system's deb entries as deb-src ones: deb822 stanzas, then one-line entries.
shopt -s nullglob
for file in /etc/apt/sources.list.d/*.sources; do
  sed -E 's/^Types:.*/Types: deb-src/' "$file" > "$work/parts/$(basename "$file")"
  echo >> "$work/parts/$(basename "$file")"
done
for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
  [ -f "$file" ] && sed -nE 's/^[[:space:]]*deb([[:space:]]+)/deb-src\1/p' "$file"
done > "$work/sources.list"

apt=(apt-get -q -o "Dir::Etc::SourceList=$work/sources.list" -o "Dir::Etc::SourceParts=$work/parts"
  -o "Dir::State::Lists=$work/lists" -o "APT::Sandbox::User=root")
# An archive without sources (a third party's) fails its part of the update;
# the package is then looked for in the others.
"${apt[@]}" update >&2 || echo "debian-source: some indexes could not be fetched; going on with the others" >&2
(cd "$work" && "${apt[@]}" source --only-source "$package=$version" >&2)
unpacked=("$work/$package"-*/)
if [ ${#unpacked[@]} -ne 1 ]; then
  echo "debian-source: $package $version was not unpacked" >&2
  exit 1
fi
rm -rf "$folder"
mkdir -p "$(dirname "$folder")"
mv "${unpacked[0]}" "$folder"
echo "debian-source: $package $version in $folder" >&2
