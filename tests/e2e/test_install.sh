#!/usr/bin/env bash
# Installs the program into a staging folder and validates what lands there: the program, the desktop
# entry, the icons of the theme and the AppStream metadata; then builds the Debian package and checks that
# it holds the same files and depends on the libraries the program links.
# Usage: test_install.sh /path/to/build/zarvel
set -euo pipefail

build=$(dirname "$(realpath "$1")")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/../checks.sh"

stage="$work/stage"
DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null
usr="$stage/usr"
id=com.example.zarvel

check "program installed" test -x "$usr/bin/zarvel"
check "desktop entry valid" desktop-file-validate "$usr/share/applications/$id.desktop"
check "desktop entry starts the program" grep -qx "Exec=zarvel" "$usr/share/applications/$id.desktop"
check "desktop entry names the icon" grep -qx "Icon=zarvel" "$usr/share/applications/$id.desktop"
check "metainfo valid" appstreamcli validate --no-net "$usr/share/metainfo/$id.metainfo.xml"
for size in 16 32 48 128 256; do
    icon="$usr/share/icons/hicolor/${size}x${size}/apps/zarvel.png"
    check "icon ${size} px" test "$(identify -format '%m %wx%h' "$icon" 2>/dev/null)" = "PNG ${size}x${size}"
done
# Beside them the manual page, the licence, the changelog and lintian's overrides; nothing else: no settings, no
# stray files.
check "only these files" test "$(find "$stage" -type f | wc -l)" -eq 12

if [ -f "$build/CPackConfig.cmake" ]; then
    (cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work/cpack" -D CPACK_OUTPUT_FILE_PREFIX="$work/package" >/dev/null)
    deb=$(ls "$work"/package/zarvel_*.deb)
    check "package holds the staged files" diff <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $NF}' | sort) \
        <(cd "$stage" && find . -type f | sort)
    check "package depends on Qt Widgets" sh -c "dpkg-deb -f '$deb' Depends | grep -q libqt6widgets6"
    check "package depends on the platform plugins" sh -c "dpkg-deb -f '$deb' Depends | grep -q qt6-qpa-plugins"
fi

exit $((failures > 0))
