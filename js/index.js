// SPDX-License-Identifier: Apache-2.0
// velmora: SMS PDUs decoded, explained field by field, encoded and counted, and concatenated
// parts joined, by libvelmora-sms compiled to WebAssembly. Messages come back with the keys
// of `velmora decode --json`, counts with those of `velmora count --json`.
import wasmBase64 from './velmora-wasm.js';

const bytes = Uint8Array.from(atob(wasmBase64), (c) => c.charCodeAt(0));
let memory;
// Views of the module's memory, made again when it grows (which leaves the old ones empty):
// in Node also a Buffer, whose utf8Slice makes a string in half the time TextDecoder takes
// (its latin1Slice, for ASCII, and ucs2Slice quicker again), called as its methods: through
// .call() a decode took about 3% longer; the options' numbers of encode and count.
let u8 = new Uint8Array(0), i32, buffer, values;
const slices = ['latin1Slice', 'ucs2Slice', 'utf8Slice'].every((m) => globalThis.Buffer?.prototype[m]);
const view = () => {
  if (u8.length === 0) {
    [u8, i32] = [new Uint8Array(memory.buffer), new Int32Array(memory.buffer)];
    if (slices) buffer = Buffer.from(memory.buffer);
    values = new Int32Array(memory.buffer, valuesAt, 26);
  }
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
// Room for the numbers of velmora_submit_options, in the order of js/glue/glue.cpp's Number.
const valuesAt = lib.vg_alloc(26 * 4);

const encoder = new TextEncoder();
const decoder = new TextDecoder();
const utf16Decoder = new TextDecoder('utf-16le');

// One area of the module's memory for the arguments of a call, grown as needed, and a view of it.
let scratch = { at: 0, size: 0, bytes: new Uint8Array(0) };
function room(size) {
  if (size > scratch.size) {
    if (scratch.at) lib.vg_free(scratch.at);
    scratch = { at: lib.vg_alloc(size * 2), size: size * 2, bytes: new Uint8Array(0) };
  }
  if (scratch.bytes.length === 0) scratch.bytes = new Uint8Array(memory.buffer, scratch.at, scratch.size);
  return scratch.at;
}

// The UTF-8 of `text` into bytes from `at`, with room for 3 octets a character; its length.
// Short ASCII (numbers, options) without the cost of a call to TextEncoder.
function utf8Into(text, bytes, at) {
  if (text.length > 32) return encoder.encodeInto(text, at === 0 ? bytes : bytes.subarray(at)).written;
  for (let i = 0; i < text.length; i++) {
    const c = text.charCodeAt(i);
    if (c > 0x7F) return encoder.encodeInto(text, at === 0 ? bytes : bytes.subarray(at)).written;
    bytes[at + i] = c;
  }
  return text.length;
}

// Arguments laid out one after another in the scratch area: strings as NUL-terminated UTF-8,
// byte arrays as they are, numbers left as they are; each string or array becomes (pointer, length).
function place(args) {
  let size = 0;
  for (const a of args) if (typeof a !== 'number') size += (typeof a === 'string' ? 3 * a.length : a.length) + 8;
  const start = room(size), bytes = scratch.bytes;
  let next = 0;
  const out = [];
  for (const a of args) {
    if (typeof a === 'number') { out.push(a); continue; }
    const length = typeof a === 'string' ? utf8Into(a, bytes, next) : (bytes.set(a, next), a.length);
    bytes[next + length] = 0;
    out.push(start + next, length);
    next += (length + 8) & ~3;
  }
  return out;
}

// The UTF-8 of the module's memory from `start` to `end` as a string: by the Buffer in Node;
// elsewhere short ASCII, the most of what a PDU holds, without TextDecoder.
function utf8(start, end) {
  if (buffer) return buffer.utf8Slice(start, end);
  if (end - start > 16) return decoder.decode(u8.subarray(start, end));
  let out = '';
  for (let i = start; i < end; i++) {
    if (u8[i] > 0x7F) return decoder.decode(u8.subarray(start, end));
    out += String.fromCharCode(u8[i]);
  }
  return out;
}

function cString(pointer) {
  view();
  let end = pointer;
  while (u8[end] !== 0) end++;
  return utf8(pointer, end);
}

// Runs call with its arguments placed, and parses the JSON it answers.
function ask(call, ...args) {
  return JSON.parse(cString(call(...place(args))));
}

/** velmora_status values, as include/velmora/sms.h names them without VELMORA_E_. */
export const Status = Object.freeze({
  OK: 0, ARGUMENT: 1, NOT_HEX: 2, ENDS_EARLY: 3, TRAILING_DATA: 4, UNSUPPORTED_TYPE: 5, INVALID_FIELD: 6,
  HEADER_TOO_LONG: 7, BAD_ELEMENT: 8, INVALID_UTF8: 9, UNENCODABLE: 10, TOO_MANY_PARTS: 11, NO_ROOM: 12,
  STALE_GROUP: 13, LENGTH_MISMATCH: 14, TEXT_MODE: 15,
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

const directions = { 'from-network': 4, 'to-network': 8 };
function decodeFlags(options = {}) {
  const direction = directions[options.direction ?? ''] ?? 0;
  if (options.direction && !direction) throw new TypeError(`direction: ${options.direction}`);
  return (options.noSmsc ? 1 : 0) | (options.cdma ? 2 : 0) | direction | (options.strict ? 0x10 : 0);
}

// The options decodeFlags makes `flags` of.
function decodeOptions(flags) {
  const options = {};
  if (flags & 1) options.noSmsc = true;
  if (flags & 2) options.cdma = true;
  if (flags & 0x10) options.strict = true;
  const direction = Object.keys(directions).find((d) => flags & directions[d]);
  if (direction) options.direction = direction;
  return options;
}

// What may surround a pasted PDU: white space of any kind, and control characters (Ctrl-Z
// ends a PDU typed for AT+CMGS).
const blank = (c) => c <= 0x20 || (c >= 0x80 && /\s/.test(String.fromCharCode(c)));

function clean(hex) {
  if (typeof hex !== 'string') throw new TypeError('a PDU is a string of hex digits');
  let start = 0, end = hex.length;
  while (start < end && blank(hex.charCodeAt(start))) start++;
  while (end > start && blank(hex.charCodeAt(end - 1))) end--;
  return start === 0 && end === hex.length ? hex : hex.slice(start, end);
}

/** Each field of a PDU with its octets and meaning; the message too, or the error. */
export function explain(pdu, options) {
  const answer = ask(lib.vg_decode, clean(pdu), decodeFlags(options));
  return { message: answer.message ?? null, error: answer.error ? new VelmoraError(answer.error, answer.fields) : null,
    fields: answer.fields };
}

// ---- decode and encode: the glue's answer read from a tape ----

// js/glue/glue.cpp's Tape: [strings' address, their octets, 1 if all are ASCII (else they
// are UTF-16), words...]. A value is its kind and its payload: a number, where its string
// ends among the strings decoded at once, a name's number, an object's shape and its values'
// payloads (their keys and kinds are the shape's).
const OBJECT = 1, ARRAY = 2, CLOSE = 3, NUMBER = 4, STRING = 5, FRACTION = 6, TRUE = 7, FALSE = 8, NAME = 9;

// The tape being read (a new record for each, so that no older object holds its strings):
// its words, where the next one is, its strings decoded and where the next one starts.
const names = []; // by number
const builders = []; // by shape: makes the object whose payloads are next

// The value at `at` (an address in the module's memory).
function read(at) {
  view();
  const w = at >> 2, start = i32[w], end = start + i32[w + 1];
  const ascii = i32[w + 2];
  const strings = buffer ? (ascii ? buffer.latin1Slice(start, end) : buffer.ucs2Slice(start, end))
    : ascii ? utf8(start, end) : utf16Decoder.decode(u8.subarray(start, end));
  // A message (an object) read without going through value() and payload().
  const t = { words: i32, w: w + 4, strings, stringEnd: 0 };
  return i32[w + 3] === OBJECT ? nextObject(t) : payload(t, i32[w + 3]);
}

const value = (t) => payload(t, t.words[t.w++]);

// The payload of a value of `kind` as the value.
function payload(t, kind) {
  switch (kind) {
    case NUMBER: return t.words[t.w++];
    case STRING: return nextString(t);
    case NAME: return nextName(t);
    case OBJECT: return nextObject(t);
    case ARRAY: return nextArray(t);
    case TRUE: return true;
    case FRACTION: return Number(nextString(t));
    default: return false;
  }
}

const nextString = (t) => t.strings.slice(t.stringEnd, (t.stringEnd = t.words[t.w++]));

function nextName(t) {
  const number = t.words[t.w++];
  return names[number] ?? (names[number] = cString(lib.vg_name(number)));
}

function nextObject(t) {
  const shape = t.words[t.w++];
  return (builders[shape] ?? newShape(t, shape))(t, nextString, nextName, nextObject, nextArray);
}

function nextArray(t) {
  const array = [];
  while (t.words[t.w] !== CLOSE) array.push(value(t));
  t.w++;
  return array;
}

// The builder of a shape met for the first time, made from the keys and kinds the glue tells.
function newShape(t, shape) {
  builders[shape] = builder(JSON.parse(cString(lib.vg_shape(shape))));
  t.words = i32; // anew if the module's memory grew
  return builders[shape];
}

// payload() of each kind as code, for builders.
const payloads = { [NUMBER]: 't.words[t.w++]', [STRING]: 's(t)', [FRACTION]: 'Number(s(t))', [NAME]: 'n(t)',
  [OBJECT]: 'o(t)', [ARRAY]: 'a(t)', [TRUE]: 'true', [FALSE]: 'false' };

// A function making the object of `fields` ([key, kind] in order) from the payloads next on
// the tape: one object literal, so that V8 gives all objects of a shape one hidden class and
// reads each payload without asking its kind; where a page's Content-Security-Policy forbids
// making code, the keys added one by one.
let generate = true;
function builder(fields) {
  if (generate) {
    try {
      const literal = fields.map(([key, kind]) => `${JSON.stringify(key)}: ${payloads[kind]}`).join(', ');
      return new Function('t', 's', 'n', 'o', 'a', `return {${literal}};`);
    } catch {
      generate = false;
    }
  }
  return (t) => {
    const object = {};
    for (const [key, kind] of fields) object[key] = payload(t, kind);
    return object;
  };
}

/** One PDU (hex) into a message with the tool's JSON keys; throws VelmoraError. */
export function decode(pdu, options) {
  pdu = clean(pdu);
  const at = room(3 * pdu.length);
  // Characters past ASCII become octets no hex digit is.
  const message = lib.vg_read(at, utf8Into(pdu, scratch.bytes, 0), options === undefined ? 0 : decodeFlags(options));
  if (message === 0) throw explain(pdu, options).error;
  return read(message);
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

// The options' numbers, written at valuesAt for the call that follows; valuesAt.
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
  const languages = o.languages ? languageBits(o.languages) : 0;
  view();
  values[0] = o.cdma ? 1 : 0;
  values[1] = alphabet;
  values[2] = languages;
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
  return valuesAt;
}

/**
 * Text (a string) or 8-bit data (a Uint8Array) into SMS-SUBMIT PDUs: [{hex, tpdu_length}],
 * tpdu_length being AT+CMGS's length. Throws VelmoraError.
 */
export function encode(message, options = {}) {
  const data = message instanceof Uint8Array;
  if (!data && typeof message !== 'string') throw new TypeError('encode takes a string or a Uint8Array');
  const a = place([message, numbers(options), options.to ?? '', options.smsc ?? '', options.from ?? '']);
  const pdus = lib.vg_encode(a[0], a[1], data ? 1 : 0, a[2], a[3], a[5], a[7]);
  if (pdus === 0) throw new VelmoraError(JSON.parse(cString(lib.vg_encode_error())));
  return read(pdus);
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

/**
 * What a modem printed in PDU mode (a terminal's text, a log), read by libvelmora-sms's modem
 * reader as `velmora decode` reads it: each PDU with its line, hex, the options it was decoded
 * with (direction from <stat>, noSmsc from <length>), and its message (with `index` and
 * `storage` when the modem gave them) or its error; +CMGS/+CMSS and +CMS ERROR answers.
 */
export function readModemOutput(text, options) {
  return ask(lib.vg_modem_read, text, decodeFlags(options)).map((e) => {
    const entry = { line: e.line, kind: e.kind };
    if (e.pdu !== undefined) Object.assign(entry, { pdu: e.pdu, options: decodeOptions(e.flags) });
    if (e.message) entry.message = e.message;
    if (e.error) entry.error = new VelmoraError(e.error, []);
    if (e.sent) entry.messageReference = e.sent.message_reference;
    if (e.modem_error) entry.cmsError = e.modem_error;
    return entry;
  });
}

/** libvelmora-sms's version. */
export const version = cString(lib.vg_version());
