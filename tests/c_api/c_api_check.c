/* SPDX-License-Identifier: Apache-2.0 */
/* The public header as a strict C99 client sees it, against the shared library: each
 * function once, sms_write's limits, and null arguments, which change nothing. */
#include <stdio.h>
#include <string.h>

#include "velmora.h"

static int failures = 0;

static void check(int ok, const char *what) {
    if (!ok && ++failures)
        fprintf(stderr, "FAILED: %s\n", what);
}

int main(void) {
    static sms_message sms, copy; /* zero-filled */
    static const unsigned char packed[] = {0x41, 0xE1, 0x90, 0x58, 0x34, 0x1E, 0x91};
    unsigned char octets[918];
    char text[SMS_PDU_CAPACITY];

    memset(sms.text, 'x', 200);
    memset(text, 'y', 200);
    text[200] = '\0';
    check(sms_write(text, &sms) == 161 && sms.text[160] == 'y' && sms.text[161] == 'x', "sms_write: 161 at most");
    check(sms_write("hello", &sms) == 5 && memcmp(sms.text, "helloy", 6) == 0 && sms.text_len == 5, "no NUL added");
    memcpy(sms.dst_telnum, "12345", sms.dst_telnum_len = 5);
    sms.dst_telnum_type = 0x81;
    check(sms_encode_pdus(&sms, SMS_FORMAT_GSM, 0) == 0 && sms.pdu_count == 1 &&
          strcmp(sms.pdus[0].pdu, "00110005812143F50000AA05E8329BFD06") == 0, "sms_encode_pdus");
    check(sms_encode_pdu(&sms, text, sizeof text, 0, 0, 0, 0) == 34, "sms_encode_pdu");
    check(sms_encode_3gpp2_pdu(&sms, text, sizeof text, 0, 0, 0, 0) == -1, "sms_encode_3gpp2_pdu without callback");
    check(sms_decode_pdu("00040B912143658709F100001220413160508005E8329BFD06", 50, &sms, 0) == 0 &&
          strcmp(sms.text, "hello") == 0, "sms_decode_pdu");
    check(sms_decode_3gpp2_pdu("07812143658709F12102141306051002000205E8329BFD06", 48, &sms, 0) == 0, "3GPP2");
    check(convert_bytestr_to_hexarray("0A1b", 4, octets, 2, 0) == 2 && octets[1] == 0x1B, "hex to octets");
    check(convert_hexarray_to_bytestr(octets, 2, text, 4) == 4 && memcmp(text, "0A1B", 4) == 0, "octets to hex");
    check(encode_ascii_to_gsm0338("a{b", 3, octets, sizeof octets, 0) == 4 && octets[1] == eESCAPE, "to GSM");
    check(decode_gsm0338_to_ascii(octets, 4, text, 161) == 3 && strcmp(text, "a{b") == 0, "from GSM");
    check(esc_decode_to_ascii_char(&octets[2]) == '{', "extension character");
    check(decode7(packed, 8, octets, 9, 0) == 0 && memcmp(octets, "ABCDEFGH", 8) == 0, "decode7");
    decode_datetime("12204131605080", &sms);
    decode_datetime_3gpp2("991231235959", &sms);
    check(strcmp(sms.date_time, "31/12/99 - 23:59:59") == 0 && sms.timezone[0] == '\0', "time stamps");

    memset(&sms, 0xA5, sizeof sms);
    memcpy(&copy, &sms, sizeof sms);
    memset(text, 'x', sizeof text);
    check(sms_write(NULL, &sms) == -1 && sms_write("a", NULL) == -1 && sms_encode_pdus(NULL, 0, 0) == -1 &&
          sms_decode_pdu(NULL, 2, &sms, 0) == -1 && sms_decode_pdu("00", 2, NULL, 0) == -1 &&
          sms_decode_3gpp2_pdu(NULL, 2, &sms, 0) == -1 && sms_decode_3gpp2_pdu("00", 2, NULL, 0) == -1 &&
          sms_encode_pdu(NULL, text, 9, 0, 0, 0, 0) == -1 && sms_encode_pdu(&sms, NULL, 9, 0, 0, 0, 0) == -1 &&
          sms_encode_3gpp2_pdu(NULL, text, 9, 0, 0, 0, 0) == -1 &&
          sms_encode_3gpp2_pdu(&sms, NULL, 9, 0, 0, 0, 0) == -1,
          "null arguments refused");
    decode_datetime(NULL, &sms);
    decode_datetime_3gpp2(NULL, &sms);
    decode_datetime("12204131605080", NULL);
    decode_datetime_3gpp2("210214130605", NULL);
    check(memcmp(&sms, &copy, sizeof sms) == 0 && text[0] == 'x' && text[8] == 'x', "null arguments change nothing");
    puts(failures == 0 ? "C API checks passed" : "C API checks FAILED");
    return failures == 0 ? 0 : 1;
}
