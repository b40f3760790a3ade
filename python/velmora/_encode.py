# SPDX-License-Identifier: Apache-2.0
"""Encoding: text or data to SMS-SUBMIT PDUs, and counting what that takes."""
from __future__ import annotations

import ctypes
import math
import threading
from dataclasses import dataclass
from datetime import datetime, timedelta
from typing import Any, Dict, Iterable, List, Literal, NamedTuple, Optional, Tuple, Union

from . import _capi
from ._capi import lib
from ._errors import EncodeError, Status

Alphabet = Literal["auto", "gsm7", "ucs2", "8bit"]
Languages = Union[str, Iterable[Union[str, int]]]
Validity = Union[int, timedelta, datetime, Literal["none"], None]
Port = Union[int, Tuple[int, int], None]

_ALPHABETS = {"auto": _capi.ALPHABET_AUTO, "gsm7": _capi.ALPHABET_GSM7, "ucs2": _capi.ALPHABET_UCS2,
              "8bit": _capi.ALPHABET_8BIT}
# The keyword of encode() behind a member of velmora_submit_options that the library names.
_KEYWORD_OF = {"from": "from_", "validity_minutes": "validity", "validity_until": "validity",
               "destination_port": "port", "source_port": "port", "format": "cdma"}
_MAX_VALIDITY_MINUTES = 0xFFFFFFFF


class Pdu(NamedTuple):
    """One PDU to send: upper-case hex, and the length to give AT+CMGS (the octets after
    the service-centre address; for 3GPP2 the whole PDU). str() gives the hex."""
    hex: str
    tpdu_length: int

    def __str__(self) -> str:
        return self.hex


@dataclass(frozen=True)
class Count:
    """What encode() would make of a text: the alphabet ("gsm7", "8bit", "ucs2"), the
    parts, and units (septets, octets or UTF-16 code units) per part, used and left in
    the last part; the national language tables it takes, or None."""
    alphabet: str
    parts: int
    units_per_part: int
    units_used: int
    units_left: int
    locking_shift: Optional[int] = None
    single_shift: Optional[int] = None


def _refuse(keyword: str, what: str) -> EncodeError:
    return EncodeError(Status.ARGUMENT, keyword, what, 0)


def _integer(keyword: str, value: Any, low: int, high: int) -> int:
    """A whole number in range: ctypes would cut one that does not fit silently."""
    if isinstance(value, bool) or not isinstance(value, int) or not low <= value <= high:
        raise _refuse(keyword, f"{value!r} is not a whole number from {low} to {high}")
    return value


def _languages(value: Languages) -> int:
    names = value.split(",") if isinstance(value, str) else value
    bits = 0
    for name in names:
        is_id = isinstance(name, int) and not isinstance(name, bool)
        id_ = name if is_id else lib.velmora_language_id(str(name).strip().encode())
        if not 1 <= id_ < _capi.LANGUAGE_COUNT:
            known = ", ".join(_capi.text(lib.velmora_language_name(i)) or "" for i in range(1, _capi.LANGUAGE_COUNT))
            raise _refuse("languages", f"{name!r} is not a national language ({known})")
        bits |= 1 << id_
    return bits


