// SPDX-License-Identifier: Apache-2.0
// Types of the velmora package. Messages carry the keys of `velmora decode --json`.

export declare const version: string;

export declare const Status: Readonly<{
  OK: 0; ARGUMENT: 1; NOT_HEX: 2; ENDS_EARLY: 3; TRAILING_DATA: 4; UNSUPPORTED_TYPE: 5; INVALID_FIELD: 6;
  HEADER_TOO_LONG: 7; BAD_ELEMENT: 8; INVALID_UTF8: 9; UNENCODABLE: 10; TOO_MANY_PARTS: 11; NO_ROOM: 12;
  STALE_GROUP: 13; LENGTH_MISMATCH: 14; TEXT_MODE: 15;
}>;
export type StatusKind = keyof typeof Status;

/** One field of a PDU: its octets, bits of one octet for the first-octet flags and fill bits. */
export interface Field {
  name: string;
  offset: number;
  length: number;
  /** [first bit, bit count] inside the octet at offset. */
  bits?: [number, number];
  /** 1: a part of the level-0 field before it. */
  level?: number;
  meaning: string;
  /** Where reading stopped: the failure's octets. */
  error?: true;
  /** The warnings met in the field's octets, by name: "time", "trailing-data", ... */
  warning?: string;
}

export declare class VelmoraError extends Error {
  status: number;
  kind: StatusKind;
  /** Octet offset in the PDU (decoding) or byte offset in the text (encoding). */
  offset: number;
  /** The field being read, or the option or argument at fault. */
  field: string;
  codePoint?: number;
  /** Decoding: the fields read before the failure, and the failure. */
  fields?: Field[];
}

export interface Waiting { kind: 'voicemail' | 'fax' | 'email' | 'other'; active: boolean; store: boolean; count?: number }

/** A decoded message, keyed as the tool's JSON; keys a message lacks are left out. */
export interface Message {
  format: 'gsm' | 'cdma';
  type: 'deliver' | 'submit' | 'status-report';
  smsc?: string;
  sender?: string; sender_type?: number;
  recipient?: string; recipient_type?: number;
  message_reference?: number;
  pid?: number;
  coding?: number;
  alphabet?: 'gsm7' | '8bit' | 'ucs2';
  class?: number;
  compressed?: true;
  message_waiting?: Waiting;
  time?: string;
  discharge_time?: string;
  validity_until?: string;
  validity_minutes?: number;
  status?: number; status_category?: string; status_text?: string;
  status_report_request?: true; status_report_indication?: true;
  reply_path?: true; reject_duplicates?: true; more_messages?: true;
  status_report_qualifier?: true; loop_prevention?: true; auto_delete?: true;
  udh?: { iei: number; data: string }[];
  reference?: number; reference_bits?: 8 | 16; part?: number; parts?: number;
  source_port?: number; destination_port?: number;
  locking_shift?: number; single_shift?: number;
  teleservice?: number; priority?: number;
  /** Where the modem kept it (readModemOutput). */
  index?: number; storage?: 'REC UNREAD' | 'REC READ' | 'STO UNSENT' | 'STO SENT';
  /** What was wrong but could still be read, the first with its octet offset and field. */
  warnings?: { warning: string; offset?: number; field?: string }[];
  text?: string;
  /** User data that is not text, as hex. */
  data?: string;
}

/** The parts of a message put together: the fields of its lowest part held. */
export interface JoinedMessage extends Message {
  joined: true;
  /** The label each part held came with. */
  sources: string[];
  parts_present: number[];
  parts_missing: number[];
}

export interface DecodeOptions {
  /** The compact 3GPP2 layouts. */
  cdma?: boolean;
  /** The PDU starts at the TPDU, without the service-centre address. */
  noSmsc?: boolean;
  /** How TP-MTI is read: as sent by the network (+CMT, +CDS) or to it. */
  direction?: 'from-network' | 'to-network';
  /** Every warning fails as the status it names (VELMORA_STRICT). */
  strict?: boolean;
}

export interface EncodeOptions {
  /** Destination: digits, '*', '#', 'a'-'c'; a leading '+' is international; '' none. */
  to?: string;
  toType?: number;
  smsc?: string;
  /** 3GPP2 callback number, needed with cdma. */
  from?: string;
  fromType?: number;
  cdma?: boolean;
  alphabet?: 'auto' | 'gsm7' | '8bit' | 'ucs2';
  /** National language tables allowed: 'turkish', 'spanish', 'portuguese', 'hindi', ... */
  languages?: string[];
  messageReference?: number;
  /** Concatenation reference; the library's counter when left out. */
  reference?: number;
  referenceBits?: 8 | 16;
  statusReport?: boolean;
  rejectDuplicates?: boolean;
  replyPath?: boolean;
  messageClass?: 0 | 1 | 2 | 3;
  pid?: number;
  /** Minutes (relative TP-VP), 'none', or 'default' (4 days on a single PDU). */
  validity?: number | 'none' | 'default';
  /** Absolute TP-VP: "2026-12-24T18:00:00+01:00". */
  validityUntil?: string;
  /** Application ports in every part. */
  ports?: { destination: number; source: number; bits?: 8 | 16 };
}

export interface Pdu {
  hex: string;
  /** Octets after the service-centre address: AT+CMGS=<tpdu_length>. */
  tpdu_length: number;
}

export interface Count {
  alphabet: 'gsm7' | '8bit' | 'ucs2';
  parts: number;
  units_per_part: number;
  units_used: number;
  units_left: number;
  locking_shift?: number;
  single_shift?: number;
}

export interface Explained {
  message: Message | null;
  error: VelmoraError | null;
  fields: Field[];
}

export declare function decode(pdu: string, options?: DecodeOptions): Message;
export declare function explain(pdu: string, options?: DecodeOptions): Explained;
export declare function encode(message: string | Uint8Array, options?: EncodeOptions): Pdu[];
export declare function count(text: string, options?: EncodeOptions): Count;

/** One thing a modem printed that the reader found, at its line (from 1). */
export interface ModemEntry {
  line: number;
  kind: 'message' | 'failed' | 'sent' | 'modem_error';
  /** message, and failed on a PDU: the PDU's hex as in the line. */
  pdu?: string;
  /** How the PDU was decoded: its direction from <stat>, noSmsc from <length>. */
  options?: DecodeOptions;
  /** message: with `index` and `storage` when the modem gave them. */
  message?: Message;
  /** failed: a PDU that cannot be read, a response with no PDU after it, a text-mode listing. */
  error?: VelmoraError;
  /** sent: +CMGS or +CMSS. */
  messageReference?: number;
  /** modem_error: +CMS ERROR: its code (-1 for words that spell no TS 27.005 meaning) and the
   * modem's own words, or the meaning of its code. */
  cmsError?: { code: number; message: string };
}

export declare function readModemOutput(text: string, options?: DecodeOptions): ModemEntry[];

export interface Added {
  added: 'single' | 'stored' | 'complete' | 'duplicate' | 'full' | 'invalid';
  message: Message;
  fields: Field[];
  joined?: JoinedMessage;
  released?: JoinedMessage;
}

export declare class Reassembler {
  constructor(options?: { slots?: number });
  add(pdu: string, options?: DecodeOptions & { label?: string }): Added;
  pending(): JoinedMessage[];
  flush(): JoinedMessage[];
  close(): void;
}
