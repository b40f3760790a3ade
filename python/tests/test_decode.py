"""velmora.decode against the PDUs of tests/vectors/decode.jsonl and the JSON the tool prints for them."""
import dataclasses
import datetime
import json
import os
import re
import unittest

import velmora

VECTORS = os.environ.get("VELMORA_TEST_VECTORS",
                         os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "vectors"))
HELLO = "07912143658709F1040B912143658709F100001220413160508005E8329BFD06"


def vector_rows():
    with open(os.path.join(VECTORS, "decode.jsonl"), encoding="utf-8") as f:
        return [json.loads(line) for line in f if line.strip() and not line.startswith("#")]


def as_json(message):
    """The fields of a Message in the form of the tool's JSON, every field present."""
    def value(v):
        if isinstance(v, datetime.datetime):
            return v.isoformat()
        if isinstance(v, bytes):
            return v.hex().upper()
        if isinstance(v, tuple):
            return [value(item) for item in v]
        if dataclasses.is_dataclass(v):
            return {k: value(item) for k, item in dataclasses.asdict(v).items()}
        return v
    return {f.name: value(getattr(message, f.name)) for f in dataclasses.fields(message)}


def expected_json(row):
    """The tool's JSON of a row with the keys named as the Message fields and every absent
    field at its default."""
    fields = {f.name: f.default for f in dataclasses.fields(velmora.Message)}
    for key, v in row.items():
        if key == "message_waiting":
            v = {"count": None, **v}
        fields[{"class": "message_class"}.get(key, key)] = v
    return fields


def keywords(row):
    args = row.get("args", [])
    return {"smsc": "--no-smsc" not in args, "cdma": "--cdma" in args}


class VectorTest(unittest.TestCase):
    def test_fields_equal_the_tools_json(self):
        rows = [r for r in vector_rows() if "json" in r]
        self.assertGreater(len(rows), 40)
        for row in rows:
            with self.subTest(pdu=row["pdu"]):
                expected = expected_json(row["json"])
                self.assertEqual(set(expected), {f.name for f in dataclasses.fields(velmora.Message)})
                self.assertEqual(as_json(velmora.decode(row["pdu"], **keywords(row))), expected)

    def test_octets_lower_case_and_blanks_decode_alike(self):
        for row in (r for r in vector_rows() if "json" in r):
            with self.subTest(pdu=row["pdu"]):
                hex_form = velmora.decode(row["pdu"], **keywords(row))
                self.assertEqual(velmora.decode(bytes.fromhex(row["pdu"]), **keywords(row)), hex_form)
                self.assertEqual(velmora.decode(f" {row['pdu'].lower()}\r\n", **keywords(row)), hex_form)

    def test_errors_name_kind_offset_and_field(self):
        rows = [r for r in vector_rows() if "error" in r]
        self.assertGreater(len(rows), 10)
        for row in rows:
            with self.subTest(pdu=row["pdu"]):
                what, offset, field = re.fullmatch(r"(.*) at octet offset (\d+) \((.*)\)", row["error"]).groups()
                with self.assertRaises(velmora.DecodeError) as caught:
                    velmora.decode(row["pdu"], **keywords(row))
                e = caught.exception
                self.assertEqual((e.kind.message, e.offset, e.field, str(e)), (what, int(offset), field, row["error"]))
                self.assertIsInstance(e, ValueError)


class DecodeTest(unittest.TestCase):
    def test_times(self):
        gsm = velmora.decode(HELLO).time
        self.assertEqual(gsm, datetime.datetime(2021, 2, 14, 11, 6, 5, tzinfo=datetime.timezone.utc))
        self.assertEqual(gsm.utcoffset(), datetime.timedelta(hours=2))
        cdma = velmora.decode("07812143658709F12102141306051002000205E8329BFD06", cdma=True).time
        self.assertEqual((cdma, cdma.tzinfo), (datetime.datetime(2021, 2, 14, 13, 6, 5), None))
        # month 13 and February 30: no time stamp (the library warns of it)
        for stamp in ["12314131605080", "12200331605080"]:
            pdu = HELLO.replace("12204131605080", stamp)
            self.assertIsNone(velmora.decode(pdu).time)

    def test_smsc_false_reads_the_tpdu_first(self):
        tpdu = HELLO[16:]
        self.assertEqual(velmora.decode(tpdu, smsc=False).sender, "+12345678901")
        self.assertIsNone(velmora.decode(tpdu, smsc=False).smsc)
        with self.assertRaises(velmora.DecodeError):
            velmora.decode(tpdu)

    def test_input_types(self):
        self.assertEqual(velmora.decode(bytearray.fromhex(HELLO)).text, "hello")
        with self.assertRaises(TypeError):
            velmora.decode(12345)
        with self.assertRaises(velmora.DecodeError) as caught:
            velmora.decode(HELLO[:10] + "é" + HELLO[11:])  # a non-ASCII character is not hex
        self.assertEqual((caught.exception.kind, caught.exception.offset), (velmora.Status.NOT_HEX, 5))


if __name__ == "__main__":
    unittest.main()
