// SPDX-License-Identifier: Apache-2.0
// The workbench in headless Chromium, opened from disk: a deep-linked PDU, a pasted modem log,
// an emoji text into parts, bad PDUs' messages at their octets, and no request leaving the
// page; screenshots in light, dark and phone size under build/web/screenshots.
import assert from 'node:assert/strict';
import { mkdirSync, readFileSync } from 'node:fs';
import { createServer } from 'node:http';
import { join } from 'node:path';
import { after, before, test } from 'node:test';
import { pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';

const page_ = pathToFileURL(process.env.VELMORA_PAGE).href;
const shots = process.env.VELMORA_SCREENSHOTS;
const vectors = new URL('../../tests/vectors/', import.meta.url);
const read = (name) => readFileSync(new URL(name, vectors), 'utf8');
const decodeRows = read('decode.jsonl').split('\n').filter((l) => l && !l.startsWith('#')).map((l) => JSON.parse(l))
  .filter((r) => !r.args);
let browser;
const requests = [];

before(async () => {
  browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args: ['--headless', '--no-sandbox',
    '--disable-gpu', '--disable-background-networking', '--disable-component-update', '--no-first-run'] });
  mkdirSync(shots, { recursive: true });
});
after(() => browser?.close());

// A fresh page at `hash`, every request it makes recorded and any but the page itself refused.
async function open(hash = '', options = {}) {
  const context = await browser.newContext(options);
  const page = await context.newPage();
  await page.route('**/*', (route) => {
    requests.push(route.request().url());
    return route.request().url().split('#')[0] === page_ ? route.continue() : route.abort();
  });
  page.on('websocket', (ws) => requests.push(ws.url()));
  await page.goto(`${page_}${hash}`);
  await page.waitForSelector('body[data-ready="true"]');
  return page;
}

test('a deep-linked PDU: its text, its fields, a field and its octets lit together', async () => {
  for (const row of decodeRows.filter((r) => r.json?.text).slice(0, 8)) {
    const page = await open(`#pdu=${row.pdu}`);
    assert.equal(await page.textContent('#decoded .card:not(.joined) blockquote'), row.json.text, row.pdu);
    const fields = await page.$$('#decoded .fields tbody tr');
    assert.ok(fields.length > 8);
    await page.hover('#decoded .fields tbody tr[data-field="0"]'); // the service-centre address
    const smscOctets = 1 + parseInt(row.pdu.slice(0, 2), 16);
    assert.equal(await page.locator('.octet.lit').count(), smscOctets);
    await page.mouse.move(0, 0);
    await page.focus(`.octet[data-octet="${smscOctets}"]`); // the first octet: its row lit
    assert.equal(await page.textContent('.fields tr.lit th'), 'first octet');
    await page.keyboard.press('ArrowRight'); // the keyboard goes on to TP-OA's first octet
    assert.equal(await page.textContent('.fields tr.lit th'), row.json.type === 'deliver' ? 'TP-OA' : 'TP-MR');
    await page.context().close();
  }
});

test('a pasted modem log: each PDU, the parts joined with the missing ones named, the refused ones', async () => {
  const page = await open();
  await page.fill('#pdus', read('modem_log.txt'));
  await page.click('#decode-form button');
  // What the tool reads in the same log (tests/golden/modem_log.jsonl): a card each, the failures marked.
  const golden = readFileSync(new URL('../golden/modem_log.jsonl', vectors), 'utf8').trim().split('\n')
    .map((l) => JSON.parse(l)).filter((r) => !r.joined);
  assert.equal(await page.locator('#decoded .card:not(.joined)').count(), golden.length);
  const failures = await page.locator('#decoded .card.failed .error').allTextContents();
  assert.deepEqual(failures.map((m) => m.replace(/ at octet offset.*/, '')),
    golden.filter((r) => r.error).map((r) => r.error.message.replace(/ at octet offset.*/, '')));
  const joined = await page.locator('#decoded .card.joined h3').allTextContents();
  assert.ok(joined.some((t) => /all \d+ parts/.test(t)), joined.join(' | '));
  await page.screenshot({ path: `${shots}/modem-log.png`, fullPage: true });
  await page.context().close();
});

