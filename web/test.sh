#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Builds the workbench page from the npm package (js/scripts/test.sh builds and tests that)
# and drives it in Debian's headless Chromium with playwright-core from the npm registry.
#   web/test.sh     (output under build/web: index.html, screenshots/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
[ -f build/wasm/consumer/node_modules/velmora/index.js ] || js/scripts/test.sh
node web/build.mjs build/wasm/npm build/web/index.html
mkdir -p build/web-test
cp web/test/package.json build/web-test/
(cd build/web-test && npm install --no-audit --no-fund --silent)
cp web/test/page.test.mjs build/web-test/
VELMORA_PAGE=$root/build/web/index.html VELMORA_SCREENSHOTS=$root/build/web/screenshots \
VELMORA_PACKAGE_DIR=$root/build/wasm/consumer/node_modules/velmora \
    node --test build/web-test/page.test.mjs
