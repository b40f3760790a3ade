#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""Writes fuzz/corpus/<target>/ from tests/vectors, each case an input in its target's layout
(the arguments first, little-endian, then the payload). Run again after changing either."""
import hashlib
import pathlib
import shutil
import struct

FUZZ = pathlib.Path(__file__).resolve().parent


def rows(name):  # the fields of each case, and its key=value options
    for line in (FUZZ.parent / "tests" / "vectors" / name).read_text(encoding="latin-1").splitlines():
        if line and line[0] not in "#@":
            fields = line.split("\t")
            yield fields, dict(f.split("=", 1) for f in fields if "=" in f)


def notation(text):  # hex, RUN*count and "text" tokens, as the runners read them
    out = b""
    for token in text.split():
        unit, _, count = (token, "", "") if token[0] == '"' else token.partition("*")
        out += (unit[1:-1].encode("latin-1") if token[0] == '"' else bytes.fromhex(unit)) * int(count or 1)
    return out


def record(fmt, text, options):  # the layout read_case() of encode_pdus_fuzzer.cpp reads
    def number(digits):  # length, type, 32 digit bytes
        return struct.pack("<BB", len(digits), 0x81) + bytes(int(c) for c in digits).ljust(32, b"\0")
    part = [int(options.get(key, "0"), 0) & 0xFF for key in ("part_no", "part_count", "ref")]
    return (struct.pack("<BBBI", 0x80 if "trace" in options else 0, 0, 3 if fmt < 0 else fmt, fmt & 0xFFFFFFFF)
            + number(options.get("dst_telnum", "12345")) + number(options.get("telnum", "678"))
            + struct.pack("<HIHBBB", 0, 0, int(options.get("out", 322)), part[0], part[1] % 8, part[2]) + text)


def corpus():
    for (decoder, pdu, *_), _ in rows("decode.tsv"):
        yield "decode_pdu" if decoder == "gsm" else "decode_3gpp2_pdu", pdu.encode()
    for (op, data, args, *_), options in rows("codecs.tsv"):
        a, data, traced = [int(x) for x in args.split()], notation(data), "trace" in options
        if op == "parse":  # capacity, length choice, debug
            yield "bytestr_to_hexarray", struct.pack("<HHB", a[1], a[0], traced) + data
        elif op == "decode7":  # fill, count, capacity
            yield "decode7", struct.pack("<BIH", a[1], a[0], a[2]) + data
        elif op == "gsm_decode":  # capacity
            yield "decode_gsm0338", struct.pack("<H", a[0]) + data
        elif op == "gsm_encode":  # capacity, debug
            yield "encode_gsm0338", struct.pack("<HB", a[0], traced) + data
    for (fmt, text, *_), options in rows("driver.tsv"):
        yield "encode_pdus", record(int(fmt), notation(text), options)
    for (encoder, codes, *_), options in rows("encode.tsv"):
        yield "encode_pdus", record(int(encoder != "gsm"), notation(codes), options)


if __name__ == "__main__":  # each input named by its content; corpora of other targets kept
    inputs = list(corpus())
    for target in {target for target, _ in inputs}:
        shutil.rmtree(FUZZ / "corpus" / target, ignore_errors=True)
    for target, data in inputs:
        (FUZZ / "corpus" / target).mkdir(parents=True, exist_ok=True)
        (FUZZ / "corpus" / target / hashlib.sha1(data).hexdigest()).write_bytes(data)
