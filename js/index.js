// SPDX-License-Identifier: Apache-2.0
// velmora: SMS PDUs decoded, explained field by field, encoded and counted, and concatenated
// parts joined, by libvelmora-sms compiled to WebAssembly. Messages come back with the keys
// of `velmora decode --json`, counts with those of `velmora count --json`.
import wasmBase64 from './velmora-wasm.js';

const bytes = Uint8Array.from(atob(wasmBase64), (c) => c.charCodeAt(0));
let memory;
// Views of the module's memory, made again when it grows (which leaves the old ones empty).
let u8 = new Uint8Array(0), dv;
const view = () => {
  if (u8.length === 0) [u8, dv] = [new Uint8Array(memory.buffer), new DataView(memory.buffer)];
  return u8;
};
const wasi = {
  clock_time_get(_id, _precision, out) {
    new DataView(memory.buffer).setBigUint64(out, BigInt(Date.now()) * 1000000n, true);
    return 0;
  },
  proc_exit(code) { throw new Error(`velmora: WebAssembly exit ${code}`); },
  fd_write: () => 52, fd_close: () => 52, fd_seek: () => 52, // no files: ENOSYS
};
const { instance } = await WebAssembly.instantiate(bytes, {
  env: { emscripten_notify_memory_growth() {} },
  wasi_snapshot_preview1: wasi,
});
const lib = instance.exports;
memory = lib.memory;
lib._initialize();

const encoder = new TextEncoder();
const decoder = new TextDecoder();
const at = JSON.parse(cString(lib.vg_layout()));

// One area of the module's memory for the arguments of a call, grown as needed.
let scratch = { at: 0, size: 0 };
function room(size) {
  if (size > scratch.size) {
    if (scratch.at) lib.vg_free(scratch.at);
    scratch = { at: lib.vg_alloc(size * 2), size: size * 2 };
  }
  return scratch.at;
}

// Arguments laid out one after another in the scratch area: strings as NUL-terminated UTF-8,
// byte arrays as they are, numbers left as they are; each string or array becomes (pointer, length).
function place(args) {
  let size = 0;
  for (const a of args) if (typeof a !== 'number') size += (typeof a === 'string' ? 3 * a.length : a.length) + 8;
  let next = room(size);
  const out = [];
  for (const a of args) {
    if (typeof a === 'number') { out.push(a); continue; }
    const memoryView = new Uint8Array(memory.buffer, next, size);
    const length = typeof a === 'string' ? encoder.encodeInto(a, memoryView).written : (memoryView.set(a), a.length);
    memoryView[length] = 0;
    out.push(next, length);
    const used = (length + 8) & ~3;
    next += used;
    size -= used;
  }
  return out;
}

// UTF-8 of bytes[start, end) as a string; short ASCII, the most of what a PDU holds, without TextDecoder.
function utf8(bytes, start, end) {
  if (end - start > 48) return decoder.decode(bytes.subarray(start, end));
  let out = '';
  for (let i = start; i < end; i++) {
    if (bytes[i] > 0x7F) return decoder.decode(bytes.subarray(start, end));
    out += String.fromCharCode(bytes[i]);
  }
  return out;
}

function cString(pointer) {
  view();
  let end = pointer;
  while (u8[end] !== 0) end++;
  return utf8(u8, pointer, end);
}

// Runs call with its arguments placed, and parses the JSON it answers.
function ask(call, ...args) {
  return JSON.parse(cString(call(...place(args))));
}

/** velmora_status values, as include/velmora/sms.h names them without VELMORA_E_. */
export const Status = Object.freeze({
  OK: 0, ARGUMENT: 1, NOT_HEX: 2, ENDS_EARLY: 3, TRAILING_DATA: 4, UNSUPPORTED_TYPE: 5, INVALID_FIELD: 6,
  HEADER_TOO_LONG: 7, BAD_ELEMENT: 8, INVALID_UTF8: 9, UNENCODABLE: 10, TOO_MANY_PARTS: 11, NO_ROOM: 12,
  STALE_GROUP: 13,
});
const kinds = Object.fromEntries(Object.entries(Status).map(([k, v]) => [v, k]));

