/* velmora/sms.h as a strict C99 client sees it, against libvelmora-sms: octets in, each
 * call family once, a message cut and put back together, refused arguments named. */
#include <stdio.h>
#include <string.h>

#include "velmora/sms.h"

static int failures = 0;

static void check(int ok, const char *what) {
    if (!ok && ++failures)
        fprintf(stderr, "FAILED: %s\n", what);
}

int main(void) {
    static velmora_message m;
    static velmora_pdu pdus[3];
    static velmora_slot slots[4];
    static const uint8_t deliver[] = {0x00, 0x04, 0x0B, 0x91, 0x21, 0x43, 0x65, 0x87, 0x09, 0xF1, 0x00, 0x00, 0x12,
                                      0x20, 0x41, 0x31, 0x60, 0x50, 0x80, 0x05, 0xE8, 0x32, 0x9B, 0xFD, 0x06};
    static const char text[] = "Grüße! Привет, мир 👋 Grüße! Привет, мир 👋 Grüße! Привет, мир 👋 Grüße! Привет, мир 👋";
    velmora_error e;
    velmora_submit_options o;
    velmora_count_result count;
    velmora_reassembly joiner;
    velmora_group group;
    char joined[sizeof text];
    size_t n = 0, i;

    check(velmora_decode(deliver, sizeof deliver, 0, &m, &e) == VELMORA_OK && strcmp(m.text, "hello") == 0 &&
          strcmp(m.originator.text, "+12345678901") == 0 && m.timestamp.utc_offset == 120, "velmora_decode");
    check(velmora_decode(deliver, sizeof deliver - 1, 0, &m, &e) == VELMORA_E_ENDS_EARLY && e.offset == 20 &&
          strcmp(e.field, "TP-UD") == 0, "ends early, where and in which field");

    velmora_submit_options_init(&o);
    o.to = "12345";
    o.reference = 42;
    check(velmora_count(text, strlen(text), &o, &count, &e) == VELMORA_OK && count.alphabet == VELMORA_ALPHABET_UCS2 &&
          count.parts == 2, "velmora_count");
    check(velmora_encode(text, strlen(text), &o, pdus, 1, &n, &e) == VELMORA_E_NO_ROOM && n == 2, "no room");
    check(velmora_encode(text, strlen(text), &o, pdus, 3, &n, &e) == VELMORA_OK && n == 2 &&
          pdus[0].tpdu_length == pdus[0].hex_length / 2 - 1, "velmora_encode");

    velmora_reassembly_init(&joiner, slots, 4);
    for (i = n; i-- > 0;) {
        check(velmora_decode_hex(pdus[i].hex, pdus[i].hex_length, 0, &m, &e) == VELMORA_OK, "read back");
        check(velmora_reassembly_add(&joiner, &m, i, &group) == (i ? VELMORA_ADD_STORED : VELMORA_ADD_COMPLETE), "add");
    }
    check(velmora_reassembly_add(&joiner, &m, 9, &group) == VELMORA_ADD_DUPLICATE && group.present == 2, "duplicate");
    check(velmora_reassembly_text(&joiner, &group, joined, sizeof joined) == strlen(text) &&
          strcmp(joined, text) == 0, "joined text");
    velmora_reassembly_release(&joiner, &group);
    check(velmora_reassembly_groups(&joiner, &group, 1) == 0, "released");

    o.to = "+49-30";
    check(velmora_encode("x", 1, &o, pdus, 3, &n, &e) == VELMORA_E_ARGUMENT && strcmp(e.field, "to") == 0 &&
          e.offset == 3, "a number refused at its character");
    check(velmora_decode(deliver, sizeof deliver, VELMORA_FROM_NETWORK | VELMORA_TO_NETWORK, &m, &e) ==
              VELMORA_E_ARGUMENT && strcmp(e.field, "flags") == 0 && m.text[0] == '\0', "both directions refused");
    check(velmora_decode(deliver, sizeof deliver, 0, NULL, NULL) == VELMORA_E_ARGUMENT, "no record");
    check(strcmp(velmora_language_name(velmora_language_id("Turkish")), "turkish") == 0 &&
          strcmp(velmora_delivery_category_name(VELMORA_DELIVERY_PERMANENT), "permanent") == 0, "names");
    printf("libvelmora-sms %s: C API checks %s\n", velmora_version(), failures == 0 ? "passed" : "FAILED");
    return failures == 0 ? 0 : 1;
}
