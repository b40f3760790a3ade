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
    """A word w*N (a line break after it kept) stands for w N times."""
    m = re.fullmatch(r"(\w)\*(\d+)(\n?)", word)
    return m[1] * int(m[2]) + m[3] if m else word


def decode_json(*pdus, cdma=False):
    rc, out, err = run("decode", "--json", *(["--cdma"] if cdma else []), *pdus)
    return rc, [json.loads(line) for line in out.splitlines()], err


def gammu_texts(pdus):
    """The texts Gammu (python3-gammu, Debian's python) reads in SMS-SUBMIT PDUs; None without it."""
    script = ("import binascii, gammu, sys\n"
              "for pdu in sys.argv[1:]: print(gammu.DecodePDU(binascii.unhexlify(pdu))['Text'])")
    try:
        p = subprocess.run(["/usr/bin/python3", "-c", script, *pdus], capture_output=True, timeout=60)
    except OSError:
        return None
    return p.stdout.decode().splitlines() if p.returncode == 0 else None


class ToolTest(unittest.TestCase):
    def test_encode_vectors(self):
        """tests/vectors/tool_encode.jsonl: the lines printed, or each option read back from its SMS-SUBMIT."""
        for row in vector_rows("tool_encode.jsonl"):
            with self.subTest(row=row):
                if "lines" in row:
                    self.assertEqual(encode(*row["args"]), row["lines"])
                    continue
                fields = row["fields"]
                pdus = encode("--to", "12345", *row["options"], *filter(None, [row["text"]]))
                rc, messages, err = decode_json(*pdus, cdma="--cdma" in row["options"])
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

    def test_runs(self):
        """tests/vectors/tool_runs.jsonl: arguments and standard input, exit status and output or refusal."""
        for row in vector_rows("tool_runs.jsonl"):
            with self.subTest(args=row["args"][:4], stdin=row.get("stdin", "")[:30]):
                rc, out, err = run(*map(expand, row["args"]), stdin=expand(row.get("stdin", "")))
                self.assertEqual(rc, row.get("status", 0))
                if "error" in row:  # the one line on standard error holds it
                    self.assertEqual((len(err.splitlines()), row["error"] in err), (1, True), err)
                    continue
                self.assertEqual(err, row.get("stderr", ""))
                self.assertEqual(out, row.get("stdout", out))
                self.assertTrue(all(part in out for part in row.get("has", [])), out)
                self.assertFalse(any(part in out for part in row.get("lacks", [])), out)
                self.assertRegex(out, row.get("match", "^"))

    def test_decode_vectors(self):
        """tests/vectors/decode*.jsonl: a PDU, the tool's options, and the
        JSON object or the failure, an object at its place in the stream."""
        for row in vector_rows("decode.jsonl", "decode_flags.jsonl", "decode_strings.jsonl", "decode_warnings.jsonl"):
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
        once, duplicates ignored; +CMS ERROR as a number and in words."""
        log = os.path.join(VECTORS, "modem_log.txt")
        with open(log, encoding="utf-8") as text:
            rc, out, err = run("decode", stdin=text.read())
        self.assertEqual((rc, out, err), (1, golden("modem_log.txt"), golden("modem_log_errors.txt")))
        rc, out, err = run("decode", "--json", log)
        self.assertEqual((rc, out.replace(log, "modem_log.txt"), err), (1, golden("modem_log.jsonl"), ""))

    def test_annotated_hex(self):
        """tests/vectors/explain.txt: every kind of PDU and failure as annotated hex, against the golden file."""
        with open(os.path.join(VECTORS, "explain.txt"), encoding="utf-8") as rows:
            pdus = "".join(line for line in rows if not line.startswith("#"))
        rc, out, err = run("decode", "--explain", stdin=pdus)
        self.assertEqual(out, golden("explain.txt"))
        self.assertEqual((rc, len(err.splitlines())), (1, 4))

if __name__ == "__main__":
    TOOL = sys.argv.pop(1)
    unittest.main(verbosity=1)
