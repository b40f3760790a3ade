/* SPDX-License-Identifier: Apache-2.0 */
/* velmora/sms.h as a strict C99 client sees it, against libvelmora-sms: octets in, each
 * call family once, a message cut and put back together, a stale group that does nothing,
 * refused arguments named. */
#include <stddef.h>
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
    static double storage[VELMORA_REASSEMBLY_STORAGE(4) / sizeof(double) + 1];
    static const uint8_t deliver[] = {0x00, 0x04, 0x0B, 0x91, 0x21, 0x43, 0x65, 0x87, 0x09, 0xF1, 0x00, 0x00, 0x12,
                                      0x20, 0x41, 0x31, 0x60, 0x50, 0x80, 0x05, 0xE8, 0x32, 0x9B, 0xFD, 0x06};
    static const char text[] = "Grüße! Привет, мир 👋 Grüße! Привет, мир 👋 Grüße! Привет, мир 👋 Grüße! Привет, мир 👋";
    velmora_error e = VELMORA_ERROR_INIT;
    velmora_submit_options o;
    velmora_count_result count = VELMORA_COUNT_RESULT_INIT;
    velmora_reassembly joiner;
    velmora_group group, stale;
    char joined[sizeof text], trailing[sizeof pdus[1].hex + 2];
    size_t n = 0, i, length = 0;

    velmora_message_init(&m);
    velmora_pdu_init(pdus, 3);
    velmora_group_init(&group, 1);
    velmora_group_init(&stale, 1);
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

    check(velmora_reassembly_init(&joiner, storage, sizeof storage) == VELMORA_OK && joiner.capacity == 4, "init");
    for (i = n; i-- > 0;) {
        check(velmora_decode_hex(pdus[i].hex, pdus[i].hex_length, 0, &m, &e) == VELMORA_OK, "read back");
        check(velmora_reassembly_add(&joiner, &m, i, &group) == (i ? VELMORA_ADD_STORED : VELMORA_ADD_COMPLETE), "add");
    }
    check(velmora_reassembly_add(&joiner, &m, 9, &group) == VELMORA_ADD_DUPLICATE && group.present == 2, "duplicate");
    check(velmora_reassembly_text(&joiner, &group, joined, sizeof joined, &length) == VELMORA_OK &&
          length == strlen(text) && strcmp(joined, text) == 0, "joined text");
    memcpy(trailing, pdus[1].hex, pdus[1].hex_length);
    memcpy(trailing + pdus[1].hex_length, "00", 2);
    check(velmora_decode_hex(trailing, pdus[1].hex_length + 2, 0, &m, &e) == VELMORA_OK &&
              m.warnings == VELMORA_WARNING_TRAILING_DATA, "part 2 read back with an octet more");
    check(velmora_reassembly_fields(&joiner, &group, &m) == VELMORA_OK && m.part == 1 && m.warnings == 0 &&
              strcmp(m.warning_field, "") == 0, "the fields of the lowest part, warnings included");
    check(velmora_reassembly_release(&joiner, &group) == VELMORA_OK, "release");
    check(velmora_reassembly_groups(&joiner, &group, 1) == 0, "released");

    /* Part 2 of the same reference to another recipient belongs to another message; here
     * from a caller whose record ends before the warnings, so its fields come without any. */
    velmora_decode_hex(pdus[0].hex, pdus[0].hex_length, 0, &m, &e);
    velmora_reassembly_add(&joiner, &m, 1, &stale);
    o.to = "12346";
    velmora_encode(text, strlen(text), &o, pdus, 3, &n, &e);
    m.size = (uint32_t)offsetof(velmora_message, warnings);
    velmora_decode_hex(pdus[1].hex, pdus[1].hex_length, 0, &m, &e);
    check(velmora_reassembly_add(&joiner, &m, 2, &group) == VELMORA_ADD_STORED && group.present == 1 &&
          velmora_reassembly_groups(&joiner, NULL, 0) == 2, "another recipient");
    m.size = sizeof m;
    m.warning_field = "TP-UD";
    check(velmora_reassembly_fields(&joiner, &group, &m) == VELMORA_OK && m.warning_field != NULL &&
              strcmp(m.warning_field, "") == 0, "no warnings from a record without them");
    velmora_reassembly_release(&joiner, &stale);
    velmora_reassembly_release(&joiner, &group);

    /* Part 1 of message A (reference 1) held, A released, part 1 of B (reference 2) in the
     * same slot: A's group no longer reaches it, and a second release of A frees nothing. */
    o.reference = 1;
    velmora_encode(text, strlen(text), &o, pdus, 3, &n, &e);
    velmora_decode_hex(pdus[0].hex, pdus[0].hex_length, 0, &m, &e);
    check(velmora_reassembly_add(&joiner, &m, 1, &stale) == VELMORA_ADD_STORED, "A held");
    check(velmora_reassembly_release(&joiner, &stale) == VELMORA_OK, "A released");
    o.reference = 2;
    velmora_encode(text, strlen(text), &o, pdus, 3, &n, &e);
    velmora_decode_hex(pdus[0].hex, pdus[0].hex_length, 0, &m, &e);
    check(velmora_reassembly_add(&joiner, &m, 2, &group) == VELMORA_ADD_STORED && group.slot == stale.slot, "B held");
    check(velmora_reassembly_slot(&joiner, &stale, 1) == -1 &&
          velmora_reassembly_text(&joiner, &stale, joined, sizeof joined, &length) == VELMORA_E_STALE_GROUP &&
          velmora_reassembly_release(&joiner, &stale) == VELMORA_E_STALE_GROUP, "A's group is stale");
    check(velmora_reassembly_slot(&joiner, &group, 1) == (int32_t)group.slot && group.reference == 2, "B kept");

    /* Three more messages fill the four slots; a fifth is refused and leaves the group
     * given with it as it was. */
    for (i = 3; i <= 6; ++i) {
        o.reference = (uint16_t)i;
        velmora_encode(text, strlen(text), &o, pdus, 3, &n, &e);
        velmora_decode_hex(pdus[0].hex, pdus[0].hex_length, 0, &m, &e);
        stale = group;
        check(velmora_reassembly_add(&joiner, &m, i, &group) == (i < 6 ? VELMORA_ADD_STORED : VELMORA_ADD_FULL), "fill");
    }
    check(memcmp(&group, &stale, sizeof group) == 0, "a refused part's group untouched");

    o.to = "+49-30";
    check(velmora_encode("x", 1, &o, pdus, 3, &n, &e) == VELMORA_E_ARGUMENT && strcmp(e.field, "to") == 0 &&
          e.offset == 3, "a number refused at its character");
    check(velmora_decode(deliver, sizeof deliver, VELMORA_FROM_NETWORK | VELMORA_TO_NETWORK, &m, &e) ==
              VELMORA_E_ARGUMENT && strcmp(e.field, "flags") == 0 && m.text[0] == '\0', "both directions refused");
    check(velmora_decode(deliver, sizeof deliver, 0, NULL, NULL) == VELMORA_E_ARGUMENT, "no record");
    m.size = 8;
    check(velmora_decode(deliver, sizeof deliver, 0, &m, &e) == VELMORA_E_ARGUMENT && strcmp(e.field, "message") == 0,
          "a record smaller than the first release's");
    check(strcmp(velmora_language_name(velmora_language_id("Turkish")), "turkish") == 0 &&
          strcmp(velmora_delivery_category_name(VELMORA_DELIVERY_PERMANENT), "permanent") == 0, "names");
    printf("libvelmora-sms %s: C API checks %s\n", velmora_version(), failures == 0 ? "passed" : "FAILED");
    return failures == 0 ? 0 : 1;
}
