// The vector forms of the hex and UTF-16 loops against their portable form, on inputs
// that cross every vector boundary: each form the machine runs must agree byte for byte.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

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
