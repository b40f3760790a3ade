// SPDX-License-Identifier: Apache-2.0
// The workbench as one HTML file with everything inside: the npm package (its module and the
// WebAssembly as base64) and the page's script in one inline module, so that it works opened
// from disk (file://) as from any static host, and loads nothing.
//   node web/build.mjs build/wasm/npm build/web/index.html
import { mkdirSync, readFileSync, writeFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const [pkg, out] = process.argv.slice(2);
const here = dirname(fileURLToPath(import.meta.url));
const read = (file) => readFileSync(file, 'utf8');
const unexported = (code) => code.replace(/^import .*;$/gm, '').replace(/^export (?=(const|function|class) )/gm, '');
const script = [
  read(join(pkg, 'velmora-wasm.js')).replace(/^export default /m, 'const wasmBase64 = '),
  unexported(read(join(pkg, 'index.js'))),
  unexported(read(join(here, 'page.js'))),
].join('\n');
if (script.includes('</script')) throw new Error('a script may not hold </script');
const page = read(join(here, 'index.html'))
  .replace('<!-- velmora: the npm package and the page\'s script, inlined by web/build.mjs -->', `<script type="module">\n${script}</script>`);
mkdirSync(dirname(out), { recursive: true });
writeFileSync(out, page);
