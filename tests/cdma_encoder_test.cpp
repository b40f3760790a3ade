// 3GPP2 submit encoder: destination, callback, teleservice 4098/4101, septet user data.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pdu_test_support.h"
#include "velmora.h"

namespace {

using pdu_test::part_record;

const std::string kHello = "hello";
const std::string kAddresses = "04812143F5038176F8";  // 12345 and 678, type 0x81

struct CdmaRow {
    const char *name;
    std::string codes, dst, callback;
    std::uint32_t part_no, part_count, msg_ref;
    std::string pdu;  // empty: the call fails
};

TEST(CdmaEncoderTest, WritesEveryField) {
    const std::string z160(160, 'z'), y153(153, 'y');
    const CdmaRow rows[] = {
        {"single", kHello, "12345", "678", 0, 0, 0, kAddresses + "1002000205E8329BFD06"},
        {"part 2 of 2", kHello, "12345", "678", 2, 2, 0x17, kAddresses + "100500020C050003170202D06536FB0D"},
        {"8 codes single", "abcdefgh", "12345", "678", 0, 0, 0, kAddresses + "100200020861F1985C369FD1"},
        {"8 codes in a part", "abcdefgh", "12345", "678", 2, 2, 0x17,
         kAddresses + "100500020F050003170202C2E231B96C3EA301"},
        {"even numbers", kHello, "1234", "6789", 0, 0, 0, "03812143038176981002000205E8329BFD06"},
        {"empty single", "", "12345", "678", 0, 0, 0, kAddresses + "1002000200"},
        {"header values low 8 bits", kHello, "12345", "678", 300, 258, 0x117,
         kAddresses + "100500020C05000317022CD06536FB0D"},
        // ceil(d/2) + ceil(c/2) may reach 9 for 160 codes or a 153-code part, not 10.
        {"160 codes, 10 + 8 digits", z160, "1234567890", "12345678", 0, 0, 0,
         "06812143658709058121436587100200 02A0" + pdu_test::to_hex(pdu_test::pack_septets(z160, 0))},
        {"160 codes, 11 + 11 digits", z160, "12345678901", "12345678901", 0, 0, 0, ""},
        {"153-code part, 10 + 8 digits", y153, "1234567890", "12345678", 1, 3, 9,
         "068121436587090581214365871005000 2A0050003090301" + pdu_test::to_hex(pdu_test::pack_septets(y153, 1))},
        {"153-code part, 10 + 10 digits", y153, "1234567890", "1234567890", 1, 3, 9, ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        std::string want = row.pdu;
        std::erase(want, ' ');
        auto sms = part_record(row.codes, row.dst, row.callback, 2);
        const sms_message before = *sms;
        std::vector<char> out(SMS_PDU_CAPACITY, 'x');
        const int n = sms_encode_3gpp2_pdu(sms.get(), out.data(), SMS_PDU_CAPACITY, row.part_no, row.part_count,
                                           row.msg_ref, 0);
        pdu_test::expect_same_record(before, *sms);
        if (want.empty()) {
            EXPECT_EQ(n, -1);
            EXPECT_EQ(std::string(out.begin(), out.end()), std::string(SMS_PDU_CAPACITY, '\0'));
            continue;
        }
        ASSERT_EQ(n, static_cast<int>(want.size()));
        EXPECT_EQ(std::string(out.data(), want.size()), want);
        EXPECT_EQ(std::string(out.begin() + n, out.end()), std::string(out.size() - n, '\0'));
    }
}

struct CdmaFailureRow {
    const char *name;
    std::string dst, callback;
    std::uint32_t out_size;
    int result;
    std::string trace;
};

TEST(CdmaEncoderTest, FailureRowsClearTheBuffer) {
    const CdmaFailureRow rows[] = {
        {"fits in 2S", "12345", "678", 42, 38,
         "DEBUG: encode7(): LINE 488,  data before = 68656C6C6F\n"
         "DEBUG: encode7(): LINE 516,  data after = E8329BFD06, length = 10\n"},
        {"below 2S", "12345", "678", 41, -1, ""},
        {"no destination", "", "678", 322, -1,
         "DEBUG: sms_encode_3gpp2_pdu(): LINE 1406, Destination number length is not valid\n"},
        {"no destination nor callback", "", "", 322, -1,
         "DEBUG: sms_encode_3gpp2_pdu(): LINE 1406, Destination number length is not valid\n"},
        {"no callback", "12345", "", 322, -1,
         "DEBUG: sms_encode_3gpp2_pdu(): LINE 1412, Source callback number length is not valid\n"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        auto sms = part_record(kHello, row.dst, row.callback, 2);
        std::vector<char> out(row.out_size + 4, 'x');
        testing::internal::CaptureStdout();
        EXPECT_EQ(sms_encode_3gpp2_pdu(sms.get(), out.data(), row.out_size, 0, 0, 0, 1), row.result);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), row.trace);
        if (row.result < 0) {
            EXPECT_EQ(std::string(out.data(), row.out_size), std::string(row.out_size, '\0'));
        } else {
            EXPECT_EQ(std::string(out.data(), 38), kAddresses + "1002000205E8329BFD06");
            EXPECT_EQ(std::string(out.data() + 38, 4), std::string(4, '\0'));
        }
        EXPECT_EQ(std::string(out.end() - 4, out.end()), "xxxx");
    }
    auto sms = part_record(kHello, "12345", "678", 2);
    std::vector<char> out(64, 'x');
    EXPECT_EQ(sms_encode_3gpp2_pdu(sms.get(), out.data(), 56, 2, 2, 0x17, 0), 50);  // S = 28
    EXPECT_EQ(sms_encode_3gpp2_pdu(sms.get(), out.data(), 55, 2, 2, 0x17, 0), -1);
    EXPECT_EQ(sms_encode_3gpp2_pdu(sms.get(), nullptr, 322, 0, 0, 0, 0), -1);
    std::fill(out.begin(), out.end(), 'x');
    EXPECT_EQ(sms_encode_3gpp2_pdu(nullptr, out.data(), 56, 0, 0, 0, 0), -1);
    EXPECT_EQ(std::string(out.begin(), out.end()), std::string(64, 'x'));
}

TEST(CdmaEncoderTest, PartWithoutRoomForItsCodesFails) {
    const std::uint32_t out_size = 400;
    struct Row {
        std::uint32_t codes;
        int result;
    } const rows[] = {{0, -1}, {183, -1}, {182, 2 * (15 + 3 + 2 + 160)}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.codes);
        const std::string codes(row.codes, 'q');
        auto sms = part_record(codes, "12345", "678", 2);
        std::vector<char> out(out_size, 'x');
        ASSERT_EQ(sms_encode_3gpp2_pdu(sms.get(), out.data(), out_size, 1, 2, 5, 0), row.result);
        if (row.result < 0) {
            EXPECT_EQ(std::string(out.begin(), out.end()), std::string(out_size, '\0'));
            continue;
        }
        const auto part = pdu_test::parse_3gpp2_submit(std::string(out.data(), row.result));
        EXPECT_EQ(part.udl, 7 + row.codes);
        EXPECT_EQ(part.codes, codes);
    }
}

TEST(CdmaEncoderTest, TracesAPart) {
    auto sms = part_record(kHello, "12345", "678", 2);
    std::vector<char> out(SMS_PDU_CAPACITY);
    testing::internal::CaptureStdout();
    ASSERT_EQ(sms_encode_3gpp2_pdu(sms.get(), out.data(), SMS_PDU_CAPACITY, 2, 2, 0x17, 1), 50);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "DEBUG: sms_encode_3gpp2_pdu(): LINE 1489, SMS is multipart - adding UDH\n"
              "DEBUG: sms_encode_3gpp2_pdu(): LINE 1499, padding_bits = 1\n"
              "DEBUG: encode7(): LINE 488,  data before = 68656C6C6F\n"
              "DEBUG: encode7(): LINE 516,  data after = D06536FB0D, length = 10\n"
              "DEBUG: sms_encode_3gpp2_pdu(): LINE 1505, encode7 returned size = 5\n");
}

}  // namespace
