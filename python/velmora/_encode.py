"""Encoding: text or data to SMS-SUBMIT PDUs, and counting what that takes."""
import ctypes
import math
from dataclasses import dataclass
from datetime import datetime, timedelta

from . import _capi
from ._capi import lib
from ._message import Status

_ALPHABETS = {"auto": _capi.ALPHABET_AUTO, "gsm7": _capi.ALPHABET_GSM7, "ucs2": _capi.ALPHABET_UCS2,
              "8bit": _capi.ALPHABET_8BIT}
# The option of encode() behind a member of velmora_submit_options.
_OPTION_OF = {"from": "from_", "validity_minutes": "validity", "validity_until": "validity",
              "destination_port": "port", "source_port": "port", "port_bits": "port", "format": "cdma"}


class EncodeError(ValueError):
    """Text or options that cannot be sent. kind: a Status; field: the keyword at fault,
    or "text"/"data"; offset: the byte of the UTF-8 text (or of the data) where the fault
    lies, or the character of a telephone number; position: the same as an index into
    the str given; code_point: the character an alphabet cannot carry (UNENCODABLE)."""

    def __init__(self, kind, field, what, offset=0, position=None, code_point=None):
        self.kind, self.field, self.offset = Status(kind), field, offset
        self.position = offset if position is None else position
        self.code_point = code_point
        super().__init__(f"{field}: {what}")


def _refuse(field, what):
    raise EncodeError(Status.ARGUMENT, field, what)


@dataclass(frozen=True)
class Pdu:
    """One PDU to send: upper-case hex, and the length to give AT+CMGS (the octets after
    the service-centre address; for 3GPP2 the whole PDU)."""
    hex: str
    tpdu_length: int

    def __str__(self):
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
    locking_shift: int | None = None
    single_shift: int | None = None


def _integer(name, value, low, high):
    if isinstance(value, bool) or not isinstance(value, int) or not low <= value <= high:
        _refuse(name, f"{value!r} is not a whole number from {low} to {high}")
    return value


def _languages(value):
    names = () if value is None else value.split(",") if isinstance(value, str) else value
    bits = 0
    for name in names:
        is_id = isinstance(name, int) and not isinstance(name, bool)
        id_ = name if is_id else lib.velmora_language_id(str(name).strip().encode())
        if not 1 <= id_ < _capi.LANGUAGE_COUNT:
            known = ", ".join(_capi.text(lib.velmora_language_name(i)) for i in range(1, _capi.LANGUAGE_COUNT))
            _refuse("languages", f"{name!r} is not a national language ({known})")
        bits |= 1 << id_
    return bits


def _validity(o, value):
    if value is None:
        return
    if value is False or value == "none":
        o.validity = _capi.VALIDITY_OMIT
    elif isinstance(value, timedelta):
        if value <= timedelta(0):
            _refuse("validity", f"{value} is not a time to come")
        o.validity = _capi.VALIDITY_MINUTES
        o.validity_minutes = min(math.ceil(value / timedelta(minutes=1)), 0xFFFFFFFF)
    elif isinstance(value, datetime):
        local = value if value.tzinfo is not None else value.astimezone()
        minutes = local.utcoffset() // timedelta(minutes=1)
        o.validity = _capi.VALIDITY_UNTIL
        o.validity_until = _capi.Time(local.year, local.month, local.day, local.hour, local.minute, local.second,
                                      1, max(-0x8000, min(minutes, 0x7FFF)))
    else:
        _refuse("validity", f"{value!r} is not None, 'none', a timedelta or a datetime")


def _number(name, value):
    if value is None:
        return None
    if not isinstance(value, str):
        _refuse(name, f"{value!r} is not a telephone number (str)")
    return value.encode("utf-8", errors="surrogatepass")


def _type(name, value):
    return 0 if value is None else _integer(name, value, 0, 0xFF)


def submit_options(to="", *, alphabet="auto", languages=(), smsc=None, status_report=False, message_class=None,
                   validity=None, reference=None, reference_bits=8, message_reference=0, port=None, to_type=None,
                   pid=0, reject_duplicates=False, reply_path=False, cdma=False, from_=None, from_type=None):
    """velmora_submit_options from encode()'s keywords, each checked (ctypes would cut a
    number that does not fit silently)."""
    o = _capi.SubmitOptions()
    lib.velmora_submit_options_init(o)
    o.to, o.to_type = _number("to", to), _type("to_type", to_type)
    o.smsc = _number("smsc", smsc)
    o.from_, o.from_type = _number("from_", from_), _type("from_type", from_type)
    o.format = 1 if cdma else 0
    if alphabet not in _ALPHABETS:
        _refuse("alphabet", f"{alphabet!r} is not one of {', '.join(_ALPHABETS)}")
    o.alphabet = _ALPHABETS[alphabet]
    o.languages = _languages(languages)
    o.status_report, o.reject_duplicates, o.reply_path = bool(status_report), bool(reject_duplicates), bool(reply_path)
    o.message_class = -1 if message_class is None else _integer("message_class", message_class, 0, 3)
    o.pid = _integer("pid", pid, 0, 0xFF)
    o.message_reference = _integer("message_reference", message_reference, 0, 0xFF)
    if reference_bits not in (8, 16):
        _refuse("reference_bits", f"{reference_bits!r} is not 8 or 16")
    o.reference_bits = reference_bits
    if reference is not None:
        o.reference = _integer("reference", reference, 0, (1 << reference_bits) - 1)
    _validity(o, validity)
    if port is not None:
        destination, source = port if isinstance(port, (tuple, list)) else (port, 0)
        o.port_bits = 16
        o.destination_port = _integer("port", destination, 0, 0xFFFF)
        o.source_port = _integer("port", source, 0, 0xFFFF)
    return o


