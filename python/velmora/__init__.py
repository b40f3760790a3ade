# SPDX-License-Identifier: Apache-2.0
"""velmora: SMS PDUs decoded into messages and text encoded into PDUs, over libvelmora-sms.

    >>> import velmora
    >>> velmora.decode("07912143658709F1040B912143658709F100001220413160508005E8329BFD06").text
    'hello'
    >>> [str(p) for p in velmora.encode("hello", "12345")]
    ['00110005812143F50000AA05E8329BFD06']

decode() reads one PDU, decode_lines() a file of them, read_modem_output() what a modem
printed (listings with their storage index and stat, log prefixes and noise); a field that
breaks the rules but leaves a message readable is named in Message.warnings. encode() makes the PDUs of a text,
count() says what that takes; Reassembler joins the parts of long messages. Every refusal
is a velmora.Error: DecodeError or EncodeError. Offsets count from 0 (octets of a PDU,
bytes of UTF-8), positions count characters from 1, as the velmora tool's messages do.

The library is found through VELMORA_LIBRARY (a path) when set, else the loader's path
(libvelmora-sms.so.1), else ctypes.util.find_library("velmora-sms").
"""
from ._capi import lib as _lib
from ._encode import Count, Pdu, count, encode
from ._errors import DecodeError, EncodeError, Error, Status
from ._message import DecodeWarning, Element, Message, Waiting, decode, decode_lines
from ._modem import ModemEntry, read_modem_output
from ._reassembly import JoinedMessage, Reassembler

__version__ = library_version = _lib.velmora_version().decode()

__all__ = ["Count", "DecodeError", "DecodeWarning", "Element", "EncodeError", "Error", "JoinedMessage", "Message",
           "ModemEntry", "Pdu", "Reassembler", "Status", "Waiting", "count", "decode", "decode_lines", "encode",
           "library_version", "read_modem_output"]
