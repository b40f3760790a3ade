// SPDX-License-Identifier: Apache-2.0
// velmora_encode, velmora_encode_data and velmora_count against tests/vectors/sms_encode.tsv,
// every PDU made read back (sms_encode_support.h), also on four threads (pdu_test.cpp);
// texts of the default alphabet against the PDUs of sms_encode_pdus.
#include <random>

#include "sms_encode_support.h"
#include "support.h"

namespace {

// \xHH a byte, and \(N) the character before it N times in a row.
std::string unescape(std::string_view in) {
    std::string out;
    for (std::size_t i = 0, last = 0; i < in.size(); ++i) {
        const bool escape = in[i] == '\\';
        if (escape && in[i + 1] == '(') {
            const std::string character = out.substr(last);
            out.resize(last);
            for (int n = std::stoi(std::string(in.substr(i + 2))); n > 0; --n)
                out += character;
            i = in.find(')', i);
            continue;
        }
        last = (in[i] & 0xC0) == 0x80 ? last : out.size();  // where the last character starts
        out += escape ? static_cast<char>(std::stoi(std::string(in.substr(i + 2, 2)), nullptr, 16)) : in[i];
        i += escape ? 3 : 0;
    }
    return out;
}

std::string describe(const velmora_error &e) {
    char code_point[16] = "";
    if (e.status == VELMORA_E_UNENCODABLE)
        std::snprintf(code_point, sizeof code_point, " U+%04X", e.code_point);
    return std::string("error ") + velmora_status_message(e.status) + ": " + e.field + " " + std::to_string(e.offset) +
           code_point;
}

// What a row's call gives, in the words of its expectation: the PDUs, "parts N" for rows
// too long to list, "count ..." or "error ...".
std::string run(const std::string &text, const std::string &option_text, const std::string &expect) {
    const round_trip::Options options(option_text);
    EXPECT_TRUE(options.known) << option_text;
    velmora_error e = VELMORA_ERROR_INIT;
    if (expect.rfind("count", 0) == 0) {
        velmora_count_result r = VELMORA_COUNT_RESULT_INIT;
        if (velmora_count(text.data(), text.size(), &options.o, &r, &e) != VELMORA_OK)
            return describe(e);
        char out[96];
        std::snprintf(out, sizeof out, "count %s %u %u %u %u %u %u", velmora_alphabet_name(r.alphabet), r.locking_shift,
                      r.single_shift, r.parts, r.units_per_part, r.units_used, r.units_left);
        return out;
    }
    const round_trip::Encoded r = round_trip::encode(options, text);
    EXPECT_EQ(r.problem, "");
    if (r.status != VELMORA_OK)
        return describe(r.error) + (r.status == VELMORA_E_NO_ROOM ? " needs " + std::to_string(r.count) : "");
    if (expect.rfind("parts", 0) == 0)
        return "parts " + std::to_string(r.count);
    std::string hex;
    for (std::size_t i = 0; i < r.count; ++i)
        hex += std::string(i ? " " : "") + r.pdus[i].hex;
    return hex;
}

}  // namespace

// Each row's call and its expectation; also run on several threads by pdu_test.cpp.
void vt::sms_encode_vectors() {
    for (const Row &row : rows("sms_encode.tsv")) {
        SCOPED_TRACE(row.where + ": " + row[0]);
        EXPECT_EQ(run(unescape(row[1]), row[2], row[3]), row[3]);
    }
}

namespace {

TEST(SmsEncodeTest, Vectors) { vt::sms_encode_vectors(); }

// Random texts of the characters libvelmora.so.2 carries: the PDUs of sms_encode_pdus in
// both layouts, its reference taken over, where it does not cut the text at 918 codes.
TEST(SmsEncodeTest, SameAsCompatibilityEncoder) {
    const std::u32string alphabet = U"@£$¥èéùìòÇ\nØøÅå_ÆæßÉ !\"#¤%&'()*+,-./09:;<=>?¡AZÄÖÑÜ§¿azäöñüà€\f[\\]^{|}~";
    std::mt19937 random(11);
    int compared = 0;
    for (int round = 0; round < 600; ++round) {
        const bool cdma = round % 2;
        std::string utf8;
        for (std::size_t n = random() % 800; n > 0; --n) {
            char bytes[4];
            const char32_t c = random() % 2 ? U'a' + random() % 26 : alphabet[random() % alphabet.size()];
            utf8.append(bytes, velmora::put_utf8(c, bytes));
        }
        const std::string latin = round_trip::compat_text(utf8);
        velmora_count_result counted = VELMORA_COUNT_RESULT_INIT;
        ASSERT_EQ(velmora_count(utf8.data(), utf8.size(), nullptr, &counted, nullptr), VELMORA_OK);
        if (latin.empty() || counted.units_used > 918)
            continue;
        const auto old = vt::addressed({}, 0, latin);
        ASSERT_EQ(sms_encode_pdus(old.get(), cdma ? SMS_FORMAT_3GPP2 : SMS_FORMAT_GSM, 0), 0);
        const std::string reference = old->pdu_count > 1 ? std::string(old->pdus[0].pdu + (cdma ? 34 : 28), 2) : "";
        const round_trip::Options options((cdma ? "cdma=678" : "") + (reference.empty() ? "" : " ref=0x" + reference));
        const round_trip::Encoded r = round_trip::encode(options, utf8);
        ASSERT_EQ(r.count, old->pdu_count) << utf8;
        for (std::size_t i = 0; i < r.count; ++i)
            EXPECT_STREQ(r.pdus[i].hex, old->pdus[i].pdu) << utf8;
        compared += r.count > 1;
    }
    EXPECT_GT(compared, 300);
}

// Without a reference given, concatenated messages take the counter's next one (after 05 00 03).
TEST(SmsEncodeTest, ReferenceCounter) {
    const auto reference = [] { return std::stoi(run(std::string(200, 'a'), "", "").substr(28, 2), nullptr, 16); };
    const int first = reference();
    EXPECT_EQ((first + 1) % 256, reference());
}

}  // namespace
