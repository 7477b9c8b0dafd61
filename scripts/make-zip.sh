#!/usr/bin/env bash
# Lays out the release zip: its root is what goes into the game's Data folder.
# Fixed time stamps, modes and order, no extra fields: the same inputs always
# give the same bytes.
#   make-zip.sh DLL SOURCE_DIR README ZIP
# The plugin's licence and the name lists' own note go in under the plugin's
# name, since every plugin shares the folder.
set -euo pipefail
dll=$1
source=$2
readme=$3
zip=$4
stage=$(mktemp -d /tmp/varnel-zip.XXXXXX)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/SFSE/Plugins" "$(dirname "$zip")"
cp "$dll" "$source/data/FemaleNames.txt" "$source/data/MaleNames.txt" "$readme" "$stage/SFSE/Plugins/"
cp "$source/LICENSE" "$stage/SFSE/Plugins/Varnel_License.txt"
cp "$source/data/SOURCE.md" "$stage/SFSE/Plugins/Varnel_NameLists_Source.md"
export TZ=UTC
find "$stage" -exec touch -d '2000-01-01 00:00:00' {} +
find "$stage" -type f -exec chmod 644 {} +
find "$stage" -type d -exec chmod 755 {} +
rm -f "$zip"
(cd "$stage" && find SFSE -type f | LC_ALL=C sort | zip -X -D -q -9 "$zip" -@)
