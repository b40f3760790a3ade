// Multipart driver: the cut into parts, escape pairs at a cut, the reference counter,
// the record afterwards, failures and the trace of a three-part message.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pdu_test_support.h"
#include "velmora.h"

namespace {

using pdu_test::PartView;
using pdu_test::strf;

// A record addressed to 12345 (type 0x81) with callback 678, holding `text`.
std::unique_ptr<sms_message> message(const std::string &text, std::string_view dst = "12345",
                                     std::string_view callback = "678") {
    auto sms = pdu_test::part_record("", dst, callback, 0);
    std::memcpy(sms->text, text.data(), text.size());
    sms->text_len = static_cast<std::uint32_t>(text.size());
    return sms;
}

// GSM codes of the characters these tests use: letters, '[' and '{' (escaped), '$', 0x1B.
std::string codes_of(const std::string &text) {
    std::string codes;
    for (char c : text) {
        if (c == '[')
            codes += "\x1B\x3C";
        else if (c == '{')
            codes += "\x1B\x28";
        else if (c == '$')
            codes += '\x02';
        else
            codes += c;
    }
    return codes;
}

std::vector<PartView> parts_of(const sms_message &sms, bool gsm = true) {
    std::vector<PartView> parts;
    for (std::uint32_t i = 0; i < sms.pdu_count; ++i) {
        const std::string pdu(sms.pdus[i].pdu, sms.pdus[i].pdu_len);
        EXPECT_EQ(std::string(sms.pdus[i].pdu + pdu.size(), SMS_PDU_CAPACITY - pdu.size()),
                  std::string(SMS_PDU_CAPACITY - pdu.size(), '\0'));
        parts.push_back(gsm ? pdu_test::parse_submit(pdu) : pdu_test::parse_3gpp2_submit(pdu));
    }
    return parts;
}

std::string repeat(std::size_t n, char c = 'a') { return std::string(n, c); }

TEST(DriverTest, EndToEndExample) {
    auto sms = message("");
    ASSERT_EQ(sms_write("hello", sms.get()), 5);
    ASSERT_EQ(sms_encode_pdus(sms.get(), SMS_FORMAT_GSM, 0), 0);
    EXPECT_EQ(sms->pdu_count, 1u);
    EXPECT_STREQ(sms->pdus[0].pdu, "00110005812143F50000AA05E8329BFD06");
    EXPECT_EQ(sms->pdus[0].pdu_len, 34u);
}

struct CutRow {
    const char *name;
    std::string text;
    std::vector<std::uint32_t> lengths;  // empty: the message needs more than 6 parts
};

TEST(DriverCutTest, PartsHoldEveryCodeInOrder) {
    const CutRow rows[] = {
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
        auto sms = message(row.text);
        std::string codes = codes_of(row.text).substr(0, 918);
        if (row.lengths.empty()) {
            ASSERT_EQ(codes.size(), 918u);
            std::memset(sms->pdus, 'Z', sizeof sms->pdus);
            sms->pdu_count = 4;
            testing::internal::CaptureStdout();
            EXPECT_EQ(sms_encode_pdus(sms.get(), SMS_FORMAT_GSM, 1), -1);
            const std::string trace = testing::internal::GetCapturedStdout();
            const std::string cut = "DEBUG: sms_encode_pdus(): LINE 1594, SMS Message (length 917) will be split up "
                                    "into 7 parts\n";
            ASSERT_GE(trace.size(), cut.size());
            EXPECT_EQ(trace.substr(trace.size() - cut.size()), cut) << "the last line, before any part";
            EXPECT_EQ(sms->pdu_count, 0u);
            EXPECT_EQ(sms->pdus[0].pdu[0], 'Z') << "no part is encoded";
            continue;
        }
        ASSERT_EQ(sms_encode_pdus(sms.get(), SMS_FORMAT_GSM, 0), 0);
        ASSERT_EQ(sms->pdu_count, row.lengths.size());
        const auto parts = parts_of(*sms);
        std::string sent;
        for (std::size_t i = 0; i < parts.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(parts[i].codes.size(), row.lengths[i]);
            EXPECT_EQ(parts[i].header, parts.size() > 1);
            if (parts.size() > 1) {
                EXPECT_EQ(parts[i].count, parts.size());
                EXPECT_EQ(parts[i].seq, i + 1);
                EXPECT_EQ(parts[i].ref, parts[0].ref);
            }
            sent += parts[i].codes;
        }
        EXPECT_EQ(sent, codes);
    }
}

struct FormatRow {
    int format;
    std::uint32_t coding;
    bool gsm;
};

TEST(DriverTest, FormatSelectsEncoderAndCoding) {
    const FormatRow rows[] = {{0, 0, true}, {1, 2, false}, {2, 0, false}, {-1, 0, false}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.format);
        for (const std::size_t length : {5u, 200u}) {
            auto sms = message(repeat(length, 'h'));
            sms->data_coding = 7;
            ASSERT_EQ(sms_encode_pdus(sms.get(), row.format, 0), 0);
            EXPECT_EQ(sms->data_coding, row.coding);
            const auto parts = parts_of(*sms, row.gsm);
            ASSERT_EQ(parts.size(), length > 160 ? 2u : 1u);
            for (const auto &part : parts) {
                EXPECT_EQ(part.coding, row.coding);
                if (!row.gsm) {
                    EXPECT_EQ(part.first, length > 160 ? 0x1005u : 0x1002u);
                }
            }
            EXPECT_EQ(parts[0].codes + (parts.size() > 1 ? parts[1].codes : ""), repeat(length, 'h'));
        }
    }
    auto sms = message("hello");
    ASSERT_EQ(sms_encode_pdus(sms.get(), SMS_FORMAT_3GPP2, 0), 0);
    EXPECT_STREQ(sms->pdus[0].pdu, "04812143F5038176F81002000205E8329BFD06");
}

