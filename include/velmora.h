// SPDX-License-Identifier: Apache-2.0
/*
 * velmora: GSM SMS-SUBMIT / SMS-DELIVER and compact 3GPP2 PDUs as hexadecimal text.
 *
 * One caller-owned sms_message carries the text, the numbers, the decoded header
 * fields and the finished PDUs. Every function reports failure through its result;
 * the library keeps no error state. A non-zero `debug` prints trace lines to stdout.
 */
#ifndef VELMORA_H
#define VELMORA_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define VELMORA_API __attribute__((visibility("default")))
#else
#define VELMORA_API
#endif

#define SMS_TEXT_CAPACITY 919    /* 6 parts x 153 codes + 1 */
#define SMS_PDU_CAPACITY 322     /* hexadecimal characters of one PDU (2 x 161 octets) */
#define SMS_MAX_PARTS 6
#define SMS_TELNUM_CAPACITY 32

/* Selectors for sms_encode_pdus(). Any non-zero value selects 3GPP2; 1 also sets
 * data_coding to 2 (7-bit), other non-zero values leave it 0. */
#define SMS_FORMAT_GSM 0
#define SMS_FORMAT_3GPP2 1

/* One finished PDU: upper-case hexadecimal text, NUL-terminated when shorter than 322. */
typedef struct sms_pdu_slot {
    char pdu[SMS_PDU_CAPACITY];
    uint32_t pdu_len;
} sms_pdu_slot;

typedef struct sms_message {
    uint32_t reserved;        /* never read or set by the library; decoders clear it */
    char text[SMS_TEXT_CAPACITY];
    uint32_t text_len;        /* characters, GSM codes, octets or UCS-2 characters */
    uint32_t data_coding;     /* GSM TP-DCS, or the 3GPP2 message encoding */
    uint32_t msg_id;          /* concatenation reference number */
    uint32_t priority;        /* 3GPP2 priority octet */
    uint32_t total_parts;
    uint32_t part_num;
    char telnum[SMS_TELNUM_CAPACITY];      /* sender (decoders) or 3GPP2 callback (encoder) */
    uint32_t telnum_type;
    uint32_t telnum_len;
    char dst_telnum[SMS_TELNUM_CAPACITY];  /* destination digits '0'-'9', no '+' */
    uint32_t dst_telnum_type;
    uint32_t dst_telnum_len;
    uint32_t teleserv_id;     /* 3GPP2 teleservice, 4098 or 4101 */
    char date_time[20];       /* "DD/MM/YY - hh:mm:ss" */
    char date_time_raw[13];   /* "YYMMDDhhmmss" */
    char timezone[3];         /* the two time-zone digits of a GSM time stamp */
    uint32_t pdu_count;
    sms_pdu_slot pdus[SMS_MAX_PARTS];
} sms_message;

/* The GSM escape code 0x1B announcing an extension-table code. */
VELMORA_API extern const unsigned char eESCAPE;

/* Text entry and sending */
VELMORA_API int sms_write(const char *str, sms_message *sms);
VELMORA_API int sms_encode_pdus(sms_message *sms, int pdu_format, int debug);

/* Per-part encoders: part_count 0 selects a single PDU without a concatenation header. */
VELMORA_API int sms_encode_pdu(const sms_message *sms, char *out, uint32_t out_size,
                               uint32_t part_no, uint32_t part_count, uint32_t msg_ref, int debug);
VELMORA_API int sms_encode_3gpp2_pdu(const sms_message *sms, char *out, uint32_t out_size,
                                     uint32_t part_no, uint32_t part_count, uint32_t msg_ref,
                                     int debug);

/* Receiving */
VELMORA_API int sms_decode_pdu(const char *pdu_str, uint32_t sz, sms_message *sms, int debug);
VELMORA_API int sms_decode_3gpp2_pdu(const char *pdu_str, uint32_t sz, sms_message *sms, int debug);

/* Hexadecimal text: octets -> text and text -> octets; neither writes a NUL. */
VELMORA_API uint32_t convert_hexarray_to_bytestr(const unsigned char *octets, uint32_t octet_count,
                                                 char *text, uint32_t text_capacity);
VELMORA_API uint32_t convert_bytestr_to_hexarray(const char *text, uint32_t text_len,
                                                 unsigned char *octets, uint32_t octet_capacity,
                                                 int debug);

/* GSM 7-bit default alphabet (3GPP TS 23.038), one code per byte. */
VELMORA_API uint32_t encode_ascii_to_gsm0338(const char *text, uint32_t length, unsigned char *out,
                                             uint32_t cap, int debug);
VELMORA_API uint32_t decode_gsm0338_to_ascii(const unsigned char *codes, uint32_t count, char *out,
                                             uint32_t cap);
VELMORA_API unsigned char esc_decode_to_ascii_char(const unsigned char *code);

/* Septet unpacking after `fill` zero bits; 0 on success, -1 when cap < floor(8 x count / 7). */
VELMORA_API int decode7(const unsigned char *in, uint32_t count, unsigned char *out, uint32_t cap,
                        uint32_t fill);

/* Time stamps: 14 hex characters of a GSM TP-SCTS, or 12 plain-order 3GPP2 digits. */
VELMORA_API void decode_datetime(const char *hex14, sms_message *sms);
VELMORA_API void decode_datetime_3gpp2(const char *hex12, sms_message *sms);

#ifdef __cplusplus
}
#endif

#endif /* VELMORA_H */