def _validity(o: _capi.SubmitOptions, value: Validity) -> None:
    if value is None:
        return
    if value == "none":
        o.validity = _capi.VALIDITY_OMIT
    elif isinstance(value, int) and not isinstance(value, bool):
        o.validity, o.validity_minutes = _capi.VALIDITY_MINUTES, _integer("validity", value, 0,
                                                                         _MAX_VALIDITY_MINUTES)
    elif isinstance(value, timedelta):
        if value <= timedelta(0):
            raise _refuse("validity", f"{value} is not a time to come")
        o.validity = _capi.VALIDITY_MINUTES
        o.validity_minutes = min(math.ceil(value / timedelta(minutes=1)), _MAX_VALIDITY_MINUTES)
    elif isinstance(value, datetime):
        local = value if value.tzinfo is not None else value.astimezone()
        offset = local.utcoffset() or timedelta(0)
        o.validity = _capi.VALIDITY_UNTIL
        o.validity_until = _capi.Time(local.year, local.month, local.day, local.hour, local.minute, local.second,
                                      1, max(-0x8000, min(offset // timedelta(minutes=1), 0x7FFF)))
    else:
        raise _refuse("validity", f"{value!r} is not None, 'none', minutes (int), a timedelta or a datetime")


def _number(keyword: str, value: Optional[str]) -> Optional[bytes]:
    if value is None:
        return None
    if not isinstance(value, str):
        raise _refuse(keyword, f"{value!r} is not a telephone number (str)")
    return value.encode("utf-8", errors="surrogatepass")


def _type(keyword: str, value: Optional[int]) -> int:
    return 0 if value is None else _integer(keyword, value, 0, 0xFF)


def _submit_options(to: str, alphabet: str, languages: Languages, smsc: Optional[str], message_class: Optional[int],
                    validity: Validity, status_report: bool, reference: Optional[int], reference_bits: int,
                    message_reference: int, port: Port, port_bits: int, to_type: Optional[int], pid: int,
                    reject_duplicates: bool, reply_path: bool, cdma: bool, from_: Optional[str],
                    from_type: Optional[int]) -> _capi.SubmitOptions:
    """velmora_submit_options from the keywords of encode(); the library checks the values,
    Python only that each fits its member."""
    o = _capi.SubmitOptions()
    lib.velmora_submit_options_init(o, ctypes.sizeof(o))
    o.to, o.to_type = _number("to", to), _type("to_type", to_type)
    o.smsc = _number("smsc", smsc)
    o.from_, o.from_type = _number("from_", from_), _type("from_type", from_type)
    o.format = 1 if cdma else 0
    if alphabet not in _ALPHABETS:
        raise _refuse("alphabet", f"{alphabet!r} is not one of {', '.join(_ALPHABETS)}")
    o.alphabet = _ALPHABETS[alphabet]
    o.languages = _languages(languages)
    o.status_report, o.reject_duplicates, o.reply_path = bool(status_report), bool(reject_duplicates), bool(reply_path)
    o.message_class = -1 if message_class is None else _integer("message_class", message_class, 0, 0x7F)
    o.pid = _integer("pid", pid, 0, 0xFF)
    o.message_reference = _integer("message_reference", message_reference, 0, 0xFF)
    o.reference_bits = _integer("reference_bits", reference_bits, 0, 0xFF)
    if reference is not None:
        o.reference = _integer("reference", reference, 0, 0x7FFFFFFF)
    _validity(o, validity)
    if port is not None:
        destination, source = port if isinstance(port, (tuple, list)) else (port, 0)
        o.port_bits = _integer("port_bits", port_bits, 0, 0xFF)
        o.destination_port = _integer("port", destination, 0, 0xFFFF)
        o.source_port = _integer("port", source, 0, 0xFFFF)
    return o


# Options made once for each set of keywords seen lately: the library only reads them. The
# keys compare as Python does (True == 1), which no keyword tells apart.
_options_made: Dict[Tuple[Any, ...], _capi.SubmitOptions] = {}
_OPTIONS_KEPT = 64


def _options(keywords: Tuple[Any, ...]) -> _capi.SubmitOptions:
    """The options of encode()'s keywords (in the order of _submit_options' parameters),
    made once for each set seen lately."""
    try:
        made = _options_made.get(keywords)
    except TypeError:  # a list among them: as a tuple, or made afresh when that does not do
        listless = tuple(tuple(k) if isinstance(k, list) else k for k in keywords)
        return _options(listless) if listless != keywords else _submit_options(*keywords)
    if made is None:
        made = _submit_options(*keywords)
        validity = keywords[5]
        if not (isinstance(validity, datetime) and validity.tzinfo is None):  # local time may move
            if len(_options_made) >= _OPTIONS_KEPT:
                _options_made.clear()
            _options_made[keywords] = made
    return made


def _payload(text: Union[str, bytes, bytearray, memoryview]) -> Tuple[bytes, bool]:
    if isinstance(text, str):
        return text.encode("utf-8", errors="surrogatepass"), True
    if isinstance(text, (bytes, bytearray, memoryview)):
        return bytes(text), False
    raise TypeError(f"the text is a str (or bytes for 8-bit data), not {type(text).__name__}")


def _error(e: _capi.Error, payload: bytes, is_text: bool, o: _capi.SubmitOptions) -> EncodeError:
    """The EncodeError for a failed call: where in the text, or which keyword and why."""
    kind, field = Status(e.status), _capi.text(e.field) or ""
    position = len(payload[:e.offset].decode("utf-8", errors="surrogatepass")) + 1 if is_text else e.offset + 1
    if kind == Status.UNENCODABLE:
        what = (f"character {chr(e.code_point)!r} (U+{e.code_point:04X}) at position {position} cannot be carried "
                f"in the {_capi.text(lib.velmora_alphabet_name(o.alphabet))} alphabet")
        return EncodeError(kind, "text", what, e.offset, position, e.code_point)
    if kind == Status.ARGUMENT:
        keyword = _KEYWORD_OF.get(field, field)
        what = kind.message
        if field in ("to", "smsc", "from"):
            number = (getattr(o, "from_" if field == "from" else field) or b"").decode(errors="replace")
            what = (f"{number!r} is not a telephone number (digits, * # a b c, a leading +; at most 20 digits): "
                    f"position {e.offset + 1}")
        return EncodeError(kind, keyword, what, e.offset)
    where = f"at position {position}" if is_text else f"at byte offset {e.offset}"
    return EncodeError(kind, "text" if is_text else "data", f"{kind.message} {where}", e.offset, position)


class _Scratch(threading.local):
    """Each thread's PDUs to encode into (four: most texts take one) and their count;
    the library releases the GIL while it writes them."""

    def __init__(self) -> None:
        pdus = (_capi.Pdu * 4)()
        lib.velmora_pdu_init(pdus, len(pdus), ctypes.sizeof(_capi.Pdu))
        self.buffers = pdus, ctypes.c_size_t()


_scratch = _Scratch()
_encode_text, _encode_data = lib.velmora_encode, lib.velmora_encode_data
_new_pdu = tuple.__new__


def _pdu(p: _capi.Pdu) -> Pdu:
    return _new_pdu(Pdu, (p.hex.decode(), p.tpdu_length))


def encode(text: Union[str, bytes], to: str, *, alphabet: Alphabet = "auto", languages: Languages = (),
           smsc: Optional[str] = None, message_class: Optional[int] = None, validity: Validity = None,
           status_report: bool = False, reference: Optional[int] = None, reference_bits: int = 8,
           message_reference: int = 0, port: Port = None, port_bits: int = 16, to_type: Optional[int] = None,
           pid: int = 0, reject_duplicates: bool = False, reply_path: bool = False, cdma: bool = False,
           from_: Optional[str] = None, from_type: Optional[int] = None) -> List[Pdu]:
    """Encodes text (str) or 8-bit data (bytes) for the number `to` into as many
    SMS-SUBMIT PDUs as it takes: a list of Pdu. `to` is digits, * # a b c, with a leading
    + when international; "" for none (a draft to store). The keywords:

    alphabet: "auto" (the fewest parts), "gsm7", "ucs2" or "8bit" (UTF-8 bytes).
    languages: the national language tables GSM 7-bit may use, names ("turkish,spanish"
        or a list) or identifiers; none by default.
    smsc: the service centre; None: the modem's own.
    message_class: 0 (flash) to 3; None: no class.
    validity: None (4 days on a single PDU, none on parts); minutes (int) or a timedelta
        (rounded up to whole minutes, then to what TP-VP can say, at most 63 weeks); a
        datetime (absolute, to the second; a naive one is local time); "none": no TP-VP.
    status_report: ask for a status report (TP-SRR).
    reference: the concatenation reference of a message of several parts; None: the
        library's counter.
    reference_bits: the width of the reference, 8 or 16.
    message_reference: TP-MR, 0-255.
    port: application port addressing: the destination port, or (destination, source).
    port_bits: the width of the ports, 16 or 8.
    to_type: the type-of-address octet of `to` (0x80-0xFF); None: 0x91 after +, else 0x81.
    pid: TP-PID.
    reject_duplicates: TP-RD.
    reply_path: TP-RP.
    cdma: the compact 3GPP2 layout; the keywords it has no field for must keep their
        defaults.
    from_: the 3GPP2 callback number (required with cdma).
    from_type: its type-of-address octet, as to_type.

    Raises EncodeError (a velmora.Error): `field` names the keyword or "text"/"data";
    `position` is the 1-based character where the text fails, as the tool says it.
    """
    if type(text) is str:
        payload, is_text = text.encode("utf-8", "surrogatepass"), True
    else:
        payload, is_text = _payload(text)
    keywords = (to, alphabet, languages, smsc, message_class, validity, status_report, reference, reference_bits,
                message_reference, port, port_bits, to_type, pid, reject_duplicates, reply_path, cdma, from_, from_type)
    try:
        o = _options_made[keywords]
    except (KeyError, TypeError):
        o = _options(keywords)
    call = _encode_text if is_text else _encode_data
    pdus, count = _scratch.buffers
    if call(payload, len(payload), o, pdus, 4, count, None):
        pdus = (_capi.Pdu * max(count.value, 1))()
        lib.velmora_pdu_init(pdus, len(pdus), ctypes.sizeof(_capi.Pdu))
        e = _capi.Error()
        if call(payload, len(payload), o, pdus, len(pdus), count, e):
            raise _error(e, payload, is_text, o)
    n = count.value
    return [_pdu(pdus[0])] if n == 1 else [_pdu(p) for p in pdus[:n]]  # one PDU: no slice, no comprehension


def count(text: str, *, alphabet: Alphabet = "auto", languages: Languages = (), reference_bits: int = 8,
          port: Port = None, port_bits: int = 16, cdma: bool = False) -> Count:
    """What encode() would make of the text, without encoding it: a Count. The keywords
    are those of encode() that shape the parts, with the same meaning and defaults."""
    if not isinstance(text, str):
        raise TypeError(f"count takes text (str), not {type(text).__name__}")
    payload = text.encode("utf-8", errors="surrogatepass")
    o = _options(("", alphabet, languages, None, None, None, False, None, reference_bits, 0, port, port_bits, None, 0,
                  False, False, cdma, None, None))
    result, e = _capi.CountResult(), _capi.Error()
    if lib.velmora_count(payload, len(payload), o, result, e) != Status.OK:
        raise _error(e, payload, True, o)
    return Count(_capi.text(lib.velmora_alphabet_name(result.alphabet)) or "", result.parts, result.units_per_part,
                 result.units_used, result.units_left, result.locking_shift or None, result.single_shift or None)