/** A PDU that cannot be read, or text or options that cannot be sent: the C API's error. */
export class VelmoraError extends Error {
  constructor(error, fields) {
    const where = error.field ? ` (${error.field})` : '';
    super(`${error.message} at ${fields ? 'octet' : 'byte'} offset ${error.offset}${where}`);
    this.name = 'VelmoraError';
    this.status = error.status;
    this.kind = kinds[error.status];
    this.offset = error.offset;
    this.field = error.field;
    if (error.code_point !== undefined) this.codePoint = error.code_point;
    if (fields) this.fields = fields;
  }
}

function decodeFlags(options = {}) {
  const direction = { 'from-network': 4, 'to-network': 8 }[options.direction ?? ''] ?? 0;
  if (options.direction && !direction) throw new TypeError(`direction: ${options.direction}`);
  return (options.noSmsc ? 1 : 0) | (options.cdma ? 2 : 0) | direction;
}

function clean(hex) {
  if (typeof hex !== 'string') throw new TypeError('a PDU is a string of hex digits');
  return hex.trim();
}

/** Each field of a PDU with its octets and meaning; the message too, or the error. */
export function explain(pdu, options) {
  const answer = ask(lib.vg_decode, clean(pdu), decodeFlags(options));
  return { message: answer.message ?? null, error: answer.error ? new VelmoraError(answer.error, answer.fields) : null,
    fields: answer.fields };
}

// ---- decode: the record read where it lies, into the keys of the tool's JSON ----

const record = { message: lib.vg_alloc(at['message.size']), error: lib.vg_alloc(at['error.size']) };
lib.velmora_message_init(record.message, at['message.size']);
const names = new Map(); // C strings of the name functions, by address
const named = (pointer) => {
  let name = names.get(pointer);
  if (name === undefined) names.set(pointer, (name = cString(pointer)));
  return name;
};
// The name a name function gives a value, asked once per value.
const nameOf = (lookup) => {
  const known = [];
  return (value) => known[value] ?? (known[value] = named(lookup(value)));
};
const typeName = nameOf(lib.velmora_type_name), alphabetName = nameOf(lib.velmora_alphabet_name);
const HAS = { SMSC: 0x1, ORIGINATOR: 0x2, RECIPIENT: 0x4, MESSAGE_REFERENCE: 0x8, PID: 0x10, DCS: 0x20, TIMESTAMP: 0x40,
  DISCHARGE_TIME: 0x80, VALIDITY: 0x100, STATUS: 0x200, USER_DATA: 0x800, UDH: 0x1000, TELESERVICE: 0x2000, TEXT: 0x4000 };
const hexDigits = Array.from({ length: 256 }, (_, i) => i.toString(16).toUpperCase().padStart(2, '0'));
const hex = (octets) => { let out = ''; for (const o of octets) out += hexDigits[o]; return out; };
const two = (n) => (n < 10 ? '0' : '') + n;

// Offsets of the members read, by name without the record's prefix: M.present, T.year, ...
const membersOf = (prefix) => Object.fromEntries(Object.entries(at).filter(([k]) => k.startsWith(prefix))
  .map(([k, v]) => [k.slice(prefix.length), v]));
const M = membersOf('message.'), T = membersOf('time.'), W = membersOf('waiting.'), E = membersOf('element.');
const addressType = at['address.type'];

const address = (a) => {
  let end = a;
  while (u8[end] !== 0) end++;
  return utf8(u8, a, end);
};
const twoDigits = Array.from({ length: 100 }, (_, i) => two(i));
const time = (t) => {
  let out = dv.getUint16(t + T.year, true) + '-' + twoDigits[u8[t + T.month]] + '-' + twoDigits[u8[t + T.day]] + 'T' +
    twoDigits[u8[t + T.hour]] + ':' + twoDigits[u8[t + T.minute]] + ':' + twoDigits[u8[t + T.second]];
  if (u8[t + T.has_utc_offset]) {
    const offset = dv.getInt16(t + T.utc_offset, true), size = Math.abs(offset);
    out += (offset < 0 ? '-' : '+') + twoDigits[Math.trunc(size / 60)] + ':' + twoDigits[size % 60];
  }
  return out;
};

