#!/usr/bin/env python3
"""End-to-end tests of the velmora tool: python3 test_tool.py /path/to/velmora"""
import json
import subprocess
import sys
import unittest

TOOL = None
HELLO_DELIVER = "00040B912143658709F100001220413160508005E8329BFD06"
HELLO_3GPP2 = "07812143658709F12102141306051002000205E8329BFD06"


def run(*args, stdin=""):
    p = subprocess.run([TOOL, *args], input=stdin.encode(), capture_output=True, timeout=60)
    return p.returncode, p.stdout.decode(), p.stderr.decode()


def encode(*args, stdin=""):
    rc, out, err = run("encode", *args, stdin=stdin)
    assert rc == 0, err
    return out.split()


def decode_json(*pdus, cdma=False):
    rc, out, err = run("decode", "--json", *(["--cdma"] if cdma else []), *pdus)
    return rc, [json.loads(line) for line in out.splitlines()], err


def swapped(digits):
    digits += "F" * (len(digits) % 2)
    return "".join(digits[i + 1] + digits[i] for i in range(0, len(digits), 2))


def delivered(submit, sender="4915112345678"):
    """What the network hands the receiver for one of our SMS-SUBMIT PDUs."""
    o = bytes.fromhex(submit)
    first, at = o[1], 5 + (o[3] + 1) // 2
    pid, dcs = o[at], o[at + 1]
    user_data = o[at + 3 if first & 0x18 else at + 2:]
    return "00%02X%02X91%s%02X%02X%s" % (0x04 | first & 0x40, len(sender), swapped(sender), pid, dcs,
                                          "12204131605080") + user_data.hex().upper()


def delivered_3gpp2(submit):
    """A 3GPP2 submit turned into the deliver layout: the callback becomes the sender."""
    o = bytes.fromhex(submit)
    callback = 1 + o[0]
    rest = callback + 1 + o[callback]
    return (o[callback:rest].hex() + "210214130605" + o[rest:].hex()).upper()


