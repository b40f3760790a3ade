/* A program outside the project: one message encoded and one PDU decoded through the
 * installed header and library. */
#include <stdio.h>
#include <string.h>

#include <velmora.h>

int main(void) {
    static sms_message sms;
    static const char deliver[] = "00040B912143658709F100001220413160508005E8329BFD06";

    sms_write("hello", &sms);
    memcpy(sms.dst_telnum, "12345", sms.dst_telnum_len = 5);
    sms.dst_telnum_type = 0x81;
    if (sms_encode_pdus(&sms, SMS_FORMAT_GSM, 0) != 0 || strcmp(sms.pdus[0].pdu, "00110005812143F50000AA05E8329BFD06") ||
        sms_decode_pdu(deliver, (uint32_t)strlen(deliver), &sms, 0) != 0 || strcmp(sms.text, "hello")) {
        fprintf(stderr, "encode or decode failed\n");
        return 1;
    }
    printf("encoded and decoded hello\n");
    return 0;
}
