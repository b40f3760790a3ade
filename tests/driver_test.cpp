// Multipart driver: the cut into parts, escape pairs at a cut, the reference counter,
// the record afterwards, failures and the trace of a three-part message.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pdu_test_support.h"
#include "velmora.h"

namespace {

using pdu_test::part_record;
using pdu_test::strf;

// GSM codes of the characters these tests use: letters, '[' and '{' (escaped), '$', 0x1B.
std::string codes_of(const std::string &text) {
    std::string codes;
    for (char c : text)
        codes += c == '[' ? "\x1B\x3C" : c == '{' ? "\x1B\x28" : c == '$' ? "\x02" : std::string(1, c);
    return codes;
}

// The reference in the first part's concatenation header (to 12345, callback 678).
unsigned reference(const sms_message &sms, int format) {
    return static_cast<unsigned>(std::stoul(std::string(sms.pdus[0].pdu + (format ? 34 : 28), 2), nullptr, 16));
}

// Each slot holds, to its last byte, what the per-part encoder of the format writes for
// its share of `codes`, with the coding the driver sets (2 for 3GPP2 selected by 1).
void expect_parts(const sms_message &sms, int format, const std::string &codes, std::vector<std::uint32_t> lengths) {
    ASSERT_EQ(sms.pdu_count, lengths.size());
    const auto parts = static_cast<std::uint32_t>(lengths.size() > 1 ? lengths.size() : 0);
    std::size_t at = 0;
    for (std::uint32_t i = 0; i < lengths.size(); at += lengths[i++]) {
        SCOPED_TRACE(testing::Message() << "part " << i + 1);
        const auto part = part_record(codes.substr(at, lengths[i]), "12345", "678", format == 1 ? 2 : 0);
        char pdu[SMS_PDU_CAPACITY];
        const int n = (format ? sms_encode_3gpp2_pdu : sms_encode_pdu)(part.get(), pdu, sizeof pdu, parts ? i + 1 : 0,
                                                                       parts, parts ? reference(sms, format) : 0, 0);
        EXPECT_EQ(std::string(sms.pdus[i].pdu, sizeof pdu), std::string(pdu, sizeof pdu));
        EXPECT_EQ(static_cast<int>(sms.pdus[i].pdu_len), n);
    }
    EXPECT_EQ(at, codes.size());
}

std::string repeat(std::size_t n, char c = 'a') { return std::string(n, c); }

TEST(DriverCutTest, PartsHoldEveryCodeInOrder) {
    const struct {
        const char *name;
        std::string text;
        std::vector<std::uint32_t> lengths;  // empty: the message needs more than 6 parts
    } rows[] = {
        {"160 codes: one PDU", repeat(160), {160}},
        {"161 codes", repeat(161), {153, 8}},
        {"306 codes", repeat(306), {153, 153}},
        {"307 codes", repeat(307), {153, 153, 1}},
        {"918 codes", repeat(918), {153, 153, 153, 153, 153, 153}},
        {"919 characters keep 918 codes", repeat(919), {153, 153, 153, 153, 153, 153}},
        {"escape pair at 152/153 moves on", repeat(152) + "[" + repeat(8), {152, 10}},
        {"escape pair at 151/152 stays", repeat(151) + "[" + repeat(9), {153, 9}},
        {"ESC ESC at 151/152 stays", repeat(151) + "\x1B\x1B" + repeat(10), {153, 10}},
        {"carry in the second part", repeat(305) + "[" + repeat(10), {153, 152, 12}},
        {"306 codes whose first part carries", repeat(152) + "[" + repeat(152), {152, 153, 1}},
        {"carry still within 6 parts", repeat(152) + "{" + repeat(611), {152, 153, 153, 153, 153, 1}},
        {"carry that would need a 7th part", repeat(152) + "[" + repeat(764), {}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        auto sms = part_record(row.text);
        const std::string codes = codes_of(row.text).substr(0, 918);
        if (row.lengths.empty()) {  // the cut's trace line is the last: no part is encoded
            std::memset(sms->pdus, 'Z', sizeof sms->pdus);
            sms->pdu_count = 4;
            testing::internal::CaptureStdout();
            EXPECT_EQ(sms_encode_pdus(sms.get(), SMS_FORMAT_GSM, 1), -1);
            const std::string trace = testing::internal::GetCapturedStdout();
            const std::string cut = "LINE 1594, SMS Message (length 917) will be split up into 7 parts\n";
            ASSERT_GE(trace.size(), cut.size());
            EXPECT_EQ(trace.substr(trace.size() - cut.size()), cut);
            EXPECT_EQ(sms->pdu_count, 0u);
            EXPECT_EQ(sms->pdus[0].pdu[0], 'Z');
            continue;
        }
        ASSERT_EQ(sms_encode_pdus(sms.get(), SMS_FORMAT_GSM, 0), 0);
        expect_parts(*sms, SMS_FORMAT_GSM, codes, row.lengths);
    }
}

// 0 selects SMS-SUBMIT, any other value 3GPP2; 1 also sets data_coding to 2, others to 0.
TEST(DriverTest, FormatSelectsEncoderAndCoding) {
    for (const int format : {0, 1, 2, -1}) {
        for (const std::size_t length : {5u, 200u}) {
            SCOPED_TRACE(testing::Message() << "format " << format << " length " << length);
            auto sms = part_record(repeat(length, 'h'));
            sms->data_coding = 7;
            ASSERT_EQ(sms_encode_pdus(sms.get(), format, 0), 0);
            EXPECT_EQ(sms->data_coding, format == 1 ? 2u : 0u);
            expect_parts(*sms, format, repeat(length, 'h'), length > 160 ? std::vector<std::uint32_t>{153, 47}
                                                                         : std::vector<std::uint32_t>{5});
        }
    }
}

TEST(DriverTest, RecordAfterSuccess) {
    // A single part: the codes replace the text, no NUL is added, later slots stay.
    auto sms = part_record("");
    std::memset(sms->text, 'Z', sizeof sms->text);
    std::memset(sms->pdus, 'Y', sizeof sms->pdus);
    ASSERT_EQ(sms_write("a$\xA1", sms.get()), 3);
    ASSERT_EQ(sms_encode_pdus(sms.get(), SMS_FORMAT_GSM, 0), 0);
    EXPECT_EQ(std::string(sms->text, 4), "a\x02\x40Z");
    EXPECT_EQ(sms->text_len, 3u);
    expect_parts(*sms, SMS_FORMAT_GSM, "a\x02\x40", {3});
    EXPECT_EQ(sms->pdus[1].pdu[0], 'Y');
    EXPECT_EQ(sms->pdus[5].pdu[SMS_PDU_CAPACITY - 1], 'Y');

    // A second call converts the codes left by the first: '@' (0x40) becomes code 0x00.
    ASSERT_EQ(sms_encode_pdus(sms.get(), SMS_FORMAT_GSM, 0), 0);
    expect_parts(*sms, SMS_FORMAT_GSM, std::string("a\x02\x00", 3), {3});

    // Several parts: the last part's codes and a NUL; slots after the parts keep theirs.
    auto multi = part_record(repeat(153, 'b') + repeat(8, 'c'));
    std::memset(multi->pdus, 'Y', sizeof multi->pdus);
    ASSERT_EQ(sms_encode_pdus(multi.get(), SMS_FORMAT_GSM, 0), 0);
    EXPECT_EQ(std::string(multi->text, 9), repeat(8, 'c') + '\0');
    EXPECT_EQ(multi->text_len, 8u);
    EXPECT_EQ(multi->pdu_count, 2u);
    EXPECT_EQ(multi->pdus[2].pdu[0], 'Y');
    EXPECT_EQ(multi->pdus[2].pdu_len, 0x59595959u);
}

TEST(DriverTest, FailuresLeaveTheRecordAsDocumented) {
    const struct {
        const char *name;
        std::string text, dst, callback;
        std::uint32_t pdu_count, text_len;  // afterwards
    } rows[] = {
        {"no code at all: pdu_count and text stay", "", "12345", "678", 3, 0},
        {"a single part without a destination", "hello", "", "678", 0, 5},
        // 153-code parts to 10 + 10 digits exceed 322 characters: the first part fails.
        {"first of two parts too long", repeat(306), "1234567890", "1234567890", 0, 153},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        auto sms = part_record(row.text, row.dst, row.callback);
        sms->pdu_count = 3;
        std::memset(sms->pdus, 'Y', sizeof sms->pdus);
        EXPECT_EQ(sms_encode_pdus(sms.get(), SMS_FORMAT_3GPP2, 0), -1);
        EXPECT_EQ(sms->pdu_count, row.pdu_count);
        EXPECT_EQ(sms->data_coding, 2u);
        EXPECT_EQ(sms->text_len, row.text_len);
        EXPECT_EQ(sms->pdus[0].pdu[0], 'Y');
    }
    EXPECT_EQ(sms_encode_pdus(nullptr, SMS_FORMAT_GSM, 0), -1);
}

// The counter is process-wide: measured relative to the first reference seen here. It
// advances on failed, null-record and single-part calls too, and wraps 254 -> 1.
TEST(DriverCounterTest, AdvancesOnEveryCallAndWrapsAfter254) {
    auto sms = part_record("");
    auto multipart_ref = [&](int format = SMS_FORMAT_GSM) {
        sms->text_len = 161;
        std::memset(sms->text, 'r', 161);
        EXPECT_EQ(sms_encode_pdus(sms.get(), format, 0), 0);
        expect_parts(*sms, format, repeat(161, 'r'), {153, 8});
        return reference(*sms, format);
    };
    auto other_call = [&](int kind) {
        if (kind % 3 == 0) {
            ASSERT_EQ(sms_write("single", sms.get()), 6);
            ASSERT_EQ(sms_encode_pdus(sms.get(), kind % 2, 0), 0);
        } else if (kind % 3 == 1) {
            sms->text_len = 0;
            ASSERT_EQ(sms_encode_pdus(sms.get(), SMS_FORMAT_GSM, 0), -1);
        } else {
            ASSERT_EQ(sms_encode_pdus(nullptr, SMS_FORMAT_GSM, 0), -1);
        }
    };
    const auto next = [](unsigned ref) { return ref == 254 ? 1u : ref + 1; };

    unsigned expected = multipart_ref();
    ASSERT_GE(expected, 1u);
    ASSERT_LE(expected, 254u);
    for (int kind = 0; next(expected) != 254; ++kind, expected = next(expected))
        other_call(kind);
    EXPECT_EQ(multipart_ref(), 254u);
    EXPECT_EQ(multipart_ref(), 1u);
    for (int kind = 0; kind < 3; ++kind)
        other_call(kind);
    EXPECT_EQ(multipart_ref(SMS_FORMAT_3GPP2), 5u);
    EXPECT_EQ(multipart_ref(), 6u);
}

// Expected trace of the alphabet conversion, for text of letters, '{' and '$'.
std::string conversion_trace(const std::string &text, const std::string &codes) {
    const char *name = "DEBUG: encode_ascii_to_gsm0338(): LINE";
    const std::string in = pdu_test::to_hex(text);
    std::string t = strf("%s 293,  data before = %s, length %zu\n", name, in.c_str(), in.size());
    for (const char c : text) {
        if (c == '{')
            t += strf("%s 308, Appending character ESC 0x1B\n", name);
        else if (c == '$')
            t += strf("%s 325, Changing char from 0x24 to 0x02\n", name);
        t += strf("%s 335, Appending character 0x%02X\n", name, c == '{' ? 0x28 : c == '$' ? 0x02 : c);
    }
    const std::string out = pdu_test::to_hex(codes + std::string(918 - codes.size(), '\0'));
    return t + strf("%s 363,  data after = %s, length = %zu (%zu)\n", name, out.c_str(), codes.size(), out.size());
}

std::string part_trace(const std::string &codes) {
    const std::string packed = pdu_test::pack_septets(codes, 1);
    return "DEBUG: sms_encode_pdu(): LINE 1319, SMS is multipart - adding UDH\n"
           "DEBUG: sms_encode_pdu(): LINE 1329, padding_bits = 1\n" +
           strf("DEBUG: encode7(): LINE 488,  data before = %s\n", pdu_test::to_hex(codes).c_str()) +
           strf("DEBUG: encode7(): LINE 516,  data after = %s, length = %zu\n", pdu_test::to_hex(packed).c_str(),
                2 * packed.size()) +
           strf("DEBUG: sms_encode_pdu(): LINE 1336, encode7 returned size = %zu\n", packed.size());
}

TEST(DriverTest, TracesAThreePartMessage) {
    std::string text;
    for (int i = 0; i < 320; ++i)
        text += static_cast<char>('a' + i % 26);
    text[5] = '{';
    text[200] = '$';
    const std::string codes = codes_of(text);
    ASSERT_EQ(codes.size(), 321u);
    auto sms = part_record(text);

    testing::internal::CaptureStdout();
    ASSERT_EQ(sms_encode_pdus(sms.get(), SMS_FORMAT_GSM, 1), 0);
    const std::string trace = testing::internal::GetCapturedStdout();
    ASSERT_EQ(sms->pdu_count, 3u);

    const char *name = "DEBUG: sms_encode_pdus(): LINE";
    std::string want = conversion_trace(text, codes);
    want += strf("%s 1577, encoded length is 321\n", name);
    want += strf("%s 1594, SMS Message (length 320) will be split up into 3 parts\n", name);
    std::size_t at = 0;
    for (const std::size_t length : {153, 153, 15}) {
        const std::string part = codes.substr(at, length);
        at += length;
        if (at < codes.size()) {
            want += strf("%s 1626, This part length is %zu\n", name, length);
            want += strf("%s 1627, This part message is '%s'\n", name, part.c_str());
            want += strf("%s 1628, Parts length left to encode is %zu\n", name, codes.size() - at);
        }
        want += part_trace(part);
    }
    want += strf("%s 1668, number of message parts: 3\n", name);
    for (int slot = 0; slot < 3; ++slot)
        want += strf("%s 1673, encoded message #%d is '%s' with a length of %u\n", name, slot + 1,
                     sms->pdus[slot].pdu, sms->pdus[slot].pdu_len);
    EXPECT_EQ(trace, want);

    // A single part prints the conversion, line 1577 and the encoder's packing only.
    auto single = part_record("a{");
    testing::internal::CaptureStdout();
    ASSERT_EQ(sms_encode_pdus(single.get(), SMS_FORMAT_GSM, 1), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              conversion_trace("a{", "a\x1B\x28") + strf("%s 1577, encoded length is 3\n", name) +
                  "DEBUG: encode7(): LINE 488,  data before = 611B28\n"
                  "DEBUG: encode7(): LINE 516,  data after = E10D0A, length = 6\n");
}

}  // namespace
