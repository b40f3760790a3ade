/* SPDX-License-Identifier: Apache-2.0 */
/*
 * libvelmora-sms: every SMS a modem shows, read whole into UTF-8, and any text a
 * person types sent as the fewest correct SMS-SUBMIT PDUs (3GPP TS 23.040, 23.038).
 *
 * Plain structs and enums, caller-owned storage, no heap use, no global state besides
 * the concatenation reference counter; every call is re-entrant on its own records.
 * Failures come back as a velmora_status, with the octet offset and the name of the
 * field where reading stopped (or the byte of the text that could not be sent).
 *
 * Structs that grow: every struct the caller allocates begins with `size`, which its init
 * function or VELMORA_..._INIT macro sets to the size the caller was built with. The
 * library reads and writes only the members inside `size`, so a caller built against an
 * older header keeps working when later releases append members; a `size` smaller than
 * the first release's struct fails as VELMORA_E_ARGUMENT naming the struct. Arrays of such
 * structs (velmora_pdu, velmora_group) are stepped through by the `size` of their first
 * element. The init functions are macros passing sizeof the caller's struct to the library's
 * function of the same name, which writes nothing past it.
 */
#ifndef VELMORA_SMS_H
#define VELMORA_SMS_H

#include <stddef.h>
#include <stdint.h>
#include "velmora/version.h"

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define VELMORA_SMS_API __attribute__((visibility("default")))
#else
#define VELMORA_SMS_API
#endif

/* ---- Results ---------------------------------------------------------------- */

typedef enum velmora_status {
    VELMORA_OK = 0,
    VELMORA_E_ARGUMENT = 1,          /* a null pointer or an option out of range */
    VELMORA_E_NOT_HEX = 2,           /* a character that is not a hex digit, or an odd count */
    VELMORA_E_ENDS_EARLY = 3,        /* the PDU ends inside a field */
    VELMORA_E_TRAILING_DATA = 4,     /* octets after the user data */
    VELMORA_E_UNSUPPORTED_TYPE = 5,  /* SMS-DELIVER-REPORT, SMS-SUBMIT-REPORT, SMS-COMMAND, reserved */
    VELMORA_E_INVALID_FIELD = 6,     /* a field value the layout does not allow */
    VELMORA_E_HEADER_TOO_LONG = 7,   /* the user data header is longer than the user data */
    VELMORA_E_BAD_ELEMENT = 8,       /* an information element runs past the end of the header */
    VELMORA_E_INVALID_UTF8 = 9,      /* the text to send is not UTF-8 */
    VELMORA_E_UNENCODABLE = 10,      /* a character the chosen alphabet cannot carry */
    VELMORA_E_TOO_MANY_PARTS = 11,   /* more than 255 parts */
    VELMORA_E_NO_ROOM = 12,          /* more parts than the caller's buffers hold */
    VELMORA_E_STALE_GROUP = 13,      /* the group's message is no longer held: released already */
    VELMORA_E_LENGTH_MISMATCH = 14,  /* the PDU is not as long as the <length> of its modem line says */
    VELMORA_E_TEXT_MODE = 15         /* a text-mode listing (AT+CMGF=1): AT+CMGF=0 lists PDUs */
} velmora_status;

/* Where a call stopped. Decoding: the octet offset in the PDU (service-centre address
 * included when present) and the field being read. Encoding: the byte offset in the
 * text and, for VELMORA_E_UNENCODABLE, the character. `field` is never NULL after a call:
 * "" on success. */
typedef struct velmora_error {
    uint32_t size;
    velmora_status status;
    uint32_t offset;
    const char *field;
    uint32_t code_point;
} velmora_error;

#define VELMORA_ERROR_INIT {sizeof(velmora_error), VELMORA_OK, 0, "", 0}
VELMORA_SMS_API void velmora_error_init(velmora_error *error, size_t size);
#define velmora_error_init(error) velmora_error_init((error), sizeof *(error))

/* A short English message for a status: "PDU ends early", ... */
VELMORA_SMS_API const char *velmora_status_message(velmora_status status);

/* VELMORA_VERSION_STRING of the library built (velmora/version.h): "2.1.0" */
VELMORA_SMS_API const char *velmora_version(void);

/* ---- What a message is ------------------------------------------------------- */

typedef enum velmora_format { VELMORA_FORMAT_GSM = 0, VELMORA_FORMAT_CDMA = 1 } velmora_format;

typedef enum velmora_type {
    VELMORA_DELIVER = 0,
    VELMORA_SUBMIT = 1,
    VELMORA_STATUS_REPORT = 2
} velmora_type;

/* The alphabet of the user data: the values of TP-DCS bits 3-2 in the general group. */
typedef enum velmora_alphabet {
    VELMORA_ALPHABET_GSM7 = 0,
    VELMORA_ALPHABET_8BIT = 1,
    VELMORA_ALPHABET_UCS2 = 2,
    VELMORA_ALPHABET_AUTO = 3  /* sending only: the fewest parts */
} velmora_alphabet;

