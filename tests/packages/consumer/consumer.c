/* Built against the unpacked libvelmora-dev only: encodes through libvelmora's record
 * API and decodes through libvelmora-sms, so both headers and both libraries are used. */
#include <stdio.h>
#include <string.h>

#include <velmora.h>
#include <velmora/sms.h>

int main(void) {
    static sms_message sms;
    static velmora_message message;
    static const char deliver[] = "07912143658709F1040B912143658709F100001220413160508005E8329BFD06";
    velmora_error error;

    sms_write("hello", &sms);
    memcpy(sms.dst_telnum, "12345", 5);
    sms.dst_telnum_len = 5;
    sms.dst_telnum_type = 0x81;
    if (sms_encode_pdus(&sms, SMS_FORMAT_GSM, 0) != 0 || sms.pdu_count != 1 ||
        strcmp(sms.pdus[0].pdu, "00110005812143F50000AA05E8329BFD06") != 0) {
        fprintf(stderr, "libvelmora encoded %s\n", sms.pdus[0].pdu);
        return 1;
    }
    if (velmora_decode_hex(deliver, strlen(deliver), 0, &message, &error) != VELMORA_OK ||
        strcmp(message.text, "hello") != 0) {
        fprintf(stderr, "libvelmora-sms: %s at octet %u\n", velmora_status_message(error.status),
                (unsigned)error.offset);
        return 1;
    }
    printf("libvelmora encoded and libvelmora-sms %s decoded hello\n", velmora_version());
    return 0;
}