TEST(DriverTest, RecordAfterSuccess) {
    // A single part: the codes replace the text, no NUL is added, later slots stay.
    auto sms = message("");
    std::memset(sms->text, 'Z', sizeof sms->text);
    std::memset(sms->pdus, 'Y', sizeof sms->pdus);
    ASSERT_EQ(sms_write("a$\xA1", sms.get()), 3);
    ASSERT_EQ(sms_encode_pdus(sms.get(), SMS_FORMAT_GSM, 0), 0);
    EXPECT_EQ(std::string(sms->text, 4), "a\x02\x40Z");
    EXPECT_EQ(sms->text_len, 3u);
    EXPECT_EQ(sms->pdu_count, 1u);
    EXPECT_EQ(parts_of(*sms)[0].codes, "a\x02\x40");
    EXPECT_EQ(sms->pdus[1].pdu[0], 'Y');
    EXPECT_EQ(sms->pdus[5].pdu[SMS_PDU_CAPACITY - 1], 'Y');

    // A second call converts the codes left by the first: '@' (0x40) becomes code 0x00.
    ASSERT_EQ(sms_encode_pdus(sms.get(), SMS_FORMAT_GSM, 0), 0);
    EXPECT_EQ(parts_of(*sms)[0].codes, std::string("a\x02\x00", 3));

    // Several parts: the last part's codes and a NUL; slots after the parts keep theirs.
    auto multi = message(repeat(153, 'b') + repeat(8, 'c'));
    std::memset(multi->pdus, 'Y', sizeof multi->pdus);
    ASSERT_EQ(sms_encode_pdus(multi.get(), SMS_FORMAT_GSM, 0), 0);
    EXPECT_EQ(std::string(multi->text, 9), repeat(8, 'c') + '\0');
    EXPECT_EQ(multi->text_len, 8u);
    EXPECT_EQ(multi->pdu_count, 2u);
    EXPECT_EQ(multi->pdus[2].pdu[0], 'Y');
    EXPECT_EQ(multi->pdus[2].pdu_len, 0x59595959u);
}

TEST(DriverTest, FailuresLeaveTheRecordAsDocumented) {
    // No code at all: pdu_count, slots and text stay; data_coding is set.
    auto empty = message("");
    empty->pdu_count = 3;
    std::memset(empty->pdus, 'Y', sizeof empty->pdus);
    EXPECT_EQ(sms_encode_pdus(empty.get(), SMS_FORMAT_3GPP2, 0), -1);
    EXPECT_EQ(empty->pdu_count, 3u);
    EXPECT_EQ(empty->data_coding, 2u);
    EXPECT_EQ(empty->pdus[0].pdu[0], 'Y');

    // A single 3GPP2 part without a destination.
    auto nodst = message("hello", "");
    nodst->pdu_count = 3;
    std::memset(nodst->pdus, 'Y', sizeof nodst->pdus);
    EXPECT_EQ(sms_encode_pdus(nodst.get(), SMS_FORMAT_3GPP2, 0), -1);
    EXPECT_EQ(nodst->pdu_count, 0u);
    EXPECT_EQ(nodst->pdus[0].pdu[0], 'Y');
    EXPECT_EQ(nodst->text_len, 5u);

    // 153-code 3GPP2 parts to 10 + 10 digits exceed 322 characters: the first part fails.
    auto wide = message(repeat(306), "1234567890", "1234567890");
    std::memset(wide->pdus, 'Y', sizeof wide->pdus);
    EXPECT_EQ(sms_encode_pdus(wide.get(), SMS_FORMAT_3GPP2, 0), -1);
    EXPECT_EQ(wide->pdu_count, 0u);
    EXPECT_EQ(wide->text_len, 153u);
    EXPECT_EQ(wide->pdus[0].pdu[0], 'Y');

    EXPECT_EQ(sms_encode_pdus(nullptr, SMS_FORMAT_GSM, 0), -1);
}

