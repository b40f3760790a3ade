// Shared helpers of the unit tests: exactly sized heap inputs, records, hex, an
// independent septet packer and unpacker, whole-record comparison, truncated decoding.
#pragma once

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "velmora.h"

// Test inputs placed at the very end of an exactly sized heap block, so that a read past
// the terminating NUL (or past the last octet, without one) is caught by AddressSanitizer
// or valgrind.
class HeapText {
public:
    explicit HeapText(std::string_view text, bool nul = true) : bytes_(new char[text.size() + nul]) {
        std::memcpy(bytes_.get(), text.data(), text.size());
        if (nul)
            bytes_[text.size()] = '\0';
    }
    operator const char *() const { return bytes_.get(); }
    const unsigned char *octets() const { return reinterpret_cast<const unsigned char *>(bytes_.get()); }

private:
    std::unique_ptr<char[]> bytes_;
};

namespace pdu_test {

using Decoder = int (*)(const char *, std::uint32_t, sms_message *, int);

// Records are ~4 KB; tests keep them on the heap, every byte set to `fill`.
inline std::unique_ptr<sms_message> record(unsigned char fill = 0) {
    auto r = std::make_unique<sms_message>();
    std::memset(r.get(), fill, sizeof(sms_message));
    return r;
}

inline void put(char *field, std::size_t capacity, std::string_view value) {
    std::memset(field, 0, capacity);
    std::memcpy(field, value.data(), value.size());
}
#define PDU_TEST_PUT(record, member, value) pdu_test::put((record).member, sizeof (record).member, value)

// A record as the driver hands it to a per-part encoder (GSM codes in text), or as a
// caller hands it to the driver (8-bit text): numbers of type 0x81.
inline std::unique_ptr<sms_message> part_record(std::string_view codes, std::string_view dst = "12345",
                                                std::string_view callback = "678", std::uint32_t coding = 0) {
    auto r = record();
    PDU_TEST_PUT(*r, text, codes);
    r->text_len = static_cast<std::uint32_t>(codes.size());
    r->data_coding = coding;
    PDU_TEST_PUT(*r, dst_telnum, dst);
    r->dst_telnum_len = static_cast<std::uint32_t>(dst.size());
    PDU_TEST_PUT(*r, telnum, callback);
    r->telnum_len = static_cast<std::uint32_t>(callback.size());
    r->dst_telnum_type = r->telnum_type = 0x81;
    return r;
}

inline std::string to_hex(std::string_view bytes) {
    std::string out;
    for (unsigned char b : bytes)
        out += {"0123456789ABCDEF"[b >> 4], "0123456789ABCDEF"[b & 0x0F]};
    return out;
}

// Septets LSB first behind `fill` zero bits (3GPP TS 23.038 packing), written bit by bit:
// code k occupies stream bits fill + 7k .. fill + 7k + 6, octet j holds bits 8j .. 8j + 7.
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
    std::string codes(count, '\0');
    for (std::size_t k = 0; k < count; ++k)
        for (unsigned bit = 0; bit < 7; ++bit) {
            const std::size_t at = first_bit + 7 * k + bit;
            if (at / 8 < octets.size() && ((static_cast<unsigned char>(octets[at / 8]) >> (at % 8)) & 1))
                codes[k] = static_cast<char>(codes[k] | (1 << bit));
        }
    return codes;
}

__attribute__((format(printf, 1, 2))) inline std::string strf(const char *format, ...) {
    char line[4096];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    return line;
}

// Member-by-member comparison; padding bytes are not part of the record's state.
inline void expect_same_record(const sms_message &want, const sms_message &got) {
    struct Member {
        std::string name;
        std::size_t offset, size;
    };
#define PDU_TEST_MEMBER(m) Member{#m, offsetof(sms_message, m), sizeof(sms_message::m)}
    std::vector<Member> members = {
        PDU_TEST_MEMBER(reserved),    PDU_TEST_MEMBER(text),        PDU_TEST_MEMBER(text_len),
        PDU_TEST_MEMBER(data_coding), PDU_TEST_MEMBER(msg_id),      PDU_TEST_MEMBER(priority),
        PDU_TEST_MEMBER(total_parts), PDU_TEST_MEMBER(part_num),    PDU_TEST_MEMBER(telnum),
        PDU_TEST_MEMBER(telnum_type), PDU_TEST_MEMBER(telnum_len),  PDU_TEST_MEMBER(dst_telnum),
        PDU_TEST_MEMBER(dst_telnum_type), PDU_TEST_MEMBER(dst_telnum_len), PDU_TEST_MEMBER(teleserv_id),
        PDU_TEST_MEMBER(date_time),   PDU_TEST_MEMBER(date_time_raw), PDU_TEST_MEMBER(timezone),
        PDU_TEST_MEMBER(pdu_count),
    };
#undef PDU_TEST_MEMBER
    for (std::size_t s = 0; s < SMS_MAX_PARTS; ++s) {
        const std::size_t slot = offsetof(sms_message, pdus) + s * sizeof(sms_pdu_slot);
        const std::string name = "pdus[" + std::to_string(s) + "].";
        members.push_back({name + "pdu", slot + offsetof(sms_pdu_slot, pdu), SMS_PDU_CAPACITY});
        members.push_back({name + "pdu_len", slot + offsetof(sms_pdu_slot, pdu_len), sizeof(std::uint32_t)});
    }
    for (const Member &m : members) {
        const std::string_view w(reinterpret_cast<const char *>(&want) + m.offset, m.size);
        const std::string_view g(reinterpret_cast<const char *>(&got) + m.offset, m.size);
        EXPECT_TRUE(w == g) << m.name << ": want " << to_hex(w.substr(0, 48)) << " got " << to_hex(g.substr(0, 48));
    }
}

// Decodes every prefix of `full` from an exactly sized heap block, with sz its length.
// `expect` fills the wanted record (starting cleared) and returns the wanted result; a
// success that ends inside the user data (from `user_data` on) must decode as if the
// missing characters were zeros.
inline void decode_prefixes(Decoder decode, const std::string &full, std::size_t user_data,
                            const std::function<int(std::size_t, sms_message &)> &expect) {
    for (std::size_t p = 0; p <= full.size(); ++p) {
        SCOPED_TRACE("prefix " + std::to_string(p));
        auto got = record(0xA5);
        auto want = record();
        const int result = expect(p, *want);
        if (result == 0 && p >= user_data) {
            const std::size_t even = p - p % 2;
            const std::string padded = full.substr(0, even) + std::string(full.size() - even, '0');
            ASSERT_EQ(decode(padded.c_str(), static_cast<std::uint32_t>(padded.size()), want.get(), 0), 0);
        }
        EXPECT_EQ(decode(HeapText(full.substr(0, p)), static_cast<std::uint32_t>(p), got.get(), 0), result);
        expect_same_record(*want, *got);
    }
}

}  // namespace pdu_test
