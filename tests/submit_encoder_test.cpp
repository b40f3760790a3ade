// SMS-SUBMIT encoder: single PDUs and concatenated parts, octet bound, failures, trace.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pdu_test_support.h"
#include "velmora.h"

namespace {

using pdu_test::part_record;
using pdu_test::strf;

const std::string kHello = "hello";

struct SubmitRow {
    const char *name;
    std::string codes;
    std::string dst;
    std::uint32_t dst_type, coding, part_no, part_count, msg_ref;
    std::string pdu;
};

TEST(SubmitEncoderTest, WritesEveryField) {
    const std::string udh_2_of_2 = "050003170202";
    const std::string a153(153, 'a');
    const std::string z160(160, 'z');
    const SubmitRow rows[] = {
        {"single", kHello, "12345", 0x81, 0, 0, 0, 0, "00110005812143F50000AA05E8329BFD06"},
        {"part 2 of 2", kHello, "12345", 0x81, 0, 2, 2, 0x17, "00410005812143F500000C" + udh_2_of_2 + "D06536FB0D"},
        {"8 codes in a part", "abcdefgh", "12345", 0x81, 0, 2, 2, 0x17,
         "00410005812143F500000F" + udh_2_of_2 + "C2E231B96C3EA301"},
        {"8 codes single", "abcdefgh", "12345", 0x81, 0, 0, 0, 0, "00110005812143F50000AA0861F1985C369FD1"},
        {"empty single", "", "12345", 0x81, 0, 0, 0, 0, "00110005812143F50000AA00"},
        {"even number", kHello, "1234", 0x81, 0, 0, 0, 0, "001100048121430000AA05E8329BFD06"},
        {"empty number", kHello, "", 0x81, 0, 0, 0, 0, "00110000810000AA05E8329BFD06"},
        {"low 8 bits of type and coding", kHello, "12345", 0x191, 0x104, 0, 0, 0,
         "00110005912143F50004AA05E8329BFD06"},
        {"header values low 8 bits", kHello, "12345", 0x81, 0, 300, 258, 0x117,
         "00410005812143F500000C05000317022CD06536FB0D"},
        {"ref/count/seq ignored in single", kHello, "12345", 0x81, 0, 3, 0, 9, "00110005812143F50000AA05E8329BFD06"},
        {"153-code part", a153, "12345", 0x81, 0, 1, 2, 0x17,
         "00410005812143F50000A0050003170201" + pdu_test::to_hex(pdu_test::pack_septets(a153, 1))},
        {"160 codes to 11 digits", z160, "12345678901", 0x81, 0, 0, 0, 0,
         "0011000B812143658709F10000AAA0" + pdu_test::to_hex(pdu_test::pack_septets(z160, 0))},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        auto sms = part_record(row.codes, row.dst, "678", row.coding);
        sms->dst_telnum_type = row.dst_type;
        const sms_message before = *sms;
        std::vector<char> out(SMS_PDU_CAPACITY, 'x');
        const int n = sms_encode_pdu(sms.get(), out.data(), SMS_PDU_CAPACITY, row.part_no, row.part_count,
                                     row.msg_ref, 0);
        ASSERT_EQ(n, static_cast<int>(row.pdu.size()));
        EXPECT_EQ(std::string(out.data(), row.pdu.size()), row.pdu);
        EXPECT_EQ(std::string(out.begin() + n, out.end()), std::string(out.size() - n, '\0'));
        pdu_test::expect_same_record(before, *sms);  // the record is read only
    }
    EXPECT_EQ(pdu_test::pack_septets(a153, 1).size(), 134u);
}

struct CapacityRow {
    std::uint32_t part_count;
    std::uint32_t out_size;
    int result;
};

// S = floor(7t/8) + ceil(d/2) + 10 (single) or + 17 (part); out_size must reach 2S.
TEST(SubmitEncoderTest, RefusesBuffersBelowTwiceTheOctetBound) {
    const CapacityRow rows[] = {
        {0, 34, 34}, {0, 33, -1},  // S = 17: the text fills the buffer without a NUL
        {2, 48, 44}, {2, 47, -1},  // S = 24 although the text has 44 characters
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.out_size);
        auto sms = part_record(kHello);
        std::vector<char> out(row.out_size + 4, 'x');
        EXPECT_EQ(sms_encode_pdu(sms.get(), out.data(), row.out_size, row.part_count == 0 ? 0 : 2, row.part_count,
                                 0x17, 0),
                  row.result);
        if (row.result < 0) {
            EXPECT_EQ(std::string(out.data(), row.out_size), std::string(row.out_size, '\0'));
        }
        EXPECT_EQ(std::string(out.end() - 4, out.end()), "xxxx") << "nothing written past out_size";
    }
}

