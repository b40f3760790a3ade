#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""End-to-end tests of the velmora tool: python3 test_tool.py /path/to/velmora"""
import json
import os
import re
import subprocess
import sys
import unittest

TOOL = None
VECTORS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "vectors")
GOLDEN = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "golden")
HELLO_DELIVER = "00040B912143658709F100001220413160508005E8329BFD06"


def run(*args, stdin=""):
    p = subprocess.run([TOOL, *args], input=stdin.encode(), capture_output=True, timeout=60)
    return p.returncode, p.stdout.decode(), p.stderr.decode()


def encode(*args, stdin=""):
    rc, out, err = run("encode", *args, stdin=stdin)
    assert rc == 0, err
    return out.split()


def vector_rows(*names):
    """The JSON objects of tests/vectors/NAME..., comment lines left out."""
    rows = []
    for name in names:
        with open(os.path.join(VECTORS, name), encoding="utf-8") as f:
            rows += [json.loads(line) for line in f if line.strip() and not line.startswith("#")]
    return rows


def decode_json(*pdus, cdma=False):
    rc, out, err = run("decode", "--json", *(["--cdma"] if cdma else []), *pdus)
    return rc, [json.loads(line) for line in out.splitlines()], err


def delivered_3gpp2(submit):
    """A 3GPP2 submit turned into the deliver layout: the callback becomes the sender."""
    o = bytes.fromhex(submit)
    callback = 1 + o[0]
    rest = callback + 1 + o[callback]
    return (o[callback:rest].hex() + "210214130605" + o[rest:].hex()).upper()


def gammu_texts(pdus):
    """The texts Gammu (python3-gammu, Debian's python) reads in SMS-SUBMIT PDUs; None without it."""
    script = ("import binascii, gammu, sys\n"
              "for pdu in sys.argv[1:]: print(gammu.DecodePDU(binascii.unhexlify(pdu))['Text'])")
    try:
        p = subprocess.run(["/usr/bin/python3", "-c", script, *pdus], capture_output=True, timeout=60)
    except OSError:
        return None
    return p.stdout.decode().splitlines() if p.returncode == 0 else None


