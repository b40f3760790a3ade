# SPDX-License-Identifier: Apache-2.0
"""velmora.encode and velmora.count against tests/vectors/sms_encode.tsv; what only Python has: its
keyword types (timedelta, datetime, lists), its errors and positions, the PDUs read back."""
import datetime
import inspect
import os
import re
import time
import unittest
from unittest import mock

import velmora

VECTORS = os.environ.get("VELMORA_TEST_VECTORS",
                         os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "vectors"))
# The C member a vector's error names, as the keyword of encode() that sets it.
KEYWORD_OF = {"from": "from_", "validity_minutes": "validity", "validity_until": "validity",
              "destination_port": "port"}
COUNT_KEYWORDS = set(inspect.signature(velmora.count).parameters) - {"text"}


def payload(notation):
    """The bytes of a text column: \\xHH a byte, c\\(N) the character (or byte) c N times."""
    out, last = bytearray(), b""
    for byte, times, char in re.findall(r"\\x([0-9A-Fa-f]{2})|\\\((\d+)\)|(.)", notation, re.DOTALL):
        if times:
            del out[len(out) - len(last):]
            out += last * int(times)
        else:
            last = bytes.fromhex(byte) if byte else char.encode()
            out += last
    return bytes(out)


def until(value):
    """2026-12-24T18:30:00+345: a local time and its offset in minutes (ValueError: no such day)."""
    zone = datetime.timezone(datetime.timedelta(minutes=int(value[19:])))
    return datetime.datetime.fromisoformat(value[:19]).replace(tzinfo=zone)


# A vector's option as keywords of encode(); "data" sends bytes, "capacity" is the C caller's.
OPTIONS = {
    "srr": lambda v: dict(status_report=True), "rd": lambda v: dict(reject_duplicates=True),
    "rp": lambda v: dict(reply_path=True), "omit": lambda v: dict(validity="none"),
    "ref": lambda v: dict(reference=int(v, 0)), "refbits": lambda v: dict(reference_bits=int(v)),
    "to_type": lambda v: dict(to_type=int(v, 0)), "mr": lambda v: dict(message_reference=int(v, 0)),
    "pid": lambda v: dict(pid=int(v, 0)), "class": lambda v: dict(message_class=int(v)),
    "minutes": lambda v: dict(validity=int(v)), "until": lambda v: dict(validity=until(v)),
    "ports": lambda v: dict(port=tuple(map(int, v.split(":")))),
    "ports8": lambda v: dict(port=tuple(map(int, v.split(":"))), port_bits=8),
    "cdma": lambda v: dict(cdma=True, from_=v or None), "to": lambda v: dict(to="" if v == "-" else v),
    "alphabet": lambda v: dict(alphabet=v), "languages": lambda v: dict(languages=v), "smsc": lambda v: dict(smsc=v),
    "data": lambda v: dict(data=True),
}


def vector_rows():
    """name, text (str, or bytes for data), keywords, expectation; without the rows Python cannot
    say (bytes that are no UTF-8 as text, a day that does not exist, the C caller's buffers)."""
    with open(os.path.join(VECTORS, "sms_encode.tsv"), encoding="utf-8") as f:
        for name, text, options, expected in (line.rstrip("\n").split("\t") for line in f
                                              if line.strip() and not line.startswith("#")):
            try:
                k = {"to": "12345"}
                for option in options.split():
                    k.update(OPTIONS[option.partition("=")[0]](option.partition("=")[2]))
                data = k.pop("data", False)
                yield name, payload(text) if data else payload(text).decode("utf-8", "surrogatepass"), k, expected
            except (KeyError, ValueError):
                continue


class VectorTest(unittest.TestCase):
    def test_pdus_counts_and_errors(self):
        rows = list(vector_rows())
        self.assertGreater(len(rows), 110)
        for name, text, k, expected in rows:
            with self.subTest(name=name, keywords=k):
                kind, _, rest = expected.partition(" ")
                if kind == "count":
                    alphabet, locking, single, *numbers = rest.split()
                    shaping = {key: v for key, v in k.items() if key in COUNT_KEYWORDS}
                    self.assertEqual(velmora.count(text, **shaping),
                                     velmora.Count(alphabet, *map(int, numbers), int(locking) or None,
                                                   int(single) or None))
                elif kind == "parts":
                    self.assertEqual(len(velmora.encode(text, **k)), int(rest))
                elif kind == "error":
                    what, field, offset, *code_point = re.fullmatch(r"(.*): (\w+) (\d+)( U\+\w+)?", rest).groups()
                    with self.assertRaises(velmora.EncodeError) as caught:
                        velmora.encode(text, **k)
                    e = caught.exception
                    self.assertEqual((e.kind.message, e.field, e.offset), (what, KEYWORD_OF.get(field, field),
                                                                           int(offset)))
                    if code_point[0]:
                        self.assertEqual(e.code_point, int(code_point[0][3:], 16))
                else:
                    self.assertEqual([p.hex for p in velmora.encode(text, **k)], expected.split())