function readMessage(base) {
  view();
  const present = dv.getUint32(base + M.present, true);
  const type = u8[base + M.type];
  const o = { format: u8[base + M.format] === 0 ? 'gsm' : 'cdma', type: typeName(type) };
  if (present & HAS.SMSC) o.smsc = address(base + M.smsc);
  if (present & HAS.ORIGINATOR) {
    o.sender = address(base + M.originator);
    o.sender_type = u8[base + M.originator + addressType];
  }
  if (present & HAS.RECIPIENT) {
    o.recipient = address(base + M.recipient);
    o.recipient_type = u8[base + M.recipient + addressType];
  }
  if (present & HAS.MESSAGE_REFERENCE) o.message_reference = u8[base + M.message_reference];
  if (present & HAS.PID) o.pid = u8[base + M.pid];
  if (present & HAS.DCS) {
    o.coding = u8[base + M.dcs];
    o.alphabet = alphabetName(u8[base + M.alphabet]);
  }
  const messageClass = dv.getInt8(base + M.message_class);
  if (messageClass >= 0) o.class = messageClass;
  if (u8[base + M.compressed]) o.compressed = true;
  const waiting = lib.velmora_message_waiting(base);
  if (waiting) {
    o.message_waiting = { kind: named(lib.velmora_waiting_kind_name(u8[waiting + W.kind])), active: !!u8[waiting + W.active],
      store: !!u8[waiting + W.store] };
    if (u8[waiting + W.count]) o.message_waiting.count = u8[waiting + W.count];
  }
  if (present & HAS.TIMESTAMP) o.time = time(base + M.timestamp);
  if (present & HAS.DISCHARGE_TIME) o.discharge_time = time(base + M.discharge_time);
  if (present & HAS.VALIDITY && u8[base + M.validity_format] === 3) o.validity_until = time(base + M.validity_until);
  else if (present & HAS.VALIDITY) {
    const seconds = dv.getUint32(base + M.validity_seconds, true);
    o.validity_minutes = seconds % 60 === 0 ? seconds / 60 : +(seconds / 60).toPrecision(4);
  }
  if (present & HAS.STATUS) {
    o.status = u8[base + M.status];
    o.status_category = named(lib.velmora_delivery_category_name(u8[base + M.status_category]));
    o.status_text = named(lib.velmora_delivery_status_text(o.status));
  }
  if (u8[base + M.status_report]) o[type === 1 ? 'status_report_request' : 'status_report_indication'] = true;
  if (u8[base + M.reply_path]) o.reply_path = true;
  if (u8[base + M.reject_duplicates]) o.reject_duplicates = true;
  if (u8[base + M.more_messages]) o.more_messages = true;
  if (present & HAS.UDH) {
    o.udh = [];
    for (let i = 0, e = base + M.elements; i < u8[base + M.element_count]; i++, e += E.size) {
      const data = base + M.udh + u8[e + E.offset];
      o.udh.push({ iei: u8[e + E.iei], data: hex(u8.subarray(data, data + u8[e + E.length])) });
    }
  }
  if (u8[base + M.reference_bits]) {
    o.reference = dv.getUint16(base + M.reference, true);
    o.reference_bits = u8[base + M.reference_bits];
    o.part = u8[base + M.part];
    o.parts = u8[base + M.parts];
  }
  if (u8[base + M.port_bits]) {
    o.source_port = dv.getUint16(base + M.source_port, true);
    o.destination_port = dv.getUint16(base + M.destination_port, true);
  }
  if (u8[base + M.locking_shift]) o.locking_shift = u8[base + M.locking_shift];
  if (u8[base + M.single_shift]) o.single_shift = u8[base + M.single_shift];
  if (present & HAS.TELESERVICE) {
    o.teleservice = dv.getUint16(base + M.teleservice, true);
    if (present & HAS.DCS) o.priority = u8[base + M.priority];
  }
  if (present & HAS.USER_DATA && present & HAS.TEXT) o.text = utf8(u8, base + M.text, base + M.text + dv.getUint32(base + M.text_length, true));
  else if (present & HAS.USER_DATA) o.data = hex(u8.subarray(base + M.data, base + M.data + dv.getUint32(base + M.data_length, true)));
  return o;
}