TEST(SubmitEncoderTest, NullArgumentsTouchNothing) {
    auto sms = part_record(kHello);
    std::vector<char> out(SMS_PDU_CAPACITY, 'x');
    EXPECT_EQ(sms_encode_pdu(sms.get(), nullptr, SMS_PDU_CAPACITY, 0, 0, 0, 0), -1);
    EXPECT_EQ(sms_encode_pdu(nullptr, out.data(), SMS_PDU_CAPACITY, 0, 0, 0, 0), -1);
    EXPECT_EQ(std::string(out.begin(), out.end()), std::string(SMS_PDU_CAPACITY, 'x'));
}

// A part must carry 1 to 182 codes: 183 packed behind the fill bit exceed 160 octets.
TEST(SubmitEncoderTest, PartWithoutRoomForItsCodesFails) {
    const std::uint32_t out_size = 400;
    struct Row {
        std::uint32_t codes;
        int result;
    } const rows[] = {{0, -1}, {183, -1}, {182, 2 * (14 + 3 + 160)}, {1, 2 * (14 + 3 + 1)}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.codes);
        const std::string codes(row.codes, 'q');
        auto sms = part_record(codes);
        std::vector<char> out(out_size, 'x');
        ASSERT_EQ(sms_encode_pdu(sms.get(), out.data(), out_size, 1, 2, 5, 0), row.result);
        if (row.result < 0) {
            EXPECT_EQ(std::string(out.begin(), out.end()), std::string(out_size, '\0'));
            continue;
        }
        const auto part = pdu_test::parse_submit(std::string(out.data(), row.result));
        EXPECT_EQ(part.udl, 7 + row.codes);
        EXPECT_EQ(part.codes, codes);
        EXPECT_EQ(part.octets_after, 0u);
    }
}

TEST(SubmitEncoderTest, TracesPartsButNotFailures) {
    auto sms = part_record(kHello);
    std::vector<char> out(SMS_PDU_CAPACITY);

    testing::internal::CaptureStdout();
    ASSERT_EQ(sms_encode_pdu(sms.get(), out.data(), SMS_PDU_CAPACITY, 2, 2, 0x17, 1), 44);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "DEBUG: sms_encode_pdu(): LINE 1319, SMS is multipart - adding UDH\n"
              "DEBUG: sms_encode_pdu(): LINE 1329, padding_bits = 1\n"
              "DEBUG: encode7(): LINE 488,  data before = 68656C6C6F\n"
              "DEBUG: encode7(): LINE 516,  data after = D06536FB0D, length = 10\n"
              "DEBUG: sms_encode_pdu(): LINE 1336, encode7 returned size = 5\n");

    testing::internal::CaptureStdout();
    ASSERT_EQ(sms_encode_pdu(sms.get(), out.data(), SMS_PDU_CAPACITY, 0, 0, 0, 1), 34);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "DEBUG: encode7(): LINE 488,  data before = 68656C6C6F\n"
              "DEBUG: encode7(): LINE 516,  data after = E8329BFD06, length = 10\n");

    testing::internal::CaptureStdout();
    EXPECT_EQ(sms_encode_pdu(sms.get(), out.data(), 33, 0, 0, 0, 1), -1);
    EXPECT_EQ(sms_encode_pdu(sms.get(), nullptr, 33, 0, 0, 0, 1), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

}  // namespace
