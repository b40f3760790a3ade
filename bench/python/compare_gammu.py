# SPDX-License-Identifier: Apache-2.0
"""The velmora package against python-gammu, side by side in one process.

    VELMORA_LIBRARY=build/bench/libvelmora-sms.so.1 PYTHONPATH=python \\
        /usr/bin/python3 bench/python/compare_gammu.py [--rounds 7] [--lines 1000000]

Each workload first checks that both sides give the same text (or PDUs that decode to
the same text and number), then runs both in alternating rounds on process CPU time and
prints the best round per call and the ratio. The bulk line decodes a file of PDU lines
with velmora.decode_lines, every message's text read.
"""
import argparse
import os
import sys
import tempfile
import time

import gammu
import velmora

SMSC, SENDER, SCTS = "07912143658709F1", "0B912143658709F1", "12204131605080"
PROSE = ("Meet me at Gate 12 at 18:45, bring 2 tickets (35 each) and the blue folder. "
         "Trains leave every 20 minutes; if you are late, call +44 7700 900123! Reply YES or NO? ")
GSM_TEXT = (PROSE * 2)[:160]
UCS2_TEXT = "".join(" " if i % 7 == 6 else chr(0x410 + (i * 5) % 48) for i in range(70))


def deliver(text):
    """An SMS-DELIVER of the text: velmora encodes the user data, the header is laid here."""
    submit = velmora.encode(text, "1", validity="none")[0].hex  # 00 01 00 01 81 F1 PID DCS UDL UD
    return SMSC + "04" + SENDER + "00" + submit[14:16] + SCTS + submit[16:]


def gammu_decode(pdu):
    return gammu.DecodePDU(bytes.fromhex(pdu))["Text"]


def gammu_encode(text, number):
    parts = gammu.EncodeSMS({"Entries": [{"ID": "ConcatenatedTextLong", "Buffer": text}]})
    pdus = []
    for part in parts:
        part["Number"], part["SMSC"] = number, {"Location": 0, "Number": ""}
        pdus.append(gammu.EncodePDU(part).hex().upper())
    return pdus


def per_call(function, argument, calls):
    start = time.process_time()
    for _ in range(calls):
        function(argument)
    return (time.process_time() - start) / calls


def compare(name, ours, theirs, argument, rounds, calls):
    best_ours = best_theirs = float("inf")
    for _ in range(rounds):  # alternating, so that both sides see the same machine
        best_ours = min(best_ours, per_call(ours, argument, calls))
        best_theirs = min(best_theirs, per_call(theirs, argument, calls))
    print(f"| {name} | {best_ours * 1e6:.2f} µs | {best_theirs * 1e6:.2f} µs | {best_theirs / best_ours:.1f}x |")


def bulk(lines, rounds):
    texts = [GSM_TEXT, UCS2_TEXT, "hello"]
    pdus = [deliver(t) for t in texts]
    with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False) as f:
        for i in range(lines):
            f.write(pdus[i % len(pdus)] + "\n")
    expected = sum(len(texts[i % len(texts)]) for i in range(lines))
    try:
        best = float("inf")
        for _ in range(rounds):
            start = time.process_time()
            with open(f.name, "rb") as file:
                read = sum(len(m.text) for m in velmora.decode_lines(file))
            best = min(best, time.process_time() - start)
        assert read == expected, (read, expected)
        print(f"| velmora.decode_lines: {lines} lines from a file, every text read | {best:.2f} s | | |")
    finally:
        os.unlink(f.name)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--rounds", type=int, default=7)
    parser.add_argument("--calls", type=int, default=20000)
    parser.add_argument("--lines", type=int, default=1_000_000)
    args = parser.parse_args()

    gsm, ucs2 = deliver(GSM_TEXT), deliver(UCS2_TEXT)
    for pdu, text in ((gsm, GSM_TEXT), (ucs2, UCS2_TEXT)):
        assert velmora.decode(pdu).text == gammu_decode(pdu) == text
    ours = [velmora.decode(p.hex) for p in velmora.encode(GSM_TEXT, "+4912345")]
    theirs = [velmora.decode(p) for p in gammu_encode(GSM_TEXT, "+4912345")]
    assert [(m.text, m.recipient) for m in ours] == [(m.text, m.recipient) for m in theirs] == [(GSM_TEXT, "+4912345")]

    print(f"Python {sys.version.split()[0]}, velmora {velmora.__version__} (libvelmora-sms "
          f"{velmora.library_version}), python-gammu {gammu.Version()[0]}; best of {args.rounds} rounds, "
          f"process CPU time")
    print("| Workload | velmora | python-gammu | gammu / velmora |")
    print("|---|---|---|---|")
    compare("decode: 160-character GSM 7-bit SMS-DELIVER, with its text", lambda p: velmora.decode(p).text,
            gammu_decode, gsm, args.rounds, args.calls)
    compare("decode: 70-character UCS-2 SMS-DELIVER, with its text", lambda p: velmora.decode(p).text,
            gammu_decode, ucs2, args.rounds, args.calls)
    compare("encode: 160 GSM characters to PDU hex (gammu: EncodeSMS + EncodePDU)",
            lambda t: velmora.encode(t, "+4912345"), lambda t: gammu_encode(t, "+4912345"), GSM_TEXT,
            args.rounds, args.calls // 4)
    bulk(args.lines, min(args.rounds, 3))


if __name__ == "__main__":
    main()
