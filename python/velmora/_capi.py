# SPDX-License-Identifier: Apache-2.0
"""libvelmora-sms.so.1 through ctypes: its structs member for member, its functions typed.

The structs follow include/velmora/sms.h in order and type (C enums are int, the
members the header keeps narrow stay narrow), so that ctypes lays them out as the C
compiler does.
"""
import ctypes
import ctypes.util
import os
from ctypes import POINTER, Structure, c_char, c_char_p, c_int, c_int8, c_int16, c_int32, c_size_t
from ctypes import c_uint, c_uint8, c_uint16, c_uint32, c_uint64, c_void_p

LIBRARY = "libvelmora-sms.so.1"

HAS_SMSC = 0x0001
HAS_ORIGINATOR = 0x0002
HAS_RECIPIENT = 0x0004
HAS_MESSAGE_REFERENCE = 0x0008
HAS_PID = 0x0010
HAS_DCS = 0x0020
HAS_TIMESTAMP = 0x0040
HAS_DISCHARGE_TIME = 0x0080
HAS_VALIDITY = 0x0100
HAS_STATUS = 0x0200
HAS_USER_DATA = 0x0800
HAS_UDH = 0x1000
HAS_TELESERVICE = 0x2000
HAS_TEXT = 0x4000

NO_SMSC = 0x01
CDMA = 0x02
STRICT = 0x10
WARNING_TIME = 0x0004

SUBMIT = 1
STATUS_REPORT = 2
LANGUAGE_COUNT = 14
ALPHABET_GSM7, ALPHABET_8BIT, ALPHABET_UCS2, ALPHABET_AUTO = range(4)
VALIDITY_DEFAULT, VALIDITY_OMIT, VALIDITY_MINUTES, VALIDITY_UNTIL = range(4)
VALIDITY_FORMAT_ABSOLUTE = 3
ADD_SINGLE, ADD_STORED, ADD_COMPLETE, ADD_DUPLICATE, ADD_FULL = range(5)
E_NO_ROOM = 12
MAX_PARTS = 255


class Sized(Structure):
    """A struct that begins with `size`: set on creation, as the library's init functions do."""

    def __init__(self, *args, **kwargs):
        super().__init__(*args, **kwargs)
        self.size = ctypes.sizeof(self)


class Error(Sized):
    _fields_ = [("size", c_uint32), ("status", c_int), ("offset", c_uint32), ("field", c_char_p), ("code_point", c_uint32)]


class Address(Structure):
    _fields_ = [("text", c_char * 48), ("type", c_uint8), ("ton", c_uint8), ("npi", c_uint8), ("length", c_uint8)]


class Time(Structure):
    _fields_ = [("year", c_uint16), ("month", c_uint8), ("day", c_uint8), ("hour", c_uint8), ("minute", c_uint8),
                ("second", c_uint8), ("has_utc_offset", c_uint8), ("utc_offset", c_int16)]


class Waiting(Structure):
    _fields_ = [("kind", c_uint8), ("active", c_uint8), ("store", c_uint8), ("count", c_uint8)]


class Element(Structure):
    _fields_ = [("iei", c_uint8), ("length", c_uint8), ("offset", c_uint8)]


class Message(Sized):
    _fields_ = [
        ("size", c_uint32), ("present", c_uint32),
        ("format", c_uint8), ("type", c_uint8), ("first_octet", c_uint8), ("more_messages", c_uint8),
        ("loop_prevention", c_uint8), ("reject_duplicates", c_uint8), ("reply_path", c_uint8), ("udhi", c_uint8),
        ("status_report", c_uint8), ("status_report_qualifier", c_uint8), ("message_reference", c_uint8),
        ("pid", c_uint8),
        ("smsc", Address), ("originator", Address), ("recipient", Address),
        ("dcs", c_uint8), ("alphabet", c_uint8), ("message_class", c_int8), ("compressed", c_uint8),
        ("auto_delete", c_uint8), ("dcs_waiting", Waiting),
        ("timestamp", Time), ("discharge_time", Time),
        ("validity_format", c_uint8), ("validity_single_shot", c_uint8), ("validity_raw", c_uint8 * 7),
        ("validity_seconds", c_uint32), ("validity_until", Time),
        ("status", c_uint8), ("status_category", c_uint8), ("parameter_indicator", c_uint8),
        ("teleservice", c_uint16), ("priority", c_uint8),
        ("user_data_length", c_uint8),
        ("reference_bits", c_uint8), ("reference", c_uint16), ("part", c_uint8), ("parts", c_uint8),
        ("port_bits", c_uint8), ("destination_port", c_uint16), ("source_port", c_uint16),
        ("locking_shift", c_uint8), ("single_shift", c_uint8), ("special", Waiting),
        ("udh_length", c_uint8), ("element_count", c_uint8), ("text_length", c_uint32), ("data_length", c_uint32),
        ("udh", c_uint8 * 140), ("elements", Element * 70), ("text", c_char * 768), ("data", c_uint8 * 512),
        ("warnings", c_uint32), ("first_warning", c_uint32), ("warning_offset", c_uint32), ("warning_field", c_char_p),
        ("timestamp_raw", c_uint8 * 7), ("discharge_time_raw", c_uint8 * 7),
    ]


