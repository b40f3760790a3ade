// SPDX-License-Identifier: Apache-2.0
// The npm package as it ships, in OUT: the sources of js/ and velmora-wasm.js, the
// WebAssembly module as base64 (no fetch, so it loads from file:// and without a bundler).
//   node js/scripts/assemble.mjs build/wasm/js/velmora.wasm build/wasm/npm
import { copyFileSync, mkdirSync, readFileSync, writeFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const [wasm, out] = process.argv.slice(2);
const source = join(dirname(fileURLToPath(import.meta.url)), '..');
mkdirSync(out, { recursive: true });
for (const file of ['package.json', 'index.js', 'index.d.ts', 'README.md']) copyFileSync(join(source, file), join(out, file));
const base64 = readFileSync(wasm).toString('base64');
writeFileSync(join(out, 'velmora-wasm.js'),
  `// libvelmora-sms compiled to WebAssembly by js/CMakeLists.txt, as base64.\nexport default '${base64}';\n`);
