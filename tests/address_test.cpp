// Telephone numbers in swapped semi-octets, and the GSM / 3GPP2 time stamps.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "codec/address.h"
#include "heap_text.h"
#include "velmora.h"

namespace {

using Bytes = std::vector<unsigned char>;
constexpr unsigned char kUntouched = 0xEE;

struct EncodeRow {
    const char *digits;
    std::uint32_t cap;
    int result;
    Bytes octets;
};

TEST(AddressTest, EncodesDigitPairsLowNibbleFirst) {
    const EncodeRow rows[] = {
        {"0123456789", 5, 5, {0x10, 0x32, 0x54, 0x76, 0x98}},
        {"12345", 3, 3, {0x21, 0x43, 0xF5}},  // odd digit count: 0xF filler
        {"7", 1, 1, {0xF7}},
        {"12345", 2, -1, {}},                 // too small: nothing written
        {"", 0, 0, {}},
    };
    for (const auto &row : rows) {
        Bytes out(row.cap + 2, kUntouched);
        EXPECT_EQ(velmora::encode_telnum(row.digits, static_cast<std::uint32_t>(std::strlen(row.digits)), out.data(),
                                         row.cap),
                  row.result)
            << row.digits;
        Bytes expected = row.octets;
        expected.resize(out.size(), kUntouched);
        EXPECT_EQ(out, expected) << row.digits;
    }
}

struct DecodeRow {
    const char *hex;
    std::uint32_t count;
    int result;
    const char *telnum;
};

TEST(AddressTest, DecodesSwappedPairsDroppingFiller) {
    const DecodeRow rows[] = {
        {"214365F7", 8, 0, "1234567"},
        {"2143", 4, 0, "1234"},
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

struct TimeRow {
    const char *hex;
    bool gsm;
    const char *date_time;
    const char *raw;
    const char *timezone;
};

TEST(TimestampTest, DecodesGsmAndPlainOrderStamps) {
    const TimeRow rows[] = {
        {"12204131605080", true, "14/02/21 - 13:06:05", "210214130605", "08"},
        {"1220413160508A", true, "14/02/21 - 13:06:05", "210214130605", "A8"},  // zone sign left raw
        {"99211332958504", true, "31/12/99 - 23:59:58", "991231235958", "40"},
        {"210214130605", false, "14/02/21 - 13:06:05", "210214130605", ""},
        {"991231235959", false, "31/12/99 - 23:59:59", "991231235959", ""},
    };
    for (const auto &row : rows) {
        sms_message sms;
        std::memset(&sms, 0x55, sizeof sms);  // no NUL anywhere beforehand
        const HeapText hex(row.hex);
        if (row.gsm)
            decode_datetime(hex, &sms);
        else
            decode_datetime_3gpp2(hex, &sms);
        EXPECT_STREQ(sms.date_time, row.date_time) << row.hex;
        EXPECT_STREQ(sms.date_time_raw, row.raw) << row.hex;
        EXPECT_STREQ(sms.timezone, row.timezone) << row.hex;
        if (!row.gsm) {
            EXPECT_EQ(std::string(sms.timezone, 3), std::string(3, '\0'));
        }
    }
}

TEST(TimestampTest, NullPointersChangeNothing) {
    sms_message sms;
    std::memset(&sms, 0x55, sizeof sms);
    const sms_message before = sms;
    decode_datetime(nullptr, &sms);
    decode_datetime_3gpp2(nullptr, &sms);
    EXPECT_EQ(std::memcmp(&sms, &before, sizeof sms), 0);
    decode_datetime("12204131605080", nullptr);
    decode_datetime_3gpp2("210214130605", nullptr);
}

}  // namespace
