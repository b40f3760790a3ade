// SPDX-License-Identifier: Apache-2.0
// The PDU workbench: PDUs or a modem log decoded field by field with the octets linked both
// ways, parts joined; text encoded with every sending option. Everything runs here: the page
// loads nothing and sends nothing.
import { count, encode, explain, readModemOutput, Reassembler } from './velmora.js';

const $ = (id) => document.getElementById(id);
const el = (tag, attributes = {}, ...children) => {
  const e = document.createElement(tag);
  for (const [k, v] of Object.entries(attributes)) {
    if (k === 'text') e.textContent = v;
    else if (k.startsWith('on')) e.addEventListener(k.slice(2), v);
    else e.setAttribute(k, v);
  }
  e.append(...children);
  return e;
};

// ---- Decoding ----

// The field an octet belongs to: the innermost one holding it whole.
function fieldAt(fields, octet) {
  let found = -1;
  fields.forEach((f, i) => {
    if (!f.bits && octet >= f.offset && octet < f.offset + Math.max(f.length, 1)) found = i;
  });
  return found;
}

function link(card, index, on) {
  for (const e of card.querySelectorAll(`[data-field="${index}"]`)) e.classList.toggle('lit', on);
  const f = card.fields[index];
  for (const o of card.querySelectorAll('.octet')) {
    const i = Number(o.dataset.octet);
    o.classList.toggle('lit', on && i >= f.offset && i < f.offset + Math.max(f.length, 1));
  }
}

function hexView(card, hex) {
  const octets = el('div', { class: 'hex', role: 'group', 'aria-label': 'octets of the PDU' });
  for (let i = 0; 2 * i < hex.length; i++) {
    const field = fieldAt(card.fields, i);
    const f = card.fields[field];
    const o = el('span', { class: `octet${f?.error ? ' bad' : f?.warning ? ' warn' : ''}`, 'data-octet': i,
      text: hex.slice(2 * i, 2 * i + 2).toUpperCase() });
    if (field >= 0) {
      o.tabIndex = i === 0 ? 0 : -1; // one tab stop; the arrow keys go from octet to octet
      o.title = `octet ${i}: ${f.name}`;
      o.setAttribute('aria-label', `octet ${i}, ${o.textContent}: ${f.name}, ${f.meaning}${f.warning ? `, warning ${f.warning}` : ''}`);
      for (const [event, on] of [['mouseenter', true], ['mouseleave', false], ['focus', true], ['blur', false]])
        o.addEventListener(event, () => link(card, field, on));
    }
    octets.append(o);
  }
  octets.addEventListener('keydown', (e) => {
    const step = { ArrowRight: 1, ArrowDown: 1, ArrowLeft: -1, ArrowUp: -1 }[e.key];
    const next = step && e.target.parentNode.children[Number(e.target.dataset.octet) + step];
    if (!next || next.tabIndex === undefined) return;
    e.preventDefault();
    e.target.tabIndex = -1;
    next.tabIndex = 0;
    next.focus();
  });
  return octets;
}

function fieldTable(card) {
  const rows = card.fields.map((f, i) => {
    const where = f.bits ? `bit${f.bits[1] > 1 ? 's' : ''} ${f.bits[0]}${f.bits[1] > 1 ? `–${f.bits[0] + f.bits[1] - 1}` : ''}`
      : `${f.offset}${f.length > 1 ? `–${f.offset + f.length - 1}` : ''}`;
    const row = el('tr', { 'data-field': i, tabindex: 0,
      class: [f.level ? 'part' : '', f.error ? 'bad' : '', f.warning ? 'warn' : ''].join(' ') },
      el('td', { text: where }), el('th', { scope: 'row', text: f.name }),
      el('td', { text: f.error ? `error: ${f.meaning}` : f.meaning },
        ...(f.warning ? [el('span', { class: 'warning', text: ` warning: ${f.warning}` })] : [])));
    for (const [event, on] of [['mouseenter', true], ['mouseleave', false], ['focus', true], ['blur', false]])
      row.addEventListener(event, () => link(card, i, on));
    return row;
  });
  return el('table', { class: 'fields' }, el('caption', { text: 'Fields' }),
    el('thead', {}, el('tr', {}, el('th', { scope: 'col', text: 'octets' }), el('th', { scope: 'col', text: 'field' }),
      el('th', { scope: 'col', text: 'meaning' }))), el('tbody', {}, ...rows));
}

