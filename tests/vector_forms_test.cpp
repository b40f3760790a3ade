// SPDX-License-Identifier: Apache-2.0
// The vector forms of the hex and UTF-16 loops against their portable form, on inputs
// that cross every vector boundary: each form the machine runs must agree byte for byte;
// and the GSM 7-bit character index against a plain search of the tables.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "codec/gsm7.h"
#include "codec/gsm7_tables.h"
#include "codec/hex.h"
#include "codec/utf8.h"

namespace {

using velmora::Vectors;

std::vector<Vectors> forms_here() {
    std::vector<Vectors> forms;
    for (Vectors v : {Vectors::Sse2, Vectors::Ssse3, Vectors::Avx2})
        if (v <= velmora::best_vectors())
            forms.push_back(v);
    return forms;
}

TEST(VectorFormsTest, Utf16AgreesWithThePortableForm) {
    std::mt19937 random(7);
    // Units drawn from ASCII, two-byte and three-byte ranges, surrogates of both halves.
    const std::uint16_t bases[] = {0x0020, 0x0410, 0x00E9, 0x4E2D, 0xD83D, 0xDE00, 0x007F, 0x07FF, 0x0800, 0xFFFF};
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::uint8_t> octets;
        const int units = static_cast<int>(random() % 90);
        const int kinds = 1 + static_cast<int>(random() % 10);
        for (int k = 0; k < units; ++k) {
            const std::uint16_t unit = static_cast<std::uint16_t>(bases[random() % kinds] + random() % 3);
            octets.push_back(static_cast<std::uint8_t>(unit >> 8));
            octets.push_back(static_cast<std::uint8_t>(unit));
        }
        if (random() % 4 == 0)
            octets.push_back(0x41);  // an odd last octet
        std::string want(3 * octets.size() + 3, '\0'), got(want.size(), '\0');
        want.resize(velmora::utf16be_to_utf8(octets, want.data(), Vectors::Portable));
        for (Vectors v : forms_here()) {
            got.resize(velmora::utf16be_to_utf8(octets, got.data(), v));
            ASSERT_EQ(got, want) << "form " << static_cast<int>(v) << ", round " << round;
            got.resize(want.capacity());
        }
    }
}

TEST(VectorFormsTest, Utf8ToUtf16AgreesWithThePortableForm) {
    std::mt19937 random(13);
    // Characters of one to four bytes, the longer ones in runs that stop a vector block
    // anywhere, a lead byte at a block's end, and a stray byte that ends the text early.
    const std::string pieces[] = {"a", " ", "\x7f", "\xc3\xa9", "\xd0\x96", "\xdf\xbf", "\xe2\x82\xac",
                                  "\xf0\x9f\x98\x80", "\x80", "\xc1\xbf"};
    for (int round = 0; round < 4000; ++round) {
        std::string text;
        const int kinds = 3 + static_cast<int>(random() % 6);
        const int count = static_cast<int>(random() % 100);
        for (int k = 0; k < count; ++k)
            text += pieces[random() % kinds];
        if (random() % 8 == 0)
            text.insert(random() % (text.size() + 1), pieces[8 + random() % 2]);
        const std::size_t max_units = random() % 80;
        std::vector<std::uint8_t> want(2 * max_units + velmora::kUtf16Slack), got(want.size());
        std::size_t want_units = 0, got_units = 0;
        const std::size_t want_read = velmora::utf8_to_utf16be(text, max_units, want.data(), want_units, Vectors::Portable);
        for (Vectors v : forms_here()) {
            ASSERT_EQ(velmora::utf8_to_utf16be(text, max_units, got.data(), got_units, v), want_read) << round;
            ASSERT_EQ(got_units, want_units) << "form " << static_cast<int>(v) << ", round " << round;
            ASSERT_TRUE(std::equal(want.begin(), want.begin() + 2 * want_units, got.begin())) << round;
        }
    }
}

