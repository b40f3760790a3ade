# SPDX-License-Identifier: Apache-2.0
"""Decoding: a PDU into a Message that reads its fields from the library's record when asked."""
from __future__ import annotations

import ctypes
from dataclasses import dataclass
from datetime import datetime, timedelta, timezone
from typing import Any, ClassVar, Dict, Iterable, Iterator, Optional, Tuple, Union

from . import _capi
from ._capi import lib, new_message
from ._errors import DecodeError

_TYPES = tuple(_capi.text(lib.velmora_type_name(t)) for t in range(3))
_ALPHABETS = tuple(_capi.text(lib.velmora_alphabet_name(a)) for a in range(3))
_TEXT_OFFSET = _capi.Message.text.offset
_TEXT_BITS = _capi.HAS_USER_DATA | _capi.HAS_TEXT  # text: both; data: user data alone
_HEX_DIGITS = frozenset(b"0123456789ABCDEFabcdef")
_HEX_HINT = ": these bytes are ASCII hex digits, pass the hex as str or bytes.fromhex(...)"

PduText = Union[str, bytes, bytearray, memoryview]


@dataclass(frozen=True)
class Waiting:
    """A message waiting indication: kind "voicemail", "fax", "email" or "other"."""
    kind: str
    active: bool
    store: bool
    count: Optional[int] = None


@dataclass(frozen=True)
class DecodeWarning:
    """Something wrong with a message that could still be read: its name ("time",
    "trailing-data", "header-element", ...); for the first one met, the 0-based octet
    offset and the field where it lies. decode(strict=True) fails on it instead."""
    warning: str
    offset: Optional[int] = None
    field: Optional[str] = None


@dataclass(frozen=True)
class Element:
    """One information element of the user data header."""
    iei: int
    data: bytes


def _time(t: _capi.Time) -> Optional[datetime]:
    """A datetime, aware when the stamp has a zone; None for digits that name no date."""
    zone = timezone(timedelta(minutes=t.utc_offset)) if t.has_utc_offset else None
    try:
        return datetime(t.year, t.month, t.day, t.hour, t.minute, t.second, tzinfo=zone)
    except ValueError:
        return None


_WARNING_BITS = tuple(1 << n for n in range(32))


def _address(a: _capi.Address) -> str:
    return a.text.decode(errors="replace")


