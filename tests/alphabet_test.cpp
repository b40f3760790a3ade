// GSM 7-bit default alphabet: text -> codes (with ESC pairs) and codes -> text.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "codec/alphabet.h"
#include "codec/alphabet_tables.h"
#include "velmora.h"

namespace {

using Bytes = std::vector<unsigned char>;
constexpr unsigned char kUntouched = 0xEE;
constexpr std::uint32_t kDriverCap = 918;

Bytes bytes(std::string_view text) { return Bytes(text.begin(), text.end()); }
Bytes repeat(std::size_t n, unsigned char c) { return Bytes(n, c); }
Bytes operator+(Bytes a, const Bytes &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Runs the encoder into a buffer of cap + 2 bytes and checks: the codes, zeros up to cap,
// the two guard bytes untouched.
void expect_encodes(const Bytes &text, std::uint32_t cap, const Bytes &codes) {
    Bytes out(cap + 2, kUntouched);
    ASSERT_EQ(encode_ascii_to_gsm0338(reinterpret_cast<const char *>(text.data()),
                                      static_cast<std::uint32_t>(text.size()), out.data(), cap, 0),
              codes.size());
    EXPECT_EQ(out, codes + repeat(cap - codes.size(), 0) + repeat(2, kUntouched));
}

TEST(AlphabetEncodeTest, MapsCharactersToCodes) {
    const struct {
        Bytes text, codes;
    } rows[] = {
        {{0x80}, {0x1B, 0x65}},                    // euro sign
        {bytes("\r\n"), {0x1B, 0x0D, 0x0A}},       // CR is in both tables: the extension wins
        {bytes(" "), {0x20}},
        {{0x1B}, {0x1B}},
        {{0x00}, {0x00}},
        {{0x40, 0x24, 0x5F, 0x60, 0xE9, 0xE1}, {0x00, 0x02, 0x11, 0x60, 0x05, 0xE1}},
        {bytes("[\\]^{|}~\f"),
         {0x1B, 0x3C, 0x1B, 0x2F, 0x1B, 0x3E, 0x1B, 0x14, 0x1B, 0x28, 0x1B, 0x40, 0x1B, 0x29, 0x1B, 0x3D, 0x1B, 0x0A}},
        {{}, {}},
    };
    for (const auto &row : rows)
        expect_encodes(row.text, kDriverCap, row.codes);
}

TEST(AlphabetEncodeTest, CutsAtCapacityWithoutAHalfPair) {
    const Bytes brace = bytes("{");
    expect_encodes(repeat(917, 'a') + brace, kDriverCap, repeat(917, 0x61));  // lone ESC at 917 dropped
    expect_encodes(repeat(919, 'a'), kDriverCap, repeat(918, 0x61));
    Bytes pairs;
    for (int i = 0; i < 459; ++i)
        pairs = pairs + Bytes{0x1B, 0x28};
    expect_encodes(repeat(918, '{'), kDriverCap, pairs);
    expect_encodes(repeat(1836, 'a'), 2000, repeat(1836, 0x61));      // longest text accepted
    expect_encodes(repeat(1835, 'a') + brace, 2000, repeat(1835, 0x61) + Bytes{0x1B, 0x28});
    expect_encodes(repeat(1836, '{'), 2000, pairs + pairs);           // work area holds 918 pairs
}

TEST(AlphabetEncodeTest, GuardsRefuseWithoutTouchingOutput) {
    Bytes out(kDriverCap, kUntouched);
    EXPECT_EQ(encode_ascii_to_gsm0338("abc", 3, out.data(), 917, 1), 0u);
    const std::string long_text(1837, 'a');
    EXPECT_EQ(encode_ascii_to_gsm0338(long_text.data(), 1837, out.data(), kDriverCap, 0), 0u);
    EXPECT_EQ(out, repeat(kDriverCap, kUntouched));
}

TEST(AlphabetEncodeTest, TracesEachCharacterAndBothDumps) {
    unsigned char out[kDriverCap];
    testing::internal::CaptureStdout();
    EXPECT_EQ(encode_ascii_to_gsm0338("Hello", 5, out, sizeof out, 1), 5u);
    EXPECT_EQ(encode_ascii_to_gsm0338("a{b", 3, out, sizeof out, 1), 4u);
    EXPECT_EQ(encode_ascii_to_gsm0338("@", 1, out, sizeof out, 1), 1u);
    const std::string prefix = "DEBUG: encode_ascii_to_gsm0338(): LINE ";
    const auto zeros = [](std::size_t octets) { return std::string(2 * octets, '0'); };
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              prefix + "293,  data before = 48656C6C6F, length 10\n" +
              prefix + "335, Appending character 0x48\n" +
              prefix + "335, Appending character 0x65\n" +
              prefix + "335, Appending character 0x6C\n" +
              prefix + "335, Appending character 0x6C\n" +
              prefix + "335, Appending character 0x6F\n" +
              prefix + "363,  data after = 48656C6C6F" + zeros(913) + ", length = 5 (1836)\n" +
              prefix + "293,  data before = 617B62, length 6\n" +
              prefix + "335, Appending character 0x61\n" +
              prefix + "308, Appending character ESC 0x1B\n" +
              prefix + "335, Appending character 0x28\n" +
              prefix + "335, Appending character 0x62\n" +
              prefix + "363,  data after = 611B2862" + zeros(914) + ", length = 4 (1836)\n" +
              prefix + "293,  data before = 40, length 2\n" +
              prefix + "325, Changing char from 0x40 to 0x00\n" +
              prefix + "335, Appending character 0x00\n" +
              prefix + "363,  data after = " + zeros(918) + ", length = 1 (1836)\n");
}

TEST(AlphabetDecodeTest, MapsCodesToCharacters) {
    const struct {
        Bytes codes;
        std::uint32_t cap;
        Bytes text;  // the result is text.size()
    } rows[] = {
        {{0x1B, 0x65}, 161, {0x80}},
        {{0x1B, 0x41}, 161, bytes("?")},            // no such extension code
        {{0x41, 0x1B}, 161, bytes("A?")},           // ESC ending the codes
        {{0x10, 0x11, 0x00, 0x1B, 0x0D, 0x0D}, 161, bytes("?_@\r\r")},
        {{0x80, 0xC1, 0xFF}, 161, bytes("???")},    // codes above 127
        {repeat(200, 0x41), 161, repeat(161, 'A')},
        {repeat(160, 0x41) + Bytes{0x1B, 0x28}, 161, repeat(160, 'A') + bytes("{")},
        {repeat(200, 0x41), 170, repeat(161, 'A')},
        {{}, 161, {}},
    };
    for (const auto &row : rows) {
        Bytes out(row.cap + 2, kUntouched);
        ASSERT_EQ(decode_gsm0338_to_ascii(row.codes.data(), static_cast<std::uint32_t>(row.codes.size()),
                                          reinterpret_cast<char *>(out.data()), row.cap),
                  row.text.size());
        EXPECT_EQ(out, row.text + repeat(row.cap - row.text.size(), 0) + repeat(2, kUntouched));
    }
    Bytes out(160, kUntouched);  // capacity below 161: nothing decoded, nothing written
    EXPECT_EQ(decode_gsm0338_to_ascii(repeat(10, 0x41).data(), 10, reinterpret_cast<char *>(out.data()), 160), 0u);
    EXPECT_EQ(out, repeat(160, kUntouched));
}

// The decoding table against an independent transcription of the alphabet; the other two
// tables are covered by the encoding rows and the count of characters without a code.
TEST(AlphabetTest, TablesHoldTheAlphabet) {
    std::string gsm2ascii;
    for (const std::uint32_t character : velmora::g_S_GSM2ASCII) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02X", character & 0xFF);
        EXPECT_LT(character, 256u);
        gsm2ascii += digits;
    }
    EXPECT_EQ(gsm2ascii, "40A324A5E8E9F9ECF2C70AD8F80DC5E53F5F3F3F3F3F3F3F3F3F3F20C6E6DFC9"
                         "20212223A425262728292A2B2C2D2E2F303132333435363738393A3B3C3D3E3F"
                         "A14142434445464748494A4B4C4D4E4F505152535455565758595AC4D6D1DCA7"
                         "BF6162636465666768696A6B6C6D6E6F707172737475767778797AE4F6F1FCE0");
}

