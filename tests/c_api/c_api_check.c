/* The public header as a C99 client sees it, linked against the shared library. */
#include <stdio.h>
#include <string.h>

#include "velmora.h"

static int failures = 0;

static void check(int ok, const char *what) {
    if (!ok) {
        fprintf(stderr, "FAILED: %s\n", what);
        ++failures;
    }
}

int main(void) {
    static sms_message sms; /* zero-filled */
    static const char expected_pdu[] = "00110005812143F50000AA05E8329BFD06";
    static const unsigned char packed[] = {0x41, 0xE1, 0x90, 0x58, 0x34, 0x1E, 0x91};
    unsigned char octets[4];
    unsigned char codes[918];
    unsigned char septets[9];
    char text[161];

    check(sms_write("hello", &sms) == 5, "sms_write result");
    memcpy(sms.dst_telnum, "12345", 5);
    sms.dst_telnum_len = 5;
    sms.dst_telnum_type = 0x81;
    check(sms_encode_pdus(&sms, SMS_FORMAT_GSM, 0) == 0, "sms_encode_pdus result");
    check(sms.pdu_count == 1, "one part");
    check(strcmp(sms.pdus[0].pdu, expected_pdu) == 0, "PDU text");
    check(sms.pdus[0].pdu_len == (uint32_t)strlen(expected_pdu), "PDU length");

    check(convert_bytestr_to_hexarray("0A1b", 4, octets, sizeof octets, 0) == 2, "hex parse result");
    check(octets[0] == 0x0A && octets[1] == 0x1B, "hex parse octets");
    memset(text, '.', sizeof text);
    check(convert_hexarray_to_bytestr(octets, 2, text, sizeof text) == 4, "hex render result");
    check(memcmp(text, "0A1B.", 5) == 0, "hex render text");

    check(encode_ascii_to_gsm0338("a{b", 3, codes, sizeof codes, 0) == 4, "encode result");
    check(codes[1] == eESCAPE && codes[2] == 0x28, "escape pair");
    check(decode_gsm0338_to_ascii(codes, 4, text, sizeof text) == 3, "decode result");
    check(strcmp(text, "a{b") == 0, "decoded text");
    check(esc_decode_to_ascii_char(&codes[2]) == '{', "extension lookup");

    check(decode7(packed, 8, septets, sizeof septets, 0) == 0, "decode7 result");
    check(memcmp(septets, "ABCDEFGH", 8) == 0, "decode7 codes");

    decode_datetime("12204131605080", &sms);
    check(strcmp(sms.date_time, "14/02/21 - 13:06:05") == 0, "GSM time stamp");
    decode_datetime_3gpp2("210214130605", &sms);
    check(strcmp(sms.date_time_raw, "210214130605") == 0 && sms.timezone[0] == '\0', "3GPP2 time stamp");

    if (failures == 0)
        puts("C API checks passed");
    return failures == 0 ? 0 : 1;
}
