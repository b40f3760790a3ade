#!/usr/bin/env python3
"""Writes fuzz/corpus/<target>/ from the library's test vectors.

Each file is one input in the layout its target reads: the decoders take the PDU text
as it is; the other targets take their arguments first (little-endian), then the payload.
Run it again after changing a vector or an input layout; fuzzing itself never writes here.
"""
import pathlib
import shutil
import struct

ROOT = pathlib.Path(__file__).resolve().parent / "corpus"

GSM_DELIVER = {
    "hello": "00040B912143658709F1000012204131605080" "05E8329BFD06",
    "concatenated_hi": "00440B912143658709F1000012204131605080" "090500032A0201D069",
    "service_centre": "07912143658709F1" "040B912143658709F1000012204131605080" "05E8329BFD06",
    "octets": "00040B912143658709F1000412204131605080" "03414243",
    "ucs2": "00040B912143658709F1000812204131605080" "0400480069",
    "dcs_f1": "00040B912143658709F100F112204131605080" "05E8329BFD06",
    "udl_zero": "00040B912143658709F1000012204131605080" "00",
    "octets_udl_zero": "00040B912143658709F1000412204131605080" "00",
    "udh_iei08": "00440B912143658709F1000012204131605080" "0A060804123402 01E834".replace(" ", ""),
    "udl_below_udh": "00440B912143658709F1000012204131605080" "030500032A0201D069",
    "long_sender": "00041991" + "2143658709" * 2 + "214365F7" "000012204131605080" "05E8329BFD06",
    "submit_type": "00110B912143658709F1000012204131605080" "05E8329BFD06",
    "lower_case": "00040b912143658709f1000012204131605080" "05e8329bfd06",
    "truncated": "00040B9121436587",
    "udl_beyond_text": "00040B912143658709F1000012204131605080" "A0E8329BFD06",
}

CDMA_DELIVER = {
    "hello": "0781" "2143658709F1" "210214130605" "1002" "00" "02" "05" "E8329BFD06",
    "concatenated_hi": "0781" "2143658709F1" "210214130605" "1005" "00" "02" "09" "0500032A0201D069",
    "address_zero": "0081" "2143658709F1" "210214130605" "1002" "00" "02" "05" "E8329BFD06",
    "teleservice_1003": "0781" "2143658709F1" "210214130605" "1003" "00" "02" "05" "E8329BFD06",
    "length_zero": "0781" "2143658709F1" "210214130605" "1002" "00" "02" "00",
    "ucs2": "0781" "2143658709F1" "210214130605" "1002" "00" "04" "02" "00480069",
    "latin": "0781" "2143658709F1" "210214130605" "1002" "00" "08" "03" "414243",
    "encoding_01": "0781" "2143658709F1" "210214130605" "1002" "00" "01" "05" "E8329BFD06",
    "ia5": "0781" "2143658709F1" "210214130605" "1002" "00" "03" "05" "E8329BFD06",
    "long_address": "0F81" + "21" * 14 + "210214130605" "1002" "00" "02" "05" "E8329BFD06",
    "truncated": "0781" "2143658709F1" "2102",
}


def u8(v):
    return struct.pack("<B", v)


def u16(v):
    return struct.pack("<H", v)


def u32(v):
    return struct.pack("<I", v)


def write(target, name, data):
    directory = ROOT / target
    directory.mkdir(parents=True, exist_ok=True)
    (directory / name).write_bytes(data if isinstance(data, bytes) else data.encode("latin-1"))


def bytestr():
    # capacity (u16 % 601), length choice (u16 % (strlen + 1)), debug flag, text
    cases = {
        "mixed_case": (10, 4, 0, "0A1b"),
        "odd_length": (10, 3, 0, "ABC"),
        "single_char": (10, 1, 0, "A"),
        "capacity_two": (2, 6, 0, "AABBCC"),
        "not_hex_pair": (10, 6, 0, "41ZZ42"),
        "traced": (10, 4, 1, "0A1b"),
        "blank_and_prefix": (10, 8, 0, " 4A0x4A"),
        "hello_user_data": (161, 10, 0, "E8329BFD06"),
    }
    for name, (capacity, length, debug, text) in cases.items():
        write("bytestr_to_hexarray", name, u16(capacity) + u16(length) + u8(debug) + text.encode())


def decode7():
    # fill (u8 % 7), count (u32; top bit: any count), capacity (u16 % 2401), octets
    cases = {
        "hello": (0, 5, 322, "E8329BFD06"),
        "hi_fill1": (1, 2, 322, "D069"),
        "euro_pair": (0, 2, 322, "9B32"),
        "hellohello": (0, 10, 322, "E8329BFD4697D9EC37"),
        "abcdefgh": (0, 8, 322, "41E19058341E91"),
        "abcdefgh_fill1": (1, 8, 322, "82C221B1683C2201"),
        "fill6": (6, 9, 322, "C0" "E8329BFD4697D9EC37"),
        "capacity_exact": (0, 7, 8, "41E19058341E91"),
        "capacity_short": (0, 7, 7, "41E19058341E91"),
        "huge_count": (0, 0x80000005, 10, "E8329BFD06"),
    }
    for name, (fill, count, capacity, octets) in cases.items():
        write("decode7", name, u8(fill) + u32(count) + u16(capacity) + bytes.fromhex(octets))


