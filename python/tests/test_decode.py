# SPDX-License-Identifier: Apache-2.0
"""velmora.decode and decode_lines against the PDUs of tests/vectors/decode.jsonl and the JSON the tool
prints for them; times, errors and the bulk path."""
import copy
import dataclasses
import datetime
import json
import os
import pathlib
import pickle
import re
import tempfile
import unittest

import velmora

VECTORS = os.environ.get("VELMORA_TEST_VECTORS",
                         os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "vectors"))
HELLO = "07912143658709F1040B912143658709F100001220413160508005E8329BFD06"


def vector_rows():
    lines = [line for name in ("decode.jsonl", "decode_flags.jsonl", "decode_strings.jsonl", "decode_warnings.jsonl")
             for line in pathlib.Path(VECTORS, name).read_text("utf-8").splitlines()]
    return [json.loads(line) for line in lines if line.strip() and line[0] != "#"]


def as_json(message):
    """A Message's fields as the tool's JSON gives them: absent or false left out, "class" for message_class."""
    def value(v):
        if isinstance(v, (datetime.datetime, bytes)):
            return v.hex().upper() if isinstance(v, bytes) else v.isoformat()
        if isinstance(v, tuple):
            return [value(item) for item in v]
        if dataclasses.is_dataclass(v):
            return {k: value(item) for k, item in dataclasses.asdict(v).items() if item is not None}
        return v
    return {{"message_class": "class"}.get(k, k): value(v) for k, v in message.as_dict().items()
            if v is not None and v is not False and v != {} and k != "raw_times" and (k, v) != ("warnings", ())}


def keywords(row):
    args = row.get("args", [])
    return {"smsc": "--no-smsc" not in args, "cdma": "--cdma" in args, "strict": "--strict" in args}


class VectorTest(unittest.TestCase):
    def test_fields_equal_the_tools_json_from_hex_octets_and_lower_case(self):
        rows = [r for r in vector_rows() if "json" in r]
        self.assertGreater(len(rows), 40)
        for row in rows:
            with self.subTest(pdu=row["pdu"]):
                m = velmora.decode(row["pdu"], **keywords(row))
                self.assertEqual(as_json(m), row["json"])
                self.assertEqual(velmora.decode(bytes.fromhex(row["pdu"]), **keywords(row)), m)
                self.assertEqual(velmora.decode(f" {row['pdu'].lower()}\r\n", **keywords(row)), m)

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
                self.assertIsInstance(e, velmora.Error)
                self.assertIsInstance(e, ValueError)

    def test_lines_of_a_file_decode_alike_and_errors_do_not_stop_them(self):
        rows = [r for r in vector_rows() if "args" not in r]
        with tempfile.TemporaryFile("w+b") as f:
            f.write(b"\n".join(r["pdu"].encode() + b"\r" for r in rows) + b"\n\n")
            f.seek(0)
            out = list(velmora.decode_lines(f))
            f.seek(0)
            as_str = velmora.decode_lines(line.decode() + "  " for line in f)
            self.assertEqual([str(m) for m in as_str], [str(m) for m in out])
        self.assertEqual(len(out), len(rows))
        for number, (row, got) in enumerate(zip(rows, out), 1):
            with self.subTest(pdu=row["pdu"]):
                if "json" in row:
                    self.assertEqual(got, velmora.decode(row["pdu"]))
                else:
                    self.assertIsInstance(got, velmora.DecodeError)
                    self.assertEqual((str(got), got.line, got.pdu), (f"line {number}: {row['error']}", number,
                                                                      row["pdu"]))