class Message:
    """A decoded SMS, immutable. Its fields are read from the library's record when asked
    for, so that decoding costs little more than the library's call. A field the message
    lacks is None (False for the flags); FIELDS names them all, as_dict() gives them.

    Times are datetimes: aware for GSM, with the offset the PDU gives; naive for 3GPP2,
    whose time stamp has no zone. A time stamp whose digits are not decimal or name no
    date (month 13, February 30) reads as None with a "time" warning, and raw_times keeps
    its octets as read.
    """
    __slots__ = ("_record",)
    _record: _capi.Message
    FIELDS: ClassVar[Tuple[str, ...]] = (
        "format", "type", "smsc", "sender", "sender_type", "recipient", "recipient_type", "message_reference",
        "pid", "coding", "alphabet", "message_class", "compressed", "message_waiting", "time", "discharge_time",
        "validity_minutes", "validity_until", "status", "status_category", "status_text", "status_report_request",
        "status_report_indication", "status_report_qualifier", "reply_path", "reject_duplicates", "more_messages",
        "loop_prevention", "auto_delete", "udh", "reference", "reference_bits", "part", "parts", "source_port",
        "destination_port", "locking_shift", "single_shift", "text", "data", "teleservice", "priority", "warnings",
        "raw_times")

    def __new__(cls, *args: Any, **kwargs: Any) -> "Message":
        raise TypeError("a Message comes from velmora.decode or velmora.decode_lines")

    def _has(self, bit: int) -> bool:
        return bool(self._record.present & bit)

    @property
    def format(self) -> str:
        """"gsm" or "cdma" (the compact 3GPP2 layout)."""
        return "gsm" if self._record.format == 0 else "cdma"

    @property
    def type(self) -> str:
        """"deliver", "submit" or "status-report"."""
        return _TYPES[self._record.type]

    @property
    def smsc(self) -> Optional[str]:
        return _address(self._record.smsc) if self._has(_capi.HAS_SMSC) else None

    @property
    def sender(self) -> Optional[str]:
        """TP-OA; the 3GPP2 sender (or callback number of a submit)."""
        return _address(self._record.originator) if self._has(_capi.HAS_ORIGINATOR) else None

    @property
    def sender_type(self) -> Optional[int]:
        return self._record.originator.type if self._has(_capi.HAS_ORIGINATOR) else None

    @property
    def recipient(self) -> Optional[str]:
        """TP-DA of a SUBMIT, TP-RA of a STATUS-REPORT."""
        return _address(self._record.recipient) if self._has(_capi.HAS_RECIPIENT) else None

    @property
    def recipient_type(self) -> Optional[int]:
        return self._record.recipient.type if self._has(_capi.HAS_RECIPIENT) else None

    @property
    def message_reference(self) -> Optional[int]:
        return self._record.message_reference if self._has(_capi.HAS_MESSAGE_REFERENCE) else None

    @property
    def pid(self) -> Optional[int]:
        return self._record.pid if self._has(_capi.HAS_PID) else None

    @property
    def coding(self) -> Optional[int]:
        """TP-DCS; for 3GPP2 the message encoding number."""
        return self._record.dcs if self._has(_capi.HAS_DCS) else None

    @property
    def alphabet(self) -> Optional[str]:
        """"gsm7", "8bit" or "ucs2"."""
        return _ALPHABETS[self._record.alphabet] if self._has(_capi.HAS_DCS) else None

    @property
    def message_class(self) -> Optional[int]:
        c = self._record.message_class
        return c if c >= 0 else None

    @property
    def compressed(self) -> bool:
        return bool(self._record.compressed)

    @property
    def message_waiting(self) -> Optional[Waiting]:
        found = lib.velmora_message_waiting(self._record)
        if not found:
            return None
        w = found.contents
        return Waiting(_capi.text(lib.velmora_waiting_kind_name(w.kind)), bool(w.active), bool(w.store),
                       w.count or None)

    @property
    def time(self) -> Optional[datetime]:
        """TP-SCTS; the 3GPP2 time stamp."""
        return _time(self._record.timestamp) if self._has(_capi.HAS_TIMESTAMP) else None

    @property
    def discharge_time(self) -> Optional[datetime]:
        """TP-DT of a STATUS-REPORT."""
        return _time(self._record.discharge_time) if self._has(_capi.HAS_DISCHARGE_TIME) else None

    def _absolute_validity(self) -> bool:
        return self._has(_capi.HAS_VALIDITY) and self._record.validity_format == _capi.VALIDITY_FORMAT_ABSOLUTE

    @property
    def validity_until(self) -> Optional[datetime]:
        """TP-VP of a SUBMIT in the absolute format."""
        return _time(self._record.validity_until) if self._absolute_validity() else None

    @property
    def validity_minutes(self) -> Union[int, float, None]:
        """TP-VP of a SUBMIT in a relative format (a float when not whole minutes)."""
        if not self._has(_capi.HAS_VALIDITY) or self._absolute_validity():
            return None
        minutes, seconds = divmod(self._record.validity_seconds, 60)
        return self._record.validity_seconds / 60 if seconds else minutes

    @property
    def raw_times(self) -> Dict[str, bytes]:
        """The octets of the time fields the library reported absent with a "time" warning
        (digits not decimal, or no date), by name ("time", "discharge_time",
        "validity_until"). Empty for most messages."""
        r = self._record
        if not r.warnings & _capi.WARNING_TIME:
            return {}
        raw = {}
        if not self._has(_capi.HAS_TIMESTAMP) and r.type != _capi.SUBMIT:
            raw["time"] = bytes(r.timestamp_raw[:6 if r.format else 7])
        if not self._has(_capi.HAS_DISCHARGE_TIME) and r.type == _capi.STATUS_REPORT:
            raw["discharge_time"] = bytes(r.discharge_time_raw)
        if not self._has(_capi.HAS_VALIDITY) and r.validity_format == _capi.VALIDITY_FORMAT_ABSOLUTE:
            raw["validity_until"] = bytes(r.validity_raw)
        return raw

    @property
    def warnings(self) -> Tuple[DecodeWarning, ...]:
        """What was wrong with the message, the first met first (with its offset and field)."""
        r = self._record
        if not r.warnings:
            return ()
        first = DecodeWarning(_capi.text(lib.velmora_warning_name(r.first_warning)), r.warning_offset,
                              _capi.text(r.warning_field))
        rest = tuple(DecodeWarning(_capi.text(lib.velmora_warning_name(bit))) for bit in _WARNING_BITS
                     if r.warnings & bit and bit != r.first_warning and lib.velmora_warning_name(bit))
        return (first,) + rest

    @property
    def status(self) -> Optional[int]:
        """TP-ST of a STATUS-REPORT."""
        return self._record.status if self._has(_capi.HAS_STATUS) else None

    @property
    def status_category(self) -> Optional[str]:
        """"completed", "temporary-retrying", "permanent", "temporary-final" or "reserved"."""
        if not self._has(_capi.HAS_STATUS):
            return None
        return _capi.text(lib.velmora_delivery_category_name(self._record.status_category))

    @property
    def status_text(self) -> Optional[str]:
        return _capi.text(lib.velmora_delivery_status_text(self._record.status)) if self._has(_capi.HAS_STATUS) \
            else None

    @property
    def status_report_request(self) -> bool:
        """TP-SRR of a SUBMIT."""
        return self._record.type == _capi.SUBMIT and bool(self._record.status_report)

    @property
    def status_report_indication(self) -> bool:
        """TP-SRI of a DELIVER (TP-SRQ's neighbour of a STATUS-REPORT)."""
        return self._record.type != _capi.SUBMIT and bool(self._record.status_report)

    @property
    def status_report_qualifier(self) -> bool:
        """TP-SRQ of a STATUS-REPORT: the report is on an SMS-COMMAND."""
        return bool(self._record.status_report_qualifier)

    @property
    def loop_prevention(self) -> bool:
        """TP-LP."""
        return bool(self._record.loop_prevention)

    @property
    def auto_delete(self) -> bool:
        """TP-DCS of the automatic deletion group."""
        return bool(self._record.auto_delete)

    @property
    def reply_path(self) -> bool:
        return bool(self._record.reply_path)

    @property
    def reject_duplicates(self) -> bool:
        return bool(self._record.reject_duplicates)

    @property
    def more_messages(self) -> bool:
        return bool(self._record.more_messages)

    @property
    def udh(self) -> Optional[Tuple[Element, ...]]:
        """The information elements of the user data header, in order."""
        r = self._record
        if not r.present & _capi.HAS_UDH:
            return None
        udh = bytes(r.udh[:r.udh_length])
        return tuple(Element(e.iei, udh[e.offset:e.offset + e.length]) for e in r.elements[:r.element_count])

    @property
    def reference(self) -> Optional[int]:
        """The concatenation reference of a part."""
        return self._record.reference if self._record.reference_bits else None

    @property
    def reference_bits(self) -> Optional[int]:
        return self._record.reference_bits or None

    @property
    def part(self) -> Optional[int]:
        """This part's number, from 1."""
        return self._record.part if self._record.reference_bits else None

    @property
    def parts(self) -> Optional[int]:
        return self._record.parts if self._record.reference_bits else None

    @property
    def source_port(self) -> Optional[int]:
        return self._record.source_port if self._record.port_bits else None

    @property
    def destination_port(self) -> Optional[int]:
        return self._record.destination_port if self._record.port_bits else None

    @property
    def locking_shift(self) -> Optional[int]:
        """The national language identifier of the locking shift table."""
        return self._record.locking_shift or None

    @property
    def single_shift(self) -> Optional[int]:
        return self._record.single_shift or None

    @property
    def text(self) -> Optional[str]:
        """The user data as text (GSM 7-bit, UCS-2); None when it is data."""
        r = self._record
        if r.present & _TEXT_BITS != _TEXT_BITS:
            return None
        utf8 = r.text  # up to the first NUL: U+0000 in the text needs the length
        if len(utf8) != r.text_length:
            utf8 = ctypes.string_at(ctypes.addressof(r) + _TEXT_OFFSET, r.text_length)
        return utf8.decode("utf-8", "replace")

    @property
    def data(self) -> Optional[bytes]:
        """The user data octets behind the header when they are not text (8-bit,
        compressed); None for text."""
        r = self._record
        if r.present & _TEXT_BITS != _capi.HAS_USER_DATA:
            return None
        return bytes(r.data[:r.data_length])

    @property
    def teleservice(self) -> Optional[int]:
        """3GPP2: 4098, 4101, ..."""
        return self._record.teleservice if self._has(_capi.HAS_TELESERVICE) else None

    @property
    def priority(self) -> Optional[int]:
        """3GPP2."""
        wanted = _capi.HAS_TELESERVICE | _capi.HAS_DCS
        return self._record.priority if self._record.present & wanted == wanted else None

    def as_dict(self) -> Dict[str, Any]:
        """Every field by name, in the order of FIELDS."""
        return {name: getattr(self, name) for name in self.FIELDS}

    def __eq__(self, other: object) -> bool:
        if type(other) is not type(self):
            return NotImplemented
        return self.as_dict() == other.as_dict()  # type: ignore[attr-defined]

    def __hash__(self) -> int:
        return hash(tuple(v for v in self.as_dict().values() if not isinstance(v, dict)))

    def __repr__(self) -> str:
        shown = ", ".join(f"{k}={v!r}" for k, v in self.as_dict().items() 
                          if v is not None and v is not False and v != {})
        return f"{type(self).__name__}({shown})"

    def __reduce__(self) -> Tuple[Any, ...]:
        """Pickled and copied as the record's bytes."""
        return message_of_bytes, (bytes(self._record),)

    def __setattr__(self, name: str, value: Any) -> None:
        if name != "_record" or hasattr(self, "_record"):
            raise AttributeError(f"a {type(self).__name__} cannot be changed")
        object.__setattr__(self, name, value)