function readError(base, fields) {
  view();
  const e = (member) => base + at[`error.${member}`];
  const status = dv.getUint32(e('status'), true);
  const codePoint = dv.getUint32(e('code_point'), true);
  return new VelmoraError({ status, message: named(lib.velmora_status_message(status)), offset: dv.getUint32(e('offset'), true),
    field: cString(dv.getUint32(e('field'), true)), ...(status === Status.UNENCODABLE ? { code_point: codePoint } : {}) }, fields);
}

/** One PDU (hex) into a message with the tool's JSON keys; throws VelmoraError. */
export function decode(pdu, options) {
  if (typeof pdu !== 'string') throw new TypeError('a PDU is a string of hex digits');
  // Hex is ASCII: each character copied as one byte, anything else as 0x80, which no hex digit is.
  let start = room(pdu.length + 1), end = start;
  view();
  for (let i = 0; i < pdu.length; i++) {
    const c = pdu.charCodeAt(i);
    u8[end++] = c < 0x80 ? c : 0x80;
  }
  while (start < end && u8[start] <= 0x20) start++; // without the blanks around it
  while (end > start && u8[end - 1] <= 0x20) end--;
  const flags = options === undefined ? 0 : decodeFlags(options);
  if (lib.velmora_decode_hex(start, end - start, flags, record.message, record.error) !== 0) throw explain(pdu, options).error;
  return readMessage(record.message);
}

// ---- encode and count ----

const alphabets = { auto: 3, gsm7: 0, '8bit': 1, ucs2: 2 };
const validities = { default: 0, none: 1 };
const languageIds = new Map();

function languageBits(languages = []) {
  let bits = 0;
  for (const name of languages) {
    if (!languageIds.has(name)) languageIds.set(name, lib.velmora_language_id(place([name])[0]));
    const id = languageIds.get(name);
    if (id < 0) throw new VelmoraError({ status: Status.ARGUMENT, message: `unknown language ${name}`, offset: 0,
      field: 'languages' });
    bits |= 1 << id;
  }
  return bits;
}

// "2026-12-24T18:00:00+01:00" (or Z, or no zone: UTC) into year ... offset.
function validityUntil(iso) {
  const m = /^(\d{4})-(\d\d)-(\d\d)[T ](\d\d):(\d\d)(?::(\d\d))?(Z|([+-])(\d\d):?(\d\d))?$/.exec(iso ?? '');
  if (!m) throw new VelmoraError({ status: Status.ARGUMENT, message: `not a time: ${iso}`, offset: 0,
    field: 'validityUntil' });
  const offset = m[8] ? (m[8] === '-' ? -1 : 1) * (Number(m[9]) * 60 + Number(m[10])) : 0;
  return [+m[1], +m[2], +m[3], +m[4], +m[5], +(m[6] ?? 0), m[7] ? 1 : 0, offset];
}

const noUntil = [0, 0, 0, 0, 0, 0, 0, 0];

// The numbers of velmora_submit_options in the order of js/glue/glue.cpp's Number, as bytes.
const values = new Int32Array(26);
const valueBytes = new Uint8Array(values.buffer);
function numbers(o) {
  const alphabet = alphabets[o.alphabet ?? 'auto'];
  if (alphabet === undefined) throw new TypeError(`alphabet: ${o.alphabet}`);
  let validity = validities[o.validity ?? 'default'];
  let minutes = 0;
  if (typeof o.validity === 'number') [validity, minutes] = [2, o.validity];
  const until = o.validityUntil !== undefined ? validityUntil(o.validityUntil) : noUntil;
  if (o.validityUntil !== undefined) validity = 3;
  if (validity === undefined) throw new TypeError(`validity: ${o.validity}`);
  const ports = o.ports ?? null;
  values[0] = o.cdma ? 1 : 0;
  values[1] = alphabet;
  values[2] = o.languages ? languageBits(o.languages) : 0;
  values[3] = o.messageReference ?? 0;
  values[4] = o.referenceBits ?? 8;
  values[5] = o.reference ?? -1;
  values[6] = +!!o.statusReport;
  values[7] = +!!o.rejectDuplicates;
  values[8] = +!!o.replyPath;
  values[9] = o.messageClass ?? -1;
  values[10] = o.pid ?? 0;
  values[11] = validity;
  values[12] = minutes;
  values.set(until, 13);
  values[21] = ports ? (ports.bits ?? 16) : 0;
  values[22] = ports?.destination ?? 0;
  values[23] = ports?.source ?? 0;
  values[24] = o.toType ?? 0;
  values[25] = o.fromType ?? 0;
  return valueBytes;
}