class SubmitOptions(Sized):
    _fields_ = [
        ("size", c_uint32), ("to", c_char_p), ("to_type", c_int), ("smsc", c_char_p), ("from_", c_char_p), ("from_type", c_int),
        ("format", c_uint8), ("alphabet", c_uint8), ("languages", c_uint16), ("message_reference", c_uint8),
        ("reference_bits", c_uint8), ("reference", c_int32), ("status_report", c_uint8),
        ("reject_duplicates", c_uint8), ("reply_path", c_uint8), ("message_class", c_int8), ("pid", c_uint8),
        ("validity", c_uint8), ("validity_minutes", c_uint32), ("validity_until", Time),
        ("port_bits", c_uint8), ("destination_port", c_uint16), ("source_port", c_uint16),
    ]


class ModemReader(Sized):
    _fields_ = [("size", c_uint32), ("flags", c_uint32), ("line", c_void_p), ("line_length", c_size_t),
                ("at", c_size_t), ("index", c_int32), ("length", c_int32), ("read_index", c_int32), ("stat", c_int8),
                ("response", c_uint8), ("in_text_listing", c_uint8), ("text_mode_told", c_uint8)]


class ModemEntry(Sized):
    _fields_ = [("size", c_uint32), ("kind", c_uint8), ("response", c_uint8), ("storage", c_int8),
                ("index", c_int32), ("length", c_int32), ("message_reference", c_int32), ("cms_error", c_int32),
                ("pdu", c_void_p), ("pdu_length", c_size_t), ("decode_flags", c_uint32),
                ("cms_error_words", c_void_p), ("cms_error_words_length", c_size_t)]


MODEM_NONE, MODEM_MESSAGE, MODEM_FAILED, MODEM_SENT, MODEM_ERROR = range(5)


class Pdu(Sized):
    _fields_ = [("size", c_uint32), ("hex", c_char * 400), ("hex_length", c_uint32), ("tpdu_length", c_uint32)]


class CountResult(Sized):
    _fields_ = [("size", c_uint32), ("alphabet", c_uint8), ("locking_shift", c_uint8), ("single_shift", c_uint8), ("parts", c_uint32),
                ("units_per_part", c_uint32), ("units_used", c_uint32), ("units_left", c_uint32)]


class Reassembly(Structure):
    _fields_ = [("size", c_uint32), ("capacity", c_uint32), ("storage", c_void_p)]