class EncodeTest(unittest.TestCase):
    def test_python_values_of_the_keywords(self):
        until = datetime.datetime(2026, 12, 24, 18, 0, tzinfo=datetime.timezone(datetime.timedelta(hours=1)))
        rows = [  # keywords, fields of the message decoded
            (dict(validity=datetime.timedelta(minutes=30)), dict(validity_minutes=30)),
            (dict(validity=datetime.timedelta(seconds=1)), dict(validity_minutes=5)),
            (dict(validity=datetime.timedelta(hours=12, seconds=1)), dict(validity_minutes=12 * 60 + 30)),
            (dict(validity=until), dict(validity_until=until)),
            (dict(validity="none"), dict(validity_minutes=None, validity_until=None)),
            (dict(languages=["spanish"]), dict(single_shift=2)),
            (dict(languages=[2]), dict(single_shift=2)),
            (dict(port=2948), dict(destination_port=2948, source_port=0)),
            (dict(port=[2948, 9200]), dict(destination_port=2948, source_port=9200)),
        ]
        for k, fields in rows:
            with self.subTest(keywords=k):
                m = velmora.decode(velmora.encode("Más", "12345", **k)[0].hex)
                self.assertEqual({name: getattr(m, name) for name in fields}, fields)

    def test_naive_validity_is_local_time(self):
        self.addCleanup(time.tzset)
        with mock.patch.dict(os.environ, TZ="UTC-3"):  # POSIX: three hours east of UTC
            time.tzset()
            m = velmora.decode(velmora.encode("hi", "1", validity=datetime.datetime(2030, 1, 2, 3, 4, 5))[0].hex)
        self.assertEqual(m.validity_until.isoformat(), "2030-01-02T03:04:05+03:00")

    def test_errors_name_the_keyword_and_the_position_from_1(self):
        rows = [  # text, keywords, kind, field, position, message
            ("Grüße façade", dict(alphabet="gsm7"), "UNENCODABLE", "text", 9,
             "text: character 'ç' (U+00E7) at position 9 cannot be carried in the gsm7 alphabet"),
            ("ab😀", dict(alphabet="gsm7"), "UNENCODABLE", "text", 3, None),
            ("äb\ud800", {}, "INVALID_UTF8", "text", 3, "text: text is not valid UTF-8 at position 3"),
            ("hi", dict(to_type=2 ** 40), "ARGUMENT", "to_type", 1, None),
            ("hi", dict(validity=datetime.datetime(1980, 1, 1, tzinfo=datetime.timezone.utc)), "ARGUMENT",
             "validity", 1, None),
            ("hi", dict(validity=1.5), "ARGUMENT", "validity", 1, None),
            ("hi", dict(languages="klingon"), "ARGUMENT", "languages", 1, None),
            ("hi", dict(languages=[2 ** 70]), "ARGUMENT", "languages", 1, None),
            (b"hi", dict(alphabet="gsm7"), "ARGUMENT", "alphabet", 1, None),
        ]
        for text, k, kind, field, position, message in rows:
            with self.subTest(keywords=k, text=text[:10]):
                with self.assertRaises(velmora.EncodeError) as caught:
                    velmora.encode(text, **{"to": "12345", **k})
                e = caught.exception
                self.assertEqual((e.kind.name, e.field, e.position, isinstance(e, velmora.Error)),
                                 (kind, field, position, True))
                self.assertEqual(str(e), message or str(e))
                self.assertTrue(str(e).startswith(field + ": "), str(e))
        with self.assertRaises(velmora.EncodeError) as caught:
            velmora.count("façade", alphabet="gsm7")
        self.assertEqual((caught.exception.kind, caught.exception.position), (velmora.Status.UNENCODABLE, 3))
        for call in (lambda: velmora.encode(["hi"], "12345"), lambda: velmora.count(b"data"),
                     lambda: velmora.encode("hi", "12345", "gsm7")):  # options are keywords only
            self.assertRaises(TypeError, call)
        with self.assertRaisesRegex(TypeError, r"encode\(\) got an unexpected keyword argument 'clas'"):
            velmora.encode("hi", "12345", clas=1)
