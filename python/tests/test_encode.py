"""velmora.encode and velmora.count: PDUs read back by velmora.decode, options, errors."""
import datetime
import os
import time
import unittest

import velmora

GERMAN = "Grüße aus Köln, 5 €"
LONG = "".join(f"{i:03} Zeile mit Umlauten äöü, " for i in range(20))  # 520 characters, GSM 7-bit


def read_back(pdus, **keywords):
    """The messages of the PDUs (service-centre octet first) and their text joined."""
    messages = [velmora.decode(p.hex, **keywords) for p in pdus]
    r = velmora.Reassembler()
    (whole,) = [w for m in messages for w in r.feed(m)]
    return messages, whole.text if whole.text is not None else whole.data


class EncodeTest(unittest.TestCase):
    def test_round_trip(self):
        rows = [("hello", 1, "gsm7"), (GERMAN, 1, "gsm7"), (LONG, 4, "gsm7"), ("Привет, мир! " * 12, 3, "ucs2"),
                ("emoji 😀 split " * 10, 3, "ucs2"), (b"\x00\x01\xfe\xff" * 40, 2, "8bit"), ("", 1, "gsm7")]
        for text, parts, alphabet in rows:
            with self.subTest(text=text[:20]):
                pdus = velmora.encode(text, "+4912345")
                self.assertEqual(len(pdus), parts)
                messages, joined = read_back(pdus)
                self.assertEqual(joined, text)
                for p, m in zip(pdus, messages):
                    self.assertEqual((m.type, m.recipient, m.recipient_type, m.alphabet),
                                     ("submit", "+4912345", 0x91, alphabet))
                    self.assertEqual(p.tpdu_length, len(p.hex) // 2 - 1)  # behind the empty SMSC octet
                    self.assertEqual(str(p), p.hex)
                    self.assertEqual(p.hex, p.hex.upper())

    def test_each_option_read_back(self):
        until = datetime.datetime(2026, 12, 24, 18, 0, tzinfo=datetime.timezone(datetime.timedelta(hours=1)))
        rows = [  # keywords, text, fields of the first message decoded
            (dict(alphabet="ucs2"), "hi", dict(alphabet="ucs2", coding=8, text="hi")),
            (dict(alphabet="8bit"), "hé", dict(alphabet="8bit", data="hé".encode())),
            (dict(languages="portuguese,turkish"), "Ağaç şişe", dict(locking_shift=1, text="Ağaç şişe")),
            (dict(languages=["spanish"]), "¿Más?", dict(single_shift=2, text="¿Más?")),
            (dict(languages=[2]), "¿Más?", dict(single_shift=2)),
            (dict(smsc="+4915200000000"), "hi", dict(smsc="+4915200000000")),
            (dict(to_type=0xA1), "hi", dict(recipient_type=0xA1)),
            (dict(status_report=True, message_reference=7), "hi", dict(status_report_request=True,
                                                                         message_reference=7)),
            (dict(reject_duplicates=True, reply_path=True, pid=0x41), "hi", dict(reject_duplicates=True,
                                                                                   reply_path=True, pid=0x41)),
            (dict(message_class=0), "hi", dict(message_class=0, coding=0x10)),
            (dict(), "hi", dict(validity_minutes=4 * 24 * 60)),
            (dict(validity=datetime.timedelta(minutes=30)), "hi", dict(validity_minutes=30)),
            (dict(validity=datetime.timedelta(seconds=1)), "hi", dict(validity_minutes=5)),
            (dict(validity=datetime.timedelta(hours=12, seconds=1)), "hi", dict(validity_minutes=12 * 60 + 30)),
            (dict(validity="none"), "hi", dict(validity_minutes=None, validity_until=None)),
            (dict(validity=False), "hi", dict(validity_minutes=None, validity_until=None)),
            (dict(validity=until), "hi", dict(validity_until=until)),
            (dict(reference=4660, reference_bits=16), "x" * 200, dict(reference=4660, reference_bits=16, parts=2)),
            (dict(reference=255), "x" * 200, dict(reference=255, reference_bits=8)),
            (dict(port=2948), b"\x01\x02", dict(destination_port=2948, source_port=0, data=b"\x01\x02")),
            (dict(port=(2948, 9200)), "hi", dict(destination_port=2948, source_port=9200, text="hi")),
            (dict(port=[2948, 9200]), "hi", dict(destination_port=2948, source_port=9200)),
        ]
        for keywords, text, fields in rows:
            with self.subTest(keywords=keywords):
                m = velmora.decode(velmora.encode(text, "12345", **keywords)[0].hex)
                self.assertEqual({k: getattr(m, k) for k in fields}, fields)

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

    def test_library_counter_moves_on(self):
        first, second = (velmora.decode(velmora.encode("x" * 200, "1")[0].hex).reference for _ in range(2))
        self.assertEqual((first + 1) % 256, second)

    def test_cdma(self):
        self.assertEqual([p.hex for p in velmora.encode("hello", "12345", cdma=True, from_="678")],
                         ["04812143F5038176F81002000205E8329BFD06"])

    def test_errors(self):
        rows = [  # text, keywords, kind, field, position, code point
            ("Grüße façade", dict(alphabet="gsm7"), "UNENCODABLE", "text", 8, 0xE7),
            ("ab😀", dict(alphabet="gsm7"), "UNENCODABLE", "text", 2, 0x1F600),
            ("äb\ud800", {}, "INVALID_UTF8", "text", 2, None),
            ("x" * (255 * 153 + 1), {}, "TOO_MANY_PARTS", "text", 255 * 153, None),
            (b"\x00" * (255 * 134 + 1), {}, "TOO_MANY_PARTS", "data", 255 * 134, None),
            ("hi", dict(to="12x45"), "ARGUMENT", "to", 2, None),
            ("hi", dict(smsc="+49-1"), "ARGUMENT", "smsc", 3, None),
            ("hi", dict(to_type=256), "ARGUMENT", "to_type", 0, None),
            ("hi", dict(message_class=4), "ARGUMENT", "message_class", 0, None),
            ("hi", dict(reference=256), "ARGUMENT", "reference", 0, None),
            ("hi", dict(reference_bits=12), "ARGUMENT", "reference_bits", 0, None),
            ("hi", dict(port=70000), "ARGUMENT", "port", 0, None),
            ("hi", dict(validity=datetime.timedelta(weeks=64)), "ARGUMENT", "validity", 0, None),
            ("hi", dict(validity=datetime.datetime(1980, 1, 1, tzinfo=datetime.timezone.utc)), "ARGUMENT",
             "validity", 0, None),
            ("hi", dict(validity=60), "ARGUMENT", "validity", 0, None),
            ("hi", dict(languages="klingon"), "ARGUMENT", "languages", 0, None),
            ("hi", dict(languages=[2 ** 70]), "ARGUMENT", "languages", 0, None),
            ("hi", dict(alphabet="ascii"), "ARGUMENT", "alphabet", 0, None),
            (b"hi", dict(alphabet="gsm7"), "ARGUMENT", "alphabet", 0, None),
            ("hi", dict(cdma=True), "ARGUMENT", "from_", 0, None),
            ("hi", dict(from_="678"), "ARGUMENT", "from_", 0, None),
            ("hi", dict(cdma=True, from_="678", status_report=True), "ARGUMENT", "status_report", 0, None),
        ]
        for text, keywords, kind, field, position, code_point in rows:
            with self.subTest(keywords=keywords, text=text[:10]):
                keywords = {"to": "12345", **keywords}
                with self.assertRaises(velmora.EncodeError) as caught:
                    velmora.encode(text, **keywords)
                e = caught.exception
                self.assertEqual((e.kind.name, e.field, e.position, e.code_point),
                                 (kind, field, position, code_point))
                self.assertTrue(str(e).startswith(field + ": "), str(e))
        with self.assertRaises(TypeError):
            velmora.encode(["hi"], "12345")


class CountTest(unittest.TestCase):
    def test_counts(self):
        rows = [  # text, keywords, Count
            ("hello", {}, velmora.Count("gsm7", 1, 160, 5, 155)),
            ("€" * 80, {}, velmora.Count("gsm7", 1, 160, 160, 0)),
            ("x" * 161, {}, velmora.Count("gsm7", 2, 153, 161, 145)),
            ("x" * 161, dict(reference_bits=16), velmora.Count("gsm7", 2, 152, 161, 143)),
            ("hello", dict(port=1), velmora.Count("gsm7", 1, 152, 5, 147)),
            ("Привет", {}, velmora.Count("ucs2", 1, 70, 6, 64)),
            ("😀" * 35, {}, velmora.Count("ucs2", 1, 70, 70, 0)),
            ("hello", dict(alphabet="ucs2"), velmora.Count("ucs2", 1, 70, 5, 65)),
            ("Ağaç şişe", dict(languages="turkish"), velmora.Count("gsm7", 1, 155, 9, 146, 1, None)),
        ]
        for text, keywords, expected in rows:
            with self.subTest(text=text[:10], keywords=keywords):
                self.assertEqual(velmora.count(text, **keywords), expected)

    def test_parts_as_encode_makes_them(self):
        for n in (0, 1, 160, 161, 306, 307, 459, 460):
            for unit in ("x", "€", "ж", "😀"):
                with self.subTest(n=n, unit=unit):
                    self.assertEqual(velmora.count(unit * n).parts, len(velmora.encode(unit * n, "1")))

    def test_errors(self):
        with self.assertRaises(velmora.EncodeError) as caught:
            velmora.count("façade", alphabet="gsm7")
        self.assertEqual((caught.exception.kind, caught.exception.position), (velmora.Status.UNENCODABLE, 2))
        with self.assertRaises(TypeError):
            velmora.count(b"data")


if __name__ == "__main__":
    unittest.main()
