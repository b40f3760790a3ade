// SMS-DELIVER and 3GPP2 decoders: hex PDUs in, the whole record out; header length
// per coding, truncated and foreign PDUs, traces.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "pdu_test_support.h"
#include "velmora.h"

namespace {

using pdu_test::expect_same_record;
using Expect = std::function<void(sms_message &)>;

struct DecodeRow {
    const char *name;
    std::string pdu;
    int result;
    Expect expect;      // fills the wanted record, which starts cleared (GSM: not concatenated)
    std::uint32_t sz = 0;  // 0: the text's length
};

void run(pdu_test::Decoder decode, const DecodeRow &row) {
    SCOPED_TRACE(row.name);
    auto got = pdu_test::record(0xA5);
    auto want = pdu_test::record();
    if (decode == sms_decode_pdu)
        want->total_parts = want->part_num = 1;
    row.expect(*want);
    const std::uint32_t sz = row.sz ? row.sz : static_cast<std::uint32_t>(row.pdu.size());
    EXPECT_EQ(decode(HeapText(row.pdu), sz, got.get(), 0), row.result);
    expect_same_record(*want, *got);
}

void text(sms_message &r, std::string_view bytes, std::uint32_t len, std::uint32_t coding) {
    PDU_TEST_PUT(r, text, bytes);
    r.text_len = len;
    r.data_coding = coding;
}

void concat(sms_message &r, std::uint32_t ref, std::uint32_t parts, std::uint32_t part) {
    r.msg_id = ref, r.total_parts = parts, r.part_num = part;
}

const std::string kUcs2Hi("\0H\0i", 4);

// GSM: sender 12345678901 (international), time stamp 21-02-14 13:06:05 zone 08.
const std::string kTpduHead = "0B912143658709F1";
const std::string kScts = "12204131605080";
const std::string kHelloPdu = "0004" + kTpduHead + "0000" + kScts + "05E8329BFD06";
const std::string kHiPartPdu = "0044" + kTpduHead + "0000" + kScts + "090500032A0201D069";

void sender(sms_message &r, const char *timezone = "08") {
    r.telnum_len = 11;
    r.telnum_type = 0x91;
    PDU_TEST_PUT(r, telnum, "12345678901");
    PDU_TEST_PUT(r, date_time, "14/02/21 - 13:06:05");
    PDU_TEST_PUT(r, date_time_raw, "210214130605");
    PDU_TEST_PUT(r, timezone, timezone);
}

TEST(DeliverDecoderTest, FieldsOfHandWrittenPdus) {
    const std::string head = "0004" + kTpduHead + "00";
    const auto with = [](std::string_view bytes, std::uint32_t len, std::uint32_t coding) {
        return [=](sms_message &r) { sender(r); text(r, bytes, len, coding); };
    };
    const Expect hello = with("hello", 5, 0);
    const DecodeRow rows[] = {
        {"7-bit", kHelloPdu, 0, hello},
        {"concatenated part", kHiPartPdu, 0,
         [](sms_message &r) { sender(r); concat(r, 42, 2, 1); text(r, "hi", 2, 0); }},
        {"SMS-SUBMIT type read alike", "0001" + kHelloPdu.substr(4), 0, hello},
        {"lower-case hex", "0004" + kTpduHead + "0000" + kScts + "05e8329bfd06", 0, hello},
        {"8-bit", head + "04" + kScts + "03414243", 0, with("ABC", 3, 4)},
        {"UCS-2", head + "08" + kScts + "0400480069", 0, with(kUcs2Hi, 2, 8)},
        {"unsupported DCS 0xF1", head + "F1" + kScts + "05E8329BFD06", -1, with("", 0, 0xF1)},
        {"DCS 0x11 not taken for 7-bit", head + "11" + kScts + "05E8329BFD06", -1, with("", 0, 0x11)},
        {"7-bit of length 0", head + "00" + kScts + "00", -1, with("", 0, 0)},
        {"8-bit of length 0", head + "04" + kScts + "00", 0, with("", 0, 4)},
        {"UCS-2 of one octet", head + "08" + kScts + "0100", -1, with("", 0, 8)},
        {"25-digit sender", "000419" "91" + std::string(26, '1') + "0000" + kScts + "05E8329BFD06", 0,
         [&hello](sms_message &r) { hello(r); r.telnum_len = 25; PDU_TEST_PUT(r, telnum, ""); }},
        // TP-UDL below the header's length: the count wraps and the text's end bounds it.
        {"8-bit UDL inside the header", "0044" + kTpduHead + "0004" + kScts + "030500032A0201414243", 0,
         [](sms_message &r) { sender(r); concat(r, 42, 2, 1); text(r, "ABC", 3, 4); }},
        {"7-bit UDL inside the header", "0044" + kTpduHead + "0000" + kScts + "020500032A0201D069", 0,
         [](sms_message &r) { sender(r); concat(r, 42, 2, 1); text(r, "hi" + std::string(159, '@'), 161, 0); }},
        // User data shorter than TP-UDL: what is there decodes, unreached octets read as 0.
        {"8-bit, 2 of 3 octets", head + "04" + kScts + "034142", 0, with("AB", 2, 4)},
        {"8-bit, 1.5 of 3 octets", head + "04" + kScts + "03414", 0, with("A", 1, 4)},
        {"8-bit, none of 3", head + "04" + kScts + "03", 0, with("", 0, 4)},
        {"UCS-2, 1 of 2", head + "08" + kScts + "040048", 0, with(std::string_view("\0H", 2), 1, 8)},
        {"UCS-2, one octet", head + "08" + kScts + "0400", -1, with("", 0, 8)},
        // E8 32 9B 00 00 holds the septets 68 65 6C 04 00: 04 is e-grave, 00 '@'.
        {"7-bit, 3 of 5 octets", head + "00" + kScts + "05E8329B", 0, with("hel\xE8@", 5, 0)},
    };
    for (const auto &row : rows)
        run(sms_decode_pdu, row);
}

// Independently built PDUs. Service centre 0181 (type only), time zone 00.
// Whole PDUs: Gammu 1.42 (python3-gammu EncodePDU, Deliver layout).
// UDHL 8 and 10 user data: packed by libosmocore 1.7 gsm_septet_pack behind the header,
// checked with its gsm_7bit_decode_n_hdr; Gammu's TPDU head in front.
TEST(DeliverDecoderTest, PdusBuiltByOtherImplementations) {
    const std::string head7 = "0181400B912143658709F1000012204131605000";
    const Expect hello = [](sms_message &r) { sender(r, "00"); text(r, "hello", 5, 0); };
    const Expect hello_world_part = [](sms_message &r) {
        sender(r, "00");
        concat(r, 42, 2, 1);
        text(r, "hello world", 11, 0);
    };
    const DecodeRow rows[] = {
        {"Gammu 7-bit", "0181000B912143658709F100001220413160500005E8329BFD06", 0, hello},
        {"Gammu service centre +4915200000000", "0891945102000000F0000B912143658709F100001220413160500005E8329BFD06",
         0, hello},
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
        {"libosmocore UDHL 10, fill 3", head7 + "180A00032A02010A030005004097D9EC37E8FE96B3C9", 0, hello_world_part},
        {"libosmocore UDHL 8, fill 5", head7 + "160800032A0201240100005D66B3DFA0FB5BCE2603", 0, hello_world_part},
    };
    for (const auto &row : rows)
        run(sms_decode_pdu, row);
}

// 3GPP2: sender 12345678901 (type 0x81, address length 7), time stamp 21-02-14 13:06:05.
const std::string kHead = "07812143658709F1210214130605";
const std::string kHello = kHead + "1002" "00" "02" "05E8329BFD06";
const std::string kHiPart = kHead + "1005" "00" "02" "090500032A0201D069";

void service(sms_message &r, std::uint32_t teleservice, std::uint32_t priority = 0) {
    r.telnum_len = 7;
    r.telnum_type = 0x81;
    PDU_TEST_PUT(r, telnum, "12345678901");
    PDU_TEST_PUT(r, date_time, "14/02/21 - 13:06:05");
    PDU_TEST_PUT(r, date_time_raw, "210214130605");
    r.teleserv_id = teleservice;
    r.priority = priority;
}

TEST(CdmaDecoderTest, FieldsOfEachRow) {
    const Expect hello = [](sms_message &r) { service(r, 4098); text(r, "hello", 5, 2); };
    const auto with = [](std::string_view bytes, std::uint32_t len, std::uint32_t coding) {
        return [=](sms_message &r) { service(r, 4098); text(r, bytes, len, coding); };
    };
    const DecodeRow rows[] = {
        {"teleservice 4098", kHello, 0, hello},
        {"teleservice 4101", kHiPart, 0,
         [](sms_message &r) { service(r, 4101); concat(r, 42, 2, 1); text(r, "hi", 2, 2); }},
        {"sz 14 passes the minimum length", kHello, 0, hello, 14},
        {"sz 13 is below it (26 < 27)", kHello, -1, [](sms_message &r) { r.telnum_len = 7; }, 13},
        {"sz 13 meets it for address length 6", "06812143658709" + kHello.substr(16), 0,
         [&hello](sms_message &r) { hello(r); r.telnum_len = 6; PDU_TEST_PUT(r, telnum, "1234567890"); }, 13},
        {"address length 0", "00" + kHello.substr(2), -1, [](sms_message &) {}},
        {"other teleservice", kHead + "1003" "05" "02" "05E8329BFD06", 0, [](sms_message &r) { service(r, 4099); }},
        {"user data length 0", kHead + "1002" "03" "02" "00", 0, [](sms_message &r) { service(r, 4098, 3); }},
        {"UCS-2", kHead + "1002" "00" "04" "0200480069", 0, with(kUcs2Hi, 2, 4)},
        {"Latin", kHead + "1002" "00" "08" "03414243", 0, with("ABC", 3, 8)},
        {"octets", kHead + "1002" "00" "00" "03414243", 0, with("ABC", 3, 0)},
        {"encoding 1 refused", kHead + "1002" "00" "01" "05E8329BFD06", -1, with("", 0, 1)},
        {"IA5", kHead + "1002" "00" "03" "05E8329BFD06", 0, with("hello", 5, 3)},
        {"GSM 7-bit", kHead + "1002" "00" "09" "05E8329BFD06", 0, with("hello", 5, 9)},
        {"header fills the 7-bit length", kHead + "1005" "00" "02" "070500032A0201", -1,
         [](sms_message &r) { service(r, 4101); concat(r, 42, 2, 1); r.data_coding = 2; }},
        {"UCS-2 of one octet", kHead + "1002" "00" "04" "0100", -1, with("", 0, 4)},
        {"address of 14 octets", "0E81" + std::string(26, '3') + "210214130605" "1002" "00" "02" "05E8329BFD06", 0,
         [&hello](sms_message &r) { hello(r); r.telnum_len = 14; PDU_TEST_PUT(r, telnum, ""); }},
    };
    for (const auto &row : rows)
        run(sms_decode_3gpp2_pdu, row);
}

// The header's share of the length: septets ceil(8 (UDHL + 1) / 7) for 7-bit data,
// UDHL + 1 octets for octet and Latin data, ceil((UDHL + 1) / 2) characters for UCS-2.
TEST(CdmaDecoderTest, HeaderLengthByEncoding) {
    const auto part = [](std::string_view bytes, std::uint32_t len, std::uint32_t coding, bool concatenated = true) {
        return [=](sms_message &r) {
            service(r, 4101);
            if (concatenated)
                concat(r, 42, 2, 1);
            text(r, bytes, len, coding);
        };
    };
    const DecodeRow rows[] = {
        // An octet more after the length in each row: the reduction decides where the text ends.
        {"Latin", kHead + "1005" "00" "08" "09" "0500032A0201" "414243" "44", 0, part("ABC", 3, 8)},
        {"octets", kHead + "1005" "00" "00" "09" "0500032A0201" "414243" "44", 0, part("ABC", 3, 0)},
        {"UCS-2, UDHL 5", kHead + "1005" "00" "04" "05" "0500032A0201" "00480069", 0, part(kUcs2Hi, 2, 4)},
        {"UCS-2, UDHL 4", kHead + "1005" "00" "04" "05" "0400022A02" "00480069" "0021", 0, part(kUcs2Hi, 2, 4, false)},
        // 7-bit user data after a 16-bit reference (UDHL 6) and a 10-octet header, packed
        // as in the Gammu and libosmocore PDUs above.
        {"7-bit, UDHL 6", kHead + "1005" "00" "02" "13" "06080412340201E8329BFD06DDDF723619", 0,
         part("hello world", 11, 2, false)},
        {"GSM 7-bit, UDHL 10", kHead + "1005" "00" "09" "18" "0A00032A02010A030005004097D9EC37E8FE96B3C9", 0,
         part("hello world", 11, 9)},
    };
    for (const auto &row : rows)
        run(sms_decode_3gpp2_pdu, row);
}

TEST(DecoderTest, BadArgumentsTouchNothing) {
    auto got = pdu_test::record(0xA5);
    auto want = pdu_test::record(0xA5);
    for (const pdu_test::Decoder decode : {sms_decode_pdu, sms_decode_3gpp2_pdu}) {
        EXPECT_EQ(decode(nullptr, 48, got.get(), 0), -1);
        EXPECT_EQ(decode(kHello.c_str(), 48, nullptr, 0), -1);
    }
    EXPECT_EQ(sms_decode_3gpp2_pdu(kHello.c_str(), 0, got.get(), 0), -1);
    expect_same_record(*want, *got);
}

// Every prefix: a field that the text does not hold whole fails the decode, keeping what
// came before; from `ok` characters on the decode succeeds.
TEST(DecoderTest, EveryPrefixOfAPdu) {
    // GSM: sender length 4-5, type 6-7, digits 8-19, PID and DCS 20-23, time stamp 24-37,
    // TP-UDL 38-39, then the header (UDHL 40, IEI 42, IEDL 44, values 46-51) or user data.
    const auto gsm = [](std::size_t p, sms_message &r) {
        r.total_parts = r.part_num = 1;
        if (p >= 6) r.telnum_len = 11;
        if (p >= 8) r.telnum_type = 0x91;
        if (p >= 20) PDU_TEST_PUT(r, telnum, "12345678901");
        if (p >= 38) sender(r);
    };
    // 3GPP2: address length 0-1, type 2-3, digits 4-15, time stamp 16-27, teleservice 28-31,
    // priority 32-33, encoding 34-35, length 36-37, then the header (UDHL 38, IEI 40, IEDL 42,
    // values 44-49) or user data.
    const auto cdma = [](std::uint32_t teleservice, std::uint32_t priority) {
        return [=](std::size_t p, sms_message &r) {
            if (p == 0)  // sz 0: the record is not touched
                std::memset(&r, 0xA5, sizeof r);
            if (p >= 2) r.telnum_len = 7;
            if (p >= 14) r.telnum_type = 0x81;  // below sz 14 the minimum-length test fails first
            if (p >= 16) PDU_TEST_PUT(r, telnum, "12345678901");
            if (p >= 28) PDU_TEST_PUT(r, date_time, "14/02/21 - 13:06:05");
            if (p >= 28) PDU_TEST_PUT(r, date_time_raw, "210214130605");
            if (p >= 32) r.teleserv_id = teleservice;
            if (p >= 34) r.priority = priority;
        };
    };
    const std::string other = kHead + "1003" "05" "02" "05E8329BFD06";
    const struct {
        const char *name;
        pdu_test::Decoder decode;
        std::string pdu;
        std::size_t ok;
        std::function<void(std::size_t, sms_message &)> before;
    } rows[] = {
        {"GSM 7-bit", sms_decode_pdu, kHelloPdu, 40, gsm},
        {"GSM part", sms_decode_pdu, kHiPartPdu, 52, gsm},
        {"service centre longer than the text", sms_decode_pdu, "0791214365", 11,
         [](std::size_t, sms_message &r) { r.total_parts = r.part_num = 1; }},
        {"3GPP2 7-bit", sms_decode_3gpp2_pdu, kHead + "1002" "03" "02" "05E8329BFD06", 38, cdma(4098, 3)},
        {"3GPP2 part", sms_decode_3gpp2_pdu, kHiPart, 50, cdma(4101, 0)},
        // The early return after another teleservice reads nothing after it, not even the priority.
        {"3GPP2 other teleservice", sms_decode_3gpp2_pdu, other, 32, cdma(4099, 0)},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        // Past the user data's start, a success decodes as if the missing characters were zeros.
        const std::size_t user_data = row.decode == sms_decode_pdu ? 40 : 38;
        pdu_test::decode_prefixes(row.decode, row.pdu, row.pdu == other ? other.size() : user_data,
                                  [&row](std::size_t p, sms_message &r) {
                                      row.before(p, r);
                                      return p >= row.ok ? 0 : -1;
                                  });
    }
}

const char *const kHiUserDataTrace =
    "DEBUG: convert_bytestr_to_hexarray(): LINE 531, Entering function\n"
    "DEBUG: convert_bytestr_to_hexarray(): LINE 548, Value: D0\n"
    "DEBUG: convert_bytestr_to_hexarray(): LINE 548, Value: 69\n"
    "DEBUG decode_7bit_pdu(): LINE 766, Decoded message before gsm0338_to_ascii = 'hi'\n"
    "DEBUG: decode_7bit_pdu(): LINE 776,   SMS ASCII: 6869\n";

std::string traced(pdu_test::Decoder decode, const std::string &pdu, std::uint32_t sz, int result) {
    auto sms = pdu_test::record();
    testing::internal::CaptureStdout();
    EXPECT_EQ(decode(pdu.c_str(), sz, sms.get(), 1), result);
    return testing::internal::GetCapturedStdout();
}

TEST(DeliverDecoderTest, TracesAConcatenatedPart) {
    EXPECT_EQ(traced(sms_decode_pdu, kHiPartPdu, 0, 0),
              std::string("DEBUG: sms_decode_pdu(): LINE 1084, pdu_type = 0x44\n"
                          "DEBUG: sms_decode_pdu(): LINE 1089, has UDHI\n"
                          "DEBUG: sms_decode_pdu(): LINE 1101, sender num_length = 0xC\n"
                          "DEBUG: sms_decode_pdu(): LINE 1107, sender_addr_type = 0x91\n"
                          "DEBUG: sms_decode_pdu(): LINE 1123, proto_ident = 0x0\n"
                          "DEBUG: sms_decode_pdu(): LINE 1132, data_coding = 0x0\n"
                          "DEBUG: sms_decode_pdu(): LINE 1145, user_data_length = 0x9\n"
                          "DEBUG: sms_decode_pdu(): LINE 1154, UDHL = 0x5\n"
                          "DEBUG: sms_decode_pdu(): LINE 1167, IEI = 0x0\n"
                          "DEBUG: sms_decode_pdu(): LINE 1184, msg_id=42, total_parts=2, part_num=1\n"
                          "DEBUG: sms_decode_pdu(): LINE 1194, (-UDHL) user_data_length = 0x2\n") +
                  kHiUserDataTrace);

    const std::string trace = traced(sms_decode_pdu, "0004" + kTpduHead + "00F1" + kScts + "05E8329BFD06", 0, -1);
    const std::string last = "DEBUG: sms_decode_pdu(): LINE 1238, Invalid data_coding type 0xF1\n";
    ASSERT_GE(trace.size(), last.size());
    EXPECT_EQ(trace.substr(trace.size() - last.size()), last);
    EXPECT_EQ(trace.find("LINE 1089"), std::string::npos);
}

TEST(CdmaDecoderTest, TracesAConcatenatedPart) {
    EXPECT_EQ(traced(sms_decode_3gpp2_pdu, kHiPart, 48, 0),
              std::string("DEBUG: sms_decode_3gpp2_pdu(): LINE 840, sender addr_len = 0x7\n"
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
                          "DEBUG: sms_decode_3gpp2_pdu(): LINE 987, (-UDHL) user_data_length = 0x2\n") +
                  kHiUserDataTrace);
    EXPECT_EQ(traced(sms_decode_3gpp2_pdu, kHello, 13, -1),
              "DEBUG: sms_decode_3gpp2_pdu(): LINE 840, sender addr_len = 0x7\n"
              "DEBUG: sms_decode_3gpp2_pdu(): LINE 863, sz (13) < l_i_min_len (27) \n");
    const std::string trace = traced(sms_decode_3gpp2_pdu, kHead + "1002" "00" "01" "05E8329BFD06", 48, -1);
    EXPECT_NE(trace.find("LINE 929, user_data_length = 0x5\n"
                         "DEBUG: sms_decode_3gpp2_pdu(): LINE 1031, Invalid data_coding type 0x1\n"),
              std::string::npos)
        << trace;
}

}  // namespace
