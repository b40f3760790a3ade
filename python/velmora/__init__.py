"""velmora: SMS PDUs decoded into messages, over libvelmora-sms.

The library is found through VELMORA_LIBRARY (a path) when set, else the loader's path
(libvelmora-sms.so.1), else ctypes.util.find_library("velmora-sms").
"""
from ._capi import lib as _lib
from ._message import DecodeError, Element, JoinedMessage, Message, Status, Waiting, decode

library_version = _lib.velmora_version().decode()

__all__ = ["DecodeError", "Element", "JoinedMessage", "Message", "Status", "Waiting", "decode", "library_version"]