class EncodeTest(unittest.TestCase):
    def test_vectors(self):
        rows = [
            (["--to", "12345", "hello"], ["00110005812143F50000AA05E8329BFD06"]),
            (["--to", "+4912345", "hello"], ["0011000791942143F50000AA05E8329BFD06"]),
            (["--to", "12345", "--to-type", "0xA1", "hello"], ["00110005A12143F50000AA05E8329BFD06"]),
            (["--cdma", "--to", "12345", "--from", "678", "hello"], ["04812143F5038176F81002000205E8329BFD06"]),
            (["--to", "12345", "--at", "hello"], ["AT+CMGS=16", "00110005812143F50000AA05E8329BFD06"]),
        ]
        for args, expected in rows:
            with self.subTest(args=args):
                self.assertEqual(encode(*args), expected)

    def test_standard_input_loses_only_its_final_line_break(self):
        self.assertEqual(encode("--to", "1", stdin="two words\r\n"), encode("--to", "1", "two", "words"))

    def test_concatenated_parts_and_at_lengths(self):
        lines = encode("--to", "12345", "--reference", "42", "--at", "x" * 400)
        self.assertEqual(len(lines), 6)
        for part, (at, pdu) in enumerate(zip(lines[::2], lines[1::2]), start=1):
            self.assertEqual(at, "AT+CMGS=%d" % (len(pdu) // 2 - 1))
            self.assertIn("0500032A03%02X" % part, pdu)


class RoundTripTest(unittest.TestCase):
    """encode -> network -> decode gives the text back."""

    def test_utf8_text(self):
        for text in ["Grüße aus Köln: 5 € für Straße & Café", "[x] {y} ~^|\\ ¿¡ ÆØÅ ñ @$£¥", "two\nlines"]:
            with self.subTest(text=text):
                rc, messages, _ = decode_json(*map(delivered, encode("--to", "1", text)))
                self.assertEqual((rc, messages[0]["text"]), (0, text))

    def test_split_and_rejoined(self):
        text = "".join("%02d€ ." % i for i in range(80))  # 400 characters, 480 codes
        pdus = [delivered(p) for p in encode("--to", "1", text)]
        self.assertEqual(len(pdus), 4)
        rc, messages, _ = decode_json(*reversed(pdus))
        parts, joined = sorted(messages[:4], key=lambda m: m["part"]), messages[4]
        self.assertEqual([m["part"] for m in parts], [1, 2, 3, 4])
        self.assertEqual("".join(m["text"] for m in parts), text)
        self.assertTrue(parts[1]["text"].startswith("€"))  # the escape pair at the first cut moved whole
        self.assertEqual((rc, joined["joined"], joined["text"], joined["missing"]), (0, True, text, []))
        self.assertEqual(joined["sources"], ["argument 4", "argument 3", "argument 2", "argument 1"])

        rc, messages, _ = decode_json(pdus[0], pdus[2])
        self.assertEqual((messages[-1]["present"], messages[-1]["missing"]), ([1, 3], [2, 4]))
        self.assertEqual(messages[-1]["text"], messages[0]["text"] + messages[1]["text"])
        rc, out, _ = run("decode", pdus[0], pdus[2])
        self.assertIn("parts:     1, 3 of 4, reference", out)
        self.assertIn("; missing 2, 4", out)

    def test_3gpp2(self):
        text = "Prix: 12 € " * 20
        submits = encode("--cdma", "--to", "12345", "--from", "+4930123", text)
        rc, messages, err = decode_json(*map(delivered_3gpp2, submits), cdma=True)
        self.assertEqual((rc, err), (0, ""))
        self.assertEqual(messages[-1]["text"], text)
        self.assertEqual((messages[0]["sender"], messages[0]["sender_type"]), ("4930123", 0x91))
        self.assertEqual((messages[0]["teleservice"], messages[0]["coding"]), (4101, 2))


class DecodeTest(unittest.TestCase):
    DELIVER = "00040B912143658709F1%s12204131605080%s"
    ROWS = [  # PDU, fields expected in its JSON object
        (HELLO_DELIVER, dict(sender="12345678901", sender_type=0x91, time="14/02/21 - 13:06:05", zone="08",
                             utc_offset_minutes=120, coding=0, part=1, parts=1, text="hello")),
        ("07912143658709F1" + HELLO_DELIVER[2:], dict(text="hello")),
        (HELLO_DELIVER.lower(), dict(text="hello")),
        ("00440B912143658709F1000012204131605080090500032A0201D069", dict(reference=42, part=1, parts=2, text="hi")),
        (DELIVER % ("0008", "0A00E900200416D83DDE00"), dict(coding=8, text="é Ж\U0001F600")),
        (DELIVER % ("0008", "04D83D0041"), dict(text="\uFFFDA")),
        (DELIVER % ("0004", "03FF0041"), dict(coding=4, data="FF0041")),
        ("00040AD0E8329BFD0600001220413160508005E8329BFD06", dict(sender="hello", sender_type=0xD0)),
        (HELLO_DELIVER.replace("508005", "508805"), dict(zone="88", utc_offset_minutes=-120)),
    ]

    def test_gsm_fields(self):
        for pdu, fields in self.ROWS:
            with self.subTest(pdu=pdu):
                rc, messages, err = decode_json(pdu)
                self.assertEqual((rc, err), (0, ""))
                self.assertEqual({k: messages[0].get(k) for k in fields}, fields)

    def test_3gpp2_fields(self):
        rc, messages, _ = decode_json(HELLO_3GPP2, cdma=True)
        expected = dict(format="3gpp2", sender="12345678901", teleservice=4098, priority=0, coding=2, text="hello")
        self.assertEqual({k: messages[0].get(k) for k in expected}, expected)

    def test_text_output(self):
        rc, out, _ = run("decode", HELLO_DELIVER)
        self.assertEqual(out, "[argument 1]\nsender:    +12345678901\ntype:      0x91 (international)\n"
                              "time:      14/02/21 - 13:06:05\nzone:      08 (UTC+02:00)\n"
                              "coding:    0x00 (GSM 7-bit)\npart:      1 of 1\ntext:      hello\n")

    def test_modem_log_on_standard_input(self):
        log = "AT+CMGL=4\r\n+CMGL: 1,1,,24\r\n%s\r\n\r\n+CMGL: 2,1,,24\r\n  %s  \r\nOK\r\n" % (
            HELLO_DELIVER, HELLO_DELIVER.lower())
        rc, out, err = run("decode", "--json", stdin=log)
        self.assertEqual((rc, err), (0, ""))
        self.assertEqual([json.loads(l)["source"] for l in out.splitlines()], ["line 3", "line 6"])


class BadInputTest(unittest.TestCase):
    ROWS = [  # arguments, standard input, exit status, the one line on standard error
        (["--frobnicate"], "", 2, "velmora: unknown option '--frobnicate'"),
        (["encode", "--to", "1", "--colour", "x"], "", 2, "unknown option '--colour'"),
        (["encode", "hello"], "", 2, "--to NUMBER is missing"),
        (["encode", "--to"], "", 2, "--to needs a value"),
        (["encode", "--to", "+49-30", "x"], "", 2, "'-' at position 4"),
        (["encode", "--to", "1", "--to-type", "0x100", "x"], "", 2, "not a type-of-address octet"),
        (["encode", "--cdma", "--to", "1", "x"], "", 2, "--from NUMBER"),
        (["encode", "--to", "1", "façade"], "", 1, "'ç' (U+00E7) at position 3 cannot be carried"),
        (["encode", "--to", "1", "a`b"], "", 1, "'`' (U+0060) at position 2"),
        (["encode", "--to", "1", "ok ✓"], "", 1, "'✓' (U+2713) at position 4"),
        (["encode", "--to", "1"], "\x1b\n", 1, "U+001B at position 1"),
        (["encode", "--to", "1"], "", 1, "the message is empty"),
        (["encode", "--to", "1", "€" * 460], "", 1, "needs 920 GSM 7-bit codes; at most 918"),
        (["encode", "--to", "1", "x" * 152 + "[" + "x" * 764], "", 1, "need more than 6 parts"),
        (["encode", "--cdma", "--to", "1" * 11, "--from", "1" * 11, "x" * 160], "", 1, "about 18 digits"),
        (["decode", "--xml"], "", 2, "unknown option '--xml'"),
        (["decode", "0004"[:3]], "", 1, "argument 1: odd number of hex digits (3)"),
        (["decode", "00G4"], "", 1, "argument 1: not a hex digit: 'G' at column 3"),
        (["decode", HELLO_DELIVER[:-4]], "", 1, "argument 1: PDU ends early at column 41: 5 octet(s) of user data expected, 3 left"),
        (["decode", HELLO_DELIVER + "00"], "", 1, "1 octet(s) after the user data, at column 51"),
        (["decode", "0011000B"], "", 1, "marks an SMS-SUBMIT"),
        (["decode", HELLO_DELIVER.replace("F10000", "F100F1")], "", 1, "unsupported data coding scheme 0xF1"),
        (["decode", HELLO_DELIVER[:-12] + "00"], "", 1, "the library decoded no text"),
        (["decode", "--cdma", "00" + HELLO_3GPP2[2:]], "", 1, "address length at column 1 is 0"),
        (["decode", "--cdma", HELLO_3GPP2.replace("10020002", "10020001")], "", 1, "unsupported message encoding 1"),
        (["decode"], "0" * 100000 + "\n", 1, "line 1: more than 4096 characters"),
    ]

    def test_each_class(self):
        for args, stdin, status, message in self.ROWS:
            with self.subTest(args=args[:3]):
                rc, _, err = run(*args, stdin=stdin)
                self.assertEqual(rc, status)
                self.assertEqual(len(err.splitlines()), 1, err)
                self.assertIn(message, err)

    def test_other_inputs_still_decoded(self):
        lines = [HELLO_DELIVER, "ZZ", HELLO_DELIVER[:-1], "", HELLO_DELIVER]
        rc, out, err = run("decode", "--json", stdin="\n".join(lines) + "\n")
        self.assertEqual(rc, 1)
        self.assertEqual([json.loads(l)["source"] for l in out.splitlines()], ["line 1", "line 5"])
        self.assertEqual([e.split(":")[1] for e in err.splitlines()], [" line 2", " line 3"])


class HelpTest(unittest.TestCase):
    def test_help_and_version(self):
        for args in (["--help"], ["encode", "--help"], ["decode", "-h"]):
            rc, out, _ = run(*args)
            self.assertEqual((rc, out.startswith("Usage: velmora encode")), (0, True))
        self.assertEqual(run("--version"), (0, "velmora 2.0.0\n", ""))


if __name__ == "__main__":
    TOOL = sys.argv.pop(1)
    unittest.main(verbosity=1)
