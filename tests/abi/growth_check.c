/* SPDX-License-Identifier: Apache-2.0 */
/* A caller built against the first release's velmora/sms.h, run against the library just built: every struct it
 * hands over sits in a heap block followed by guard bytes, every call family still works, no guard byte changes,
 * and a `size` smaller than the first release's is refused as an argument. The path below picks the first release's
 * header, never include/velmora/sms.h. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "../golden/abi/first_release/velmora/sms.h"

enum { GUARD = 64, FILL = 0xA5, MAX_BLOCKS = 16 };

static int failures = 0;

static void check(int ok, const char *what) {
    if (!ok && ++failures)
        fprintf(stderr, "FAILED: %s\n", what);
}

/* Heap blocks of `bytes` and GUARD bytes after them, every byte FILL to begin with. */
static struct block {
    unsigned char *p;
    size_t bytes;
    const char *name;
} blocks[MAX_BLOCKS];
static int block_count = 0;

static void *guarded(size_t bytes, const char *name) {
    struct block b = {malloc(bytes + GUARD), bytes, name};
    memset(b.p, FILL, bytes + GUARD);
    return (blocks[block_count++] = b).p;
}

static void check_guards(const char *after) {
    int i, k;
    for (i = 0; i < block_count; ++i)
        for (k = 0; k < GUARD; ++k)
            if (blocks[i].p[blocks[i].bytes + k] != FILL) {
                fprintf(stderr, "FAILED: guard byte %d after %s changed by %s\n", k, blocks[i].name, after);
                ++failures;
                memset(blocks[i].p + blocks[i].bytes, FILL, GUARD); /* so that the next change is named too */
                break;
            }
}

static int all_fill(const void *p, size_t n) {
    const unsigned char *u = p;
    while (n > 0 && u[n - 1] == FILL)
        --n;
    return n == 0;
}

/* Decoding writes the record's arrays only as far as their lengths (and the text's NUL). */
static int arrays_kept_beyond_lengths(const velmora_message *m) {
    return all_fill(m->udh + m->udh_length, sizeof m->udh - m->udh_length) &&
           all_fill(m->elements + m->element_count, sizeof m->elements - m->element_count * sizeof m->elements[0]) &&
           all_fill(m->text + m->text_length + 1, sizeof m->text - m->text_length - 1) &&
           all_fill(m->data + m->data_length, sizeof m->data - m->data_length);
}

static void fill_arrays(velmora_message *m) {
    memset(m->udh, FILL, sizeof *m - offsetof(velmora_message, udh));
}

