#!/usr/bin/env bash
# Prints the main window's title as app/ writes it ("Zarvel v" and the version, each written once there), with --pattern
# as a regular expression that matches it to the letter (anchor it yourself).
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
prefix=$(sed -n 's/.*Title = "\([^"]*\)" ZARVEL_VERSION_TEXT;.*/\1/p' "$repo/app/MainWindow.h")
version=$(sed -n 's/^#define ZARVEL_VERSION_TEXT "\([^"]*\)"/\1/p' "$repo/app/Version.h")
[ -n "$prefix" ] && [ -n "$version" ] || { echo "no title in app/" >&2; exit 1; }
if [ "${1:-}" = --pattern ]; then
    printf '%s\n' "$prefix$version" | sed 's/[.[\*^$]/\\&/g'
else
    printf '%s\n' "$prefix$version"
fi