/* National language identifiers (3GPP TS 23.038 6.2.1.2.4); 0 means none. */
typedef enum velmora_language {
    VELMORA_LANG_NONE = 0,
    VELMORA_LANG_TURKISH = 1,
    VELMORA_LANG_SPANISH = 2,
    VELMORA_LANG_PORTUGUESE = 3,
    VELMORA_LANG_BENGALI = 4,
    VELMORA_LANG_GUJARATI = 5,
    VELMORA_LANG_HINDI = 6,
    VELMORA_LANG_KANNADA = 7,
    VELMORA_LANG_MALAYALAM = 8,
    VELMORA_LANG_ORIYA = 9,
    VELMORA_LANG_PUNJABI = 10,
    VELMORA_LANG_TAMIL = 11,
    VELMORA_LANG_TELUGU = 12,
    VELMORA_LANG_URDU = 13
} velmora_language;
#define VELMORA_LANGUAGE_COUNT 14
#define VELMORA_LANGUAGE_BIT(id) (1u << (id))

/* "turkish" for 1, ..., NULL outside 1-13; and back (-1 for an unknown name, any case). */
VELMORA_SMS_API const char *velmora_language_name(int id);
VELMORA_SMS_API int velmora_language_id(const char *name);

/* TP-VPF: how TP-VP is given in a decoded SMS-SUBMIT. */
typedef enum velmora_vpf {
    VELMORA_VPF_NONE = 0,
    VELMORA_VPF_ENHANCED = 1,
    VELMORA_VPF_RELATIVE = 2,
    VELMORA_VPF_ABSOLUTE = 3
} velmora_vpf;

/* TP-ST, bits 6-5 (TS 23.040 9.2.3.15); RESERVED for values with bit 7 set. */
typedef enum velmora_delivery_category {
    VELMORA_DELIVERY_COMPLETED = 0,
    VELMORA_DELIVERY_TEMPORARY_RETRYING = 1,
    VELMORA_DELIVERY_PERMANENT = 2,
    VELMORA_DELIVERY_TEMPORARY_FINAL = 3,
    VELMORA_DELIVERY_RESERVED = 4
} velmora_delivery_category;

typedef enum velmora_waiting_kind {
    VELMORA_WAITING_NONE = 0,
    VELMORA_WAITING_VOICEMAIL = 1,
    VELMORA_WAITING_FAX = 2,
    VELMORA_WAITING_EMAIL = 3,
    VELMORA_WAITING_OTHER = 4
} velmora_waiting_kind;

/* Names as the tool's JSON shows them: "deliver", "gsm7", "temporary-retrying",
 * "voicemail", ...; NULL for a value outside the enumeration. */
VELMORA_SMS_API const char *velmora_type_name(int type);
VELMORA_SMS_API const char *velmora_alphabet_name(int alphabet);
VELMORA_SMS_API const char *velmora_delivery_category_name(int category);
VELMORA_SMS_API const char *velmora_waiting_kind_name(int kind);

/* A short English reason for a TP-ST value: "short message received by the SME", ... */
VELMORA_SMS_API const char *velmora_delivery_status_text(uint8_t tp_st);

/* ---- The decoded record ----------------------------------------------------- */

#define VELMORA_ADDRESS_CAPACITY 48
#define VELMORA_TEXT_CAPACITY 768   /* 255 UCS-2 characters of the 3GPP2 layout as UTF-8, and a NUL */
#define VELMORA_DATA_CAPACITY 512   /* user data octets behind the header */
#define VELMORA_UDH_CAPACITY 140
#define VELMORA_ELEMENT_CAPACITY 70

typedef struct velmora_address {
    char text[VELMORA_ADDRESS_CAPACITY]; /* UTF-8: "+4912345", "*100#", or an alphanumeric name */
    uint8_t type;    /* type-of-address octet */
    uint8_t ton;     /* type of number, bits 6-4: 1 international, 5 alphanumeric, ... */
    uint8_t npi;     /* numbering plan, bits 3-0 */
    uint8_t length;  /* the length field as read: semi-octets (TP addresses), octets (SMSC, 3GPP2) */
} velmora_address;

typedef struct velmora_time {
    uint16_t year;   /* four digits: 00-89 are 2000-2089, 90-99 are 1990-1999 */
    uint8_t month, day, hour, minute, second;
    uint8_t has_utc_offset;  /* 0 for the 3GPP2 time stamp, which has no zone */
    int16_t utc_offset;      /* minutes east of UTC */
} velmora_time;

typedef struct velmora_waiting {
    uint8_t kind;    /* velmora_waiting_kind; VELMORA_WAITING_NONE: no indication */
    uint8_t active;  /* the indication is set (DCS), or count > 0 (header element) */
    uint8_t store;   /* 1: store the message, 0: it may be discarded */
    uint8_t count;   /* messages waiting (header element 0x01 only) */
} velmora_waiting;

/* One information element of the user data header: its data is
 * udh[offset .. offset + length). */
typedef struct velmora_element {
    uint8_t iei;
    uint8_t length;
    uint8_t offset;
} velmora_element;

/* Bits of velmora_message.present for fields that a message may lack. */
#define VELMORA_HAS_SMSC 0x0001u             /* with digits: a type octet alone says as little as none */
#define VELMORA_HAS_ORIGINATOR 0x0002u       /* TP-OA, 3GPP2 sender */
#define VELMORA_HAS_RECIPIENT 0x0004u        /* TP-DA (SUBMIT), TP-RA (STATUS-REPORT) */
#define VELMORA_HAS_MESSAGE_REFERENCE 0x0008u
#define VELMORA_HAS_PID 0x0010u
#define VELMORA_HAS_DCS 0x0020u
#define VELMORA_HAS_TIMESTAMP 0x0040u        /* TP-SCTS, 3GPP2 time stamp */
#define VELMORA_HAS_DISCHARGE_TIME 0x0080u
#define VELMORA_HAS_VALIDITY 0x0100u
#define VELMORA_HAS_STATUS 0x0200u
#define VELMORA_HAS_PARAMETER_INDICATOR 0x0400u
#define VELMORA_HAS_USER_DATA 0x0800u        /* TP-UDL was read (possibly 0) */
#define VELMORA_HAS_UDH 0x1000u
#define VELMORA_HAS_TELESERVICE 0x2000u      /* 3GPP2 */
#define VELMORA_HAS_TEXT 0x4000u             /* the user data is text (in text); otherwise octets (in data) */