class EncodeTest(unittest.TestCase):
    def test_vectors(self):
        """tests/vectors/tool_encode.jsonl: the lines printed, or each option read back from its SMS-SUBMIT."""
        for row in vector_rows("tool_encode.jsonl"):
            with self.subTest(row=row):
                if "lines" in row:
                    self.assertEqual(encode(*row["args"]), row["lines"])
                    continue
                fields = row["fields"]
                rc, messages, err = decode_json(*encode("--to", "12345", *row["options"], *filter(None, [row["text"]])))
                self.assertEqual((rc, err), (0, ""))
                self.assertEqual({k: messages[0].get(k) for k in fields}, fields)


    def test_standard_input_loses_only_its_final_line_break(self):
        self.assertEqual(encode("--to", "1", stdin="two words\r\n"), encode("--to", "1", "two", "words"))

    def test_parts_and_at_lengths(self):
        lines = encode("--to", "12345", "--reference", "42", "--at", "x" * 400)
        self.assertEqual(len(lines), 6)
        for part, (at, pdu) in enumerate(zip(lines[::2], lines[1::2]), start=1):
            self.assertEqual(at, "AT+CMGS=%d" % (len(pdu) // 2 - 1))
            self.assertIn("0500032A03%02X" % part, pdu)

    def test_any_text_as_ucs2_read_back_by_others_too(self):
        text = "Привет, мир 👋"
        pdus = encode("--to", "+4915112345678", text)
        rc, messages, _ = decode_json(*pdus)
        self.assertEqual((rc, messages[0]["alphabet"], messages[0]["text"]), (0, "ucs2", text))
        texts = gammu_texts(pdus)
        if texts is None:
            self.skipTest("python3-gammu is not installed for /usr/bin/python3")
        self.assertEqual(texts, [text])

    def test_count(self):
        rc, out, _ = run("count", "--json", "--languages", "turkish", "Çok güzel: ğ ı ş")
        self.assertEqual(json.loads(out), dict(alphabet="gsm7", parts=1, units_per_part=155, units_used=16,
                                               units_left=139, locking_shift=1))
        rc, out, _ = run("count", "x" * 161)
        self.assertEqual(out, "alphabet:   gsm7\nparts:      2\nper part:   153\nused:       161\nleft:       145\n")


class RoundTripTest(unittest.TestCase):
    """encode -> decode gives the text back, cut and joined."""

    def test_utf8_text(self):
        for text in ["Grüße aus Köln: 5 € für Straße & Café", "[x] {y} ~^|\\ ¿¡ ÆØÅ ñ @$£¥", "two\nlines", "façade"]:
            with self.subTest(text=text):
                rc, messages, _ = decode_json(*encode("--to", "1", text))
                self.assertEqual((rc, messages[0]["text"]), (0, text))

    def test_split_and_rejoined(self):
        text = "".join("%02d€ ." % i for i in range(80))  # 400 characters, 480 septets
        pdus = encode("--to", "1", text)
        self.assertEqual(len(pdus), 4)
        rc, messages, _ = decode_json(*reversed(pdus))
        parts, joined = sorted(messages[:4], key=lambda m: m["part"]), messages[4]
        self.assertEqual("".join(m["text"] for m in parts), text)
        self.assertTrue(parts[1]["text"].startswith("€"))  # the escape pair at the first cut moved whole
        self.assertEqual((rc, joined["text"], joined["parts_present"], joined["parts_missing"]),
                         (0, text, [1, 2, 3, 4], []))
        self.assertEqual(joined["sources"], ["argument 4", "argument 3", "argument 2", "argument 1"])
        rc, messages, _ = decode_json(pdus[0], pdus[2])
        self.assertEqual((messages[-1]["parts_present"], messages[-1]["parts_missing"]), ([1, 3], [2, 4]))
        self.assertEqual(messages[-1]["text"], messages[0]["text"] + messages[1]["text"])

    def test_3gpp2(self):
        for text in ["Prix: 12 € " * 20, "Привет " * 20]:
            with self.subTest(text=text[:10]):
                submits = encode("--cdma", "--to", "12345", "--from", "+4930123", text)
                rc, messages, err = decode_json(*map(delivered_3gpp2, submits), cdma=True)
                self.assertEqual((rc, err, messages[-1]["text"]), (0, "", text))
                self.assertEqual((messages[0]["sender"], messages[0]["teleservice"]), ("+4930123", 4101))


class DecodeTest(unittest.TestCase):
    def test_vectors(self):
        """tests/vectors/decode*.jsonl: a PDU, the tool's options, and the
        JSON object or the failure, an object at its place in the stream."""
        for row in vector_rows("decode.jsonl", "decode_flags.jsonl", "decode_warnings.jsonl"):
            with self.subTest(pdu=row["pdu"], args=row.get("args")):
                rc, messages, err = decode_json(*row.get("args", []), row["pdu"])
                self.assertEqual(err, "")  # a part is followed by its message joined as far as it goes
                self.assertEqual(messages[0].pop("source"), "argument 1")
                if "json" in row:
                    self.assertEqual((rc, messages[0]), (0, row["json"]))
                else:
                    error = messages[0]["error"]
                    where = " at octet offset %d (%s)" % (error["offset"], error["field"])
                    self.assertEqual((rc, error["message"]), (1, row["error"]))
                    self.assertTrue(error["message"].endswith(where), error)

    def test_warnings_and_strict_as_people_read_them(self):
        rc, out, err = run("decode", "0006230E9126983575169498610103409544C26101034095448200")
        self.assertEqual((rc, err), (0, ""))
        self.assertIn("warning:    time at octet offset 18 (TP-SCTS)\n", out)
        self.assertNotIn("\ntime:", out)
        rc, out, err = run("decode", "--strict", "0006230E9126983575169498610103409544C26101034095448200")
        self.assertEqual((rc, out, err), (1, "", "velmora: argument 1: field value invalid at octet offset 18 (TP-SCTS)\n"))

    def test_modem_log(self):
        """A noisy session: log prefixes, unsolicited lines, a text-mode listing, a +CDS without SMSC,
        a corrupt PDU between good ones; directions and the SMSC from each response, parts joined
        once, duplicates ignored."""
        log = os.path.join(VECTORS, "modem_log.txt")
        with open(log, encoding="utf-8") as text:
            rc, out, err = run("decode", stdin=text.read())
        with open(os.path.join(GOLDEN, "modem_log.txt"), encoding="utf-8") as golden:
            self.assertEqual(out, golden.read())
        self.assertEqual((rc, err.splitlines()), (1, [
            "velmora: line 17: not hexadecimal at octet offset 15 (TP-OA)",  # the corrupt PDU
            "velmora: line 21: unsupported message type at octet offset 8 (TP-MTI)",  # DELIVER stored as unsent
            "velmora: line 25: PDU ends early at octet offset 0 (PDU)",  # the +CMGL of line 24 has none
            "velmora: line 37: unsupported message type at octet offset 1 (TP-MTI)",  # SUBMIT-REPORT after +CMT
            "velmora: line 41: text-mode listing: set AT+CMGF=0 for PDUs"]))
        rc, out, err = run("decode", "--json", log)
        stream = [json.loads(line) for line in out.splitlines()]
        self.assertEqual((rc, err), (1, ""))
        self.assertEqual([(m["source"], m.get("index"), m.get("storage"), "error" in m) for m in stream[:6]], [
            (log + " line 9", 1, "REC READ", False), (log + " line 11", 2, "STO SENT", False),
            (log + " line 13", 3, "REC UNREAD", False), (log + " line 15", 4, "REC UNREAD", False),
            (log + " line 17", None, None, True), (log + " line 19", 6, "REC UNREAD", False)])
        self.assertEqual(stream[4]["error"], {"status": 2, "message": "not hexadecimal at octet offset 15 (TP-OA)",
                                              "offset": 15, "field": "TP-OA"})
        self.assertEqual(stream[8]["warnings"], [{"warning": "length", "offset": 0, "field": "<length>"}])
        self.assertEqual([m for m in stream if "sent" in m or "modem_error" in m], [
            {"source": log + " line 52", "sent": {"message_reference": 35}},
            {"source": log + " line 55", "modem_error": {"code": 322, "message": "memory full"}}])

    def test_length_says_whether_an_smsc_leads(self):
        """<length> counts the TPDU: the same octets read with and without an SMSC; --strict refuses a mismatch."""
        tpdu = HELLO_DELIVER[2:]
        for lines, smsc in [(["+CMT: ,24", tpdu], None), (["+CMT: ,24", "00" + tpdu], None),
                            (["+CMT: ,24", "07912143658709F1" + tpdu], "+12345678901")]:
            with self.subTest(lines=lines):
                rc, out, err = run("decode", "--json", stdin="\n".join(lines) + "\n")
                message = json.loads(out)
                self.assertEqual((rc, err, message.get("smsc"), message["text"]), (0, "", smsc, "hello"))
        rc, out, err = run("decode", "--strict", stdin="+CMT: ,30\n00" + tpdu + "\n")
        self.assertEqual((rc, out, err), (1, "", "velmora: line 2: PDU length differs from the <length> of its "
                                                 "modem line at octet offset 0 (<length>)\n"))


class ExplainTest(unittest.TestCase):
    def test_annotated_hex(self):
        """tests/vectors/explain.txt: every kind of PDU and failure as annotated hex, against the golden file."""
        with open(os.path.join(VECTORS, "explain.txt"), encoding="utf-8") as rows:
            pdus = "".join(line for line in rows if not line.startswith("#"))
        rc, out, err = run("decode", "--explain", stdin=pdus)
        with open(os.path.join(GOLDEN, "explain.txt"), encoding="utf-8") as golden:
            self.assertEqual(out, golden.read())
        self.assertEqual((rc, len(err.splitlines())), (1, 4))

    def test_fields_cover_each_octet_once(self):
        """decode.jsonl: the top-level fields follow each other without gap or overlap up to the PDU's
        end or its failure, parts lie inside their field, and the JSON keeps the tool's other keys."""
        for row in vector_rows("decode.jsonl"):
            with self.subTest(pdu=row["pdu"]):
                rc, out, _ = run("decode", "--json", "--explain", *row.get("args", []), row["pdu"])
                message = json.loads(out.splitlines()[0])
                fields = message.pop("fields")
                at, parent = 0, {"offset": 0}
                for f in fields:
                    if f.get("error"):  # inside the field read last, or in the one that failed
                        self.assertTrue(parent["offset"] <= f["offset"] <= len(row["pdu"]) // 2, f)
                        self.assertIs(f, fields[-1])
                        continue
                    if f.get("level"):
                        self.assertTrue(parent["offset"] <= f["offset"] <= f["offset"] + f["length"]
                                        <= parent["offset"] + parent["length"], f)
                        continue
                    self.assertEqual(f["offset"], at, f)
                    parent, at = f, f["offset"] + f["length"]
                if "json" in row:
                    self.assertEqual((rc, at), (0, len(row["pdu"]) // 2))
                    message.pop("source")
                    self.assertEqual(message, row["json"])
                else:
                    self.assertEqual((rc, fields[-1].get("error")), (1, True))
                    self.assertIn(fields[-1]["name"], row["error"])


class BadInputTest(unittest.TestCase):
    def test_each_class(self):
        """tests/vectors/tool_errors.tsv: arguments, standard input, exit status, the one line on standard error."""
        def expand(word):
            return word.split("*")[0] * int(word.split("*")[1]) if re.fullmatch(r"\w\*\d+", word) else word
        with open(os.path.join(VECTORS, "tool_errors.tsv"), encoding="utf-8") as rows:
            rows = [line.rstrip("\n").split("\t") for line in rows if not line.startswith("#")]
        for args, stdin, status, message in rows:
            with self.subTest(args=args[:40]):
                rc, _, err = run(*map(expand, args.split()), stdin=stdin and expand(stdin) + "\n")
                self.assertEqual((rc, len(err.splitlines())), (int(status), 1), err)
                self.assertIn(message, err)

    def test_other_inputs_still_decoded(self):
        """Failures take their place in the JSON stream; a line that is no PDU and follows no response is skipped."""
        lines = [HELLO_DELIVER, "ZZ", HELLO_DELIVER[:-1], "", HELLO_DELIVER]
        rc, out, err = run("decode", "--json", stdin="\n".join(lines) + "\n")
        self.assertEqual((rc, err), (1, ""))
        stream = [json.loads(line) for line in out.splitlines()]
        self.assertEqual([(m["source"], "error" in m) for m in stream],
                         [("line 1", False), ("line 3", True), ("line 5", False)])


class HelpTest(unittest.TestCase):
    def test_help_and_version(self):
        for args in (["--help"], ["encode", "--help"], ["decode", "-h"]):
            rc, out, _ = run(*args)
            self.assertEqual((rc, out.startswith("Usage: velmora encode")), (0, True))
        self.assertEqual(run("count", "-h")[1], run("--help")[1])
        rc, out, err = run("--version")  # the number itself: tests/install/install_test.cmake
        self.assertEqual((rc, err), (0, ""))
        self.assertRegex(out, r"^velmora [0-9]+\.[0-9]+\.[0-9]+\n\Z")


if __name__ == "__main__":
    TOOL = sys.argv.pop(1)
    unittest.main(verbosity=1)
