#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# A shared library's ABI surface: exactly the names of its list exported, the SONAME of its
# major version, and the file with its two symlinks.
#   check_exports.sh <libNAME.so.X.Y.Z> <file of the exported names, one per line>
set -euo pipefail
lib=$1 dir=$(dirname "$1") file=$(basename "$1") status=0
soname=${file%.*.*} link=${file%%.so.*}.so
fail() { echo "FAIL: $*"; status=1; }

expected=$(sort "$2" | xargs)
# nm prints "<address> <type> <name>[@version]"; keep the bare names.
actual=$(nm -D --defined-only "$lib" | awk 'NF >= 3 { sub(/@.*/, "", $3); print $3 }' | sort -u | xargs)
[ "$actual" = "$expected" ] || fail "exports are: $actual"

[ "$(readelf -d "$lib" | sed -n 's/.*(SONAME).*\[\(.*\)\].*/\1/p')" = "$soname" ] || fail "SONAME is not $soname"
[ ! -L "$lib" ] || fail "$lib is a link"
for name in "$soname" "$link"; do
    [ -L "$dir/$name" ] && [ "$(readlink -f "$dir/$name")" = "$(readlink -f "$lib")" ] || fail "$name: no link to $lib"
done
[ $status -eq 0 ] && echo "$file: exports, SONAME and file names as expected"
exit $status
