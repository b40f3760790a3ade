"""Decoding: a PDU into a Message, named as the velmora tool's --json keys."""
import ctypes
import enum
from dataclasses import dataclass
from datetime import datetime, timedelta, timezone

from . import _capi
from ._capi import lib


class Status(enum.IntEnum):
    """Why the library refused: the values of velmora_status."""
    OK = 0
    ARGUMENT = 1
    NOT_HEX = 2
    ENDS_EARLY = 3
    TRAILING_DATA = 4
    UNSUPPORTED_TYPE = 5
    INVALID_FIELD = 6
    HEADER_TOO_LONG = 7
    BAD_ELEMENT = 8
    INVALID_UTF8 = 9
    UNENCODABLE = 10
    TOO_MANY_PARTS = 11
    NO_ROOM = 12

    @property
    def message(self):
        """The library's short English text: "PDU ends early", ..."""
        return _capi.text(lib.velmora_status_message(self))


class DecodeError(ValueError):
    """A PDU that cannot be decoded: the kind, the octet offset (service-centre address
    included when present) and the name of the field where reading stopped."""

    def __init__(self, kind, offset, field):
        self.kind, self.offset, self.field = Status(kind), offset, field
        where = f" ({field})" if field else ""
        super().__init__(f"{self.kind.message} at octet offset {offset}{where}")


@dataclass(frozen=True)
class Waiting:
    """A message waiting indication: kind "voicemail", "fax", "email" or "other"."""
    kind: str
    active: bool
    store: bool
    count: int | None = None


@dataclass(frozen=True)
class Element:
    """One information element of the user data header."""
    iei: int
    data: bytes


@dataclass(frozen=True)
class Message:
    """A decoded SMS. A field the message lacks is None (False for the flags).

    Times are datetimes: aware for GSM, with the offset the PDU gives; naive for 3GPP2,
    whose time stamp has no zone. A time stamp whose digits name no real date (month 13,
    February 30) is kept as the text the tool shows, e.g. "2021-13-45T10:00:00+02:00".
    """
    format: str = "gsm"
    type: str = "deliver"
    smsc: str | None = None
    sender: str | None = None
    sender_type: int | None = None
    recipient: str | None = None
    recipient_type: int | None = None
    message_reference: int | None = None
    pid: int | None = None
    coding: int | None = None
    alphabet: str | None = None
    message_class: int | None = None
    compressed: bool = False
    message_waiting: Waiting | None = None
    time: datetime | str | None = None
    discharge_time: datetime | str | None = None
    validity_minutes: float | None = None
    validity_until: datetime | str | None = None
    status: int | None = None
    status_category: str | None = None
    status_text: str | None = None
    status_report_request: bool = False
    status_report_indication: bool = False
    reply_path: bool = False
    reject_duplicates: bool = False
    more_messages: bool = False
    udh: tuple[Element, ...] | None = None
    reference: int | None = None
    reference_bits: int | None = None
    part: int | None = None
    parts: int | None = None
    source_port: int | None = None
    destination_port: int | None = None
    locking_shift: int | None = None
    single_shift: int | None = None
    text: str | None = None
    data: bytes | None = None
    teleservice: int | None = None
    priority: int | None = None


@dataclass(frozen=True)
class JoinedMessage(Message):
    """The parts of a concatenated message put together: the fields of its lowest part
    held, the text or data of all parts held in part order, and which parts are in."""
    parts_present: tuple[int, ...] = ()
    parts_missing: tuple[int, ...] = ()

    @property
    def complete(self):
        return not self.parts_missing


def _bytes_at(record, member, length):
    return ctypes.string_at(ctypes.addressof(record) + getattr(type(record), member).offset, length)


def _time(t):
    zone = timezone(timedelta(minutes=t.utc_offset)) if t.has_utc_offset else None
    try:
        return datetime(t.year, t.month, t.day, t.hour, t.minute, t.second, tzinfo=zone)
    except ValueError:  # digits that name no real date: shown as they are
        offset = f"{'-' if t.utc_offset < 0 else '+'}{abs(t.utc_offset) // 60:02}:{abs(t.utc_offset) % 60:02}"
        return (f"{t.year}-{t.month:02}-{t.day:02}T{t.hour:02}:{t.minute:02}:{t.second:02}"
                + (offset if zone else ""))


def _waiting(m):
    found = lib.velmora_message_waiting(m)
    if not found:
        return None
    w = found.contents
    return Waiting(_capi.text(lib.velmora_waiting_kind_name(w.kind)), bool(w.active), bool(w.store), w.count or None)


def shows_data(m):
    """User data that is not text (8-bit, compressed) is data."""
    return not m.present & _capi.HAS_TEXT


