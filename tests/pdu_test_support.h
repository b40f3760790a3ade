// Shared helpers of the PDU-level tests: records, hex, an independent septet packer
// and unpacker, SMS-SUBMIT / 3GPP2 submit parsers, and whole-record comparison.
#pragma once

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "heap_text.h"
#include "velmora.h"

namespace pdu_test {

// Records are ~4 KB; tests keep them on the heap.
inline std::unique_ptr<sms_message> cleared_record() {
    auto record = std::make_unique<sms_message>();
    std::memset(record.get(), 0, sizeof(sms_message));
    return record;
}

inline std::unique_ptr<sms_message> filled_record(unsigned char byte) {
    auto record = std::make_unique<sms_message>();
    std::memset(record.get(), byte, sizeof(sms_message));
    return record;
}

inline void set_digits(char *field, std::uint32_t *len, std::string_view digits) {
    std::memset(field, 0, SMS_TELNUM_CAPACITY);
    std::memcpy(field, digits.data(), digits.size());
    *len = static_cast<std::uint32_t>(digits.size());
}

// A record as the driver hands it to a per-part encoder: GSM codes in text.
inline std::unique_ptr<sms_message> part_record(std::string_view codes, std::string_view dst = "12345",
                                                std::string_view callback = "678", std::uint32_t coding = 0) {
    auto record = cleared_record();
    std::memcpy(record->text, codes.data(), codes.size());
    record->text_len = static_cast<std::uint32_t>(codes.size());
    record->data_coding = coding;
    set_digits(record->dst_telnum, &record->dst_telnum_len, dst);
    record->dst_telnum_type = 0x81;
    set_digits(record->telnum, &record->telnum_len, callback);
    record->telnum_type = 0x81;
    return record;
}

inline std::string to_hex(std::string_view bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 0x0F];
    }
    return out;
}

inline std::vector<std::uint8_t> from_hex(std::string_view hex) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<std::uint8_t>(std::stoul(std::string(hex.substr(i, 2)), nullptr, 16)));
    return out;
}

// Septets LSB first behind `fill` zero bits (3GPP TS 23.038 packing), written bit by bit.
inline std::string pack_septets(std::string_view codes, unsigned fill) {
    std::string out((7 * codes.size() + fill + 7) / 8, '\0');
    for (std::size_t k = 0; k < codes.size(); ++k)
        for (unsigned bit = 0; bit < 7; ++bit)
            if ((static_cast<unsigned char>(codes[k]) >> bit) & 1) {
                const std::size_t at = fill + 7 * k + bit;
                out[at / 8] = static_cast<char>(out[at / 8] | (1 << (at % 8)));
            }
    return out;
}

// Code k from stream bits first_bit + 7k .. first_bit + 7k + 6; bits past the octets read as 0.
inline std::string unpack_septets(std::string_view octets, std::size_t first_bit, std::size_t count) {
    std::string codes;
    for (std::size_t k = 0; k < count; ++k) {
        unsigned code = 0;
        for (unsigned bit = 0; bit < 7; ++bit) {
            const std::size_t at = first_bit + 7 * k + bit;
            if (at / 8 < octets.size() && ((static_cast<unsigned char>(octets[at / 8]) >> (at % 8)) & 1))
                code |= 1u << bit;
        }
        codes += static_cast<char>(code);
    }
    return codes;
}

// The fields of one encoded part, read back by the test's own parser.
struct PartView {
    unsigned first = 0;      // GSM first octet, or the 3GPP2 teleservice
    unsigned coding = 0;     // TP-DCS or the 3GPP2 message encoding
    unsigned udl = 0;        // user-data length as written
    bool header = false;
    unsigned ref = 0, count = 0, seq = 0;
    std::string codes;       // unpacked septets after the header
    std::size_t octets_after = 0;  // octets left over after the user data
};

inline void read_user_data(const std::vector<std::uint8_t> &o, std::size_t i, bool header, PartView &v) {
    std::size_t first_bit = 0, header_septets = 0;
    if (header) {
        const unsigned udhl = o.at(i);
        v.header = true;
        if (o.at(i + 1) == 0x00 && o.at(i + 2) == 0x03) {
            v.ref = o.at(i + 3);
            v.count = o.at(i + 4);
            v.seq = o.at(i + 5);
        }
        header_septets = ((udhl + 1) * 8 + 6) / 7;
        first_bit = header_septets * 7;
    }
    const std::size_t septets = v.udl - header_septets;
    const std::string ud(o.begin() + static_cast<std::ptrdiff_t>(i), o.end());
    v.codes = unpack_septets(ud, first_bit, septets);
    v.octets_after = ud.size() - (first_bit + 7 * septets + 7) / 8;
}

