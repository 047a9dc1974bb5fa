#!/usr/bin/env bash
# Signs zarvel.exe with Authenticode (osslsigncode, with options that Debian 12's 2.5 knows). A signature carries
# the time of signing, so a signed exe is never the same twice: the unsigned one is what anyone can rebuild.
# Usage: sign.sh IN_EXE OUT_EXE KEY_PEM CERT_PEM
set -euo pipefail
osslsigncode sign -h sha256 -n Zarvel -i https://example.com -key "$3" -certs "$4" -in "$1" -out "$2" >/dev/null
