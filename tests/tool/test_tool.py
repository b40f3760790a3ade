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


def golden(name):
    with open(os.path.join(GOLDEN, name), encoding="utf-8") as f:
        return f.read()


def expand(word):
    """A word w*N stands for w N times."""
    return word.split("*")[0] * int(word.split("*")[1]) if re.fullmatch(r"\w\*\d+", word) else word


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

    def test_any_text_as_ucs2_read_back_by_others_too(self):
        text = "Привет, мир 👋"
        pdus = encode("--to", "+4915112345678", text)
        rc, messages, _ = decode_json(*pdus)
        self.assertEqual((rc, messages[0]["alphabet"], messages[0]["text"]), (0, "ucs2", text))
        texts = gammu_texts(pdus)
        if texts is None:
            self.skipTest("python3-gammu is not installed for /usr/bin/python3")
        self.assertEqual(texts, [text])


class RunTest(unittest.TestCase):
    def test_vectors(self):
        """tests/vectors/tool_runs.jsonl: arguments and standard input, exit status and output."""
        for row in vector_rows("tool_runs.jsonl"):
            with self.subTest(args=row["args"][:4], stdin=row.get("stdin", "")[:30]):
                rc, out, err = run(*map(expand, row["args"]), stdin=row.get("stdin", ""))
                self.assertEqual((rc, err), (row.get("status", 0), row.get("stderr", "")))
                self.assertEqual(out, row.get("stdout", out))
                self.assertTrue(all(part in out for part in row.get("has", [])), out)
                self.assertFalse(any(part in out for part in row.get("lacks", [])), out)
                self.assertRegex(out, row.get("match", "^"))


class RoundTripTest(unittest.TestCase):
    """encode -> decode gives the text back, cut and joined."""

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

    def test_modem_log(self):
        """A noisy session: log prefixes, unsolicited lines, a text-mode listing, a +CDS without SMSC,
        a corrupt PDU between good ones; directions and the SMSC from each response, parts joined
        once, duplicates ignored."""
        log = os.path.join(VECTORS, "modem_log.txt")
        with open(log, encoding="utf-8") as text:
            rc, out, err = run("decode", stdin=text.read())
        self.assertEqual((rc, out, err), (1, golden("modem_log.txt"), golden("modem_log_errors.txt")))
        rc, out, err = run("decode", "--json", log)
        self.assertEqual((rc, out.replace(log, "modem_log.txt"), err), (1, golden("modem_log.jsonl"), ""))


class ExplainTest(unittest.TestCase):
    def test_annotated_hex(self):
        """tests/vectors/explain.txt: every kind of PDU and failure as annotated hex, against the golden file."""
        with open(os.path.join(VECTORS, "explain.txt"), encoding="utf-8") as rows:
            pdus = "".join(line for line in rows if not line.startswith("#"))
        rc, out, err = run("decode", "--explain", stdin=pdus)
        self.assertEqual(out, golden("explain.txt"))
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
        with open(os.path.join(VECTORS, "tool_errors.tsv"), encoding="utf-8") as rows:
            rows = [line.rstrip("\n").split("\t") for line in rows if not line.startswith("#")]
        for args, stdin, status, message in rows:
            with self.subTest(args=args[:40]):
                rc, _, err = run(*map(expand, args.split()), stdin=stdin and expand(stdin) + "\n")
                self.assertEqual((rc, len(err.splitlines())), (int(status), 1), err)
                self.assertIn(message, err)


if __name__ == "__main__":
    TOOL = sys.argv.pop(1)
    unittest.main(verbosity=1)