def fields(m, with_part=True):
    """The Message fields of a velmora_message; without the header and part number for a
    joined message."""
    has = m.present
    f = {"format": "gsm" if m.format == 0 else "cdma", "type": _capi.text(lib.velmora_type_name(m.type))}
    if has & _capi.HAS_SMSC:
        f["smsc"] = m.smsc.text.decode(errors="replace")
    if has & _capi.HAS_ORIGINATOR:
        f["sender"], f["sender_type"] = m.originator.text.decode(errors="replace"), m.originator.type
    if has & _capi.HAS_RECIPIENT:
        f["recipient"], f["recipient_type"] = m.recipient.text.decode(errors="replace"), m.recipient.type
    if has & _capi.HAS_MESSAGE_REFERENCE:
        f["message_reference"] = m.message_reference
    if has & _capi.HAS_PID:
        f["pid"] = m.pid
    if has & _capi.HAS_DCS:
        f["coding"], f["alphabet"] = m.dcs, _capi.text(lib.velmora_alphabet_name(m.alphabet))
    if m.message_class >= 0:
        f["message_class"] = m.message_class
    f["compressed"] = bool(m.compressed)
    f["message_waiting"] = _waiting(m)
    if has & _capi.HAS_TIMESTAMP:
        f["time"] = _time(m.timestamp)
    if has & _capi.HAS_DISCHARGE_TIME:
        f["discharge_time"] = _time(m.discharge_time)
    if has & _capi.HAS_VALIDITY and m.validity_format == _capi.VALIDITY_FORMAT_ABSOLUTE:
        f["validity_until"] = _time(m.validity_until)
    elif has & _capi.HAS_VALIDITY:
        minutes, seconds = divmod(m.validity_seconds, 60)
        f["validity_minutes"] = m.validity_seconds / 60 if seconds else minutes
    if has & _capi.HAS_STATUS:
        f["status"], f["status_text"] = m.status, _capi.text(lib.velmora_delivery_status_text(m.status))
        f["status_category"] = _capi.text(lib.velmora_delivery_category_name(m.status_category))
    report = "status_report_request" if m.type == _capi.SUBMIT else "status_report_indication"
    f[report] = bool(m.status_report)
    f["reply_path"], f["reject_duplicates"] = bool(m.reply_path), bool(m.reject_duplicates)
    f["more_messages"] = bool(m.more_messages)
    if with_part and has & _capi.HAS_UDH:
        udh = _bytes_at(m, "udh", m.udh_length)
        f["udh"] = tuple(Element(e.iei, udh[e.offset:e.offset + e.length]) for e in m.elements[:m.element_count])
    if m.reference_bits:
        f["reference"], f["reference_bits"], f["parts"] = m.reference, m.reference_bits, m.parts
        if with_part:
            f["part"] = m.part
    if m.port_bits:
        f["source_port"], f["destination_port"] = m.source_port, m.destination_port
    f["locking_shift"], f["single_shift"] = m.locking_shift or None, m.single_shift or None
    if has & _capi.HAS_TELESERVICE:
        f["teleservice"] = m.teleservice
        if has & _capi.HAS_DCS:
            f["priority"] = m.priority
    if with_part and has & _capi.HAS_USER_DATA:
        if shows_data(m):
            f["data"] = _bytes_at(m, "data", m.data_length)
        else:
            f["text"] = _bytes_at(m, "text", m.text_length).decode(errors="replace")
    return f


def message(record):
    """A Message holding its velmora_message, so that it can go back to the library."""
    result = Message(**fields(record))
    object.__setattr__(result, "_record", record)
    return result


def decode(pdu, smsc=True, cdma=False):
    """Decodes one PDU: hex text (str, either case, surrounding blanks ignored) or its
    octets (bytes). smsc=False: a GSM PDU without the service-centre address in front;
    cdma=True: the compact 3GPP2 deliver layout. Raises DecodeError."""
    flags = (0 if smsc else _capi.NO_SMSC) | (_capi.CDMA if cdma else 0)
    record, error = _capi.Message(), _capi.Error()
    if isinstance(pdu, str):
        hex_text = pdu.strip().encode("ascii", errors="replace")
        status = lib.velmora_decode_hex(hex_text, len(hex_text), flags, record, error)
    elif isinstance(pdu, (bytes, bytearray, memoryview)):
        octets = bytes(pdu)
        status = lib.velmora_decode(octets, len(octets), flags, record, error)
    else:
        raise TypeError(f"decode: a PDU is hex text (str) or octets (bytes), not {type(pdu).__name__}")
    if status != Status.OK:
        raise DecodeError(status, error.offset, _capi.text(error.field))
    return message(record)
