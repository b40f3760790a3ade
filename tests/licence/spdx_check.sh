#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Every source, build and script file of the tree names its licence in an SPDX line among
# its first three lines; data, vectors, golden files and documents are left out.
set -euo pipefail
cd "${1:?usage: spdx_check.sh SOURCE_DIR}"
missing=$(find . \( -path ./build -o -path ./.git -o -name node_modules -o -path ./tests/vectors -o \
                    -path ./tests/golden -o -path ./fuzz/corpus -o -path ./fuzz/dict -o -path ./data -o -path ./debian \) -prune -o \
               -type f \( -name '*.c' -o -name '*.h' -o -name '*.cpp' -o -name '*.py' -o -name '*.sh' -o \
                          -name '*.cmake' -o -name 'CMakeLists.txt' -o -name '*.in' -o -name '*.map' -o -name '*.js' -o \
                          -name '*.mjs' -o -name '*.ts' -o -name '*.css' -o -name '*.html' -o -name '*.toml' -o \
                          -path './.ci/*' -o -path './tests/mutations/run-*' -o -path './fuzz/run-*' \) -print |
          while read -r file; do head -n 3 "$file" | grep -q 'SPDX-License-Identifier: Apache-2.0' || echo "$file"; done)
if [ -n "$missing" ]; then
    echo "files without an SPDX line:"; echo "$missing"
    exit 1
fi