const pduRoom = 8;
const pdus = lib.vg_alloc(pduRoom * at['pdu.size']);
lib.velmora_pdu_init(pdus, pduRoom, at['pdu.size']);
const countAt = lib.vg_alloc(8);

/**
 * Text (a string) or 8-bit data (a Uint8Array) into SMS-SUBMIT PDUs: [{hex, tpdu_length}],
 * tpdu_length being AT+CMGS's length. Throws VelmoraError.
 */
export function encode(message, options = {}) {
  const data = message instanceof Uint8Array;
  if (!data && typeof message !== 'string') throw new TypeError('encode takes a string or a Uint8Array');
  const [text, length, n, , to, , smsc, , from] =
    place([message, numbers(options), options.to ?? '', options.smsc ?? '', options.from ?? '']);
  const run = (into, capacity) => lib.vg_encode_into(text, length, data ? 1 : 0, n, to, smsc, from, into, capacity,
    countAt, record.error);
  let status = run(pdus, pduRoom);
  let count = (view(), dv.getUint32(countAt, true));
  let into = pdus;
  if (status === Status.NO_ROOM) { // more parts than the standing room: as many as needed, once
    into = lib.vg_alloc(count * at['pdu.size']);
    lib.velmora_pdu_init(into, count, at['pdu.size']);
    status = run(into, count);
  }
  try {
    if (status !== 0) throw readError(record.error);
    view();
    const size = at['pdu.size'], out = new Array(count);
    for (let i = 0, p = into; i < count; i++, p += size) {
      const hexAt = p + at['pdu.hex'];
      out[i] = { hex: utf8(u8, hexAt, hexAt + dv.getUint32(p + at['pdu.hex_length'], true)),
        tpdu_length: dv.getUint32(p + at['pdu.tpdu_length'], true) };
    }
    return out;
  } finally {
    if (into !== pdus) lib.vg_free(into);
  }
}

/** What a phone shows while text is typed: alphabet, parts, units per part, used and left. */
export function count(message, options = {}) {
  const answer = ask(lib.vg_count, message, numbers(options));
  if (answer.error) throw new VelmoraError(answer.error);
  return answer;
}

/** The parts of concatenated messages, held until every part is in. */
export class Reassembler {
  #handle;

  constructor({ slots = 256 } = {}) {
    this.#handle = lib.vg_reassembler_new(slots);
  }

  /**
   * Decodes a PDU and takes it in: {added, message, fields, joined?, released?}. `joined` is
   * the whole message once its last part is in; `released` a message shown as far as it got
   * when the slots were full. Throws VelmoraError for a PDU that cannot be read.
   */
  add(pdu, options = {}) {
    const answer = ask((h, hl, f, l) => lib.vg_reassembler_add(this.#handle, h, hl, f, l), clean(pdu),
      decodeFlags(options), options.label ?? '');
    if (answer.error) throw new VelmoraError(answer.error, answer.fields);
    return answer;
  }

  /** The messages still missing parts, earliest first, each naming its missing parts. */
  pending() { return ask(() => lib.vg_reassembler_pending(this.#handle, 0)); }

  /** The same, and lets them go. */
  flush() { return ask(() => lib.vg_reassembler_pending(this.#handle, 1)); }

  /** Frees the module's memory the reassembler holds. */
  close() {
    if (this.#handle) lib.vg_reassembler_delete(this.#handle);
    this.#handle = 0;
  }
}

/** libvelmora-sms's version. */
export const version = cString(lib.vg_version());