def decode_gsm0338():
    # capacity (u16 % 401), codes
    cases = {
        "hello": (161, bytes.fromhex("68656C6C6F")),
        "euro": (161, bytes.fromhex("1B65")),
        "escape_last": (161, bytes.fromhex("41421B")),
        "unknown_extension": (161, bytes.fromhex("1B41")),
        "greek": (161, bytes.fromhex("101213141B1B")),
        "escape_at_160": (161, b"a" * 160 + bytes.fromhex("1B3C41")),
        "many_codes": (322, b"A" * 400),
        "high_codes": (161, bytes(range(0x78, 0x100))),
        "capacity_160": (160, bytes.fromhex("68656C6C6F")),
    }
    for name, (capacity, codes) in cases.items():
        write("decode_gsm0338", name, u16(capacity) + codes)


def encode_gsm0338():
    # capacity (u16 % 4001), flags (1: alphabet only, 2: trace), text
    cases = {
        "hello": (918, 0, b"Hello"),
        "extension": (918, 0, b"a{b"),
        "euro": (918, 0, b"\x80"),
        "cr_lf": (918, 0, b"\r\n"),
        "traced": (918, 2, b"a{b\x80"),
        "pass_through": (918, 0, bytes([0x00, 0x60, 0x1B, 0x81, 0xFF])),
        "escape_cut": (918, 0, b"a" + b"[" * 918),
        "work_area_full": (4000, 0, b"{" * 1000),
        "too_long": (918, 0, b"a" * 1837),
        "capacity_917": (917, 0, b"Hello"),
        "latin1": (918, 0, bytes(range(0xA0, 0x100))),
    }
    for name, (capacity, flags, text) in cases.items():
        write("encode_gsm0338", name, u16(capacity) + u8(flags) + text)


def encode_pdus():
    # flags (1 raw number bytes, 2 alphabet only, 4 any text_len, 0x80 trace), leftover byte,
    # format (0 GSM, 1 3GPP2, 2 other non-zero, 3 the next u32), that u32, destination length,
    # type and 32 digit bytes, callback length, type and 32 digit bytes, text_len choice,
    # pdu_count leftover, direct call: out_size (u16 % 2048), part_no, part_count, msg_ref; text
    def record(text, fmt=0, flags=0, dst="12345", dst_type=0x81, callback="678", callback_type=0x81,
               text_len=0, dst_len=None, out_size=322, part=(0, 0, 0), leftover=0):
        digits = lambda s: bytes(int(c) for c in s).ljust(32, b"\0")
        return (u8(flags) + u8(leftover) + u8(fmt) + u32(0) +
                u8(len(dst) if dst_len is None else dst_len) + u8(dst_type) + digits(dst) +
                u8(len(callback)) + u8(callback_type) + digits(callback) +
                u16(text_len) + u32(0) + u16(out_size) + u8(part[0]) + u8(part[1]) + u8(part[2]) + text)

    letters = bytes(ord("a") + i % 26 for i in range(918))
    cases = {
        "hello_gsm": record(b"hello"),
        "hello_3gpp2": record(b"hello", fmt=1),
        "hello_3gpp2_other": record(b"hello", fmt=2),
        "exactly_160": record(letters[:160]),
        "two_parts": record(letters[:161], part=(2, 2, 0x17)),
        "carry_at_cut": record(letters[:152] + b"[" + letters[:8]),
        "pair_inside_part": record(letters[:151] + b"[" + letters[:9]),
        "six_parts": record(letters),
        "six_parts_3gpp2": record(letters, fmt=1, part=(1, 6, 3)),
        "carry_overflow": record((letters[:152] + b"[") * 6),
        "escapes_only": record(b"{}" * 300, fmt=1),
        "empty_text": record(b"", leftover=0x5A),
        "text_len_too_long": record(b"hello", flags=4, text_len=1000),
        "long_number": record(b"hello", dst="1" * 32, part=(1, 2, 9)),
        "number_too_long": record(b"hello", dst="1" * 32, dst_len=33),
        "no_callback": record(b"hello", fmt=1, callback=""),
        "traced_parts": record(letters[:400], flags=0x80),
        "latin1": record(bytes(range(0x20, 0x100)), flags=2),
    }
    for name, data in cases.items():
        write("encode_pdus", name, data)


def main():
    if ROOT.exists():
        shutil.rmtree(ROOT)
    for name, pdu in GSM_DELIVER.items():
        write("decode_pdu", name, pdu)
    for name, pdu in CDMA_DELIVER.items():
        write("decode_3gpp2_pdu", name, pdu)
    bytestr()
    decode7()
    decode_gsm0338()
    encode_gsm0338()
    encode_pdus()


if __name__ == "__main__":
    main()
