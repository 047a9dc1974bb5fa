#!/usr/bin/env bash
# The Windows download: zarvel.exe, its short text and its licence, in zarvel-VERSION-windows-x64.zip. The members
# get SOURCE_DATE_EPOCH's time, fixed modes and no owner, so that the zip's bytes depend on what it holds alone.
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
sed -e "s/@VERSION@/$2/g" -e 's/$/\r/' "$here/README.txt" >"$stage/$name/README.txt"
{ cat "$here/../../LICENSE"; echo; cat "$here/NOTICES.txt"; } | sed 's/$/\r/' >"$stage/$name/LICENSE.txt"
chmod 0644 "$stage/$name"/*
[ -z "${SOURCE_DATE_EPOCH:-}" ] || touch -d "@$SOURCE_DATE_EPOCH" "$stage/$name"/*
rm -f "$out/$name.zip"
# -X leaves out the owner and the extra time fields; a zip keeps local time, so UTC makes it the same everywhere.
(cd "$stage" && TZ=UTC zip -q -X "$out/$name.zip" "$name/zarvel.exe" "$name/README.txt" "$name/LICENSE.txt")
echo "$out/$name.zip"
