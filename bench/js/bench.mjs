// SPDX-License-Identifier: Apache-2.0
// velmora (WebAssembly) against node-pdu in one process: decoding the shared decode vectors,
// encoding texts of one part and of several; then both compared on every vector, each
// disagreement listed. Run by bench/js/run.sh; the ratio is velmora's rate over node-pdu's,
// each the best of forty rounds taken in turn.
import { readFileSync, writeFileSync } from 'node:fs';
import * as pdu from 'node-pdu';

const velmora = await import(process.env.VELMORA_PACKAGE);
const out = process.argv[2] ?? '.';
const rows = readFileSync(new URL('../../tests/vectors/decode.jsonl', import.meta.url), 'utf8').split('\n')
  .filter((l) => l && !l.startsWith('#')).map((l) => JSON.parse(l));
const gsm = rows.filter((r) => !r.args?.length);

// Calls per second of each of two calls over `inputs`: short rounds taken in turn, so that
// both meet the same load on a shared machine, and many of them, so that both meet its quiet
// moments too; the best round of each counts. Also the median of the forty ratios of a pair
// of rounds, each pair run under the same load: steadier from run to run.
function rates(inputs, calls) {
  const best = calls.map(() => 0);
  const ratios = [];
  for (let round = 0; round < 40; round++) {
    const [a, b] = calls.map((call, i) => {
      let count = 0;
      const start = performance.now();
      while (performance.now() - start < 25) {
        for (const input of inputs) call(input);
        count += inputs.length;
      }
      const rate = count / ((performance.now() - start) / 1000);
      best[i] = Math.max(best[i], rate);
      return rate;
    });
    ratios.push(a / b);
  }
  ratios.sort((x, y) => x - y);
  return [...best, (ratios[19] + ratios[20]) / 2];
}

const attempt = (call) => { try { return call(); } catch { return undefined; } };
const decodable = gsm.filter((r) => r.json && attempt(() => pdu.parse(r.pdu)));
const texts = ['hello', 'How are you? '.repeat(12), 'Привет, как дела?', 'a'.repeat(500), '😀 Grüße '.repeat(20)];
const results = [
  ['decode', decodable.map((r) => r.pdu), (p) => velmora.decode(p).text,
    (p) => { const m = pdu.parse(p); return m.data?.getText(); }],
  ['encode', texts, (t) => velmora.encode(t, { to: '+4912345678' }),
    (t) => new pdu.Submit('+4912345678', t).getPartStrings()],
].map(([name, inputs, ours, theirs]) => {
  const [v, n, paired] = rates(inputs, [ours, theirs]);
  return { name, inputs: inputs.length, velmora_per_s: Math.round(v), node_pdu_per_s: Math.round(n), ratio: +(v / n).toFixed(1),
    paired_median: +paired.toFixed(1) };
});
console.table(results);
writeFileSync(`${out}/results.json`, JSON.stringify(results, null, 1));

// What each reads from every GSM vector: the type, the address, the text; or that it fails.
function theirs(hex) {
  const m = attempt(() => pdu.parse(hex));
  if (!m) return { fails: true };
  const type = m instanceof pdu.Deliver ? 'deliver' : m instanceof pdu.Submit ? 'submit' : 'status-report';
  return { type, address: m.address?.phone, text: type === 'status-report' ? undefined : attempt(() => m.data.getText()) };
}
function ours(row) {
  if (!row.json) return { fails: true };
  const m = row.json;
  const address = (m.sender ?? m.recipient ?? '').replace(/^\+/, '');
  return { type: m.type, address, text: m.text };
}
const lines = ['| PDU | velmora | node-pdu |', '|---|---|---|'];
for (const row of gsm) {
  const a = ours(row), b = theirs(row.pdu);
  const differs = a.fails !== b.fails || (!a.fails && ['type', 'address', 'text'].some((k) => (a[k] ?? '') !== (b[k] ?? '')));
  if (differs) lines.push(`| \`${row.pdu}\` | ${row.error ?? JSON.stringify(a)} | ${JSON.stringify(b)} |`);
}
writeFileSync(`${out}/comparison.md`, lines.join('\n') + '\n');
console.log(`${gsm.length} GSM vectors, ${lines.length - 2} disagreements: ${out}/comparison.md`);
