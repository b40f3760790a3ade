"""velmora: SMS PDUs decoded into messages and text encoded into PDUs, over libvelmora-sms.

    >>> import velmora
    >>> velmora.decode("07912143658709F1040B912143658709F100001220413160508005E8329BFD06").text
    'hello'
    >>> [str(p) for p in velmora.encode("hello", "12345")]
    ['00110005812143F50000AA05E8329BFD06']

The library is found through VELMORA_LIBRARY (a path) when set, else the loader's path
(libvelmora-sms.so.1), else ctypes.util.find_library("velmora-sms").
"""
from ._capi import lib as _lib
from ._encode import Count, EncodeError, Pdu, count, encode
from ._message import DecodeError, Element, JoinedMessage, Message, Status, Waiting, decode
from ._reassembly import Reassembler

__version__ = library_version = _lib.velmora_version().decode()

__all__ = ["Count", "DecodeError", "Element", "EncodeError", "JoinedMessage", "Message", "Pdu", "Reassembler",
           "Status", "Waiting", "count", "decode", "encode", "library_version"]
