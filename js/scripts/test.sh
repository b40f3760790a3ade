#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Builds the WebAssembly module (preset wasm), assembles the npm package, packs it, installs
# the tarball offline into a scratch project and runs the Node tests against it there.
#   js/scripts/test.sh        (from anywhere; output under build/wasm)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
export NODE_PATH=/usr/share/nodejs  # emscripten's optimizer finds Debian's acorn there
cmake --workflow --preset wasm >build-wasm.log 2>&1 || { cat build-wasm.log; exit 1; }
rm -f build-wasm.log
out=build/wasm
node js/scripts/assemble.mjs $out/js/velmora.wasm $out/npm
tarball=$(cd $out && npm pack ./npm --silent --pack-destination .)
rm -rf $out/consumer && mkdir -p $out/consumer
(cd $out/consumer && echo '{"name":"consumer","private":true,"type":"module"}' >package.json &&
 npm install --offline --no-audit --no-fund --silent "../$tarball")
export VELMORA_PACKAGE=$root/$out/consumer/node_modules/velmora/index.js
node --test js/test/
