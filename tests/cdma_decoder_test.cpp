// 3GPP2 deliver decoder: sender, time stamp, teleservice, priority, encoding, user data.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "heap_text.h"
#include "pdu_test_support.h"
#include "velmora.h"

namespace {

using pdu_test::expect_same_record;

// Sender 12345678901 (type 0x81, address length 7), time stamp 21-02-14 13:06:05.
const std::string kHead = "07812143658709F1210214130605";
const std::string kHello = kHead + "1002" "00" "02" "05E8329BFD06";
const std::string kHiPart = kHead + "1005" "00" "02" "090500032A0201D069";

void sender(sms_message &r) {
    r.telnum_len = 7;
    r.telnum_type = 0x81;
    PDU_TEST_PUT(r, telnum, "12345678901");
    PDU_TEST_PUT(r, date_time, "14/02/21 - 13:06:05");
    PDU_TEST_PUT(r, date_time_raw, "210214130605");
}

void service(sms_message &r, std::uint32_t teleservice, std::uint32_t priority) {
    sender(r);
    r.teleserv_id = teleservice;
    r.priority = priority;
}

void text(sms_message &r, std::string_view bytes, std::uint32_t len, std::uint32_t coding) {
    PDU_TEST_PUT(r, text, bytes);
    r.text_len = len;
    r.data_coding = coding;
}

struct DecodeRow {
    const char *name;
    std::string pdu;
    std::uint32_t sz;  // 0: the text's length
    int result;
    std::function<void(sms_message &)> expect;
};

void run(const DecodeRow &row) {
    SCOPED_TRACE(row.name);
    const HeapText pdu(row.pdu);
    auto got = pdu_test::filled_record(0xA5);
    auto want = pdu_test::cleared_record();
    row.expect(*want);
    const std::uint32_t sz = row.sz ? row.sz : static_cast<std::uint32_t>(row.pdu.size());
    EXPECT_EQ(sms_decode_3gpp2_pdu(pdu, sz, got.get(), 0), row.result);
    expect_same_record(*want, *got);
}

TEST(CdmaDecoderTest, FieldsOfEachRow) {
    const std::string ucs2 = std::string("\0H\0i", 4);
    const DecodeRow rows[] = {
        {"teleservice 4098", kHello, 0, 0, [](sms_message &r) { service(r, 4098, 0); text(r, "hello", 5, 2); }},
        {"teleservice 4101", kHiPart, 0, 0,
         [](sms_message &r) {
             service(r, 4101, 0);
             r.msg_id = 42, r.total_parts = 2, r.part_num = 1;
             text(r, "hi", 2, 2);
         }},
        {"sz 14 passes the minimum length", kHello, 14, 0,
         [](sms_message &r) { service(r, 4098, 0); text(r, "hello", 5, 2); }},
        {"sz 13 is below it (26 < 27)", kHello, 13, -1, [](sms_message &r) { r.telnum_len = 7; }},
        {"sz 13 meets it for address length 6", "06812143658709" + kHello.substr(16), 13, 0,
         [](sms_message &r) {
             service(r, 4098, 0);
             r.telnum_len = 6;
             PDU_TEST_PUT(r, telnum, "1234567890");
             text(r, "hello", 5, 2);
         }},
        {"address length 0", "00" + kHello.substr(2), 0, -1, [](sms_message &) {}},
        {"other teleservice", kHead + "1003" "05" "02" "05E8329BFD06", 0, 0,
         [](sms_message &r) { service(r, 4099, 0); }},
        {"user data length 0", kHead + "1002" "03" "02" "00", 0, 0, [](sms_message &r) { service(r, 4098, 3); }},
        {"UCS-2", kHead + "1002" "00" "04" "0200480069", 0, 0,
         [ucs2](sms_message &r) { service(r, 4098, 0); text(r, ucs2, 2, 4); }},
        {"Latin", kHead + "1002" "00" "08" "03414243", 0, 0,
         [](sms_message &r) { service(r, 4098, 0); text(r, "ABC", 3, 8); }},
        {"octets", kHead + "1002" "00" "00" "03414243", 0, 0,
         [](sms_message &r) { service(r, 4098, 0); text(r, "ABC", 3, 0); }},
        {"encoding 1 refused", kHead + "1002" "00" "01" "05E8329BFD06", 0, -1,
         [](sms_message &r) { service(r, 4098, 0); r.data_coding = 1; }},
        {"IA5", kHead + "1002" "00" "03" "05E8329BFD06", 0, 0,
         [](sms_message &r) { service(r, 4098, 0); text(r, "hello", 5, 3); }},
        {"GSM 7-bit", kHead + "1002" "00" "09" "05E8329BFD06", 0, 0,
         [](sms_message &r) { service(r, 4098, 0); text(r, "hello", 5, 9); }},
        {"header fills the 7-bit length", kHead + "1005" "00" "02" "070500032A0201", 0, -1,
         [](sms_message &r) {
             service(r, 4101, 0);
             r.msg_id = 42, r.total_parts = 2, r.part_num = 1;
             r.data_coding = 2;
         }},
        {"UCS-2 of one octet", kHead + "1002" "00" "04" "0100", 0, -1,
         [](sms_message &r) { service(r, 4098, 0); r.data_coding = 4; }},
        {"address of 14 octets", "0E81" + std::string(26, '3') + "210214130605" "1002" "00" "02" "05E8329BFD06", 0, 0,
         [](sms_message &r) {
             service(r, 4098, 0);
             r.telnum_len = 14;
             PDU_TEST_PUT(r, telnum, "");
             text(r, "hello", 5, 2);
         }},
    };
    for (const auto &row : rows)
        run(row);
}

// The header's share of the length: septets ceil(8 (UDHL + 1) / 7) for 7-bit data,
// UDHL + 1 octets for octet and Latin data, ceil((UDHL + 1) / 2) characters for UCS-2.
TEST(CdmaDecoderTest, HeaderLengthByEncoding) {
    const std::string ucs2 = std::string("\0H\0i", 4);
    auto concat = [](sms_message &r) { r.msg_id = 42, r.total_parts = 2, r.part_num = 1; };
    const DecodeRow rows[] = {
        {"Latin", kHead + "1005" "00" "08" "09" "0500032A0201" "414243", 0, 0,
         [concat](sms_message &r) { service(r, 4101, 0); concat(r); text(r, "ABC", 3, 8); }},
        {"octets", kHead + "1005" "00" "00" "09" "0500032A0201" "414243", 0, 0,
         [concat](sms_message &r) { service(r, 4101, 0); concat(r); text(r, "ABC", 3, 0); }},
        {"UCS-2, UDHL 5", kHead + "1005" "00" "04" "05" "0500032A0201" "00480069", 0, 0,
         [concat, ucs2](sms_message &r) { service(r, 4101, 0); concat(r); text(r, ucs2, 2, 4); }},
        {"UCS-2, UDHL 4", kHead + "1005" "00" "04" "05" "0400022A02" "00480069" "0021", 0, 0,
         [ucs2](sms_message &r) { service(r, 4101, 0); text(r, ucs2, 2, 4); }},
        // 7-bit user data after a 16-bit reference (UDHL 6) and a 10-octet header; see
        // DeliverDecoderTest for where the packed octets come from.
        {"7-bit, UDHL 6", kHead + "1005" "00" "02" "13" "06080412340201E8329BFD06DDDF723619", 0, 0,
         [](sms_message &r) { service(r, 4101, 0); text(r, "hello world", 11, 2); }},
        {"GSM 7-bit, UDHL 10", kHead + "1005" "00" "09" "18" "0A00032A02010A030005004097D9EC37E8FE96B3C9", 0, 0,
         [concat](sms_message &r) { service(r, 4101, 0); concat(r); text(r, "hello world", 11, 9); }},
    };
    for (const auto &row : rows)
        run(row);
}

TEST(CdmaDecoderTest, BadArgumentsTouchNothing) {
    auto got = pdu_test::filled_record(0xA5);
    auto want = pdu_test::filled_record(0xA5);
    EXPECT_EQ(sms_decode_3gpp2_pdu(nullptr, 48, got.get(), 0), -1);
    EXPECT_EQ(sms_decode_3gpp2_pdu(kHello.c_str(), 48, nullptr, 0), -1);
    EXPECT_EQ(sms_decode_3gpp2_pdu(kHello.c_str(), 0, got.get(), 0), -1);
    expect_same_record(*want, *got);
}

// Fields: address length 0-1, type 2-3, digits 4-15, time stamp 16-27, teleservice
// 28-31, priority 32-33, encoding 34-35, length 36-37, header or user data from 38.
void fields_before(std::size_t p, sms_message &r, std::uint32_t teleservice) {
    if (p == 0) {  // sz 0: the record is not touched
        std::memset(&r, 0xA5, sizeof r);
        return;
    }
    if (p >= 2) r.telnum_len = 7;
    if (p >= 14) r.telnum_type = 0x81;  // below sz 14 the minimum-length test fails first
    if (p >= 16) PDU_TEST_PUT(r, telnum, "12345678901");
    if (p >= 28) PDU_TEST_PUT(r, date_time, "14/02/21 - 13:06:05"), PDU_TEST_PUT(r, date_time_raw, "210214130605");
    if (p >= 32) r.teleserv_id = teleservice;
}

TEST(CdmaDecoderTest, TruncatedMessages) {
    const std::string hello = kHead + "1002" "03" "02" "05E8329BFD06";
    pdu_test::decode_prefixes(sms_decode_3gpp2_pdu, hello, 38, [](std::size_t p, sms_message &r) {
        fields_before(p, r, 4098);
        if (p >= 34) r.priority = 3;
        return p >= 38 ? 0 : -1;
    });
    // Header: UDHL 38-39, IEI 40-41, IEDL 42-43, the three values 44-49.
    pdu_test::decode_prefixes(sms_decode_3gpp2_pdu, kHiPart, 50, [](std::size_t p, sms_message &r) {
        fields_before(p, r, 4101);
        return p >= 50 ? 0 : -1;
    });
    // The early return after another teleservice needs nothing after it.
    const std::string other = kHead + "1003" "05" "02" "05E8329BFD06";
    pdu_test::decode_prefixes(sms_decode_3gpp2_pdu, other, other.size(), [](std::size_t p, sms_message &r) {
        fields_before(p, r, 4099);
        return p >= 32 ? 0 : -1;
    });
}

TEST(CdmaDecoderTest, TracesAConcatenatedPart) {
    auto sms = pdu_test::cleared_record();
    testing::internal::CaptureStdout();
    ASSERT_EQ(sms_decode_3gpp2_pdu(kHiPart.c_str(), 48, sms.get(), 1), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "DEBUG: sms_decode_3gpp2_pdu(): LINE 840, sender addr_len = 0x7\n"
              "DEBUG: sms_decode_3gpp2_pdu(): LINE 872, type_addr = 0x81\n"
              "DEBUG: sms_decode_3gpp2_pdu(): LINE 881, sms->telnum = 12345678901\n"
              "DEBUG: sms_decode_3gpp2_pdu(): LINE 888, sms->date_time = 14/02/21 - 13:06:05\n"
              "DEBUG: sms_decode_3gpp2_pdu(): LINE 896, teleserv_id = 0x1005\n"
              "DEBUG: sms_decode_3gpp2_pdu(): LINE 911, priority = 0x0\n"
              "DEBUG: sms_decode_3gpp2_pdu(): LINE 920, data_encoding = 0x2\n"
              "DEBUG: sms_decode_3gpp2_pdu(): LINE 929, user_data_length = 0x9\n"
              "DEBUG: sms_decode_3gpp2_pdu(): LINE 943, UDHL = 0x5\n"
              "DEBUG: sms_decode_3gpp2_pdu(): LINE 957, IEI = 0x0\n"
              "DEBUG: sms_decode_3gpp2_pdu(): LINE 976, msg_id=42, total_parts=2, part_num=1\n"
              "DEBUG: sms_decode_3gpp2_pdu(): LINE 987, (-UDHL) user_data_length = 0x2\n"
              "DEBUG: convert_bytestr_to_hexarray(): LINE 531, Entering function\n"
              "DEBUG: convert_bytestr_to_hexarray(): LINE 548, Value: D0\n"
              "DEBUG: convert_bytestr_to_hexarray(): LINE 548, Value: 69\n"
              "DEBUG decode_7bit_pdu(): LINE 766, Decoded message before gsm0338_to_ascii = 'hi'\n"
              "DEBUG: decode_7bit_pdu(): LINE 776,   SMS ASCII: 6869\n");

    testing::internal::CaptureStdout();
    EXPECT_EQ(sms_decode_3gpp2_pdu(kHello.c_str(), 13, sms.get(), 1), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "DEBUG: sms_decode_3gpp2_pdu(): LINE 840, sender addr_len = 0x7\n"
              "DEBUG: sms_decode_3gpp2_pdu(): LINE 863, sz (13) < l_i_min_len (27) \n");

    const std::string refused = kHead + "1002" "00" "01" "05E8329BFD06";
    testing::internal::CaptureStdout();
    EXPECT_EQ(sms_decode_3gpp2_pdu(refused.c_str(), 48, sms.get(), 1), -1);
    const std::string trace = testing::internal::GetCapturedStdout();
    EXPECT_NE(trace.find("LINE 929, user_data_length = 0x5\n"
                         "DEBUG: sms_decode_3gpp2_pdu(): LINE 1031, Invalid data_coding type 0x1\n"),
              std::string::npos)
        << trace;
}

}  // namespace
