// SPDX-License-Identifier: Apache-2.0
// The package against the shared vectors of tests/vectors: decode.jsonl, decode_strings.jsonl and
// decode_warnings.jsonl (messages, warnings and errors with the tool's JSON keys), sms_encode.tsv
// (PDUs, counts and errors of encoding) and modem_log.txt (read as the tool reads it:
// tests/golden/modem_log.jsonl).
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { test } from 'node:test';

// The package as installed from its tarball (js/scripts/test.sh), or as resolved from here.
const { count, decode, encode, explain, readModemOutput, Reassembler, VelmoraError } =
  await import(process.env.VELMORA_PACKAGE ?? 'velmora');

const vectors = new URL('../../tests/vectors/', import.meta.url);
const lines = (name) => readFileSync(new URL(name, vectors), 'utf8').split('\n').filter((l) => l && !l.startsWith('#'));

const decodeFiles = ['decode.jsonl', 'decode_strings.jsonl', 'decode_warnings.jsonl'];
test(`${decodeFiles.join(', ')}: each message as the tool shows it, each error as the C API reports it`, () => {
  for (const row of decodeFiles.flatMap(lines).map((l) => JSON.parse(l))) {
    const options = { cdma: row.args?.includes('--cdma'), noSmsc: row.args?.includes('--no-smsc'),
      strict: row.args?.includes('--strict') };
    const { message, error, fields } = explain(row.pdu, options);
    const pasted = `\u00a0 ${row.pdu}\x1a\r\n`;  // with what a web page or a modem leaves around it
    if (row.json) {
      assert.deepEqual(message, row.json, row.pdu);
      assert.deepEqual(decode(row.pdu, options), row.json);
      assert.deepEqual([decode(pasted, options), explain(pasted, options).message], [row.json, row.json]);
    } else {
      assert.ok(error instanceof VelmoraError, row.pdu);
      assert.equal(error.message, row.error, row.pdu);
      assert.equal(fields.at(-1).error, true);
      assert.throws(() => decode(row.pdu, options), { message: row.error, offset: error.offset });
      assert.throws(() => decode(pasted, options), { message: row.error, offset: error.offset });
    }
  }
});

// \xHH a byte, c\(N) the character before it N times.
function unescape(text) {
  return text.replace(/(\\x[0-9A-F]{2}|[^\\]?)\\\((\d+)\)/gu, (_, c, n) => c.repeat(Number(n)))
    .replace(/\\x([0-9A-F]{2})/g, (_, h) => String.fromCharCode(parseInt(h, 16)));
}

// The row's options in the package's words; null for those only the C API can be given.
function options(text) {
  const o = { to: '12345' };
  for (const [key, value = ''] of text.split(' ').filter(Boolean).map((w) => w.split('='))) {
    const number = Number(value);
    const offset = (m) => `${m < 0 ? '-' : '+'}${String(Math.trunc(Math.abs(m) / 60)).padStart(2, '0')}:${String(Math.abs(m) % 60).padStart(2, '0')}`;
    const set = {
      to: () => { o.to = value === '-' ? '' : value; }, to_type: () => { o.toType = number; },
      smsc: () => { o.smsc = value; }, ref: () => { o.reference = number; }, refbits: () => { o.referenceBits = number; },
      class: () => { o.messageClass = number; }, languages: () => { o.languages = value.split(','); },
      minutes: () => { o.validity = number; }, mr: () => { o.messageReference = number; }, pid: () => { o.pid = number; },
      alphabet: () => { o.alphabet = value; }, data: () => { o.data = true; },
      cdma: () => { o.cdma = true; o.from = value; },
      ports: () => { const [d, s] = value.split(':').map(Number); o.ports = { destination: d, source: s }; },
      ports8: () => { const [d, s] = value.split(':').map(Number); o.ports = { destination: d, source: s, bits: 8 }; },
      until: () => { const [, t, m] = /^(.*T\d\d:\d\d:\d\d)([+-]\d+)$/.exec(value); o.validityUntil = t + offset(Number(m)); },
    }[key];
    if (!set || key === 'capacity' || (key === 'alphabet' && !isNaN(number))) return null;
    set();
  }
  return o;
}

