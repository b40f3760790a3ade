# SPDX-License-Identifier: Apache-2.0
"""What the library refuses, and why: velmora.Error and its two kinds.

Positions follow one convention, the tool's: an *offset* counts from 0 (octets of a PDU,
bytes of UTF-8 text or data), a *position* counts characters from 1 ("at position 3" is
text[2]).
"""
from __future__ import annotations

import enum
from typing import Optional

from ._capi import lib, text


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
    STALE_GROUP = 13
    LENGTH_MISMATCH = 14
    TEXT_MODE = 15

    @property
    def message(self) -> str:
        """The library's short English text: "PDU ends early", ..."""
        return text(lib.velmora_status_message(self)) or self.name


class Error(ValueError):
    """The base of every refusal of velmora: DecodeError and EncodeError. `kind` says why."""
    kind: Status


class DecodeError(Error):
    """A PDU that cannot be decoded: `kind`, the 0-based octet `offset` (service-centre
    address included when present) and the name of the `field` where reading stopped.
    decode_lines() also sets `line` (1-based) and `pdu` (the line's text)."""

    def __init__(self, kind: int, offset: int, field: str, hint: str = "",
                 line: Optional[int] = None, pdu: Optional[str] = None) -> None:
        self.kind, self.offset, self.field = Status(kind), offset, field
        self.line, self.pdu = line, pdu
        where = f" at octet offset {offset}" + (f" ({field})" if field else "")
        at_line = f"line {line}: " if line is not None else ""
        super().__init__(f"{at_line}{self.kind.message}{'' if self.kind == Status.TEXT_MODE else where}{hint}")


class EncodeError(Error):
    """Text or options that cannot be sent. `field`: the keyword at fault, or "text" /
    "data"; `offset`: the 0-based byte of the UTF-8 text (or of the data, or the character
    of a telephone number) where the fault lies; `position`: the same as a 1-based
    character position in the str given, as the tool's messages count; `code_point`: the
    character an alphabet cannot carry (UNENCODABLE), else None."""

    def __init__(self, kind: int, field: str, what: str, offset: int = 0, position: Optional[int] = None,
                 code_point: Optional[int] = None) -> None:
        self.kind, self.field, self.offset = Status(kind), field, offset
        self.position = offset + 1 if position is None else position
        self.code_point = code_point
        super().__init__(f"{field}: {what}")
