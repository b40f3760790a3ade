// Hexadecimal text <-> octets, and the two/four-digit field scanner behind every PDU read.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "codec/hex.h"
#include "pdu_test_support.h"
#include "velmora.h"

namespace {

using Octets = std::vector<unsigned char>;
constexpr unsigned char kUntouched = 0xEE;

TEST(HexTest, RendersOctetsOnlyWhenTheyFit) {
    const struct {
        Octets octets;
        std::uint32_t cap, result;
        std::string text;  // the cap characters afterwards; '.' = not written
    } rows[] = {
        {{0x00, 0xAB, 0x0F}, 8, 6, "00AB0F.."},
        {{0x00, 0xAB, 0x0F}, 6, 6, "00AB0F"},
        {{0x00, 0xAB, 0x0F}, 5, 0, "....."},
        {{}, 4, 0, "...."},
    };
    for (const auto &row : rows) {
        std::string text(row.cap + 2, '.');  // two guard characters past the capacity
        EXPECT_EQ(convert_hexarray_to_bytestr(row.octets.data(), static_cast<std::uint32_t>(row.octets.size()),
                                              text.data(), row.cap),
                  row.result);
        EXPECT_EQ(text, row.text + "..");
    }
}

TEST(HexTest, ParsesPairsAsLibcScanDoes) {
    const struct {
        const char *text;
        std::uint32_t length, cap;
        Octets octets;  // the result is octets.size()
    } rows[] = {
        {"0A1b", 4, 10, {0x0A, 0x1B}},
        {"ABC", 3, 10, {0xAB}},                 // unpaired last character ignored
        {"A", 1, 10, {}},
        {"AABBCC", 6, 2, {0xAA, 0xBB}},         // cut at the capacity
        {"0A1b", 4, 0, {}},
        {"41ZZ42", 6, 10, {0x41, 0x41, 0x42}},  // ZZ converts nothing: previous octet again
        {"ZZ41", 4, 10, {0x00, 0x41}},          // nothing converted yet: 0
        {"4Z", 2, 10, {0x04}},                  // one digit alone
        {" 41A", 4, 10, {0x41, 0x1A}},          // blank skipped, the scan runs into the next pair
        {"-1", 2, 10, {0xFF}},                  // signed scan, low 8 bits kept
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.text);
        Octets out(row.cap + 2, kUntouched);
        EXPECT_EQ(convert_bytestr_to_hexarray(HeapText(row.text), row.length, out.data(), row.cap, 0),
                  row.octets.size());
        Octets expected = row.octets;
        expected.resize(out.size(), kUntouched);
        EXPECT_EQ(out, expected);
    }
}

TEST(HexTest, TracesEntryAndEveryScannedValue) {
    unsigned char out[10];
    testing::internal::CaptureStdout();
    convert_bytestr_to_hexarray(HeapText("0A1b"), 4, out, sizeof out, 1);
    convert_bytestr_to_hexarray(HeapText("0A1b"), 4, out, 0, 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "DEBUG: convert_bytestr_to_hexarray(): LINE 531, Entering function\n"
              "DEBUG: convert_bytestr_to_hexarray(): LINE 548, Value: 0A\n"
              "DEBUG: convert_bytestr_to_hexarray(): LINE 548, Value: 1B\n"
              "DEBUG: convert_bytestr_to_hexarray(): LINE 531, Entering function\n");
}

// What sscanf(text, "%02X") / "%04X" stores, nullopt when it converts nothing.
std::optional<std::uint32_t> libc_scan(const char *text, int width) {
    unsigned value = 0;
    const int converted = std::sscanf(text, width == 2 ? "%02X" : "%04X", &value);
    return converted == 1 ? std::optional<std::uint32_t>(value) : std::nullopt;
}

TEST(HexScanTest, TwoDigitsMatchLibcOnEveryPair) {
    for (const std::string tail : {"", "7Fz"}) {
        for (int pair = 0; pair < 65536; ++pair) {
            const HeapText text(std::string{static_cast<char>(pair >> 8), static_cast<char>(pair)} + tail);
            ASSERT_EQ(velmora::scan_hex_field(text, 2), libc_scan(text, 2)) << pair << " + '" << tail << "'";
        }
    }
}

std::string random_text(std::mt19937 &rng, std::size_t max_length, bool with_junk) {
    const std::string alphabet = with_junk ? "0123456789abcdefABCDEFxXgGzZ +-\t\n" : "0123456789abcdefABCDEF";
    std::string text(std::uniform_int_distribution<std::size_t>(0, max_length)(rng), ' ');
    for (char &c : text)
        c = alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(rng)];
    return text;
}

TEST(HexScanTest, RandomFieldsMatchLibc) {
    std::mt19937 rng(2024);
    for (int i = 0; i < 200000; ++i) {
        const int width = i % 2 ? 4 : 2;
        const std::string input = random_text(rng, 7, i % 3 != 0);
        const HeapText text(input);
        ASSERT_EQ(velmora::scan_hex_field(text, width), libc_scan(text, width)) << '"' << input << "\" width " << width;
    }
}

// Against a plain loop: one sscanf per pair into one scan value kept across pairs, initially 0.
TEST(HexScanTest, RandomTextMatchesPerPairScan) {
    std::mt19937 rng(77);
    for (int i = 0; i < 20000; ++i) {
        const std::string input = random_text(rng, 40, i % 4 != 0);
        const HeapText text(input);
        const auto length = static_cast<std::uint32_t>(rng() % (input.size() + 1));
        const auto cap = static_cast<std::uint32_t>(rng() % 25);
        Octets expected;
        unsigned value = 0;
        for (std::uint32_t pos = 0; pos + 1 < length && expected.size() < cap; pos += 2) {
            std::sscanf(text + pos, "%02X", &value);
            expected.push_back(static_cast<unsigned char>(value));
        }
        Octets out(cap + 1, kUntouched);
        ASSERT_EQ(convert_bytestr_to_hexarray(text, length, out.data(), cap, 0), expected.size()) << input;
        expected.push_back(kUntouched);
        ASSERT_EQ(Octets(out.begin(), out.begin() + static_cast<long>(expected.size())), expected) << input;
    }
}

}  // namespace