TEST(VectorFormsTest, Gsm7AsciiRunAgreesWithThePortableForm) {
    std::mt19937 random(17);
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::uint8_t> text(random() % 80);
        for (auto &c : text)  // mostly characters every table holds, now and then one it may not
            c = static_cast<std::uint8_t>(random() % 6 == 0 ? random() % 256 : 0x20 + random() % 0x5B);
        const auto language = static_cast<std::uint8_t>(random() % velmora::kLanguages);
        std::vector<std::uint8_t> want(text.size() + 1, 0xEE), got(want);
        const std::size_t want_n =
            velmora::gsm7_ascii_run(text.data(), text.size(), language, want.data(), Vectors::Portable);
        for (Vectors v : forms_here()) {
            std::fill(got.begin(), got.end(), 0xEE);
            ASSERT_EQ(velmora::gsm7_ascii_run(text.data(), text.size(), language, got.data(), v), want_n) << round;
            ASSERT_EQ(velmora::gsm7_ascii_run(text.data(), text.size(), language, nullptr, v), want_n) << round;
            ASSERT_TRUE(std::equal(want.begin(), want.begin() + static_cast<std::ptrdiff_t>(want_n), got.begin()))
                << "form " << static_cast<int>(v) << ", round " << round;
            ASSERT_EQ(got[text.size()], 0xEE) << "written past the text, round " << round;
        }
    }
}

// Every code point of the BMP in every table: the code the index gives is the lowest one
// the generated table lists for it, and the presence bits say the same.
TEST(VectorFormsTest, Gsm7IndexAgreesWithTheTables) {
    const auto lowest = [](const velmora::Gsm7Table &table, char32_t cp) {
        for (std::uint32_t code = 0; code < 128; ++code)
            if (table[code] == cp)
                return static_cast<std::uint8_t>(code);
        return velmora::kGsm7NoCode;
    };
    std::vector<std::array<std::uint8_t, 0x10000>> locking(velmora::kLanguages), shift(velmora::kLanguages);
    for (std::uint32_t l = 0; l < velmora::kLanguages; ++l) {
        locking[l].fill(velmora::kGsm7NoCode), shift[l].fill(velmora::kGsm7NoCode);
        const auto &locking_table = velmora::kLockingTables[velmora::kHasLockingTable[l] ? l : 0];
        for (std::uint32_t code = 0; code < 128; ++code) {
            if (locking_table[code] != 0)
                locking[l][locking_table[code]] = lowest(locking_table, locking_table[code]);
            if (velmora::kShiftTables[l][code] != 0)
                shift[l][velmora::kShiftTables[l][code]] = lowest(velmora::kShiftTables[l], velmora::kShiftTables[l][code]);
        }
    }
    for (std::uint32_t cp = 0; cp < 0x10000; ++cp) {
        const velmora::Gsm7Character &character = velmora::gsm7_character(cp);
        for (std::uint32_t l = 0; l < velmora::kLanguages; ++l) {
            ASSERT_EQ(character.locking[l], locking[l][cp]) << std::hex << cp << " locking " << std::dec << l;
            ASSERT_EQ(character.shift[l], shift[l][cp]) << std::hex << cp << " shift " << std::dec << l;
            const bool held = velmora::kHasLockingTable[l] && locking[l][cp] != velmora::kGsm7NoCode;
            ASSERT_EQ(character.presence.locking >> l & 1, held ? 1 : 0) << std::hex << cp;
            ASSERT_EQ(character.presence.shift >> l & 1, shift[l][cp] != velmora::kGsm7NoCode ? 1 : 0) << std::hex << cp;
        }
    }
    EXPECT_EQ(velmora::gsm7_code(0x1F600, {}).septets, 0);  // beyond the BMP: no table
}

TEST(VectorFormsTest, HexAgreesWithThePortableForm) {
    std::mt19937 random(11);
    const std::string digits = "0123456789ABCDEFabcdef";
    for (int round = 0; round < 2000; ++round) {
        std::string text(random() % 200, '0');
        for (char &c : text)
            c = digits[random() % digits.size()];
        if (!text.empty() && random() % 2 == 0)
            text[random() % text.size()] = "G x\0"[random() % 4];  // a character that stops the scan
        const auto pairs = static_cast<std::uint32_t>(text.size() / 2);
        std::vector<unsigned char> want(pairs), got(pairs);
        const std::uint32_t want_n = velmora::parse_digit_pairs(text.data(), pairs, want.data(), Vectors::Portable);
        for (Vectors v : forms_here()) {
            std::fill(got.begin(), got.end(), 0);
            ASSERT_EQ(velmora::parse_digit_pairs(text.data(), pairs, got.data(), v), want_n) << text;
            ASSERT_TRUE(std::equal(want.begin(), want.begin() + want_n, got.begin())) << text;
        }
    }
}

}  // namespace
