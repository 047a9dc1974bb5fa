#!/usr/bin/env bash
# The Windows download: zarvel.exe and its short text, in zarvel-VERSION-windows-x64.zip.
# Usage: zip.sh ZARVEL_EXE VERSION OUTPUT_FOLDER
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
exe=$(realpath "$1")
out=$(realpath -m "$3")
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
name="zarvel-$2-windows-x64"
mkdir -p "$stage/$name" "$out"
cp "$exe" "$stage/$name/zarvel.exe"
# Windows' own editor wants CR LF line ends.
sed -e "s/@VERSION@/$2/" -e 's/$/\r/' "$here/README.txt" >"$stage/$name/README.txt"
rm -f "$out/$name.zip"
(cd "$stage" && cmake -E tar cf "$out/$name.zip" --format=zip "$name")
echo "$out/$name.zip"
