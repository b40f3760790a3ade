// Record fields: numbers in swapped semi-octets, GSM / 3GPP2 time stamps, user data
// as hexadecimal text (septets, UCS-2), and text entry with sms_write. The user-data
// trace lines (531, 548, 766, 776) are compared within the decoders' traced decodes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "codec/address.h"
#include "codec/user_data.h"
#include "pdu_test_support.h"
#include "velmora.h"

namespace {

constexpr char kUntouched = '\xEE';

// `written` followed by untouched guard bytes up to `size`.
std::string guarded(const std::string &written, std::size_t size) {
    return written + std::string(size - written.size(), kUntouched);
}

TEST(AddressTest, EncodesDigitPairsLowNibbleFirst) {
    const struct {
        const char *digits;
        std::uint32_t cap;
        int result;
        std::string octets;
    } rows[] = {
        {"0123456789", 5, 5, "\x10\x32\x54\x76\x98"},
        {"12345", 3, 3, "\x21\x43\xF5"},  // odd digit count: 0xF filler
        {"12345", 2, -1, ""},             // too small: nothing written
        {"", 0, 0, ""},
    };
    for (const auto &row : rows) {
        std::string out(row.cap + 2, kUntouched);
        EXPECT_EQ(velmora::encode_telnum(row.digits, static_cast<std::uint32_t>(std::strlen(row.digits)),
                                         reinterpret_cast<unsigned char *>(out.data()), row.cap),
                  row.result)
            << row.digits;
        EXPECT_EQ(out, guarded(row.octets, out.size())) << row.digits;
    }
}

TEST(AddressTest, DecodesSwappedPairsDroppingFiller) {
    const struct {
        const char *hex;
        std::uint32_t count;
        int result;
        const char *telnum;
    } rows[] = {
        {"214365F7", 8, 0, "1234567"},
        {"A1f2", 4, 0, "1A2f"},  // characters are swapped, not validated; only 'F' is filler
        {"214365870921436587092143", 24, 0, "123456789012345678901234"},
        {"21436587092143658709214365", 26, -2, ""},
        {"2143658", 7, -1, ""},
        {"", 0, 0, ""},
    };
    for (const auto &row : rows) {
        sms_message sms{};
        EXPECT_EQ(velmora::decode_telnum(HeapText(row.hex), row.count, &sms), row.result) << row.hex;
        EXPECT_STREQ(sms.telnum, row.telnum);
    }
    sms_message sms{};
    EXPECT_EQ(velmora::decode_telnum(nullptr, 2, &sms), -1);
    EXPECT_EQ(velmora::decode_telnum("21", 2, nullptr), -1);
}

TEST(TimestampTest, DecodesGsmAndPlainOrderStamps) {
    const struct {
        const char *hex;
        bool gsm;
        const char *date_time, *raw, *timezone;
    } rows[] = {
        {"12204131605080", true, "14/02/21 - 13:06:05", "210214130605", "08"},
        {"1220413160508A", true, "14/02/21 - 13:06:05", "210214130605", "A8"},  // zone sign left raw
        {"99211332958504", true, "31/12/99 - 23:59:58", "991231235958", "40"},
        {"991231235959", false, "31/12/99 - 23:59:59", "991231235959", ""},
    };
    for (const auto &row : rows) {
        sms_message sms;
        std::memset(&sms, 0x55, sizeof sms);  // no NUL anywhere beforehand
        const HeapText hex(row.hex);
        row.gsm ? decode_datetime(hex, &sms) : decode_datetime_3gpp2(hex, &sms);
        EXPECT_STREQ(sms.date_time, row.date_time) << row.hex;
        EXPECT_STREQ(sms.date_time_raw, row.raw) << row.hex;
        EXPECT_EQ(std::string(sms.timezone, 3), (std::string(row.timezone) + std::string(3, '\0')).substr(0, 3));
    }
    sms_message sms;  // null pointers change nothing
    std::memset(&sms, 0x55, sizeof sms);
    const sms_message before = sms;
    decode_datetime(nullptr, &sms);
    decode_datetime_3gpp2(nullptr, &sms);
    EXPECT_EQ(std::memcmp(&sms, &before, sizeof sms), 0);
    decode_datetime("12204131605080", nullptr);
    decode_datetime_3gpp2("210214130605", nullptr);
}

TEST(UserDataTest, Decodes7BitUserData) {
    const struct {
        std::string hex;
        std::uint32_t hex_len, cap, fill;
        std::string text;  // the result is text.size()
    } rows[] = {
        {"E8329BFD06", 10, 161, 0, "hello"},
        {"D069", 4, 161, 1, "hi"},                              // first septet behind one fill bit
        {"9B32", 4, 161, 0, "\x80"},                            // ESC 0x65 pair: one euro sign
        {"E8329BFD4697D9EC37", 20, 161, 0, "hellohello"},       // ten septets in nine octets
        {"FFFFFFFFFFFF", 12, 161, 0, std::string(6, '\xE0')},  // leaves non-zero octets behind for the next row
        {"E8", 10, 161, 0, "h\xA3@@@"},                         // octets past the text read as 0
        {std::string(400, '0'), 400, 161, 0, std::string(161, '@')},  // at most 161 septets
        {"E", 1, 161, 0, ""},
        {"", 0, 161, 0, ""},
        {"E8329BFD06", 10, 160, 0, ""},                         // capacity below 161: nothing written
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.hex);
        std::string out(163, kUntouched);
        EXPECT_EQ(velmora::decode_7bit_pdu(HeapText(row.hex), row.hex_len, out.data(), row.cap, row.fill, 0),
                  row.text.size());
        // The mapping clears its whole capacity.
        const std::string cleared = row.cap < 161 ? "" : row.text + std::string(161 - row.text.size(), '\0');
        EXPECT_EQ(out, guarded(cleared, out.size()));
    }
}