_set_record = Message._record.__set__  # type: ignore[attr-defined]
_new_message, _new_record, _Record, _RECORD_SIZE = object.__new__, ctypes.Structure.__new__, _capi.Message, \
    _capi.MESSAGE_SIZE
_decode_hex = lib.velmora_decode_hex


def message(record: _capi.Message) -> Message:
    """The Message of a decoded record; the record goes with it (for Reassembler.feed)."""
    result = object.__new__(Message)
    _set_record(result, record)
    return result


def message_of_bytes(record: bytes) -> Message:
    return message(_capi.Message.from_buffer_copy(record))


def _flags(smsc: bool, cdma: bool, strict: bool = False) -> int:
    return (0 if smsc else _capi.NO_SMSC) | (_capi.CDMA if cdma else 0) | (_capi.STRICT if strict else 0)


def _refusal(call: Any, pdu: bytes, flags: int, hint: str = "", line: Optional[int] = None) -> DecodeError:
    """The DecodeError of a PDU the library refused, read again for where it stopped."""
    error = _capi.Error()
    status = call(pdu, len(pdu), flags, new_message(), error)
    text = pdu.decode("ascii", errors="replace") if line is not None else None
    return DecodeError(status, error.offset, _capi.text(error.field) or "", hint, line, text)


def decode(pdu: PduText, *, smsc: bool = True, cdma: bool = False, strict: bool = False) -> Message:
    """Decodes one PDU: hex text (str, either case, surrounding blanks ignored) or its
    octets (bytes, bytearray, memoryview). Hex digits given as bytes (b"0791...", as a
    serial port returns them) are not taken for octets: the DecodeError says to pass them
    as str or through bytes.fromhex().

    smsc=False: a GSM PDU without the service-centre address in front (as AT+CMGS takes
    it); cdma=True: the compact 3GPP2 layouts. A field that breaks the rules but leaves the
    message readable is decoded and named in Message.warnings; strict=True fails on it
    instead. Raises DecodeError (a velmora.Error) with the kind, the 0-based octet offset
    and the field where reading stopped.
    """
    # new_message() and message() written out: the call costs a tenth of a hex decode
    flags = 0 if smsc is True and cdma is False and strict is False else _flags(smsc, cdma, strict)
    record = _new_record(_Record)
    record.size = _RECORD_SIZE
    if isinstance(pdu, str):
        hex_text = pdu.strip().encode("ascii", "replace")
        if _decode_hex(hex_text, len(hex_text), flags, record, None):
            raise _refusal(_decode_hex, hex_text, flags)
    elif isinstance(pdu, (bytes, bytearray, memoryview)):
        return _decode_octets(bytes(pdu), flags)
    else:
        raise TypeError(f"decode: a PDU is hex text (str) or octets (bytes), not {type(pdu).__name__}")
    result = _new_message(Message)
    _set_record(result, record)
    return result


