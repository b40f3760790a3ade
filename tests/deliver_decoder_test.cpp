// SMS-DELIVER decoder: hex PDUs in, record fields out; truncated and foreign PDUs.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "heap_text.h"
#include "pdu_test_support.h"
#include "velmora.h"

namespace {

using pdu_test::expect_same_record;

// Sender 12345678901 (international), time stamp 21-02-14 13:06:05 zone 08.
const std::string kTpduHead = "0B912143658709F1";
const std::string kScts = "12204131605080";
const std::string kHelloPdu = "0004" + kTpduHead + "0000" + kScts + "05E8329BFD06";
const std::string kHiPartPdu = "0044" + kTpduHead + "0000" + kScts + "090500032A0201D069";

// The record that the decoder starts from: cleared, not part of a concatenated message.
std::unique_ptr<sms_message> deliver_base() {
    auto r = pdu_test::cleared_record();
    r->total_parts = 1;
    r->part_num = 1;
    return r;
}

void sender(sms_message &r, const char *timezone = "08") {
    r.telnum_len = 11;
    r.telnum_type = 0x91;
    PDU_TEST_PUT(r, telnum, "12345678901");
    PDU_TEST_PUT(r, date_time, "14/02/21 - 13:06:05");
    PDU_TEST_PUT(r, date_time_raw, "210214130605");
    PDU_TEST_PUT(r, timezone, timezone);
}

void text(sms_message &r, std::string_view bytes, std::uint32_t len, std::uint32_t coding) {
    PDU_TEST_PUT(r, text, bytes);
    r.text_len = len;
    r.data_coding = coding;
}

void concat(sms_message &r, std::uint32_t ref, std::uint32_t parts, std::uint32_t part) {
    r.msg_id = ref;
    r.total_parts = parts;
    r.part_num = part;
}

struct DecodeRow {
    const char *name;
    std::string pdu;
    int result;
    std::function<void(sms_message &)> expect;
};

void run(const DecodeRow &row) {
    SCOPED_TRACE(row.name);
    const HeapText pdu(row.pdu);
    auto got = pdu_test::filled_record(0xA5);
    auto want = deliver_base();
    row.expect(*want);
    EXPECT_EQ(sms_decode_pdu(pdu, static_cast<std::uint32_t>(row.pdu.size()), got.get(), 0), row.result);
    expect_same_record(*want, *got);
}

TEST(DeliverDecoderTest, FieldsOfHandWrittenPdus) {
    const std::string head = "0004" + kTpduHead + "00";
    const DecodeRow rows[] = {
        {"7-bit", kHelloPdu, 0, [](sms_message &r) { sender(r); text(r, "hello", 5, 0); }},
        {"concatenated part", kHiPartPdu, 0,
         [](sms_message &r) { sender(r); concat(r, 42, 2, 1); text(r, "hi", 2, 0); }},
        {"service centre skipped", "07912143658709F1" + kHelloPdu.substr(2), 0,
         [](sms_message &r) { sender(r); text(r, "hello", 5, 0); }},
        {"SMS-SUBMIT type read alike", "0001" + kHelloPdu.substr(4), 0,
         [](sms_message &r) { sender(r); text(r, "hello", 5, 0); }},
        {"lower-case hex", "0004" + kTpduHead + "0000" + kScts + "05e8329bfd06", 0,
         [](sms_message &r) { sender(r); text(r, "hello", 5, 0); }},
        {"8-bit", head + "04" + kScts + "03414243", 0, [](sms_message &r) { sender(r); text(r, "ABC", 3, 4); }},
        {"UCS-2", head + "08" + kScts + "0400480069", 0,
         [](sms_message &r) { sender(r); text(r, std::string("\0H\0i", 4), 2, 8); }},
        {"unsupported DCS 0xF1", head + "F1" + kScts + "05E8329BFD06", -1,
         [](sms_message &r) { sender(r); r.data_coding = 0xF1; }},
        {"DCS 0x11 not taken for 7-bit", head + "11" + kScts + "05E8329BFD06", -1,
         [](sms_message &r) { sender(r); r.data_coding = 0x11; }},
        {"7-bit of length 0", head + "00" + kScts + "00", -1, [](sms_message &r) { sender(r); }},
        {"8-bit of length 0", head + "04" + kScts + "00", 0, [](sms_message &r) { sender(r); r.data_coding = 4; }},
        {"UCS-2 of one octet", head + "08" + kScts + "0100", -1, [](sms_message &r) { sender(r); r.data_coding = 8; }},
        {"25-digit sender", "000419" "91" + std::string(26, '1') + "0000" + kScts + "05E8329BFD06", 0,
         [](sms_message &r) {
             sender(r); text(r, "hello", 5, 0);
             r.telnum_len = 25;
             PDU_TEST_PUT(r, telnum, "");
         }},
        // TP-UDL below the header's length: the count wraps and the text's end bounds it.
        {"8-bit UDL inside the header", "0044" + kTpduHead + "0004" + kScts + "030500032A0201414243", 0,
         [](sms_message &r) { sender(r); concat(r, 42, 2, 1); text(r, "ABC", 3, 4); }},
        {"7-bit UDL inside the header", "0044" + kTpduHead + "0000" + kScts + "020500032A0201D069", 0,
         [](sms_message &r) { sender(r); concat(r, 42, 2, 1); text(r, "hi" + std::string(159, '@'), 161, 0); }},
    };
    for (const auto &row : rows)
        run(row);
}

// Independently built PDUs. Service centre 0181 (type only), time zone 00.
// Whole PDUs: Gammu 1.42 (python3-gammu EncodePDU, Deliver layout).
// UDHL 8 and 10 user data: packed by libosmocore 1.7 gsm_septet_pack behind the header,
// checked with its gsm_7bit_decode_n_hdr; Gammu's TPDU head in front.
TEST(DeliverDecoderTest, PdusBuiltByOtherImplementations) {
    const std::string head7 = "0181400B912143658709F1000012204131605000";
    const DecodeRow rows[] = {
        {"Gammu 7-bit", "0181000B912143658709F100001220413160500005E8329BFD06", 0,
         [](sms_message &r) { sender(r, "00"); text(r, "hello", 5, 0); }},
        {"Gammu service centre +4915200000000", "0891945102000000F0000B912143658709F100001220413160500005E8329BFD06",
         0, [](sms_message &r) { sender(r, "00"); text(r, "hello", 5, 0); }},
        {"Gammu UCS-2 part 2 of 2",
         "0181400B912143658709F1000812204131605000140500032A02020047007200FC00DF0065002020AC", 0,
         [](sms_message &r) {
             sender(r, "00");
             concat(r, 42, 2, 2);
             text(r, std::string("\x00G\x00r\x00\xFC\x00\xDF\x00\x65\x00 \x20\xAC", 14), 7, 8);
         }},
        {"Gammu 8-bit part 3 of 3", "0181400B912143658709F10004122041316050000C0500032A03030102FEFF0041", 0,
         [](sms_message &r) {
             sender(r, "00");
             concat(r, 42, 3, 3);
             text(r, std::string("\1\2\xFE\xFF\0A", 6), 6, 4);
         }},
        {"Gammu 16-bit reference", "0181400B912143658709F10000122041316050001306080412340201E8329BFD06DDDF723619", 0,
         [](sms_message &r) { sender(r, "00"); text(r, "hello world", 11, 0); }},
        {"libosmocore UDHL 10, fill 3",
         head7 + "180A00032A02010A030005004097D9EC37E8FE96B3C9", 0,
         [](sms_message &r) {
             sender(r, "00");
             concat(r, 42, 2, 1);
             text(r, "hello world", 11, 0);
         }},
        {"libosmocore UDHL 8, fill 5",
         head7 + "160800032A0201240100005D66B3DFA0FB5BCE2603", 0,
         [](sms_message &r) {
             sender(r, "00");
             concat(r, 42, 2, 1);
             text(r, "hello world", 11, 0);
         }},
    };
    for (const auto &row : rows)
        run(row);
}

TEST(DeliverDecoderTest, NullArgumentsTouchNothing) {
    auto got = pdu_test::filled_record(0xA5);
    auto want = pdu_test::filled_record(0xA5);
    EXPECT_EQ(sms_decode_pdu(nullptr, 10, got.get(), 0), -1);
    EXPECT_EQ(sms_decode_pdu(kHelloPdu.c_str(), 0, nullptr, 0), -1);
    expect_same_record(*want, *got);
}

// A field that the text does not hold whole fails the decode, keeping what came before.
TEST(DeliverDecoderTest, TruncatedPdus) {
    auto fields_before = [](std::size_t p, sms_message &r) {
        r.total_parts = r.part_num = 1;
        if (p >= 6) r.telnum_len = 11;
        if (p >= 8) r.telnum_type = 0x91;
        if (p >= 20) PDU_TEST_PUT(r, telnum, "12345678901");
        if (p >= 38) sender(r);
    };
    pdu_test::decode_prefixes(sms_decode_pdu, kHelloPdu, 40, [&](std::size_t p, sms_message &r) {
        fields_before(p, r);
        return p >= 40 ? 0 : -1;
    });
    // The header: UDHL at 40, IEI at 42, IEDL at 44, the three values at 46-51.
    pdu_test::decode_prefixes(sms_decode_pdu, kHiPartPdu, 52, [&](std::size_t p, sms_message &r) {
        fields_before(p, r);
        return p >= 52 ? 0 : -1;
    });
    // A service-centre address longer than the text.
    pdu_test::decode_prefixes(sms_decode_pdu, "0791214365", 10, [](std::size_t, sms_message &r) {
        r.total_parts = r.part_num = 1;
        return -1;
    });
}

TEST(DeliverDecoderTest, ShortUserDataDecodesWhatIsThere) {
    const std::string head = "0004" + kTpduHead + "00";
    const DecodeRow rows[] = {
        {"8-bit, 2 of 3 octets", head + "04" + kScts + "034142", 0,
         [](sms_message &r) { sender(r); text(r, "AB", 2, 4); }},
        {"8-bit, 1.5 of 3 octets", head + "04" + kScts + "03414", 0,
         [](sms_message &r) { sender(r); text(r, "A", 1, 4); }},
        {"8-bit, none of 3", head + "04" + kScts + "03", 0, [](sms_message &r) { sender(r); r.data_coding = 4; }},
        {"UCS-2, 1 of 2", head + "08" + kScts + "040048", 0,
         [](sms_message &r) { sender(r); text(r, std::string("\0H", 2), 1, 8); }},
        {"UCS-2, one octet", head + "08" + kScts + "0400", -1, [](sms_message &r) { sender(r); r.data_coding = 8; }},
        // E8 32 9B 00 00 holds the septets 68 65 6C 04 00: 04 is e-grave, 00 '@'.
        {"7-bit, 3 of 5 octets", head + "00" + kScts + "05E8329B", 0,
         [](sms_message &r) { sender(r); text(r, "hel\xE8@", 5, 0); }},
    };
    for (const auto &row : rows)
        run(row);
}

TEST(DeliverDecoderTest, TracesAConcatenatedPart) {
    auto sms = pdu_test::cleared_record();
    testing::internal::CaptureStdout();
    ASSERT_EQ(sms_decode_pdu(kHiPartPdu.c_str(), 0, sms.get(), 1), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "DEBUG: sms_decode_pdu(): LINE 1084, pdu_type = 0x44\n"
              "DEBUG: sms_decode_pdu(): LINE 1089, has UDHI\n"
              "DEBUG: sms_decode_pdu(): LINE 1101, sender num_length = 0xC\n"
              "DEBUG: sms_decode_pdu(): LINE 1107, sender_addr_type = 0x91\n"
              "DEBUG: sms_decode_pdu(): LINE 1123, proto_ident = 0x0\n"
              "DEBUG: sms_decode_pdu(): LINE 1132, data_coding = 0x0\n"
              "DEBUG: sms_decode_pdu(): LINE 1145, user_data_length = 0x9\n"
              "DEBUG: sms_decode_pdu(): LINE 1154, UDHL = 0x5\n"
              "DEBUG: sms_decode_pdu(): LINE 1167, IEI = 0x0\n"
              "DEBUG: sms_decode_pdu(): LINE 1184, msg_id=42, total_parts=2, part_num=1\n"
              "DEBUG: sms_decode_pdu(): LINE 1194, (-UDHL) user_data_length = 0x2\n"
              "DEBUG: convert_bytestr_to_hexarray(): LINE 531, Entering function\n"
              "DEBUG: convert_bytestr_to_hexarray(): LINE 548, Value: D0\n"
              "DEBUG: convert_bytestr_to_hexarray(): LINE 548, Value: 69\n"
              "DEBUG decode_7bit_pdu(): LINE 766, Decoded message before gsm0338_to_ascii = 'hi'\n"
              "DEBUG: decode_7bit_pdu(): LINE 776,   SMS ASCII: 6869\n");

    const std::string bad_dcs = "0004" + kTpduHead + "00F1" + kScts + "05E8329BFD06";
    testing::internal::CaptureStdout();
    ASSERT_EQ(sms_decode_pdu(bad_dcs.c_str(), 0, sms.get(), 1), -1);
    const std::string trace = testing::internal::GetCapturedStdout();
    const std::string last = "DEBUG: sms_decode_pdu(): LINE 1238, Invalid data_coding type 0xF1\n";
    ASSERT_GE(trace.size(), last.size());
    EXPECT_EQ(trace.substr(trace.size() - last.size()), last);
    EXPECT_EQ(trace.find("LINE 1089"), std::string::npos);
}

}  // namespace
