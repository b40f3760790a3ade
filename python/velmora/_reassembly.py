# SPDX-License-Identifier: Apache-2.0
"""Concatenated messages put back together by the library's own reassembly."""
from __future__ import annotations

import ctypes
import time as _clock
from typing import Any, ClassVar, List, Optional, Tuple, Union

from . import _capi
from ._capi import lib, new_message
from ._message import Element, Message

_MICROSECONDS = 1_000_000


class JoinedMessage(Message):
    """The parts of a concatenated message put together: the fields of its lowest part
    held, the text or data of all parts held in part order, and which parts are in (no
    header, no part number)."""
    __slots__ = ("_text", "_data", "parts_present", "parts_missing")
    parts_present: Tuple[int, ...]
    parts_missing: Tuple[int, ...]
    FIELDS: ClassVar[Tuple[str, ...]] = Message.FIELDS + ("parts_present", "parts_missing")

    @property
    def complete(self) -> bool:
        """Every part is in."""
        return not self.parts_missing

    @property
    def text(self) -> Optional[str]:
        return self._text

    @property
    def data(self) -> Optional[bytes]:
        return self._data

    @property
    def udh(self) -> Optional[Tuple[Element, ...]]:
        return None

    @property
    def part(self) -> Optional[int]:
        return None

    def __reduce__(self) -> Tuple[Any, ...]:
        return _joined_of_bytes, (bytes(self._record), self._text if self._data is None else self._data,
                                  self.parts_present, self.parts_missing)

    def __setattr__(self, name: str, value: Any) -> None:
        raise AttributeError(f"a {type(self).__name__} cannot be changed")


def _joined_of_bytes(record: bytes, content: Union[str, bytes], present: Tuple[int, ...],
                     missing: Tuple[int, ...]) -> JoinedMessage:
    joined = object.__new__(JoinedMessage)
    values = {"_record": _capi.Message.from_buffer_copy(record), "_text": content if isinstance(content, str) else None,
              "_data": content if isinstance(content, bytes) else None, "parts_present": present,
              "parts_missing": missing}
    for name, value in values.items():
        object.__setattr__(joined, name, value)
    return joined


class Reassembler:
    """Collects the parts of concatenated messages, fed in any order, in `capacity` slots
    (one part each). Parts belong together when format, type, sender, recipient,
    reference, reference width and part count agree; a part fed twice is ignored.

    No part is dropped silently: feed() returns the messages it completes and, when every
    slot is taken, the oldest incomplete message to make room; incomplete() lists the
    ones held, expire() and flush() hand them out. Not safe for use from several threads
    at once.
    """

    def __init__(self, capacity: int = 256) -> None:
        if isinstance(capacity, bool) or not isinstance(capacity, int) or not 1 <= capacity <= 0xFFFFFFFF:
            raise ValueError(f"capacity is a number of parts from 1 up, not {capacity!r}")
        # ctypes.c_uint64 items keep the storage aligned for the slots.
        size = lib.velmora_reassembly_storage_size(capacity)
        self._storage = (ctypes.c_uint64 * ((size + 7) // 8))()
        self._reassembly = _capi.Reassembly()
        lib.velmora_reassembly_init(self._reassembly, self._storage, ctypes.sizeof(self._storage),
                                    ctypes.sizeof(self._reassembly))

    @property
    def capacity(self) -> int:
        return self._reassembly.capacity

    def feed(self, message: Message, time: Optional[float] = None) -> List[Message]:
        """Adds a decoded message, arrived at `time` (seconds, default time.time()).
        Returns the whole messages this makes: the message itself when it is not a part,
        a JoinedMessage when its last part came in; and, when the slots were all taken, the
        oldest incomplete message as a JoinedMessage with parts_missing."""
        if type(message) is not Message:
            raise TypeError("feed takes a Message that velmora.decode returned")
        record = message._record
        arrival = self._microseconds(_clock.time() if time is None else time)
        out, group = [], _capi.Group()
        while True:
            added = lib.velmora_reassembly_add(self._reassembly, record, arrival, group)
            if added != _capi.ADD_FULL:
                break
            out.append(self._take(self._groups()[0]))
        if added == _capi.ADD_SINGLE:
            out.append(message)
        elif added == _capi.ADD_COMPLETE:
            out.append(self._take(group))
        return out

    def incomplete(self) -> List[JoinedMessage]:
        """The messages held, as they stand (JoinedMessage, earliest first), left held."""
        return [self._joined(g) for g in self._groups()]

    def expire(self, older_than: float, now: Optional[float] = None) -> List[JoinedMessage]:
        """Hands out and lets go the messages whose earliest part held arrived at least
        `older_than` seconds before `now` (default time.time()), earliest first."""
        limit = self._microseconds(_clock.time() if now is None else now) - round(older_than * _MICROSECONDS)
        return [self._take(g) for g in self._groups() if g.first_time <= limit]

    def flush(self) -> List[JoinedMessage]:
        """Hands out and lets go every message held, earliest first."""
        return [self._take(g) for g in self._groups()]

    def __len__(self) -> int:
        """The number of messages held."""
        return lib.velmora_reassembly_groups(self._reassembly, None, 0)

    @staticmethod
    def _microseconds(seconds: float) -> int:
        value = round(seconds * _MICROSECONDS)
        if not 0 <= value < 1 << 64:
            raise ValueError(f"a time is seconds from 0 up, not {seconds!r}")
        return value

    def _groups(self) -> List[_capi.Group]:
        groups = (_capi.Group * self.capacity)()
        lib.velmora_group_init(groups, self.capacity, ctypes.sizeof(_capi.Group))
        return groups[:lib.velmora_reassembly_groups(self._reassembly, groups, self.capacity)]

    def _take(self, group: _capi.Group) -> JoinedMessage:
        joined = self._joined(group)
        lib.velmora_reassembly_release(self._reassembly, group)
        return joined

    def _joined(self, group: _capi.Group) -> JoinedMessage:
        first, length = new_message(), ctypes.c_size_t()
        lib.velmora_reassembly_fields(self._reassembly, group, first)
        content: Union[str, bytes]
        if first.present & _capi.HAS_TEXT:
            lib.velmora_reassembly_text(self._reassembly, group, None, 0, length)
            buffer = ctypes.create_string_buffer(length.value + 1)
            lib.velmora_reassembly_text(self._reassembly, group, buffer, length.value + 1, length)
            content = buffer.raw[:length.value].decode(errors="replace")
        else:
            lib.velmora_reassembly_data(self._reassembly, group, None, 0, length)
            buffer = ctypes.create_string_buffer(length.value)
            lib.velmora_reassembly_data(self._reassembly, group, buffer, length.value, length)
            content = buffer.raw
        numbers = range(1, group.parts + 1)
        return _joined_of_bytes(bytes(first), content, tuple(n for n in numbers if group.has(n)),
                                tuple(n for n in numbers if not group.has(n)))