class DecodeTest(unittest.TestCase):
    def test_times(self):
        gsm = velmora.decode(HELLO)
        self.assertEqual(gsm.time, datetime.datetime(2021, 2, 14, 11, 6, 5, tzinfo=datetime.timezone.utc))
        self.assertEqual((gsm.time.utcoffset(), gsm.raw_times, gsm.warnings), (datetime.timedelta(hours=2), {}, ()))
        cdma = velmora.decode("07812143658709F12102141306051002000205E8329BFD06", cdma=True).time
        self.assertEqual((cdma, cdma.tzinfo), (datetime.datetime(2021, 2, 14, 13, 6, 5), None))
        # month 13 and February 30: no datetime, a warning, the octets kept
        for stamp in ["12314131605080", "12200331605080"]:
            m = velmora.decode(HELLO.replace("12204131605080", stamp))
            self.assertEqual((m.time, m.raw_times, m.text), (None, {"time": bytes.fromhex(stamp)}, "hello"))
            self.assertEqual([(w.warning, w.field) for w in m.warnings], [("time", "TP-SCTS")])

    def test_input_types(self):
        ucs2_nul = HELLO[:36] + "08" + HELLO[38:52] + "06006100000062"  # U+0000 inside UCS-2 text
        inputs = [bytearray.fromhex(HELLO), ucs2_nul, memoryview(bytes.fromhex(HELLO))]
        self.assertEqual([velmora.decode(pdu).text for pdu in inputs], ["hello", "a\x00b", "hello"])
        self.assertRaises(TypeError, velmora.decode, 12345)
        with self.assertRaises(velmora.DecodeError) as caught:
            velmora.decode(HELLO[:10] + "é" + HELLO[11:])  # a non-ASCII character is not hex
        self.assertEqual((caught.exception.kind, caught.exception.offset), (velmora.Status.NOT_HEX, 5))
        hint = "ASCII hex digits, pass the hex as str or bytes.fromhex(...)"
        for hex_bytes, hinted in [(HELLO.encode(), True), (HELLO[16:].encode() + b"\r\n", True),
                                  (b"\x07\x91", False)]:
            with self.subTest(pdu=hex_bytes), self.assertRaises(velmora.DecodeError) as caught:
                velmora.decode(hex_bytes, smsc=not hex_bytes.endswith(b"\n"))
            self.assertEqual(hint in str(caught.exception), hinted)

    def test_message_is_a_value(self):
        m, again = velmora.decode(HELLO), velmora.decode(HELLO.lower())
        self.assertEqual((m, hash(m)), (again, hash(again)))
        self.assertNotEqual(m, velmora.decode(HELLO[:-2] + "07"))
        self.assertEqual((len({m, again}), pickle.loads(pickle.dumps(m)), copy.deepcopy(m)), (1, m, m))
        self.assertTrue(repr(m).startswith("Message(format='gsm', type='deliver', smsc='+12345678901'"), repr(m))
        with self.assertRaises(AttributeError):
            m.text = "changed"
        with self.assertRaises(TypeError):
            velmora.Message()


class ModemOutputTest(unittest.TestCase):
    def test_the_noisy_session_as_the_tool_shows_it(self):
        """tests/vectors/modem_log.txt: each message, joined message and failure with the index, storage
        and text that the tool's output (tests/golden/modem_log.txt) gives it, in its order."""
        with open(os.path.join(VECTORS, "modem_log.txt"), encoding="utf-8") as f:
            entries = list(velmora.read_modem_output(f.read()))
        with open(os.path.join(VECTORS, "..", "golden", "modem_log.txt"), encoding="utf-8") as f:
            blocks = [{line.partition(":")[0]: line[12:] for line in b.splitlines()} for b in f.read().split("\n\n")]
        shown = [(None,) * 3 if e.message is None else (None if e.index is None else str(e.index), e.storage,
                                                         e.message.text)
                 for e in entries if e.message is not None or (e.message_reference, e.cms_error) != (None, None)]
        self.assertEqual(shown, [(b.get("index"), b.get("storage"), b.get("text")) for b in blocks])
        self.assertTrue(any(e.error is not None and e.error.kind == velmora.Status.TEXT_MODE for e in entries))
        self.assertEqual([(e.cms_error, e.cms_error_text) for e in entries if e.cms_error is not None][-2:],
                         [(314, "SIM busy"), (-1, "Invalid number format (incomplete number)")])