typedef struct velmora_message {
    uint32_t size;             /* set by velmora_message_init */
    uint32_t present;          /* VELMORA_HAS_* */
    uint8_t format;            /* velmora_format */
    uint8_t type;              /* velmora_type */
    uint8_t first_octet;       /* GSM: as read; the flags below are taken from it */
    uint8_t more_messages;     /* DELIVER, STATUS-REPORT: TP-MMS says more messages wait */
    uint8_t loop_prevention;   /* TP-LP */
    uint8_t reject_duplicates; /* SUBMIT: TP-RD */
    uint8_t reply_path;        /* TP-RP */
    uint8_t udhi;              /* TP-UDHI */
    uint8_t status_report;     /* DELIVER: TP-SRI; SUBMIT: TP-SRR */
    uint8_t status_report_qualifier; /* STATUS-REPORT: TP-SRQ (1: the report is on an SMS-COMMAND) */
    uint8_t message_reference; /* TP-MR */
    uint8_t pid;               /* TP-PID */

    velmora_address smsc;
    velmora_address originator;  /* TP-OA; the 3GPP2 sender */
    velmora_address recipient;   /* TP-DA of a SUBMIT, TP-RA of a STATUS-REPORT */

    /* TP-DCS (3GPP TS 23.038 section 4); for 3GPP2 the message encoding number. */
    uint8_t dcs;
    uint8_t alphabet;          /* velmora_alphabet */
    int8_t message_class;      /* 0-3, or -1 */
    uint8_t compressed;        /* the user data is compressed: kept in data, not decompressed */
    uint8_t auto_delete;       /* the automatic deletion group */
    velmora_waiting dcs_waiting;  /* the message waiting indication groups */

    velmora_time timestamp;       /* TP-SCTS, 3GPP2 time stamp */
    velmora_time discharge_time;  /* STATUS-REPORT: TP-DT */

    uint8_t validity_format;   /* velmora_vpf */
    uint8_t validity_single_shot; /* enhanced format, bit 6 */
    uint8_t validity_raw[7];   /* TP-VP as read */
    uint32_t validity_seconds; /* relative forms */
    velmora_time validity_until;  /* absolute form */

    uint8_t status;            /* STATUS-REPORT: TP-ST */
    uint8_t status_category;   /* velmora_delivery_category */
    uint8_t parameter_indicator; /* TP-PI */

    uint16_t teleservice;      /* 3GPP2: 4098, 4101, ... */
    uint8_t priority;          /* 3GPP2 */

    /* TP-UDL as read: septets, octets or (3GPP2) UCS-2 characters, header included. */
    uint8_t user_data_length;

    /* What the header says. A concatenation or port element whose values break the
     * rules of TS 23.040 (part 0, part above parts) is kept in elements only. */
    uint8_t reference_bits;    /* 0: not concatenated; 8 or 16 */
    uint16_t reference;
    uint8_t part, parts;
    uint8_t port_bits;         /* 0: no application port addressing; 8 or 16 */
    uint16_t destination_port, source_port;
    uint8_t locking_shift;     /* national language identifier, 0: none */
    uint8_t single_shift;
    velmora_waiting special;   /* element 0x01, special SMS message indication */

    /* The arrays hold their lengths' worth; decoding writes nothing past that (and the
     * text's NUL), so the bytes beyond keep whatever they held. */
    uint8_t udh_length;        /* the user data header: UDHL octets after UDHL */
    uint8_t element_count;     /* its information elements, in order */
    uint32_t text_length;      /* text of a GSM 7-bit or UCS-2 message as UTF-8, NUL-terminated */
    uint32_t data_length;      /* the user data octets behind the header: 8-bit, UCS-2, compressed */
    uint8_t udh[VELMORA_UDH_CAPACITY];
    velmora_element elements[VELMORA_ELEMENT_CAPACITY];
    char text[VELMORA_TEXT_CAPACITY];
    uint8_t data[VELMORA_DATA_CAPACITY];

    /* What was wrong with a message that could still be read: VELMORA_WARNING_* bits, and
     * the first one met (0 without warnings) with its octet offset and field ("" without). */
    uint32_t warnings;
    uint32_t first_warning;
    uint32_t warning_offset;
    const char *warning_field;
    /* TP-SCTS and TP-DT as read (the 3GPP2 time stamp: its six octets), kept also when
     * VELMORA_WARNING_TIME reports them absent. */
    uint8_t timestamp_raw[7];
    uint8_t discharge_time_raw[7];
} velmora_message;

/* Bits of velmora_message.warnings: a field that breaks the rules of TS 23.040 or 23.038
 * but leaves the message readable. The message is decoded as the comment says; with
 * VELMORA_STRICT each fails instead with the status named at its end. */