class Group(Sized):
    _fields_ = [("size", c_uint32), ("slot", c_uint32), ("generation", c_uint32), ("parts", c_uint8), ("present", c_uint8), ("reference_bits", c_uint8),
                ("reference", c_uint16), ("first_time", c_uint64), ("have", c_uint8 * 32)]

    def has(self, part):
        return (self.have[part // 8] >> (part % 8)) & 1 == 1


_SIGNATURES = {
    "velmora_version": (c_char_p, []),
    "velmora_warning_name": (c_char_p, [c_uint32]),
    "velmora_modem_reader_init": (c_int, [POINTER(ModemReader), c_uint, c_size_t]),
    "velmora_modem_feed": (c_int, [POINTER(ModemReader), c_char_p, c_size_t]),
    "velmora_modem_next": (c_int, [POINTER(ModemReader), POINTER(ModemEntry), POINTER(Message), POINTER(Error)]),
    "velmora_storage_name": (c_char_p, [c_int]),
    "velmora_cms_error_text": (c_char_p, [c_int]),
    "velmora_status_message": (c_char_p, [c_int]),
    "velmora_language_name": (c_char_p, [c_int]),
    "velmora_language_id": (c_int, [c_char_p]),
    "velmora_type_name": (c_char_p, [c_int]),
    "velmora_alphabet_name": (c_char_p, [c_int]),
    "velmora_delivery_category_name": (c_char_p, [c_int]),
    "velmora_waiting_kind_name": (c_char_p, [c_int]),
    "velmora_delivery_status_text": (c_char_p, [c_uint8]),
    "velmora_message_waiting": (POINTER(Waiting), [POINTER(Message)]),
    "velmora_decode": (c_int, [c_char_p, c_size_t, c_uint, POINTER(Message), POINTER(Error)]),
    "velmora_decode_hex": (c_int, [c_char_p, c_size_t, c_uint, POINTER(Message), POINTER(Error)]),
    "velmora_submit_options_init": (None, [POINTER(SubmitOptions), c_size_t]),
    "velmora_encode": (c_int, [c_char_p, c_size_t, POINTER(SubmitOptions), POINTER(Pdu), c_size_t,
                               POINTER(c_size_t), POINTER(Error)]),
    "velmora_encode_data": (c_int, [c_char_p, c_size_t, POINTER(SubmitOptions), POINTER(Pdu), c_size_t,
                                    POINTER(c_size_t), POINTER(Error)]),
    "velmora_count": (c_int, [c_char_p, c_size_t, POINTER(SubmitOptions), POINTER(CountResult), POINTER(Error)]),
    "velmora_pdu_init": (None, [POINTER(Pdu), c_size_t, c_size_t]),
    "velmora_group_init": (None, [POINTER(Group), c_size_t, c_size_t]),
    "velmora_reassembly_storage_size": (c_size_t, [c_uint32]),
    "velmora_reassembly_init": (c_int, [POINTER(Reassembly), c_void_p, c_size_t, c_size_t]),
    "velmora_reassembly_add": (c_int, [POINTER(Reassembly), POINTER(Message), c_uint64, POINTER(Group)]),
    "velmora_reassembly_groups": (c_size_t, [POINTER(Reassembly), POINTER(Group), c_size_t]),
    "velmora_reassembly_slot": (c_int32, [POINTER(Reassembly), POINTER(Group), c_uint32]),
    "velmora_reassembly_text": (c_int, [POINTER(Reassembly), POINTER(Group), c_void_p, c_size_t, POINTER(c_size_t)]),
    "velmora_reassembly_data": (c_int, [POINTER(Reassembly), POINTER(Group), c_void_p, c_size_t, POINTER(c_size_t)]),
    "velmora_reassembly_fields": (c_int, [POINTER(Reassembly), POINTER(Group), POINTER(Message)]),
    "velmora_reassembly_release": (c_int, [POINTER(Reassembly), POINTER(Group)]),
}


def _open(name, tried):
    try:
        return ctypes.CDLL(name)
    except OSError as e:
        tried.append(f"{name} ({e})")
        return None


def load():
    """The library from VELMORA_LIBRARY when set, else the loader's path, else find_library."""
    tried = []
    path = os.environ.get("VELMORA_LIBRARY")
    if path:
        lib = _open(path, tried)
        if lib is None:
            raise ImportError(f"velmora: VELMORA_LIBRARY names a library that cannot be loaded: {tried[0]}")
    else:
        lib = _open(LIBRARY, tried)
        if lib is None:
            found = ctypes.util.find_library("velmora-sms")
            lib = _open(found, tried) if found else None
            if lib is None:
                tried.append("ctypes.util.find_library('velmora-sms') (" + (found or "nothing found") + ")")
                raise ImportError("velmora: libvelmora-sms.so.1 not found; tried VELMORA_LIBRARY (not set), "
                                  + ", ".join(tried)
                                  + ". Install the library, or set VELMORA_LIBRARY to its path.")
    try:
        for name, (restype, argtypes) in _SIGNATURES.items():
            function = getattr(lib, name)
            function.restype, function.argtypes = restype, argtypes
    except AttributeError as e:
        raise ImportError(f"velmora: {lib._name} is not libvelmora-sms: {e}") from None
    _check(lib)
    return lib


# A PDU whose fields land at known places: decoded into this package's record, it shows
# that the library takes the struct sizes given and lays the members out as here.
_CHECK_PDU = b"07912143658709F1040B912143658709F100001220413160508005E8329BFD06"


def _check(lib):
    record, error = new_message(), Error()
    status = lib.velmora_decode_hex(_CHECK_PDU, len(_CHECK_PDU), 0, record, error)
    if status != 0 or record.text != b"hello" or record.originator.text != b"+12345678901":
        raise ImportError(f"velmora: {lib._name} does not decode into this package's velmora_message "
                          f"(status {status}, field {error.field!r}): a libvelmora-sms of another layout")


def new_message():
    """A velmora_message with only its size set: decoding clears what it fills."""
    record = Structure.__new__(Message)
    record.size = MESSAGE_SIZE
    return record


MESSAGE_SIZE = ctypes.sizeof(Message)
lib = load()


def text(pointer):
    """A string the library returns, or None for NULL."""
    return pointer.decode() if pointer is not None else None