// The lookups against linear searches over the three tables, on every byte; every
// character that has a code decodes back to itself.
Bytes table_codes(unsigned char c) {
    for (const auto &[character, code] : velmora::g_S_ascii2GSM338_escaped)
        if (character == c)
            return {0x1B, static_cast<unsigned char>(code)};
    for (const auto &[character, code] : velmora::g_S_ASCII2GSM)
        if (character == c)
            return {static_cast<unsigned char>(code)};
    return {};
}

unsigned char table_escape_decode(unsigned char code) {
    for (const auto &[character, extension] : velmora::g_S_ascii2GSM338_escaped)
        if (extension == code)
            return static_cast<unsigned char>(character);
    return '?';
}

unsigned char decode_one(const Bytes &codes) {
    char text[161] = {};
    EXPECT_EQ(decode_gsm0338_to_ascii(codes.data(), static_cast<std::uint32_t>(codes.size()), text, 161), 1u);
    return static_cast<unsigned char>(text[0]);
}

TEST(AlphabetTest, EveryByteMatchesTableSearchAndRoundTrips) {
    int without_code = 0;
    for (unsigned b = 0; b < 256; ++b) {
        SCOPED_TRACE(b);
        const auto c = static_cast<unsigned char>(b);
        const Bytes codes = table_codes(c);
        without_code += codes.empty();
        expect_encodes({c}, kDriverCap, codes.empty() ? Bytes{c} : codes);
        if (!codes.empty()) {  // ESC itself becomes the code ESC, which decodes as an unfinished pair
            EXPECT_EQ(decode_one(codes), c == 0x1B ? '?' : c);
        }

        unsigned char escaped = c;
        EXPECT_EQ(velmora::esc_encode_ascii_char(&escaped), codes.size() == 2 ? 1 : 0);
        EXPECT_EQ(escaped, codes.size() == 2 ? codes[1] : c);
        EXPECT_EQ(esc_decode_to_ascii_char(&c), table_escape_decode(c));
        EXPECT_EQ(decode_one({c}), c == 0x1B || c >= 128 ? '?' : velmora::g_S_GSM2ASCII[c]);
        EXPECT_EQ(decode_one({0x1B, c}), table_escape_decode(c));
    }
    EXPECT_EQ(without_code, 128);
}

}  // namespace
