#!/usr/bin/env bash
# The shared library's ABI surface: exactly the C functions and eESCAPE exported, SONAME
# libvelmora.so.2, and the file with its two symlinks.   check_exports.sh <libvelmora.so.X.Y.Z>
set -euo pipefail
lib=$1 dir=$(dirname "$1") status=0
fail() { echo "FAIL: $*"; status=1; }

expected="convert_bytestr_to_hexarray convert_hexarray_to_bytestr decode7 decode_datetime decode_datetime_3gpp2
decode_gsm0338_to_ascii eESCAPE encode_ascii_to_gsm0338 esc_decode_to_ascii_char sms_decode_3gpp2_pdu sms_decode_pdu
sms_encode_3gpp2_pdu sms_encode_pdu sms_encode_pdus sms_write"
# nm prints "<address> <type> <name>[@version]"; keep the bare names.
actual=$(nm -D --defined-only "$lib" | awk 'NF >= 3 { sub(/@.*/, "", $3); print $3 }' | sort -u | xargs)
[ "$actual" = "$(echo $expected | xargs -n1 | sort | xargs)" ] || fail "exports are: $actual"

soname=$(readelf -d "$lib" | sed -n 's/.*(SONAME).*\[\(.*\)\].*/\1/p')
[ "$soname" = libvelmora.so.2 ] || fail "SONAME is '$soname'"
[ "$(basename "$lib")" = libvelmora.so.2.0.0 ] && [ ! -L "$lib" ] || fail "$lib is not libvelmora.so.2.0.0"
for link in libvelmora.so.2 libvelmora.so; do
    [ -L "$dir/$link" ] && [ "$(readlink -f "$dir/$link")" = "$(readlink -f "$lib")" ] || fail "$link: no link to $lib"
done
[ $status -eq 0 ] && echo "exports, SONAME and file names as expected"
exit $status