#define VELMORA_WARNING_HEADER_ELEMENT 0x0001u   /* an information element runs past the header: the
                                                    header is ignored (its octets kept in udh, no element
                                                    taken), the text after it read; BAD_ELEMENT */
#define VELMORA_WARNING_HEADER_ROOM 0x0002u      /* TP-UDHI set, but TP-UDL 0 or UDHL beyond TP-UDL: read
                                                    as user data without a header; HEADER_TOO_LONG */
#define VELMORA_WARNING_TIME 0x0004u             /* TP-SCTS, TP-DT or an absolute TP-VP whose digits are
                                                    not BCD or not a date and time (month 13, 30 February):
                                                    its VELMORA_HAS_ bit clear, its octets kept in the _raw
                                                    member; INVALID_FIELD */
#define VELMORA_WARNING_ADDRESS_DIGITS 0x0008u   /* an F filler before an address's last semi-octet: left
                                                    out of the digits; INVALID_FIELD */
#define VELMORA_WARNING_RESERVED_CODING 0x0010u  /* a reserved TP-DCS coding group or alphabet: read as
                                                    the GSM 7-bit default alphabet; INVALID_FIELD */
#define VELMORA_WARNING_TRAILING_DATA 0x0020u    /* octets after the user data: ignored; TRAILING_DATA */
#define VELMORA_WARNING_ODD_UCS2 0x0040u         /* UCS-2 user data of an odd octet count: the last octet
                                                    shows as U+FFFD, kept in data; INVALID_FIELD */
#define VELMORA_WARNING_LENGTH 0x0080u           /* modem output: the <length> on the line matches the PDU
                                                    neither with nor without its SMSC: decoded as the flags
                                                    say; LENGTH_MISMATCH */

/* "header-element", "header-room", "time", "address-digits", "reserved-coding",
 * "trailing-data", "odd-ucs2", "length" for one VELMORA_WARNING_ bit; NULL for any other
 * value. */
VELMORA_SMS_API const char *velmora_warning_name(uint32_t warning);
/* What a VELMORA_WARNING_ bit means for the message, for people: "digits not BCD or not a
 * date and time: left out", ...; NULL for any other value. */
VELMORA_SMS_API const char *velmora_warning_text(uint32_t warning);

/* Sets `size` and clears the rest (message_class -1). */
VELMORA_SMS_API void velmora_message_init(velmora_message *message, size_t size);
#define velmora_message_init(message) velmora_message_init((message), sizeof *(message))

/* The message waiting indication in force: the special SMS message indication element
 * when the header has one, else that of the TP-DCS group; NULL when there is none. */
VELMORA_SMS_API const velmora_waiting *velmora_message_waiting(const velmora_message *message);

/* ---- Decoding ------------------------------------------------------------------ */

/* Flags of the decoding calls. */
#define VELMORA_NO_SMSC 0x01u       /* the PDU starts at the TPDU, without the service-centre address */
/* A compact 3GPP2 layout: the deliver layout (sender, time stamp, teleservice, ...) or the
 * submit layout velmora_encode writes (destination, callback number, teleservice, ...).
 * FROM_NETWORK reads the deliver layout, TO_NETWORK the submit layout. Without either, the
 * second octet after the first address tells them apart: a type of address (bit 7 set) in
 * the submit layout, the month of the time stamp in the deliver layout. A submit layout
 * reads as type VELMORA_SUBMIT: the destination in recipient, the callback number in
 * originator. */
#define VELMORA_CDMA 0x02u
/* TP-MTI names one type per direction: without a flag 00, 01 and 10 read as DELIVER,
 * SUBMIT and STATUS-REPORT, as a modem's message store holds them. FROM_NETWORK reads 01
 * as SMS-SUBMIT-REPORT, TO_NETWORK reads 00 and 10 as SMS-DELIVER-REPORT and SMS-COMMAND:
 * those are refused as VELMORA_E_UNSUPPORTED_TYPE. */
#define VELMORA_FROM_NETWORK 0x04u
#define VELMORA_TO_NETWORK 0x08u
/* Every VELMORA_WARNING_ fails as the status it names, for test equipment and validators. */
#define VELMORA_STRICT 0x10u

/* Decodes one PDU of `length` octets (velmora_decode) or `length` hex characters of either
 * case (velmora_decode_hex) into *message (its `size` set), reading nothing past `length`.
 * The record's fields are cleared first (the arrays up to their lengths); on failure the
 * fields read before the failing one stay filled. `error` may be NULL. */
VELMORA_SMS_API velmora_status velmora_decode(const uint8_t *pdu, size_t length, unsigned flags,
                                              velmora_message *message, velmora_error *error);
VELMORA_SMS_API velmora_status velmora_decode_hex(const char *hex, size_t length, unsigned flags,
                                                  velmora_message *message, velmora_error *error);

/* ---- The field map --------------------------------------------------------------- */

typedef enum velmora_field_kind {
    VELMORA_FIELD_READ = 0,   /* a field as read */
    VELMORA_FIELD_ERROR = 1   /* where reading stopped: the octets from there to the end */
} velmora_field_kind;

#define VELMORA_MEANING_CAPACITY 96

/* One field of a PDU, in the order the PDU holds them. A field of level 1 is a part of the
 * level-0 field before it: a flag of the first octet, UDHL, an information element, the
 * fill bits, the text behind the header. */