TEST(UserDataTest, CopiesUcs2Octets) {
    const struct {
        const char *hex;
        std::uint32_t hex_len, cap, result;
        std::string octets;
    } rows[] = {
        {"00480069", 8, 919, 2, std::string("\0H\0i", 4)},
        {"00480069", 7, 919, 1, std::string("\0H\0", 3)},  // odd octet count: remainder dropped
        {"00480069", 2, 919, 0, std::string(1, '\0')},
        {"0048", 8, 919, 1, std::string("\0H", 2)},        // length claims more than the text holds
        {"00480069", 8, 2, 1, std::string("\0H", 2)},
        {"00480069", 8, 1, 0, std::string(1, '\0')},
        {"", 8, 919, 0, ""},
    };
    for (const auto &row : rows) {
        std::string out(row.cap + 2, kUntouched);
        EXPECT_EQ(velmora::decode_usc2_pdu(HeapText(row.hex), row.hex_len, out.data(), row.cap, 0), row.result)
            << row.hex << ' ' << row.hex_len;
        EXPECT_EQ(out, guarded(row.octets, out.size())) << row.hex << ' ' << row.hex_len;
    }
}

TEST(RecordTest, SmsWriteCopiesAtMost161BytesWithoutNul) {
    const std::string long_text = std::string(100, 'x') + std::string(100, 'y');
    const struct {
        std::string previous;  // text already in the record
        const char *input;
        int result;
        std::string text;  // the record's text afterwards, up to the length of previous or result
    } rows[] = {
        {"hello", "", 0, "hello"},                           // empty: text left alone
        {"longer old text", "short", 5, "shortr old text"},  // no NUL, old bytes stay
        {"", long_text.c_str(), 161, long_text.substr(0, 161)},
        {"", nullptr, -1, ""},
    };
    for (const auto &row : rows) {
        sms_message sms;
        std::memset(&sms, 0x55, sizeof sms);
        std::memcpy(sms.text, row.previous.data(), row.previous.size());
        sms.text_len = 999;
        sms_message expected = sms;
        std::memcpy(expected.text, row.text.data(), row.text.size());
        if (row.result >= 0)
            expected.text_len = static_cast<std::uint32_t>(row.result);

        EXPECT_EQ(sms_write(row.input, &sms), row.result) << row.text;
        EXPECT_EQ(std::memcmp(&sms, &expected, sizeof sms), 0) << row.text;  // no other member touched
    }
    EXPECT_EQ(sms_write("abc", nullptr), -1);
}

}  // namespace