function outcome(text, o, expect) {
  const message = o.data ? Uint8Array.from(text, (c) => c.charCodeAt(0)) : text;
  try {
    if (expect.startsWith('count ')) {
      const c = count(text, o);
      return `count ${c.alphabet} ${c.locking_shift ?? 0} ${c.single_shift ?? 0} ${c.parts} ${c.units_per_part} ${c.units_used} ${c.units_left}`;
    }
    const pdus = encode(message, o);
    return expect.startsWith('parts ') ? `parts ${pdus.length}` : pdus.map((p) => p.hex).join(' ');
  } catch (e) {
    assert.ok(e instanceof VelmoraError, e.message);
    const where = e.codePoint ? ` U+${e.codePoint.toString(16).toUpperCase().padStart(4, '0')}` : '';
    return `error ${e.message.replace(/ at byte offset.*/, '')}: ${e.field} ${e.offset}${where}`;
  }
}

test('sms_encode.tsv: PDUs, counts and errors as the C API gives them', () => {
  let rows = 0;
  for (const [name, text, optionText, expect] of lines('sms_encode.tsv').map((l) => l.split('\t'))) {
    const o = options(optionText);
    if (!o) continue;
    // A JavaScript string is always Unicode: the rows of bytes that are not UTF-8 stay with the C API.
    if (!o.data && /\\x[89A-F]/.test(text)) continue;
    assert.equal(outcome(unescape(text), o, expect), expect, name);
    rows++;
  }
  assert.ok(rows > 110, `${rows} rows`);
});

test('modem_log.txt: each entry as the tool reads it (tests/golden/modem_log.jsonl), each PDU with its options', () => {
  const golden = readFileSync(new URL('../golden/modem_log.jsonl', vectors), 'utf8').trim().split('\n')
    .map((l) => JSON.parse(l)).filter((r) => !r.joined);
  const entries = readModemOutput(readFileSync(new URL('modem_log.txt', vectors), 'utf8'));
  const shown = entries.map((e) => ({ source: `modem_log.txt line ${e.line}`, ...e.message, ...(e.error && { error: e.error.status }),
    ...(e.kind === 'sent' && { sent: { message_reference: e.messageReference } }), ...(e.cmsError && { modem_error: e.cmsError }) }));
  assert.deepEqual(shown, golden.map((r) => (r.error ? { ...r, error: r.error.status } : r)));
  for (const e of entries.filter((entry) => entry.message)) assert.equal(decode(e.pdu, e.options).time, e.message.time);
});

test('Reassembler: parts in any order, a duplicate, the missing part named, then joined', () => {
  const text = 'a'.repeat(307);
  const parts = encode(text, { to: '12345', reference: 7 }).map((p) => p.hex);
  const r = new Reassembler({ slots: 4 });
  assert.equal(r.add(parts[2], { label: 'third' }).added, 'stored');
  assert.equal(r.add(parts[2]).added, 'duplicate');
  assert.equal(r.add(parts[0], { label: 'first' }).added, 'stored');
  const [pending] = r.pending();
  assert.deepEqual([pending.parts_present, pending.parts_missing, pending.sources], [[1, 3], [2], ['first', 'third']]);
  const last = r.add(parts[1], { label: 'second' });
  assert.equal(last.added, 'complete');
  assert.equal(last.joined.text, text);
  assert.deepEqual(r.pending(), []);
  assert.equal(r.add(encode('hi', { to: '1' })[0].hex).added, 'single');
  assert.throws(() => r.add('0043'), { kind: 'UNSUPPORTED_TYPE', offset: 1, field: 'TP-MTI' });
  r.close();
});

// Objects of one shape are made alike (their keys read from the tape once): every mix of the
// sending options gives SMS-SUBMITs of hundreds of shapes, each as the tool's JSON has it.
test('decode: every mix of optional fields as the tool shows it, hundreds of shapes in turn', () => {
  const shapes = new Set();
  for (let mix = 0; mix < 960; mix++) {
    const o = { to: mix & 1 ? '+4912345' : '12345', statusReport: !!(mix & 2), rejectDuplicates: !!(mix & 4),
      replyPath: !!(mix & 8), messageClass: [undefined, 0, 1, 2, 3][(mix >> 4) % 5],
      validity: ['default', 'none', 90, undefined][Math.floor(mix / 80) % 4], ports: mix % 3 ? null : { destination: 2948 },
      alphabet: ['gsm7', 'ucs2', '8bit'][Math.floor(mix / 320)], messageReference: mix & 255 };
    if (o.validity === undefined) o.validityUntil = '2026-12-24T18:00:00+01:00';
    for (const { hex } of encode(mix % 7 ? 'Grüße' : 'x'.repeat(200), o)) {
      const message = decode(hex);
      assert.deepEqual(message, explain(hex).message, hex);
      shapes.add(Object.keys(message).join());
    }
  }
  assert.ok(shapes.size > 200, `${shapes.size} shapes`);
});
