#!/usr/bin/env bash
# Checks the shared library's ABI surface: exactly the C functions and eESCAPE in the
# dynamic symbol table, SONAME libvelmora.so.2, and the file / symlink names.
# Usage: check_exports.sh <path of the built libvelmora.so.X.Y.Z>
set -euo pipefail

lib=$1
dir=$(dirname "$lib")
status=0
fail() { echo "FAIL: $*"; status=1; }

expected=$(sort <<'NAMES'
convert_bytestr_to_hexarray
convert_hexarray_to_bytestr
decode7
decode_datetime
decode_datetime_3gpp2
decode_gsm0338_to_ascii
eESCAPE
encode_ascii_to_gsm0338
esc_decode_to_ascii_char
sms_decode_3gpp2_pdu
sms_decode_pdu
sms_encode_3gpp2_pdu
sms_encode_pdu
sms_encode_pdus
sms_write
NAMES
)

# nm prints "<address> <type> <name>[@version]"; keep the bare names.
actual=$(nm -D --defined-only "$lib" | awk 'NF >= 3 { sub(/@.*/, "", $3); print $3 }' | sort -u)
missing=$(comm -23 <(echo "$expected") <(echo "$actual"))
extra=$(comm -13 <(echo "$expected") <(echo "$actual"))
[ -z "$missing" ] || fail "missing exports: $(echo $missing)"
[ -z "$extra" ] || fail "unexpected exports: $(echo $extra)"

soname=$(readelf -d "$lib" | sed -n 's/.*(SONAME).*\[\(.*\)\].*/\1/p')
[ "$soname" = "libvelmora.so.2" ] || fail "SONAME is '$soname', expected libvelmora.so.2"

[ "$(basename "$lib")" = "libvelmora.so.2.0.0" ] || fail "library file is $(basename "$lib")"
[ -f "$lib" ] && [ ! -L "$lib" ] || fail "$lib is not a regular file"
for link in libvelmora.so.2 libvelmora.so; do
    [ -L "$dir/$link" ] || { fail "$link is not a symlink"; continue; }
    [ "$(readlink -f "$dir/$link")" = "$(readlink -f "$lib")" ] || fail "$link does not lead to $(basename "$lib")"
done

[ $status -eq 0 ] && echo "exports, SONAME and file names as expected"
exit $status