typedef struct velmora_field {
    uint32_t size;        /* set by velmora_field_init */
    uint8_t kind;         /* velmora_field_kind */
    uint8_t level;
    uint8_t first_bit;    /* bits of the octet at `offset`: the lowest, 0-7 */
    uint8_t bit_count;    /* 0: whole octets */
    uint32_t offset;      /* octet offset in the PDU, service-centre address included */
    uint32_t length;      /* octets */
    const char *name;     /* "TP-OA", "TP-MTI", "UDHL", "concatenation, 8-bit reference", ... */
    char meaning[VELMORA_MEANING_CAPACITY]; /* UTF-8: "international, ISDN: +4912345",
                                               "GSM 7-bit, class 0", "part 2 of 3, reference 0x12" */
    uint32_t warnings;    /* VELMORA_WARNING_ bits met in this field: on a level-0 field, the one
                             whose octets hold the warning's offset (octets after the user data
                             are a field of their own, "trailing data") */
} velmora_field;

/* Sets `size` in each of `count` fields. */
VELMORA_SMS_API void velmora_field_init(velmora_field *fields, size_t count, size_t size);
#define velmora_field_init(fields, count) velmora_field_init((fields), (count), sizeof *(fields))

/* Decodes as velmora_decode and velmora_decode_hex do (message may be NULL) and describes
 * every field read, then, on failure, the field where reading stopped (VELMORA_FIELD_ERROR).
 * *count gets the number of entries the PDU has; the first min(capacity, *count) are
 * written to fields (stepped through by the `size` of the first). Returns the decoding's
 * status. */
VELMORA_SMS_API velmora_status velmora_explain(const uint8_t *pdu, size_t length, unsigned flags,
                                               velmora_message *message, velmora_field *fields,
                                               size_t capacity, size_t *count, velmora_error *error);
VELMORA_SMS_API velmora_status velmora_explain_hex(const char *hex, size_t length, unsigned flags,
                                                   velmora_message *message, velmora_field *fields,
                                                   size_t capacity, size_t *count, velmora_error *error);

/* ---- Encoding ------------------------------------------------------------------ */

/* The validity period to send (velmora_submit_options.validity). */
typedef enum velmora_validity {
    VELMORA_VALIDITY_DEFAULT = 0,    /* GSM: 4 days (TP-VP 0xAA) on a single PDU, none on parts */
    VELMORA_VALIDITY_OMIT = 1,       /* no TP-VP */
    VELMORA_VALIDITY_MINUTES = 2,    /* relative: validity_minutes, rounded up to what TP-VP can say */
    VELMORA_VALIDITY_UNTIL = 3       /* absolute: validity_until, with its UTC offset */
} velmora_validity;

/* Numbers hold at most 20 digits. Members the compact 3GPP2 layout has no field for (smsc,
 * message_reference, status_report, reject_duplicates, reply_path, message_class, pid, a
 * validity other than DEFAULT or OMIT) must keep their defaults there. A value out of
 * range fails as VELMORA_E_ARGUMENT, error->field naming the member. */
typedef struct velmora_submit_options {
    uint32_t size;             /* set by velmora_submit_options_init */
    const char *to;            /* destination: digits, '*', '#', 'a'-'c'; a leading '+' is international;
                                  "": none (TP-DA of length 0, as for a draft to store) */
    int to_type;               /* type-of-address octet (0x80-0xFF, not alphanumeric); 0: 0x91 after
                                  '+', 0x81 otherwise */
    const char *smsc;          /* service centre, type 0x91 after '+'; NULL or "": none (the modem's own) */
    const char *from;          /* 3GPP2 callback number: needed with VELMORA_FORMAT_CDMA, refused without */
    int from_type;             /* as to_type; only with VELMORA_FORMAT_CDMA */
    uint8_t format;            /* velmora_format */
    uint8_t alphabet;          /* velmora_alphabet; VELMORA_ALPHABET_AUTO by default. GSM7 takes the
                                  national tables allowed when the default alphabet cannot carry the
                                  text; 8BIT sends the text's UTF-8 bytes. Data: AUTO or 8BIT only */
    uint16_t languages;        /* national languages allowed: VELMORA_LANGUAGE_BIT(id); GSM only */
    uint8_t message_reference; /* TP-MR, the same in every part */
    uint8_t reference_bits;    /* concatenation reference: 8 (default) or 16 bits */
    int32_t reference;         /* the concatenation reference; -1 (default): the library's counter,
                                  which moves on by one for each concatenated message that takes it */
    uint8_t status_report;     /* TP-SRR */
    uint8_t reject_duplicates; /* TP-RD */
    uint8_t reply_path;        /* TP-RP */
    int8_t message_class;      /* -1 (default): none; 0 (flash) to 3, in TP-DCS bits 1-0 (bit 4 set) */
    uint8_t pid;               /* TP-PID */
    uint8_t validity;          /* velmora_validity */
    uint32_t validity_minutes; /* up to 63 weeks (635040) */
    velmora_time validity_until; /* years 1990-2089; an offset in quarter hours, UTC without one */
    uint8_t port_bits;         /* application ports in every part: 0 (default) none, 8 or 16 */
    uint16_t destination_port;
    uint16_t source_port;
} velmora_submit_options;

/* `size` and the defaults: AUTO alphabet, no national languages, 8-bit reference from the
 * counter, no class, DEFAULT validity; `to` must still be set. */