def _payload(text):
    if isinstance(text, str):
        return text.encode("utf-8", errors="surrogatepass"), True
    if isinstance(text, (bytes, bytearray, memoryview)):
        return bytes(text), False
    raise TypeError(f"the text is a str (or bytes for 8-bit data), not {type(text).__name__}")


def _error(e, payload, text, o):
    """The EncodeError for a failed call: where in the text, or which option and why."""
    kind, field = Status(e.status), _capi.text(e.field)
    is_text = isinstance(text, str)
    position = len(payload[:e.offset].decode("utf-8", errors="surrogatepass")) if is_text else e.offset
    if kind == Status.UNENCODABLE:
        what = (f"character {chr(e.code_point)!r} (U+{e.code_point:04X}) at index {position} cannot be carried "
                f"in the {_capi.text(lib.velmora_alphabet_name(o.alphabet))} alphabet")
        return EncodeError(kind, "text", what, e.offset, position, e.code_point)
    if kind == Status.ARGUMENT:
        option = _OPTION_OF.get(field, field)
        what = kind.message
        if field in ("to", "smsc", "from"):
            number = getattr(o, "from_" if field == "from" else field) or b""
            what = f"{number.decode(errors='replace')!r} is not a telephone number (digits, * # a b c, " \
                   f"a leading +; at most 20 digits)"
        return EncodeError(kind, option, what, e.offset)
    where = f"at index {position}" if is_text else f"at byte {position}"
    return EncodeError(kind, "text" if is_text else "data", f"{kind.message} {where}", e.offset, position)


def encode(text, to, **options):
    """Encodes text (str) or 8-bit data (bytes) for the number `to` into as many
    SMS-SUBMIT PDUs as it takes: a list of Pdu. Keywords, all optional:

    alphabet "auto" (the fewest parts), "gsm7", "ucs2" or "8bit"; languages: the national
    language tables allowed, names ("turkish,spanish" or a list) or ids; smsc; to_type;
    status_report, reject_duplicates, reply_path (bool); message_class 0-3; pid;
    validity: None (4 days on a single PDU), "none" or False (no validity), a timedelta
    (rounded up to whole minutes, then to what TP-VP can say) or a datetime (absolute, to
    the second; a naive one is local time); reference (default: the library's counter) and
    reference_bits 8 or 16 of a concatenated message; message_reference (TP-MR);
    port: the 16-bit destination port, or (destination, source); cdma=True with from_
    (the callback number) and from_type for 3GPP2. Raises EncodeError.
    """
    payload, is_text = _payload(text)
    o = submit_options(to, **options)
    call = lib.velmora_encode if is_text else lib.velmora_encode_data
    capacity, count, e = 4, ctypes.c_size_t(), _capi.Error()
    while True:
        pdus = (_capi.Pdu * capacity)()
        lib.velmora_pdu_init(pdus, capacity)
        status = call(payload, len(payload), o, pdus, capacity, ctypes.byref(count), e)
        if status != _capi.E_NO_ROOM:
            break
        capacity = count.value
    if status != Status.OK:
        raise _error(e, payload, text, o)
    return [Pdu(p.hex.decode(), p.tpdu_length) for p in pdus[:count.value]]


def count(text, *, alphabet="auto", languages=(), reference_bits=8, port=None, cdma=False):
    """What encode() would make of the text, without encoding it: a Count. The keywords
    are those of encode() that shape the parts."""
    if not isinstance(text, str):
        raise TypeError(f"count takes text (str), not {type(text).__name__}")
    payload = text.encode("utf-8", errors="surrogatepass")
    o = submit_options(alphabet=alphabet, languages=languages, reference_bits=reference_bits, port=port, cdma=cdma)
    result, e = _capi.CountResult(), _capi.Error()
    if lib.velmora_count(payload, len(payload), o, result, e) != Status.OK:
        raise _error(e, payload, text, o)
    return Count(_capi.text(lib.velmora_alphabet_name(result.alphabet)), result.parts, result.units_per_part,
                 result.units_used, result.units_left, result.locking_shift or None, result.single_shift or None)
