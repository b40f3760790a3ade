// SMS-SUBMIT and 3GPP2 submit encoders: single PDUs and concatenated parts, the octet
// bound 2S, failures, traces. Every row checks the whole output buffer afterwards.
#include <gtest/gtest.h>

#include <string>

#include "pdu_test_support.h"
#include "velmora.h"

namespace {

using Encoder = int (*)(const sms_message *, char *, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t, int);
const Encoder kGsm = sms_encode_pdu, k3gpp2 = sms_encode_3gpp2_pdu;

const std::string kGsmHead = "00110005812143F50000AA";   // single PDU to 12345 (type 0x81)
const std::string kGsmPart = "00410005812143F50000";     // part to 12345, before TP-UDL
const std::string kAddresses = "04812143F5038176F8";     // 12345 and callback 678, type 0x81
const std::string kHelloPacked = "05E8329BFD06";
const char *const kEncode7Hello = "DEBUG: encode7(): LINE 488,  data before = 68656C6C6F\n"
                                  "DEBUG: encode7(): LINE 516,  data after = E8329BFD06, length = 10\n";

std::string packed(std::size_t n, char code, unsigned fill) {
    return pdu_test::to_hex(pdu_test::pack_septets(std::string(n, code), fill));
}

struct EncodeRow {
    const char *name;
    Encoder encode;
    std::string codes = "hello";
    std::uint32_t part_no = 0, part_count = 0, msg_ref = 0;
    std::string pdu;  // "-": -1 with out cleared over out_size
    std::string dst = "12345", callback = "678";
    std::uint32_t out_size = SMS_PDU_CAPACITY;
    const char *trace = nullptr;  // when set, the call runs with debug on and prints exactly this
    std::uint32_t dst_type = 0x81, coding = 0;
};

void run(const EncodeRow &row) {
    SCOPED_TRACE(row.name);
    auto sms = pdu_test::part_record(row.codes, row.dst, row.callback, row.encode == k3gpp2 ? 2 : row.coding);
    sms->dst_telnum_type = row.dst_type;
    const sms_message before = *sms;
    std::string out(row.out_size + 4, 'x');
    testing::internal::CaptureStdout();
    const int n = row.encode(sms.get(), out.data(), row.out_size, row.part_no, row.part_count, row.msg_ref,
                             row.trace != nullptr);
    const std::string trace = testing::internal::GetCapturedStdout();
    if (row.trace) {
        EXPECT_EQ(trace, row.trace);
    }
    const std::string pdu = row.pdu == "-" ? "" : row.pdu;
    EXPECT_EQ(n, row.pdu == "-" ? -1 : static_cast<int>(pdu.size()));
    EXPECT_EQ(out, pdu + std::string(row.out_size - pdu.size(), '\0') + "xxxx");  // nothing past out_size
    pdu_test::expect_same_record(before, *sms);                                  // the record is read only
}

// S = floor(7t/8) + ceil(d/2) + 10 (single) or + 17 (part); out_size must reach 2S.
// A part carries 1 to 182 codes: 183 packed behind the fill bit exceed 160 octets.
TEST(SubmitEncoderTest, WritesEveryField) {
    const std::string a153(153, 'a'), z160(160, 'z');
    const EncodeRow rows[] = {
        {.name = "single", .encode = kGsm, .pdu = kGsmHead + kHelloPacked},
        {.name = "part 2 of 2", .encode = kGsm, .part_no = 2, .part_count = 2, .msg_ref = 0x17,
         .pdu = kGsmPart + "0C" "050003170202" "D06536FB0D",
         .trace = "DEBUG: sms_encode_pdu(): LINE 1319, SMS is multipart - adding UDH\n"
                  "DEBUG: sms_encode_pdu(): LINE 1329, padding_bits = 1\n"
                  "DEBUG: encode7(): LINE 488,  data before = 68656C6C6F\n"
                  "DEBUG: encode7(): LINE 516,  data after = D06536FB0D, length = 10\n"
                  "DEBUG: sms_encode_pdu(): LINE 1336, encode7 returned size = 5\n"},
        {.name = "empty single", .encode = kGsm, .codes = "", .pdu = kGsmHead + "00"},
        {.name = "even number", .encode = kGsm, .pdu = "001100048121430000AA" + kHelloPacked, .dst = "1234"},
        {.name = "empty number", .encode = kGsm, .pdu = "00110000810000AA" + kHelloPacked, .dst = ""},
        {.name = "low 8 bits of type and coding", .encode = kGsm, .pdu = "00110005912143F50004AA" + kHelloPacked,
         .dst_type = 0x191, .coding = 0x104},
        {.name = "header values low 8 bits", .encode = kGsm, .part_no = 300, .part_count = 258, .msg_ref = 0x117,
         .pdu = kGsmPart + "0C" "05000317022C" "D06536FB0D"},
        {.name = "ref and seq ignored in a single", .encode = kGsm, .part_no = 3, .msg_ref = 9,
         .pdu = kGsmHead + kHelloPacked},
        {.name = "153-code part", .encode = kGsm, .codes = a153, .part_no = 1, .part_count = 2, .msg_ref = 0x17,
         .pdu = kGsmPart + "A0" "050003170201" + packed(153, 'a', 1)},
        {.name = "160 codes to 11 digits", .encode = kGsm, .codes = z160,
         .pdu = "0011000B812143658709F10000AAA0" + packed(160, 'z', 0), .dst = "12345678901"},
        {.name = "182-code part", .encode = kGsm, .codes = std::string(182, 'q'), .part_no = 1, .part_count = 2,
         .msg_ref = 5, .pdu = kGsmPart + "BD" "050003050201" + packed(182, 'q', 1), .out_size = 400},
        {.name = "1-code part", .encode = kGsm, .codes = "q", .part_no = 1, .part_count = 2, .msg_ref = 5,
         .pdu = kGsmPart + "08" "050003050201" + packed(1, 'q', 1)},
        {.name = "183-code part", .encode = kGsm, .codes = std::string(183, 'q'), .part_no = 1, .part_count = 2,
         .msg_ref = 5, .pdu = "-", .out_size = 400},
        {.name = "empty part", .encode = kGsm, .codes = "", .part_no = 1, .part_count = 2, .pdu = "-"},
        // S = 17: the text fills the buffer without a NUL.
        {.name = "single, out 2S", .encode = kGsm, .pdu = kGsmHead + kHelloPacked, .out_size = 34,
         .trace = kEncode7Hello},
        {.name = "single, out 2S - 1", .encode = kGsm, .pdu = "-", .out_size = 33, .trace = ""},
        // S = 24 although the text has 44 characters.
        {.name = "part, out 2S", .encode = kGsm, .part_no = 2, .part_count = 2, .msg_ref = 0x17,
         .pdu = kGsmPart + "0C" "050003170202" "D06536FB0D", .out_size = 48},
        {.name = "part, out 2S - 1", .encode = kGsm, .part_no = 2, .part_count = 2, .pdu = "-", .out_size = 47},
    };
    for (const auto &row : rows)
        run(row);
}

// S as for SMS-SUBMIT with 2 octets more and ceil(c/2) for the callback.
TEST(CdmaEncoderTest, WritesEveryField) {
    const std::string z160(160, 'z'), y153(153, 'y');
    const EncodeRow rows[] = {
        {.name = "single", .encode = k3gpp2, .pdu = kAddresses + "10020002" + kHelloPacked},
        {.name = "part 2 of 2", .encode = k3gpp2, .part_no = 2, .part_count = 2, .msg_ref = 0x17,
         .pdu = kAddresses + "10050002" "0C" "050003170202" "D06536FB0D",
         .trace = "DEBUG: sms_encode_3gpp2_pdu(): LINE 1489, SMS is multipart - adding UDH\n"
                  "DEBUG: sms_encode_3gpp2_pdu(): LINE 1499, padding_bits = 1\n"
                  "DEBUG: encode7(): LINE 488,  data before = 68656C6C6F\n"
                  "DEBUG: encode7(): LINE 516,  data after = D06536FB0D, length = 10\n"
                  "DEBUG: sms_encode_3gpp2_pdu(): LINE 1505, encode7 returned size = 5\n"},
        {.name = "even numbers", .encode = k3gpp2, .pdu = "038121430381769810020002" + kHelloPacked,
         .dst = "1234", .callback = "6789"},
        {.name = "empty single", .encode = k3gpp2, .codes = "", .pdu = kAddresses + "1002000200"},
        {.name = "header values low 8 bits", .encode = k3gpp2, .part_no = 300, .part_count = 258, .msg_ref = 0x117,
         .pdu = kAddresses + "10050002" "0C" "05000317022C" "D06536FB0D"},
        // ceil(d/2) + ceil(c/2) may reach 9 for 160 codes or a 153-code part, not 10.
        {.name = "160 codes, 10 + 8 digits", .encode = k3gpp2, .codes = z160,
         .pdu = "068121436587090581214365871002" "0002A0" + packed(160, 'z', 0), .dst = "1234567890",
         .callback = "12345678"},
        {.name = "160 codes, 11 + 11 digits", .encode = k3gpp2, .codes = z160, .pdu = "-", .dst = "12345678901",
         .callback = "12345678901"},
        {.name = "153-code part, 10 + 8 digits", .encode = k3gpp2, .codes = y153, .part_no = 1, .part_count = 3,
         .msg_ref = 9, .pdu = "06812143658709058121436587100500" "02A0050003090301" + packed(153, 'y', 1),
         .dst = "1234567890", .callback = "12345678"},
        {.name = "153-code part, 10 + 10 digits", .encode = k3gpp2, .codes = y153, .part_no = 1, .part_count = 3,
         .msg_ref = 9, .pdu = "-", .dst = "1234567890", .callback = "1234567890"},
        {.name = "182-code part", .encode = k3gpp2, .codes = std::string(182, 'q'), .part_no = 1, .part_count = 2,
         .msg_ref = 5, .pdu = kAddresses + "10050002" "BD" "050003050201" + packed(182, 'q', 1), .out_size = 400},
        {.name = "183-code part", .encode = k3gpp2, .codes = std::string(183, 'q'), .part_no = 1, .part_count = 2,
         .pdu = "-", .out_size = 400},
        {.name = "empty part", .encode = k3gpp2, .codes = "", .part_no = 1, .part_count = 2, .pdu = "-"},
        // S = 21 (single) and 28 (part).
        {.name = "single, out 2S", .encode = k3gpp2, .pdu = kAddresses + "10020002" + kHelloPacked, .out_size = 42,
         .trace = kEncode7Hello},
        {.name = "single, out 2S - 1", .encode = k3gpp2, .pdu = "-", .out_size = 41, .trace = ""},
        {.name = "part, out 2S", .encode = k3gpp2, .part_no = 2, .part_count = 2, .msg_ref = 0x17,
         .pdu = kAddresses + "10050002" "0C" "050003170202" "D06536FB0D", .out_size = 56},
        {.name = "part, out 2S - 1", .encode = k3gpp2, .part_no = 2, .part_count = 2, .pdu = "-", .out_size = 55},
        {.name = "no destination", .encode = k3gpp2, .pdu = "-", .dst = "",
         .trace = "DEBUG: sms_encode_3gpp2_pdu(): LINE 1406, Destination number length is not valid\n"},
        {.name = "no destination nor callback", .encode = k3gpp2, .pdu = "-", .dst = "", .callback = "",
         .trace = "DEBUG: sms_encode_3gpp2_pdu(): LINE 1406, Destination number length is not valid\n"},
        {.name = "no callback", .encode = k3gpp2, .pdu = "-", .callback = "",
         .trace = "DEBUG: sms_encode_3gpp2_pdu(): LINE 1412, Source callback number length is not valid\n"},
    };
    for (const auto &row : rows)
        run(row);
}

TEST(SubmitEncoderTest, NullArgumentsTouchNothing) {
    auto sms = pdu_test::part_record("hello");
    for (const Encoder encode : {kGsm, k3gpp2}) {
        std::string out(SMS_PDU_CAPACITY, 'x');
        testing::internal::CaptureStdout();
        EXPECT_EQ(encode(sms.get(), nullptr, SMS_PDU_CAPACITY, 0, 0, 0, 1), -1);
        EXPECT_EQ(encode(nullptr, out.data(), SMS_PDU_CAPACITY, 0, 0, 0, 1), -1);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        EXPECT_EQ(out, std::string(SMS_PDU_CAPACITY, 'x'));
    }
}

}  // namespace
