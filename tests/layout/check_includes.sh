#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# The folders are the architecture: velmora.h only in src/compat (and the tests, fuzz
# targets and benchmarks that call libvelmora.so.2); src/codec includes no public header
# and neither library's headers, names no record type and prints nothing; neither library
# includes the other's headers.
#   check_includes.sh <source root>
set -euo pipefail
cd "$1"
status=0
fail() { echo "FAIL: $1"; echo "$2"; status=1; }
matches() { grep -rnE "$1" "${@:2}" 2>/dev/null || true; }

found=$(matches '#include *[<"]velmora\.h[>"]' src tools include/velmora | grep -v '^src/compat/' || true)
[ -z "$found" ] || fail "velmora.h included outside src/compat:" "$found"
found=$(matches '#include *[<"](velmora/|compat/|sms/)|sms_message|velmora_message|printf' src/codec)
[ -z "$found" ] || fail "src/codec is not neutral:" "$found"
found=$(matches '#include *"compat/' src/sms tools)
[ -z "$found" ] || fail "libvelmora-sms or the tool includes compat code:" "$found"
found=$(matches '#include *[<"](sms/|velmora/sms\.h)' src/compat)
[ -z "$found" ] || fail "src/compat includes libvelmora-sms code:" "$found"
[ $status -eq 0 ] && echo "src/codec neutral, velmora.h only in src/compat"
exit $status
