#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Each shared library carries its own code and the neutral codecs, none of the other's:
# no velmora::sms in libvelmora.so.2, no velmora::compat and none of libvelmora.so.2's
# C functions in libvelmora-sms.so.1 (symbol tables of the unstripped libraries).
#   check_separation.sh <libvelmora.so.2...> <libvelmora-sms.so.1...> <libvelmora.names>
set -euo pipefail
compat=$1 sms=$2 compat_names=$3 status=0
fail() { echo "FAIL: $*"; status=1; }

for lib in "$compat" "$sms"; do
    [ "$(nm "$lib" | wc -l)" -gt 0 ] || fail "$lib has no symbol table"
done
found=$(nm -C "$compat" | grep 'velmora::sms::' || true)
[ -z "$found" ] || fail "$(basename "$compat") carries velmora::sms code:"$'\n'"$found"
found=$(nm -C "$sms" | grep 'velmora::compat::' || true)
[ -z "$found" ] || fail "$(basename "$sms") carries velmora::compat code:"$'\n'"$found"
found=$(nm --defined-only "$sms" | awk 'NF >= 3 { print $3 }' | grep -Fxf "$compat_names" || true)
[ -z "$found" ] || fail "$(basename "$sms") carries libvelmora.so.2's functions: $found"
[ $status -eq 0 ] && echo "each library carries only its own code and the codecs"
exit $status