int main(void) {
    /* Part 2 of 2 from Gammu: UCS-2 "Grüße €" behind a concatenation element, reference 42. */
    static const char part_hex[] = "0181400B912143658709F1000812204131605000140500032A02020047007200FC00DF0065002020AC";
    static const char text[] = "Grüße! Привет, мир 👋 Grüße! Привет, мир 👋 Grüße! Привет, мир 👋 Grüße! Привет, мир 👋";
    static const char zone_c2[] = "0006230E9126983575169498610103409544C26101034095448200"; /* python-gsmmodem #15 */
    static const char hello[] = "07912143658709F1040B912143658709F100001220413160508005E8329BFD06";
    velmora_modem_reader *reader = guarded(sizeof *reader, "velmora_modem_reader");
    velmora_modem_entry *entry = guarded(sizeof *entry, "velmora_modem_entry");
    velmora_error *e = guarded(sizeof *e, "velmora_error");
    velmora_message *m = guarded(sizeof *m, "velmora_message");
    velmora_message *fields = guarded(sizeof *fields, "velmora_message of velmora_reassembly_fields");
    velmora_submit_options *o = guarded(sizeof *o, "velmora_submit_options");
    velmora_pdu *pdus = guarded(3 * sizeof *pdus, "velmora_pdu[3]");
    velmora_count_result *counted = guarded(sizeof *counted, "velmora_count_result");
    velmora_reassembly *r = guarded(sizeof *r, "velmora_reassembly");
    void *storage = guarded(VELMORA_REASSEMBLY_STORAGE(4), "reassembly storage of 4 slots");
    velmora_group *groups = guarded(2 * sizeof *groups, "velmora_group[2]");
    char *joined = guarded(sizeof text, "joined text");
    uint8_t *data = guarded(300, "joined data"), octets[300];
    size_t n = 0, i, length = 0;
    velmora_error before;

    velmora_error_init(e);
    velmora_message_init(m);
    velmora_message_init(fields);
    velmora_submit_options_init(o);
    velmora_pdu_init(pdus, 3);
    velmora_count_result_init(counted);
    velmora_group_init(groups, 2);
    check(velmora_reassembly_init(r, storage, VELMORA_REASSEMBLY_STORAGE(4)) == VELMORA_OK && r->capacity >= 1,
          "velmora_reassembly_init");
    check(e->size == sizeof *e && m->size == sizeof *m && o->size == sizeof *o && pdus[2].size == sizeof *pdus &&
              counted->size == sizeof *counted && groups[1].size == sizeof *groups && m->message_class == -1 &&
              o->reference == -1 && o->alphabet == VELMORA_ALPHABET_AUTO,
          "the init functions set the caller's sizes and the defaults");
    check_guards("the init functions");

    fill_arrays(m);
    check(velmora_decode_hex(part_hex, strlen(part_hex), 0, m, e) == VELMORA_OK && strcmp(m->text, "Grüße €") == 0 &&
              m->part == 2 && m->parts == 2 && m->reference == 42 && m->udh_length == 5 && m->data_length == 14 &&
              strcmp(m->originator.text, "+12345678901") == 0 && arrays_kept_beyond_lengths(m),
          "velmora_decode_hex");
    for (i = 0; i < sizeof part_hex / 2; ++i)
        sscanf(part_hex + 2 * i, "%2hhx", &octets[i]);
    fill_arrays(m);
    check(velmora_decode(octets, sizeof part_hex / 2 - 1, 0, m, e) == VELMORA_E_ENDS_EARLY && e->offset == 21 &&
              strcmp(e->field, "TP-UD") == 0 && m->dcs == 8 && arrays_kept_beyond_lengths(m),
          "velmora_decode of a PDU that ends early");
    /* A time stamp that breaks the rules: its warning lies past the record, the time left out. */
    check(velmora_decode_hex(zone_c2, strlen(zone_c2), 0, m, e) == VELMORA_OK &&
              !(m->present & VELMORA_HAS_TIMESTAMP), "velmora_decode_hex with a warning");
    check(velmora_modem_reader_init(reader, 0) == VELMORA_OK, "velmora_modem_reader_init");
    velmora_modem_entry_init(entry);
    velmora_modem_feed(reader, "+CMT: ,99", 9);
    check(velmora_modem_next(reader, entry, m, e) == VELMORA_MODEM_NONE, "a response waits for its PDU");
    velmora_modem_feed(reader, hello, strlen(hello));
    check(velmora_modem_next(reader, entry, m, e) == VELMORA_MODEM_MESSAGE && entry->kind == VELMORA_MODEM_MESSAGE &&
              strcmp(m->text, "hello") == 0, "velmora_modem_next");
    check_guards("decoding");

    o->to = "12345";
    o->reference = 7;
    check(velmora_count(text, strlen(text), o, counted, e) == VELMORA_OK && counted->parts == 2 &&
              counted->alphabet == VELMORA_ALPHABET_UCS2, "velmora_count");
    check(velmora_encode(text, strlen(text), o, pdus, 1, &n, e) == VELMORA_E_NO_ROOM && n == 2 && pdus[0].hex_length == 0 && pdus[0].hex[0] == '\0',
          "velmora_encode without room");
    check(velmora_encode(text, strlen(text), o, pdus, 3, &n, e) == VELMORA_OK && n == 2 &&
              pdus[1].hex_length == strlen(pdus[1].hex) && pdus[2].hex[0] == '\0', "velmora_encode");
    check_guards("encoding");

    for (i = 0; i < n; ++i) {
        check(velmora_decode_hex(pdus[i].hex, pdus[i].hex_length, 0, m, e) == VELMORA_OK, "a part read back");
        check(velmora_reassembly_add(r, m, 10 - i, &groups[0]) == (i ? VELMORA_ADD_COMPLETE : VELMORA_ADD_STORED),
              "velmora_reassembly_add");
    }
    check(velmora_reassembly_groups(r, groups, 2) == 1 && groups[0].present == 2 && groups[0].first_time == 9 &&
              groups[1].size == sizeof *groups && groups[1].parts == 0, "velmora_reassembly_groups");
    check(velmora_reassembly_slot(r, &groups[0], 2) >= 0, "velmora_reassembly_slot");
    check(velmora_reassembly_text(r, &groups[0], joined, sizeof text, &length) == VELMORA_OK &&
              length == strlen(text) && strcmp(joined, text) == 0, "velmora_reassembly_text");
    fill_arrays(fields);
    check(velmora_reassembly_fields(r, &groups[0], fields) == VELMORA_OK && fields->size == sizeof *fields &&
              fields->parts == 2 && fields->reference == 7 && strcmp(fields->recipient.text, "12345") == 0,
          "velmora_reassembly_fields");
    check(velmora_reassembly_release(r, &groups[0]) == VELMORA_OK && velmora_reassembly_groups(r, groups, 2) == 0,
          "velmora_reassembly_release");

    memset(octets, 0x5A, sizeof octets);
    check(velmora_encode_data(octets, 200, o, pdus, 3, &n, e) == VELMORA_OK && n == 2, "velmora_encode_data");
    for (i = 0; i < n; ++i) {
        velmora_decode_hex(pdus[i].hex, pdus[i].hex_length, 0, m, e);
        velmora_reassembly_add(r, m, i, &groups[0]);
    }
    check(velmora_reassembly_data(r, &groups[0], data, 300, &length) == VELMORA_OK && length == 200 &&
              memcmp(data, octets, 200) == 0 && all_fill(data + 200, 100), "velmora_reassembly_data");
    check_guards("reassembly");

    /* A size smaller than the first release's: refused, naming the struct where an error
     * record can, and the error record itself left alone when it is the one too small. */
    e->size = sizeof *e - 1;
    before = *e;
    check(velmora_decode(octets, 20, 0, m, e) == VELMORA_E_ARGUMENT && memcmp(&before, e, sizeof before) == 0,
          "a small velmora_error");
    velmora_error_init(e);
#define REFUSED(call, name) check((call) == VELMORA_E_ARGUMENT && strcmp(e->field, name) == 0, #call)
    o->size = sizeof *o - 1;
    REFUSED(velmora_encode(text, 5, o, pdus, 3, &n, e), "options");
    REFUSED(velmora_encode_data(octets, 5, o, pdus, 3, &n, e), "options");
    REFUSED(velmora_count(text, 5, o, counted, e), "options");
    o->size = sizeof *o;
    pdus[0].size = sizeof *pdus - 1;
    REFUSED(velmora_encode(text, 5, o, pdus, 3, &n, e), "pdus");
    counted->size = sizeof *counted - 1;
    REFUSED(velmora_count(text, 5, o, counted, e), "result");
    m->size = sizeof *m - 1;
    REFUSED(velmora_decode(octets, 20, 0, m, e), "message");
    REFUSED(velmora_decode_hex(part_hex, 20, 0, m, e), "message");
    check(velmora_reassembly_add(r, m, 0, NULL) == VELMORA_ADD_INVALID, "a small message to velmora_reassembly_add");
    fields->size = sizeof *fields - 1;
    check(velmora_reassembly_fields(r, &groups[0], fields) == VELMORA_E_ARGUMENT,
          "a small message to velmora_reassembly_fields");
    r->size = sizeof *r - 1;
    check(velmora_reassembly_add(r, fields, 0, NULL) == VELMORA_ADD_INVALID && velmora_reassembly_groups(r, groups, 2) == 0 &&
              velmora_reassembly_slot(r, &groups[0], 1) == -1 &&
              velmora_reassembly_text(r, &groups[0], joined, 10, &length) == VELMORA_E_ARGUMENT &&
              velmora_reassembly_data(r, &groups[0], data, 10, &length) == VELMORA_E_ARGUMENT &&
              velmora_reassembly_release(r, &groups[0]) == VELMORA_E_ARGUMENT,
          "a small velmora_reassembly");
    r->size = sizeof *r;
    memcpy(&groups[1], &groups[0], sizeof *groups);
    groups[1].size = sizeof *groups - 1;
    check(velmora_reassembly_slot(r, &groups[1], 1) == -1 &&
              velmora_reassembly_text(r, &groups[1], joined, 10, &length) == VELMORA_E_ARGUMENT &&
              velmora_reassembly_release(r, &groups[1]) == VELMORA_E_ARGUMENT,
          "a small velmora_group");
    check_guards("refused calls");

    printf("a caller of the first release's header (velmora_message of %u bytes) against libvelmora-sms %s: %s\n",
           (unsigned)sizeof *m, velmora_version(), failures == 0 ? "passed" : "FAILED");
    for (i = 0; i < (size_t)block_count; ++i)
        free(blocks[i].p);
    return failures == 0 ? 0 : 1;
}