function summary(message) {
  return el('dl', { class: 'summary' }, ...Object.entries(message).flatMap(([k, v]) =>
    [el('dt', { text: k }), el('dd', { text: typeof v === 'object' ? JSON.stringify(v) : String(v) })]));
}

function pduCard({ pdu: hex, line, options }, index) {
  const result = explain(hex, options);
  const card = el('article', { class: `card${result.error ? ' failed' : ''}`, 'aria-labelledby': `pdu-${index}` });
  card.fields = result.fields;
  const title = result.message
    ? `${result.message.type}${result.message.sender ? ` from ${result.message.sender}` : ''}${result.message.recipient ? ` to ${result.message.recipient}` : ''}`
    : 'cannot be read';
  card.append(el('h3', { id: `pdu-${index}`, text: `PDU ${index + 1} (line ${line}): ${title}` }));
  if (result.error) card.append(el('p', { class: 'error', role: 'alert', text: result.error.message }));
  if (result.message?.text !== undefined) card.append(el('blockquote', { class: 'text', text: result.message.text }));
  card.append(hexView(card, hex), fieldTable(card));
  if (result.message) card.append(el('details', {}, el('summary', { text: 'All fields as JSON keys' }), summary(result.message)));
  return { card, result };
}

// What the modem reader found that is no PDU: a response without its PDU, a text-mode
// listing, +CMGS/+CMSS, +CMS ERROR.
function noteCard(entry) {
  const what = entry.error?.message ?? (entry.cmsError ? `+CMS ERROR: ${entry.cmsError.code} (${entry.cmsError.message})`
    : `sent: message reference ${entry.messageReference}`);
  return el('article', { class: `card note${entry.kind === 'failed' ? ' failed' : ''}` },
    el('h3', { text: `Line ${entry.line}` }), el('p', { class: entry.kind === 'sent' ? '' : 'error', text: what }));
}

function joinedCard(joined) {
  const missing = joined.parts_missing.length
    ? `missing part${joined.parts_missing.length > 1 ? 's' : ''} ${joined.parts_missing.join(', ')} of ${joined.parts}`
    : `all ${joined.parts} parts`;
  return el('article', { class: `card joined${joined.parts_missing.length ? ' incomplete' : ''}` },
    el('h3', { text: `Joined message: ${missing}` }),
    el('p', { text: `parts ${joined.parts_present.join(', ')} from ${joined.sources.join(', ')}; reference ${joined.reference}` }),
    el('blockquote', { class: 'text', text: joined.text ?? joined.data ?? '' }));
}

function decodeAll() {
  const text = $('pdus').value;
  const out = $('decoded');
  out.replaceChildren();
  const reassembler = new Reassembler();
  const entries = readModemOutput(text);
  const pdus = entries.filter((e) => e.pdu !== undefined);
  const joined = [];
  for (const entry of entries) {
    if (entry.pdu === undefined) {
      out.append(noteCard(entry));
      continue;
    }
    const i = pdus.indexOf(entry);
    const { card, result } = pduCard(entry, i);
    out.append(card);
    if (!result.message) continue;
    const added = reassembler.add(entry.pdu, { ...entry.options, label: `PDU ${i + 1}` });
    if (added.joined) joined.push(added.joined);
    if (added.released) joined.push(added.released);
  }
  joined.push(...reassembler.flush());
  reassembler.close();
  out.prepend(...joined.map(joinedCard));
  $('decode-status').textContent = `${pdus.length} PDU${pdus.length === 1 ? '' : 's'}, ${joined.length} joined message${joined.length === 1 ? '' : 's'}`;
  const hexes = pdus.map((p) => p.pdu);
  if (hexes.length && hexes.join(',').length < 4000) history.replaceState(null, '', `#pdu=${hexes.join(',')}`);
}

// ---- Encoding ----

const optionFields = ['to', 'smsc', 'alphabet', 'languages', 'class', 'validity', 'ref', 'refbits', 'report', 'ports'];

function sendOptions() {
  const o = { to: $('to').value.trim() };
  if ($('smsc').value.trim()) o.smsc = $('smsc').value.trim();
  o.alphabet = $('alphabet').value;
  const languages = [...document.querySelectorAll('#languages input:checked')].map((c) => c.value);
  if (languages.length) o.languages = languages;
  if ($('class').value !== '') o.messageClass = Number($('class').value);
  const validity = $('validity').value;
  if (validity !== '') o.validity = validity === 'none' ? 'none' : Number(validity);
  if ($('ref').value !== '') o.reference = Number($('ref').value);
  o.referenceBits = Number($('refbits').value);
  if ($('report').checked) o.statusReport = true;
  if ($('ports').value.trim()) {
    const [destination, source = 0] = $('ports').value.split(':').map(Number);
    o.ports = { destination, source };
  }
  return o;
}