// SMS-SUBMIT as written by the GSM encoder: SCA, first octet, MR, DA, PID, DCS, [VP], UDL, UD.
inline PartView parse_submit(std::string_view pdu) {
    const auto o = from_hex(pdu);
    PartView v;
    std::size_t i = 0;
    i += 1 + o.at(0);
    v.first = o.at(i++);
    ++i;  // TP-MR
    const unsigned digits = o.at(i++);
    i += 1 + (digits + 1) / 2;
    ++i;  // TP-PID
    v.coding = o.at(i++);
    if ((v.first & 0x18) == 0x10)
        ++i;  // relative TP-VP
    v.udl = o.at(i++);
    read_user_data(o, i, (v.first & 0x40) != 0, v);
    return v;
}

// 3GPP2 submit: destination, callback, teleservice, priority, encoding, length, user data.
inline PartView parse_3gpp2_submit(std::string_view pdu) {
    const auto o = from_hex(pdu);
    PartView v;
    std::size_t i = 0;
    i += 1 + o.at(i);
    i += 1 + o.at(i);
    v.first = (o.at(i) << 8) | o.at(i + 1);
    i += 3;  // teleservice, priority
    v.coding = o.at(i++);
    v.udl = o.at(i++);
    read_user_data(o, i, v.first == 0x1005, v);
    return v;
}

__attribute__((format(printf, 1, 2))) inline std::string strf(const char *format, ...) {
    char line[4096];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    return line;
}

inline std::string head_hex(const char *bytes, std::size_t n) {
    return to_hex(std::string_view(bytes, n < 48 ? n : 48));
}

// Member-by-member comparison; padding bytes are not part of the record's state.
inline void expect_same_record(const sms_message &want, const sms_message &got) {
#define PDU_TEST_MEMBER(m) EXPECT_EQ(want.m, got.m) << #m
#define PDU_TEST_BYTES(m)                                                                   \
    EXPECT_EQ(0, std::memcmp(want.m, got.m, sizeof want.m))                                 \
        << #m << ": want " << head_hex(want.m, sizeof want.m) << " got " << head_hex(got.m, sizeof got.m)
    PDU_TEST_MEMBER(reserved);
    PDU_TEST_BYTES(text);
    PDU_TEST_MEMBER(text_len);
    PDU_TEST_MEMBER(data_coding);
    PDU_TEST_MEMBER(msg_id);
    PDU_TEST_MEMBER(priority);
    PDU_TEST_MEMBER(total_parts);
    PDU_TEST_MEMBER(part_num);
    PDU_TEST_BYTES(telnum);
    PDU_TEST_MEMBER(telnum_type);
    PDU_TEST_MEMBER(telnum_len);
    PDU_TEST_BYTES(dst_telnum);
    PDU_TEST_MEMBER(dst_telnum_type);
    PDU_TEST_MEMBER(dst_telnum_len);
    PDU_TEST_MEMBER(teleserv_id);
    PDU_TEST_BYTES(date_time);
    PDU_TEST_BYTES(date_time_raw);
    PDU_TEST_BYTES(timezone);
    PDU_TEST_MEMBER(pdu_count);
    for (int s = 0; s < SMS_MAX_PARTS; ++s) {
        PDU_TEST_BYTES(pdus[s].pdu) << " slot " << s;
        PDU_TEST_MEMBER(pdus[s].pdu_len) << " slot " << s;
    }
#undef PDU_TEST_MEMBER
#undef PDU_TEST_BYTES
}

inline void put(char *field, std::size_t capacity, std::string_view value) {
    std::memset(field, 0, capacity);
    std::memcpy(field, value.data(), value.size());
}
#define PDU_TEST_PUT(record, member, value) pdu_test::put((record).member, sizeof (record).member, value)

using Decoder = int (*)(const char *, std::uint32_t, sms_message *, int);

// Decodes every prefix of `full` from an exactly sized heap block, with sz its length.
// `expect` fills the wanted record (starting cleared) and returns the wanted result; a
// success that ends inside the user data (from `user_data` on) must decode as if the
// missing characters were zeros.
inline void decode_prefixes(Decoder decode, const std::string &full, std::size_t user_data,
                            const std::function<int(std::size_t, sms_message &)> &expect) {
    for (std::size_t p = 0; p <= full.size(); ++p) {
        SCOPED_TRACE("prefix " + std::to_string(p));
        const HeapText prefix(full.substr(0, p));
        auto got = filled_record(0xA5);
        auto want = cleared_record();
        const int result = expect(p, *want);
        if (result == 0 && p >= user_data) {
            const std::size_t even = p - p % 2;
            const std::string padded = full.substr(0, even) + std::string(full.size() - even, '0');
            ASSERT_EQ(decode(padded.c_str(), static_cast<std::uint32_t>(padded.size()), want.get(), 0), 0);
        }
        EXPECT_EQ(decode(prefix, static_cast<std::uint32_t>(p), got.get(), 0), result);
        expect_same_record(*want, *got);
    }
}

}  // namespace pdu_test
