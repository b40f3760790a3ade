#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# velmora's npm package against node-pdu (from the npm registry) on the same vectors in the
# same run; figures and disagreements under build/bench-js. Builds the package first.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out=$root/build/bench-js
mkdir -p "$out"
cp "$root/bench/js/package.json" "$out/"
(cd "$out" && npm install --no-audit --no-fund --silent)
[ -f "$root/build/wasm/npm/index.js" ] || "$root/js/scripts/test.sh"
cp "$root/bench/js/bench.mjs" "$out/"
VELMORA_PACKAGE=$root/build/wasm/npm/index.js node "$out/bench.mjs" "$out"