VELMORA_SMS_API void velmora_submit_options_init(velmora_submit_options *options, size_t size);
#define velmora_submit_options_init(options) velmora_submit_options_init((options), sizeof *(options))

#define VELMORA_PDU_CAPACITY 400   /* hex characters of the longest PDU, and a NUL */
#define VELMORA_MAX_PARTS 255

typedef struct velmora_pdu {
    uint32_t size;                  /* set by velmora_pdu_init */
    char hex[VELMORA_PDU_CAPACITY]; /* upper-case, NUL-terminated */
    uint32_t hex_length;
    uint32_t tpdu_length;           /* octets after the service-centre address: AT+CMGS=<n>
                                       (3GPP2: the whole PDU) */
} velmora_pdu;

/* Sets `size` in each of `count` PDUs. */
VELMORA_SMS_API void velmora_pdu_init(velmora_pdu *pdus, size_t count, size_t size);
#define velmora_pdu_init(pdus, count) velmora_pdu_init((pdus), (count), sizeof *(pdus))

/* UTF-8 text (velmora_encode) or 8-bit data (velmora_encode_data) to as many PDUs as it
 * needs, into pdus[0 .. capacity). *count gets the number of PDUs; nothing is written to
 * pdus when they do not all fit (VELMORA_E_NO_ROOM, *count then says how many are needed;
 * pdus may be NULL with capacity 0 to ask). On any other failure *count is 0, and
 * error->offset is the byte of the text where it lies: the first byte that is not UTF-8,
 * the character the alphabet cannot carry (VELMORA_E_UNENCODABLE, with code_point), or
 * the first character past 255 parts. An empty text is one PDU without user data. */
VELMORA_SMS_API velmora_status velmora_encode(const char *text, size_t length,
                                              const velmora_submit_options *options, velmora_pdu *pdus,
                                              size_t capacity, size_t *count, velmora_error *error);
VELMORA_SMS_API velmora_status velmora_encode_data(const uint8_t *data, size_t length,
                                                   const velmora_submit_options *options, velmora_pdu *pdus,
                                                   size_t capacity, size_t *count, velmora_error *error);

/* What a phone shows while the text is typed, without encoding it. Units are septets
 * (GSM 7-bit), octets (8-bit) or UTF-16 code units (UCS-2). */
typedef struct velmora_count_result {
    uint32_t size;            /* set by velmora_count_result_init or VELMORA_COUNT_RESULT_INIT */
    uint8_t alphabet;         /* velmora_alphabet */
    uint8_t locking_shift;    /* national language identifiers, 0: none */
    uint8_t single_shift;
    uint32_t parts;           /* may pass 255: velmora_encode refuses those */
    uint32_t units_per_part;  /* of each part: 160, 153, 70, 67, ... less for header elements */
    uint32_t units_used;      /* by the whole text */
    uint32_t units_left;      /* in the last part */
} velmora_count_result;

#define VELMORA_COUNT_RESULT_INIT {sizeof(velmora_count_result), 0, 0, 0, 0, 0, 0, 0}
VELMORA_SMS_API void velmora_count_result_init(velmora_count_result *result, size_t size);
#define velmora_count_result_init(result) velmora_count_result_init((result), sizeof *(result))

/* The alphabet and the cut velmora_encode would take, for any text length up to 2^31 - 1
 * bytes. `options` may be NULL for the defaults; the numbers in it are not read. */
VELMORA_SMS_API velmora_status velmora_count(const char *text, size_t length,
                                             const velmora_submit_options *options,
                                             velmora_count_result *result, velmora_error *error);

/* ---- Reassembly ---------------------------------------------------------------- */

/* The parts of concatenated messages, kept in storage the caller owns until every part of
 * a message is in. Parts belong together when format, type, originator, recipient,
 * reference, reference width and part count agree. A slot keeps what joining needs: the
 * part's fields (not its header) and its text or data. */
typedef struct velmora_reassembly {
    uint32_t size;       /* set by velmora_reassembly_init */
    uint32_t capacity;   /* slots that fit the storage */
    void *storage;
} velmora_reassembly;

/* Bytes of storage for `slots` slots: velmora_reassembly_storage_size() in this library,
 * VELMORA_REASSEMBLY_STORAGE(slots) as this header knows it (a later library whose slots
 * grew fits fewer slots into the same bytes). Storage is aligned for any type, as malloc
 * gives it. */
#define VELMORA_REASSEMBLY_SLOT_SIZE 1112u
#define VELMORA_REASSEMBLY_STORAGE(slots) ((size_t)(slots) * VELMORA_REASSEMBLY_SLOT_SIZE)
VELMORA_SMS_API size_t velmora_reassembly_storage_size(uint32_t slots);

/* Sets `size` and takes `bytes` of storage as empty slots (at most 2^24 of them).
 * VELMORA_E_ARGUMENT for a null pointer, storage not aligned to 8 or too small for one slot. */
VELMORA_SMS_API velmora_status velmora_reassembly_init(velmora_reassembly *reassembly, void *storage,
                                                       size_t bytes, size_t size);
#define velmora_reassembly_init(reassembly, storage, bytes) \
    velmora_reassembly_init((reassembly), (storage), (bytes), sizeof *(reassembly))

/* One message being put together, as it stood when it was described. A group names its
 * message: once the message is released, the group is stale, and the calls below do
 * nothing with it (velmora_reassembly_slot gives -1, the others VELMORA_E_STALE_GROUP). */
