#!/usr/bin/env bash
# What make package promises of its artifacts, read back from them: a lintian-clean, stripped and hardened .deb,
# a zip whose exe asks for no elevation and is the unsigned build or a signature over it, SHA256SUMS that verify,
# and signing that works (with a throwaway certificate, so it is checked on every release, signed or not).
# Usage: packaging/check.sh PACKAGE_FOLDER UNSIGNED_EXE
set -euo pipefail
out=$(realpath "$1")
unsigned=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$here/../tests/checks.sh"
deb=$(echo "$out"/zarvel_*.deb)

check "lintian: no error, no warning" lintian --fail-on error,warning "$deb"
check "overrides say why" awk '!/^#/ && p !~ /^#/ {b = 1} {p = $0} END {exit b}' "$here/debian/lintian-overrides"
dpkg-deb -x "$deb" "$work/deb"
has() { "${@:2}" "$work/deb/usr/bin/zarvel" | grep -- "$1" >/dev/null; }  # all read: no SIGPIPE
check "program stripped" has ', stripped$' file -b
check "program bound now" has BIND_NOW readelf -d
check "program has the stack protector" has __stack_chk_fail readelf -W --dyn-syms
check "SHA256SUMS verifies" bash -c "cd '$out' && sha256sum --strict -c SHA256SUMS && test \$(wc -l <SHA256SUMS) -eq 2"

unzip -q "$out"/zarvel-*-windows-x64.zip -d "$work/zip"
exe=$(echo "$work"/zip/*/zarvel.exe)
check "zip holds exe, README, LICENSE" test "$(ls "$work"/zip/* | xargs)" = "LICENSE.txt README.txt zarvel.exe"
check "manifest runs as the invoker" grep -qa 'requestedExecutionLevel level="asInvoker"' "$exe"
# A signed exe is the unsigned build once its signature is removed: the README tells users to compare it so.
unsign() { cmp -s "$1" "$2" || { osslsigncode remove-signature -in "$1" -out "$1.bare" && cmp "$1.bare" "$2"; }; }
check "zip's exe is the build, bare or signed" unsign "$exe" "$unsigned"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=throwaway -keyout "$work/k.pem" -out "$work/c.pem" 2>/dev/null
check "signing: signed" "$here/windows/sign.sh" "$unsigned" "$work/signed.exe" "$work/k.pem" "$work/c.pem"
check "signing: signature verifies" osslsigncode verify -CAfile "$work/c.pem" -in "$work/signed.exe"
check "signing: removed, the build again" unsign "$work/signed.exe" "$unsigned"
[ "$failures" -eq 0 ] || { echo "package checks: $failures failed" >&2; exit 1; }
