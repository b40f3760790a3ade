// SPDX-License-Identifier: Apache-2.0
// velmora: SMS PDUs decoded, explained field by field, encoded and counted, and concatenated
// parts joined, by libvelmora-sms compiled to WebAssembly. Messages come back with the keys
// of `velmora decode --json`, counts with those of `velmora count --json`.
import wasmBase64 from './velmora-wasm.js';

const bytes = Uint8Array.from(atob(wasmBase64), (c) => c.charCodeAt(0));
let memory;
const view = () => new Uint8Array(memory.buffer);
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

// Copies bytes (a string as UTF-8) into the module's memory; NUL-terminated for C strings.
function put(data) {
  const octets = typeof data === 'string' ? encoder.encode(data) : data;
  const at = lib.vg_alloc(octets.length + 1);
  view().set(octets, at);
  view()[at + octets.length] = 0;
  return { at, length: octets.length };
}

function text(at) {
  const memoryView = view();
  let end = at;
  while (memoryView[end] !== 0) end++;
  return decoder.decode(memoryView.subarray(at, end));
}

// Runs call(pointers...) with each argument copied in, and parses the JSON it answers.
function ask(call, ...args) {
  const placed = args.map((a) => (typeof a === 'number' ? null : put(a)));
  try {
    const answer = call(...args.flatMap((a, i) => (placed[i] ? [placed[i].at, placed[i].length] : [a])));
    return JSON.parse(text(answer));
  } finally {
    for (const p of placed) if (p) lib.vg_free(p.at);
  }
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

/** One PDU (hex) into a message with the tool's JSON keys; throws VelmoraError. */
export function decode(pdu, options) {
  const { message, error } = explain(pdu, options);
  if (error) throw error;
  return message;
}

const alphabets = { auto: 3, gsm7: 0, '8bit': 1, ucs2: 2 };
const validities = { default: 0, none: 1 };

function languageBits(languages = []) {
  let bits = 0;
  for (const name of languages) {
    const p = put(name);
    const id = lib.velmora_language_id(p.at);
    lib.vg_free(p.at);
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

// The numbers of velmora_submit_options in the order of js/glue/glue.cpp's Number.
function numbers(o = {}) {
  const alphabet = alphabets[o.alphabet ?? 'auto'];
  if (alphabet === undefined) throw new TypeError(`alphabet: ${o.alphabet}`);
  let validity = validities[o.validity ?? 'default'];
  let minutes = 0;
  if (typeof o.validity === 'number') [validity, minutes] = [2, o.validity];
  const until = o.validityUntil !== undefined ? validityUntil(o.validityUntil) : [0, 0, 0, 0, 0, 0, 0, 0];
  if (o.validityUntil !== undefined) validity = 3;
  if (validity === undefined) throw new TypeError(`validity: ${o.validity}`);
  const ports = o.ports ?? null;
  const values = [o.cdma ? 1 : 0, alphabet, languageBits(o.languages), o.messageReference ?? 0,
    o.referenceBits ?? 8, o.reference ?? -1, +!!o.statusReport, +!!o.rejectDuplicates, +!!o.replyPath,
    o.messageClass ?? -1, o.pid ?? 0, validity, minutes, ...until, ports ? (ports.bits ?? 16) : 0,
    ports?.destination ?? 0, ports?.source ?? 0, o.toType ?? 0, o.fromType ?? 0];
  return put(new Uint8Array(Int32Array.from(values).buffer));
}

function withOptions(options, call) {
  const n = numbers(options);
  try {
    return call(n.at);
  } finally {
    lib.vg_free(n.at);
  }
}

/**
 * Text (a string) or 8-bit data (a Uint8Array) into SMS-SUBMIT PDUs: [{hex, tpdu_length}],
 * tpdu_length being AT+CMGS's length. Throws VelmoraError.
 */
export function encode(message, options = {}) {
  const data = message instanceof Uint8Array;
  if (!data && typeof message !== 'string') throw new TypeError('encode takes a string or a Uint8Array');
  const answer = withOptions(options, (n) =>
    ask((t, tl, to, _a, smsc, _b, from) => lib.vg_encode(t, tl, data ? 1 : 0, n, to, smsc, from), message,
      options.to ?? '', options.smsc ?? '', options.from ?? ''));
  if (answer.error) throw new VelmoraError(answer.error);
  return answer.pdus;
}

/** What a phone shows while text is typed: alphabet, parts, units per part, used and left. */
export function count(message, options = {}) {
  const answer = withOptions(options, (n) => ask((t, tl) => lib.vg_count(t, tl, n), message));
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
export const version = text(lib.vg_version());