typedef struct velmora_group {
    uint32_t size;           /* set by velmora_group_init */
    uint32_t slot;           /* the slot of the lowest part held: its fields stand for the message */
    uint32_t generation;     /* which message that slot held */
    uint8_t parts;           /* parts in all */
    uint8_t present;         /* parts held */
    uint8_t reference_bits;
    uint16_t reference;
    uint64_t first_time;     /* the earliest time among the parts held */
    uint8_t have[32];        /* part n is held when bit n % 8 of have[n / 8] is set */
} velmora_group;

#define VELMORA_GROUP_HAS(group, part) (((group)->have[(part) / 8] >> ((part) % 8)) & 1u)

/* Sets `size` in each of `count` groups. */
VELMORA_SMS_API void velmora_group_init(velmora_group *groups, size_t count, size_t size);
#define velmora_group_init(groups, count) velmora_group_init((groups), (count), sizeof *(groups))

typedef enum velmora_add_result {
    VELMORA_ADD_SINGLE = 0,     /* not a part of a concatenated message: nothing stored */
    VELMORA_ADD_STORED = 1,     /* stored; parts are still missing */
    VELMORA_ADD_COMPLETE = 2,   /* stored; every part is in */
    VELMORA_ADD_DUPLICATE = 3,  /* that part is held already: ignored */
    VELMORA_ADD_FULL = 4,       /* no free slot: release a group first */
    VELMORA_ADD_INVALID = 5     /* a null pointer, or a struct whose `size` is too small */
} velmora_add_result;

/* Copies a decoded part in; *group (may be NULL) describes its message afterwards. */
VELMORA_SMS_API velmora_add_result velmora_reassembly_add(velmora_reassembly *reassembly,
                                                          const velmora_message *part, uint64_t time,
                                                          velmora_group *group);

/* The messages held, earliest first_time first, into groups[0 .. capacity); returns how
 * many there are. */
VELMORA_SMS_API size_t velmora_reassembly_groups(const velmora_reassembly *reassembly, velmora_group *groups,
                                                 size_t capacity);

/* The slot (0 .. capacity - 1) holding part `part` (1-based) of a message, or -1: not
 * held, or a stale group. */
VELMORA_SMS_API int32_t velmora_reassembly_slot(const velmora_reassembly *reassembly, const velmora_group *group,
                                                uint32_t part);

/* The text (UTF-8) or the data of the parts held, in part order: UCS-2 parts are joined
 * before they become UTF-8, so that a character cut between two parts comes out whole.
 * Writes at most `capacity` bytes (text: NUL-terminated when there is room); *length
 * gets the length of the whole. */
VELMORA_SMS_API velmora_status velmora_reassembly_text(const velmora_reassembly *reassembly,
                                                       const velmora_group *group, char *text, size_t capacity,
                                                       size_t *length);
VELMORA_SMS_API velmora_status velmora_reassembly_data(const velmora_reassembly *reassembly,
                                                       const velmora_group *group, uint8_t *data,
                                                       size_t capacity, size_t *length);

/* The fields of the message's lowest part held, as decoded (its warnings and time stamps
 * as read included), without its header, text or data (those of the whole message come
 * from velmora_reassembly_text and _data). */
VELMORA_SMS_API velmora_status velmora_reassembly_fields(const velmora_reassembly *reassembly,
                                                         const velmora_group *group, velmora_message *message);

/* Frees the slots of a message; a stale group frees nothing. */
VELMORA_SMS_API velmora_status velmora_reassembly_release(velmora_reassembly *reassembly,
                                                          const velmora_group *group);

/* ---- Modem output ---------------------------------------------------------------- */

/* Reads what a modem printed in PDU mode (AT+CMGF=0), as a terminal or a log shows it,
 * line by line, with no heap and no I/O: the caller feeds each line and takes what it
 * holds until velmora_modem_next says VELMORA_MODEM_NONE.
 *
 * Responses of 3GPP TS 27.005 are recognised wherever they start on a line, behind
 * timestamps, `<`/`>` direction marks or a ModemManager log's quoted `<CR><LF>` text (which
 * is split there into lines): `+CMGL: <index>,<stat>,[<alpha>],<length>`, `+CMGR:
 * <stat>,[<alpha>],<length>`, `+CMT: [<alpha>],<length>` and `+CDS: <length>` announce a PDU
 * on the next line; `+CMGS: <mr>`, `+CMSS: <mr>` and `+CMS ERROR: <err>` are entries of
 * their own. <length> counts the TPDU's octets, so it says whether the PDU begins with a
 * service-centre address; when it matches neither reading, the PDU is decoded as the
 * reader's flags say, with VELMORA_WARNING_LENGTH. <stat> 0-1 reads the PDU as coming from
 * the network, 2-3 as going to it; +CMT and +CDS come from it.
 *
 * A line of hex digits alone (at least two, or any 16 letters and digits) with no response
 * before it is a PDU too, read as the flags say. Every other line is skipped: echoes,
 * prompts, OK, unsolicited results. A response line whose next line holds no PDU gives a
 * VELMORA_MODEM_FAILED entry (VELMORA_E_ENDS_EARLY, field "PDU"); a text-mode listing gives
 * one VELMORA_MODEM_FAILED entry with VELMORA_E_TEXT_MODE, its texts skipped. */

