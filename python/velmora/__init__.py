"""velmora: SMS PDUs decoded into messages and text encoded into PDUs, over libvelmora-sms.

    >>> import velmora
    >>> velmora.decode("07912143658709F1040B912143658709F100001220413160508005E8329BFD06").text
    'hello'
    >>> [str(p) for p in velmora.encode("hello", "12345")]
    ['00110005812143F50000AA05E8329BFD06']

decode() reads one PDU, decode_lines() a file of them; encode() makes the PDUs of a text,
count() says what that takes; Reassembler joins the parts of long messages. Every refusal
is a velmora.Error: DecodeError or EncodeError. Offsets count from 0 (octets of a PDU,
bytes of UTF-8), positions count characters from 1, as the velmora tool's messages do.

The library is found through VELMORA_LIBRARY (a path) when set, else the loader's path
(libvelmora-sms.so.1), else ctypes.util.find_library("velmora-sms").
"""
from ._capi import lib as _lib
from ._encode import Count, Pdu, count, encode
from ._errors import DecodeError, EncodeError, Error, Status
from ._message import Element, Message, Waiting, decode, decode_lines
from ._reassembly import JoinedMessage, Reassembler

__version__ = library_version = _lib.velmora_version().decode()

__all__ = ["Count", "DecodeError", "Element", "EncodeError", "Error", "JoinedMessage", "Message", "Pdu", "Reassembler",
           "Status", "Waiting", "count", "decode", "decode_lines", "encode", "library_version"]
