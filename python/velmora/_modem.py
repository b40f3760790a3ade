# SPDX-License-Identifier: Apache-2.0
"""A modem's output read by the library's line reader: messages with their storage index and
stat, the PDUs that could not be read, send results and +CMS ERROR codes."""
from __future__ import annotations

import ctypes
from dataclasses import dataclass
from typing import Iterable, Iterator, Optional, Union

from . import _capi
from ._capi import lib, new_message
from ._errors import DecodeError
from ._message import Message, _flags, message
from ._reassembly import Reassembler


@dataclass(frozen=True)
class ModemEntry:
    """One thing a modem's output held, at its 1-based `line`: a `message` (with `index` and
    `storage` — "REC UNREAD", "REC READ", "STO UNSENT", "STO SENT" — when a listing gave
    them; a JoinedMessage once the parts of a concatenated one are in, line None for those
    still incomplete at the end), an `error` (a PDU that could not be read, or a text-mode
    listing), a send result (`message_reference` of +CMGS/+CMSS) or a `cms_error` with its
    meaning (`cms_error_text`: the modem's own words when it gave words, as with AT+CMEE=2,
    `cms_error` then -1 unless they spell a TS 27.005 meaning)."""
    line: Optional[int]
    message: Optional[Message] = None
    error: Optional[DecodeError] = None
    index: Optional[int] = None
    storage: Optional[str] = None
    message_reference: Optional[int] = None
    cms_error: Optional[int] = None
    cms_error_text: Optional[str] = None


def _lines(output: Union[str, bytes, Iterable[Union[str, bytes]]]) -> Iterable[Union[str, bytes]]:
    if isinstance(output, (str, bytes)):
        return output.splitlines()
    return output


def read_modem_output(output: Union[str, bytes, Iterable[Union[str, bytes]]], *, smsc: bool = True,
                      cdma: bool = False, strict: bool = False, join: bool = True) -> Iterator[ModemEntry]:
    """Reads what a modem printed in PDU mode (AT+CMGF=0): a whole text, or its lines (str,
    or bytes as a serial port or a file opened "rb" gives them), as a terminal or a log
    shows it. +CMGL, +CMGR, +CMT and +CDS responses lead their PDU wherever they start on
    a line (behind timestamps and log prefixes), their <length> saying whether the PDU
    carries a service-centre address; other lines are skipped; a bare line of hex is a PDU
    too. smsc, cdma and strict are those of decode(). With join, the parts of concatenated
    messages also come out joined (a JoinedMessage) through a Reassembler."""
    reader, entry, error = _capi.ModemReader(), _capi.ModemEntry(), _capi.Error()
    if lib.velmora_modem_reader_init(reader, _flags(smsc, cdma, strict), ctypes.sizeof(reader)):
        raise ValueError("read_modem_output: the decoding options are refused")
    joiner = Reassembler() if join else None
    for number, line in enumerate(_lines(output), 1):
        text = line.encode("utf-8", "replace") if isinstance(line, str) else bytes(line)
        lib.velmora_modem_feed(reader, text, len(text))  # `text` lives until the line is read
        while True:
            record = new_message()
            kind = lib.velmora_modem_next(reader, entry, record, error)
            if kind == _capi.MODEM_NONE:
                break
            if kind == _capi.MODEM_MESSAGE:
                m = message(record)
                storage = _capi.text(lib.velmora_storage_name(entry.storage))
                yield ModemEntry(number, m, index=entry.index if entry.index >= 0 else None, storage=storage)
                for whole in joiner.feed(m) if joiner is not None else ():
                    if whole is not m:
                        yield ModemEntry(number, whole)
            elif kind == _capi.MODEM_FAILED:
                yield ModemEntry(number, error=DecodeError(error.status, error.offset, _capi.text(error.field) or "",
                                                           "", number, text.decode("utf-8", "replace").strip()))
            elif kind == _capi.MODEM_SENT:
                yield ModemEntry(number, message_reference=entry.message_reference)
            else:
                words = entry.cms_error_words
                meaning = (ctypes.string_at(words, entry.cms_error_words_length).decode("utf-8", "replace")
                           if words else _capi.text(lib.velmora_cms_error_text(entry.cms_error)))
                yield ModemEntry(number, cms_error=entry.cms_error, cms_error_text=meaning)
    for whole in joiner.flush() if joiner is not None else ():
        yield ModemEntry(None, whole)