test('an emoji text into parts, as sms_encode.tsv has it; characters forcing UCS-2 marked', async () => {
  const [, text, , expect] = read('sms_encode.tsv').split('\n').map((l) => l.split('\t'))
    .find(([name]) => name === 'surrogate pair making 71');
  const unescaped = text.replace(/(.)\\\((\d+)\)/u, (_, c, n) => c.repeat(Number(n)));
  const page = await open(`#${new URLSearchParams({ text: unescaped, to: '12345', ref: '7' })}`);
  assert.deepEqual(await page.locator('#encoded .pdu').allTextContents(), expect.split(' '));
  assert.match(await page.textContent('#encoded li .at'), /^AT\+CMGS=\d+$/);
  await page.click('#encoded li summary'); // the first part's fields: its concatenation element
  assert.match(await page.textContent('#encoded li .fields'), /part 1 of 2, reference 0x07/);
  assert.ok((await page.locator('#characters mark.ucs2').allTextContents()).includes('Ж'));
  await page.screenshot({ path: `${shots}/encode.png`, fullPage: true });
  await page.context().close();
});

test('bad PDUs: the C API message, and the failing octet marked; a warning marked at its octet', async () => {
  for (const row of decodeRows.filter((r) => r.error && /^[0-9A-Fa-f]*$/.test(r.pdu))) {
    const page = await open(`#pdu=${row.pdu}`);
    assert.equal(await page.textContent('#decoded .card.failed .error'), row.error, row.pdu);
    const offset = Number(/offset (\d+)/.exec(row.error)[1]);
    if (offset < row.pdu.length / 2)
      assert.match(await page.getAttribute(`.octet[data-octet="${offset}"]`, 'class'), /bad/, row.pdu);
    await page.context().close();
  }
  for (const row of read('decode_warnings.jsonl').split('\n').filter((l) => l.startsWith('{')).map((l) => JSON.parse(l))
    .filter((r) => r.json && r.json.warnings[0].offset < r.pdu.length / 2)) {
    const page = await open(`#pdu=${row.pdu}`);
    assert.match(await page.getAttribute(`.octet[data-octet="${row.json.warnings[0].offset}"]`, 'class'), /warn/, row.pdu);
    await page.context().close();
  }
});

test('the npm package as installed from its tarball, imported by a browser without a bundler', async () => {
  const dir = process.env.VELMORA_PACKAGE_DIR;
  const server = createServer((request, response) => {
    const file = request.url.endsWith('.js') ? join(dir, request.url.replace(/[^\w.-]/g, '')) : null;
    response.setHeader('content-type', file ? 'text/javascript' : 'text/html');
    response.end(file ? readFileSync(file) : '<!doctype html><title>velmora</title>');
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const context = await browser.newContext();
  const page = await context.newPage();
  await page.goto(`http://127.0.0.1:${server.address().port}/`);
  const row = decodeRows.find((r) => r.json?.text);
  const message = await page.evaluate(async (pdu) => (await import('/index.js')).decode(pdu), row.pdu);
  assert.deepEqual(message, row.json);
  await context.close();
  server.close();
});

test('light, dark and phone-sized screens; no request left the page', async () => {
  const hash = `#pdu=${decodeRows.find((r) => r.json?.udh).pdu}`;
  for (const [name, options] of [['light', {}], ['dark', { colorScheme: 'dark' }],
    ['phone', { viewport: { width: 375, height: 740 }, colorScheme: 'dark' }]]) {
    const page = await open(hash, { viewport: { width: 1100, height: 900 }, ...options });
    await page.screenshot({ path: `${shots}/${name}.png`, fullPage: name !== 'phone' });
    if (name === 'phone') assert.ok(await page.evaluate(() => document.documentElement.scrollWidth <= 375 + 1));
    await page.context().close();
  }
  assert.ok(requests.length > 0);
  assert.deepEqual(requests.filter((url) => url.split('#')[0] !== page_), []);
});