// The counter is process-wide: measured relative to the first reference seen here.
TEST(DriverCounterTest, AdvancesOnEveryCallAndWrapsAfter254) {
    auto sms = message("");
    auto multipart_ref = [&](int format = SMS_FORMAT_GSM) {
        sms->text_len = 161;
        std::memset(sms->text, 'r', 161);
        EXPECT_EQ(sms_encode_pdus(sms.get(), format, 0), 0);
        const auto parts = parts_of(*sms, format == SMS_FORMAT_GSM);
        EXPECT_EQ(parts.size(), 2u);
        EXPECT_EQ(parts.at(1).ref, parts.at(0).ref);
        return parts.at(0).ref;
    };
    auto other_call = [&](int kind) {
        switch (kind % 3) {
        case 0:
            ASSERT_EQ(sms_write("single", sms.get()), 6);
            ASSERT_EQ(sms_encode_pdus(sms.get(), kind % 2, 0), 0);
            break;
        case 1:
            sms->text_len = 0;
            ASSERT_EQ(sms_encode_pdus(sms.get(), SMS_FORMAT_GSM, 0), -1);
            break;
        default:
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
    std::string t = strf("%s 293,  data before = %s, length %ld\n", name, in.c_str(), static_cast<long>(in.size()));
    for (const char c : text) {
        unsigned code = static_cast<unsigned char>(c);
        if (c == '{') {
            t += strf("%s 308, Appending character ESC 0x1B\n", name);
            code = 0x28;
        } else if (c == '$') {
            t += strf("%s 325, Changing char from 0x24 to 0x02\n", name);
            code = 0x02;
        }
        t += strf("%s 335, Appending character 0x%02X\n", name, code);
    }
    const std::string out = pdu_test::to_hex(codes + std::string(918 - codes.size(), '\0'));
    return t + strf("%s 363,  data after = %s, length = %d (%ld)\n", name, out.c_str(), static_cast<int>(codes.size()),
                    static_cast<long>(out.size()));
}

std::string part_trace(const std::string &codes) {
    const std::string packed = pdu_test::pack_septets(codes, 1);
    return "DEBUG: sms_encode_pdu(): LINE 1319, SMS is multipart - adding UDH\n"
           "DEBUG: sms_encode_pdu(): LINE 1329, padding_bits = 1\n" +
           strf("DEBUG: encode7(): LINE 488,  data before = %s\n", pdu_test::to_hex(codes).c_str()) +
           strf("DEBUG: encode7(): LINE 516,  data after = %s, length = %ld\n", pdu_test::to_hex(packed).c_str(),
                static_cast<long>(2 * packed.size())) +
           strf("DEBUG: sms_encode_pdu(): LINE 1336, encode7 returned size = %d\n", static_cast<int>(packed.size()));
}

TEST(DriverTest, TracesAThreePartMessage) {
    std::string text;
    for (int i = 0; i < 320; ++i)
        text += static_cast<char>('a' + i % 26);
    text[5] = '{';
    text[200] = '$';
    const std::string codes = codes_of(text);
    ASSERT_EQ(codes.size(), 321u);
    auto sms = message(text);

    testing::internal::CaptureStdout();
    ASSERT_EQ(sms_encode_pdus(sms.get(), SMS_FORMAT_GSM, 1), 0);
    const std::string trace = testing::internal::GetCapturedStdout();
    ASSERT_EQ(sms->pdu_count, 3u);

    const char *name = "DEBUG: sms_encode_pdus(): LINE";
    std::string want = conversion_trace(text, codes);
    want += strf("%s 1577, encoded length is 321\n", name);
    want += strf("%s 1594, SMS Message (length 320) will be split up into 3 parts\n", name);
    const std::uint32_t lengths[] = {153, 153, 15};
    std::size_t at = 0;
    for (const std::uint32_t length : lengths) {
        const std::string part = codes.substr(at, length);
        at += length;
        if (at < codes.size()) {
            want += strf("%s 1626, This part length is %ld\n", name, static_cast<long>(length));
            want += strf("%s 1627, This part message is '%s'\n", name, part.c_str());
            want += strf("%s 1628, Parts length left to encode is %d\n", name, static_cast<int>(codes.size() - at));
        }
        want += part_trace(part);
    }
    want += strf("%s 1668, number of message parts: 3\n", name);
    for (int slot = 0; slot < 3; ++slot)
        want += strf("%s 1673, encoded message #%d is '%s' with a length of %d\n", name, slot + 1,
                     sms->pdus[slot].pdu, static_cast<int>(sms->pdus[slot].pdu_len));
    EXPECT_EQ(trace, want);

    // A single part prints the conversion, line 1577 and the encoder's packing only.
    auto single = message("a{");
    testing::internal::CaptureStdout();
    ASSERT_EQ(sms_encode_pdus(single.get(), SMS_FORMAT_GSM, 1), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              conversion_trace("a{", "a\x1B\x28") + strf("%s 1577, encoded length is 3\n", name) +
                  "DEBUG: encode7(): LINE 488,  data before = 611B28\n"
                  "DEBUG: encode7(): LINE 516,  data after = E10D0A, length = 6\n");
}

}  // namespace
