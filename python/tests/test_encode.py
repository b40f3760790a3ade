"""velmora.encode and velmora.count against tests/vectors/sms_encode.tsv; what only Python has: its
keyword types (timedelta, datetime, lists), its errors and positions, the PDUs read back."""
import datetime
import inspect
import os
import re
import time
import unittest

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
    """2026-12-24T18:30:00+345: a local time and its offset in minutes."""
    stamp, sign, minutes = re.fullmatch(r"(.*T[\d:]+)([+-])(\d+)", value).groups()
    zone = datetime.timezone(datetime.timedelta(minutes=int(minutes) * (-1 if sign == "-" else 1)))
    return datetime.datetime.fromisoformat(stamp).replace(tzinfo=zone)


def keywords(options):
    """The keywords of encode() for a vector's options; None for a row Python cannot say."""
    k, data = {"to": "12345"}, False
    flags = {"srr": ("status_report", True), "rd": ("reject_duplicates", True), "rp": ("reply_path", True),
             "omit": ("validity", "none")}
    number = {"ref": "reference", "refbits": "reference_bits", "to_type": "to_type", "mr": "message_reference",
              "pid": "pid", "class": "message_class", "minutes": "validity"}
    for option in options.split():
        name, _, value = option.partition("=")
        if name in flags:
            k.update([flags[name]])
        elif name in number:
            k[number[name]] = int(value, 0)
        elif name in ("ports", "ports8"):
            k["port"] = tuple(int(v) for v in value.split(":"))
            k["port_bits"] = 8 if name == "ports8" else 16
        elif name == "cdma":
            k["cdma"], k["from_"] = True, value or None
        elif name == "until":
            try:
                k["validity"] = until(value)
            except ValueError:  # no datetime for 29 February 2026
                return None, data
        elif name == "to":
            k["to"] = "" if value == "-" else value
        elif name in ("alphabet", "languages", "smsc"):
            k[name] = value
        elif name == "data":
            data = True
        else:  # capacity: the C caller's buffers
            return None, data
    return k, data


def vector_rows():
    with open(os.path.join(VECTORS, "sms_encode.tsv"), encoding="utf-8") as f:
        for line in f:
            if line.strip() and not line.startswith("#"):
                name, text, options, expected = line.rstrip("\n").split("\t")
                k, data = keywords(options)
                if k is not None:
                    try:
                        yield name, (payload(text) if data else payload(text).decode("utf-8", "surrogatepass")), \
                            k, expected
                    except UnicodeDecodeError:  # bytes that no str holds
                        pass


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
    def test_read_back_whole(self):
        for text in ["Grüße aus Köln, 5 €", "emoji 😀 split " * 10, b"\x00\x01\xfe\xff" * 40]:
            with self.subTest(text=text[:20]):
                pdus, r = velmora.encode(text, "+4912345"), velmora.Reassembler()
                (whole,) = [w for p in pdus for w in r.feed(velmora.decode(str(p)))]
                self.assertEqual((whole.recipient, whole.text if isinstance(text, str) else whole.data),
                                 ("+4912345", text))
                self.assertEqual([p.tpdu_length for p in pdus], [len(p.hex) // 2 - 1 for p in pdus])  # no SMSC

    def test_python_values_of_the_keywords(self):
        until = datetime.datetime(2026, 12, 24, 18, 0, tzinfo=datetime.timezone(datetime.timedelta(hours=1)))
        rows = [  # keywords, fields of the message decoded
            (dict(validity=datetime.timedelta(minutes=30)), dict(validity_minutes=30)),
            (dict(validity=datetime.timedelta(seconds=1)), dict(validity_minutes=5)),
            (dict(validity=datetime.timedelta(hours=12, seconds=1)), dict(validity_minutes=12 * 60 + 30)),
            (dict(validity=90), dict(validity_minutes=90)),
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
        saved = os.environ.get("TZ")
        os.environ["TZ"] = "UTC-3"  # POSIX: three hours east of UTC
        time.tzset()
        try:
            m = velmora.decode(velmora.encode("hi", "1", validity=datetime.datetime(2030, 1, 2, 3, 4, 5))[0].hex)
        finally:
            os.environ.pop("TZ") if saved is None else os.environ.update(TZ=saved)
            time.tzset()
        self.assertEqual(m.validity_until.isoformat(), "2030-01-02T03:04:05+03:00")

    def test_errors_name_the_keyword_and_the_position_from_1(self):
        rows = [  # text, keywords, kind, field, position, message
            ("Grüße façade", dict(alphabet="gsm7"), "UNENCODABLE", "text", 9,
             "text: character 'ç' (U+00E7) at position 9 cannot be carried in the gsm7 alphabet"),
            ("ab😀", dict(alphabet="gsm7"), "UNENCODABLE", "text", 3, None),
            ("äb\ud800", {}, "INVALID_UTF8", "text", 3, "text: text is not valid UTF-8 at position 3"),
            ("hi", dict(to="12x45"), "ARGUMENT", "to", 3, None),
            ("hi", dict(to_type=2 ** 40), "ARGUMENT", "to_type", 1, None),
            ("hi", dict(validity=datetime.timedelta(weeks=64)), "ARGUMENT", "validity", 1, None),
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
                self.assertEqual((e.kind.name, e.field, e.position), (kind, field, position))
                self.assertEqual(str(e), message or str(e))
                self.assertTrue(str(e).startswith(field + ": "), str(e))
        with self.assertRaises(velmora.EncodeError) as caught:
            velmora.count("façade", alphabet="gsm7")
        self.assertEqual((caught.exception.kind, caught.exception.position), (velmora.Status.UNENCODABLE, 3))
        for call in (lambda: velmora.encode(["hi"], "12345"), lambda: velmora.count(b"data")):
            self.assertRaises(TypeError, call)
        with self.assertRaisesRegex(TypeError, r"encode\(\) got an unexpected keyword argument 'clas'"):
            velmora.encode("hi", "12345", clas=1)


if __name__ == "__main__":
    unittest.main()