def _decode_octets(octets: bytes, flags: int) -> Message:
    record = new_message()
    if lib.velmora_decode(octets, len(octets), flags, record, None):
        hint = _HEX_HINT if octets and set(octets.strip()) <= _HEX_DIGITS else ""
        raise _refusal(lib.velmora_decode, octets, flags, hint)
    return message(record)


def decode_lines(lines: Iterable[Union[str, bytes]], *, smsc: bool = True,
                 cdma: bool = False) -> Iterator[Union[Message, DecodeError]]:
    """Decodes a PDU per line, in hex (str, or bytes as a file opened "rb" gives them:
    bytes here are hex text, not octets), for files of many PDUs. Blank lines are
    skipped. Nothing is lost: each other line gives its Message or, when it cannot be
    read, the DecodeError saying why, with `line` (1-based) and `pdu` set; it is yielded,
    not raised, so that the lines after it are still read.

        for m in velmora.decode_lines(open("pdus.txt", "rb")):
            if isinstance(m, velmora.DecodeError):
                print(m)
            else:
                print(m.sender, m.text)
    """
    flags = _flags(smsc, cdma)
    call, new, wrap = _decode_hex, new_message, message
    for number, line in enumerate(lines, 1):
        hex_text = line.strip()
        if not hex_text:
            continue
        if isinstance(hex_text, str):
            hex_text = hex_text.encode("ascii", errors="replace")
        record = new()
        if call(hex_text, len(hex_text), flags, record, None):
            yield _refusal(call, hex_text, flags, line=number)
        else:
            yield wrap(record)
