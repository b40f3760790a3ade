// User data as hexadecimal text: septet-packed GSM 7-bit to text, and UCS-2 octets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec/user_data.h"
#include "heap_text.h"

namespace {

using Bytes = std::vector<unsigned char>;
constexpr unsigned char kUntouched = 0xEE;

Bytes bytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

struct SeptetRow {
    std::string hex;
    std::uint32_t hex_len;
    std::uint32_t fill;
    std::string text;  // the result is text.size()
};

TEST(UserDataTest, Decodes7BitUserData) {
    const SeptetRow rows[] = {
        {"E8329BFD06", 10, 0, "hello"},
        {"D069", 4, 1, "hi"},                              // first septet behind one fill bit
        {"9B32", 4, 0, "\x80"},                            // ESC 0x65 pair: one euro sign
        {"E8329BFD4697D9EC37", 20, 0, "hellohello"},       // ten septets in nine octets
        {"FFFFFFFFFFFF", 12, 0, std::string(6, '\xE0')},  // leaves non-zero octets behind for the next row
        {"E8", 10, 0, "h\xA3@@@"},                         // octets past the text read as 0
        {std::string(400, '0'), 400, 0, std::string(161, '@')},  // at most 161 septets
        {"E", 1, 0, ""},
        {"", 0, 0, ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.hex);
        Bytes out(163, kUntouched);
        EXPECT_EQ(velmora::decode_7bit_pdu(HeapText(row.hex), row.hex_len, reinterpret_cast<char *>(out.data()), 161,
                                           row.fill, 0),
                  row.text.size());
        Bytes expected = bytes(row.text);
        expected.resize(161, 0);  // the mapping clears its whole capacity
        expected.resize(163, kUntouched);
        EXPECT_EQ(out, expected);
    }
}

TEST(UserDataTest, CapacityBelow161DecodesNothing) {
    Bytes out(161, kUntouched);
    EXPECT_EQ(velmora::decode_7bit_pdu(HeapText("E8329BFD06"), 10, reinterpret_cast<char *>(out.data()), 160, 0, 0), 0u);
    EXPECT_EQ(out, Bytes(161, kUntouched));
}

TEST(UserDataTest, Traces7BitDecoding) {
    char out[161];
    testing::internal::CaptureStdout();
    velmora::decode_7bit_pdu(HeapText("E8329BFD06"), 10, out, sizeof out, 0, 1);
    const std::string value = "DEBUG: convert_bytestr_to_hexarray(): LINE 548, Value: ";
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "DEBUG: convert_bytestr_to_hexarray(): LINE 531, Entering function\n" +
              value + "E8\n" + value + "32\n" + value + "9B\n" + value + "FD\n" + value + "06\n" +
              "DEBUG decode_7bit_pdu(): LINE 766, Decoded message before gsm0338_to_ascii = 'hello'\n"
              "DEBUG: decode_7bit_pdu(): LINE 776,   SMS ASCII: 68656C6C6F\n");
}

struct Ucs2Row {
    const char *hex;
    std::uint32_t hex_len;
    std::uint32_t cap;
    std::uint32_t result;
    Bytes octets;
};

TEST(UserDataTest, CopiesUcs2Octets) {
    const Ucs2Row rows[] = {
        {"00480069", 8, 919, 2, {0x00, 0x48, 0x00, 0x69}},
        {"00480069", 7, 919, 1, {0x00, 0x48, 0x00}},  // odd octet count: remainder dropped
        {"00480069", 2, 919, 0, {0x00}},
        {"0048", 8, 919, 1, {0x00, 0x48}},            // length claims more than the text holds
        {"00480069", 8, 2, 1, {0x00, 0x48}},
        {"00480069", 8, 1, 0, {0x00}},
        {"", 8, 919, 0, {}},
    };
    for (const auto &row : rows) {
        Bytes out(row.cap + 2, kUntouched);
        EXPECT_EQ(velmora::decode_usc2_pdu(HeapText(row.hex), row.hex_len, reinterpret_cast<char *>(out.data()), row.cap,
                                           0),
                  row.result)
            << row.hex << ' ' << row.hex_len;
        Bytes expected = row.octets;
        expected.resize(out.size(), kUntouched);
        EXPECT_EQ(out, expected) << row.hex << ' ' << row.hex_len;
    }
}

}  // namespace