// Each character by what it needs: the default alphabet, a national table, or UCS-2.
function characterClasses(text, options) {
  const classes = new Map();
  for (const c of new Set(text)) {
    const fits = (languages) => { try { count(c, { alphabet: 'gsm7', languages }); return true; } catch { return false; } };
    classes.set(c, fits(undefined) ? 'default' : fits(options.languages ?? []) && options.languages ? 'national' : 'ucs2');
  }
  return classes;
}

function encodeText() {
  const text = $('text').value;
  const options = sendOptions();
  const out = $('encoded');
  out.replaceChildren();
  try {
    const c = count(text, options);
    const unit = { gsm7: 'septets', '8bit': 'octets', ucs2: 'UTF-16 units' }[c.alphabet];
    $('count').textContent = `${c.alphabet}${c.locking_shift ? `, locking shift ${c.locking_shift}` : ''}${c.single_shift ? `, single shift ${c.single_shift}` : ''}: ` +
      `${c.parts} part${c.parts === 1 ? '' : 's'}, ${c.units_left} ${unit} left in the last part (${c.units_per_part} per part)`;
    const classes = characterClasses(text, options);
    $('characters').replaceChildren(...[...text].map((ch) => {
      const kind = classes.get(ch);
      return kind === 'default' ? ch : el('mark', { class: kind, title: kind === 'ucs2' ? 'forces UCS-2' : 'needs a national table', text: ch });
    }));
    const pdus = encode(text, options);
    pdus.forEach((pdu, i) => {
      const copy = el('button', { type: 'button', text: 'Copy', 'aria-label': `copy PDU ${i + 1}`,
        onclick: () => navigator.clipboard?.writeText(pdu.hex).then(() => { copy.textContent = 'Copied'; }, () => {}) });
      // The PDU's own field map, read back as a receiver reads it.
      const fields = el('details', {}, el('summary', { text: 'Fields' }));
      fields.fields = explain(pdu.hex).fields;
      fields.append(hexView(fields, pdu.hex), fieldTable(fields));
      out.append(el('li', {}, el('span', { class: 'at', text: `AT+CMGS=${pdu.tpdu_length}` }), ' ',
        el('code', { class: 'pdu', text: pdu.hex }), ' ', copy, fields));
    });
    $('encode-status').textContent = `${pdus.length} PDU${pdus.length === 1 ? '' : 's'}`;
  } catch (e) {
    $('encode-status').textContent = `Cannot send: ${e.message}`;
  }
  const params = new URLSearchParams({ text });
  for (const id of optionFields) {
    const input = $(id);
    if (id === 'languages') {
      const chosen = [...document.querySelectorAll('#languages input:checked')].map((c) => c.value).join(',');
      if (chosen) params.set(id, chosen);
    } else if (input.type === 'checkbox' ? input.checked : input.value !== '' && input.value !== input.defaultValue) {
      params.set(id, input.type === 'checkbox' ? '1' : input.value);
    }
  }
  history.replaceState(null, '', `#${params}`);
}

// ---- Deep links: #pdu=HEX[,HEX], #text=...&to=...&alphabet=... ----

function applyHash() {
  const params = new URLSearchParams(location.hash.slice(1));
  if (params.has('pdu')) {
    $('pdus').value = params.get('pdu').split(',').join('\n');
    decodeAll();
  }
  if (params.has('text')) {
    $('text').value = params.get('text');
    for (const id of optionFields) {
      if (!params.has(id)) continue;
      if (id === 'languages') {
        const chosen = params.get(id).split(',');
        for (const c of document.querySelectorAll('#languages input')) c.checked = chosen.includes(c.value);
      } else if ($(id).type === 'checkbox') $(id).checked = params.get(id) === '1';
      else $(id).value = params.get(id);
    }
    encodeText();
    $('encode-section').scrollIntoView?.();
  }
}

$('decode-form').addEventListener('submit', (e) => { e.preventDefault(); decodeAll(); });
$('encode-form').addEventListener('submit', (e) => { e.preventDefault(); encodeText(); });
$('encode-form').addEventListener('input', encodeText);
window.addEventListener('hashchange', applyHash);
applyHash();
document.body.dataset.ready = 'true';