typedef enum velmora_modem_kind {
    VELMORA_MODEM_NONE = 0,     /* nothing more in the line fed */
    VELMORA_MODEM_MESSAGE = 1,  /* a PDU decoded into the message (warnings in it) */
    VELMORA_MODEM_FAILED = 2,   /* a PDU that could not be read, or a text-mode listing: see the error */
    VELMORA_MODEM_SENT = 3,     /* +CMGS or +CMSS: message_reference */
    VELMORA_MODEM_ERROR = 4     /* +CMS ERROR: cms_error, velmora_cms_error_text */
} velmora_modem_kind;

/* The response a PDU came with. */
typedef enum velmora_modem_response {
    VELMORA_RESPONSE_NONE = 0,  /* a bare PDU line */
    VELMORA_RESPONSE_CMGL = 1,
    VELMORA_RESPONSE_CMGR = 2,
    VELMORA_RESPONSE_CMT = 3,
    VELMORA_RESPONSE_CDS = 4,
    VELMORA_RESPONSE_CMGS = 5,
    VELMORA_RESPONSE_CMSS = 6,
    VELMORA_RESPONSE_CMS_ERROR = 7
} velmora_modem_response;

/* The reader's state between lines: set by velmora_modem_reader_init, then the library's. */
typedef struct velmora_modem_reader {
    uint32_t size;            /* set by velmora_modem_reader_init */
    uint32_t flags;           /* decoding flags for every PDU: VELMORA_STRICT, VELMORA_CDMA, ... */
    const char *line;         /* the line fed, and how far it is read */
    size_t line_length;
    size_t at;
    int32_t index;            /* of the response waiting for its PDU, -1: none */
    int32_t length;
    int32_t read_index;       /* <index> of the last AT+CMGR=<index> echoed, -1: none */
    int8_t stat;
    uint8_t response;         /* velmora_modem_response waiting for its PDU; NONE: no PDU due */
    uint8_t in_text_listing;  /* skipping the texts of a text-mode listing */
    uint8_t text_mode_told;   /* the text-mode failure was given for this listing */
} velmora_modem_reader;

/* Sets `size`, `flags` (the decoding flags) and an empty state. VELMORA_E_ARGUMENT for a
 * null reader or flags velmora_decode refuses. */
VELMORA_SMS_API velmora_status velmora_modem_reader_init(velmora_modem_reader *reader, unsigned flags,
                                                         size_t size);
#define velmora_modem_reader_init(reader, flags) velmora_modem_reader_init((reader), (flags), sizeof *(reader))

/* What one entry is, besides the message and the error. */
typedef struct velmora_modem_entry {
    uint32_t size;             /* set by velmora_modem_entry_init */
    uint8_t kind;              /* velmora_modem_kind */
    uint8_t response;          /* velmora_modem_response */
    int8_t storage;            /* <stat> of +CMGL, +CMGR: 0 "REC UNREAD", 1 "REC READ", 2 "STO UNSENT",
                                  3 "STO SENT" (velmora_storage_name); -1: none */
    int32_t index;             /* <index> of +CMGL, or of the AT+CMGR=<index> echoed before +CMGR; -1: none */
    int32_t length;            /* <length> on the response line; -1: none */
    int32_t message_reference; /* SENT: <mr>; -1 otherwise */
    int32_t cms_error;         /* ERROR: <err>, or the code whose TS 27.005 meaning the modem's words
                                  spell (cms_error_words); -1 otherwise */
    /* Added after the first release (within `size` when set by this header's init): */
    const char *pdu;           /* MESSAGE, FAILED on a PDU: its hex digits in the line fed; NULL otherwise */
    size_t pdu_length;
    uint32_t decode_flags;     /* the flags the PDU was decoded with: its direction, VELMORA_NO_SMSC as
                                  <length> says */
    const char *cms_error_words; /* ERROR: the words the modem gave instead of a number (AT+CMEE=2), in
                                    the line fed; NULL otherwise */
    size_t cms_error_words_length;
} velmora_modem_entry;

VELMORA_SMS_API void velmora_modem_entry_init(velmora_modem_entry *entry, size_t size);
#define velmora_modem_entry_init(entry) velmora_modem_entry_init((entry), sizeof *(entry))

/* Hands the reader a line (with or without its line break). The line stays the caller's
 * and must stay as it is until velmora_modem_next returns VELMORA_MODEM_NONE. */
VELMORA_SMS_API velmora_status velmora_modem_feed(velmora_modem_reader *reader, const char *line, size_t length);

/* The next entry of the line fed: a PDU decoded into *message (as velmora_decode_hex does,
 * `error` telling why when it failed), or another entry; VELMORA_MODEM_NONE when the line
 * holds nothing more. `error` may be NULL; a null reader, entry or message, or one too
 * small, gives VELMORA_MODEM_FAILED with VELMORA_E_ARGUMENT. */
VELMORA_SMS_API velmora_modem_kind velmora_modem_next(velmora_modem_reader *reader, velmora_modem_entry *entry,
                                                      velmora_message *message, velmora_error *error);

/* "REC UNREAD", "REC READ", "STO UNSENT", "STO SENT" for <stat> 0-3; NULL otherwise. */
VELMORA_SMS_API const char *velmora_storage_name(int stat);

/* The meaning of a +CMS ERROR code (TS 27.005 3.2.5): "memory full" for 322, ...;
 * "unknown error" for codes without one. */
VELMORA_SMS_API const char *velmora_cms_error_text(int code);

#ifdef __cplusplus
}
#endif

#endif /* VELMORA_SMS_H */
