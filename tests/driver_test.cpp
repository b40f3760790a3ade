// sms_encode_pdus from tests/vectors/driver.tsv. The reference counter is proven in a
// fresh process (tests/process) and across threads (concurrency_test.cpp).
#include "support.h"

void vt::driver_vectors(bool traced) {
    for (const Row &row : rows("driver.tsv", traced)) {
        SCOPED_TRACE(row.where);
        const int format = static_cast<int>(row.num(0));
        const Bytes text = bytes(row[1]);
        auto sms = addressed(row, text);
        std::memset(sms->text + text.size(), 'Z', sizeof sms->text - text.size());
        std::memset(sms->pdus, 'Y', sizeof sms->pdus);
        sms->pdu_count = 4;
        sms->data_coding = 7;
        const sms_message before = *sms;
        const auto trace = row.option("trace");
        int rc = 0;
        const auto call = [&] { rc = sms_encode_pdus(sms.get(), format, !!trace); };
        const auto reference = [&] { return sms->pdu_count < 2 ? 0 : std::stoi(Bytes(sms->pdus[0].pdu + (format ? 34 : 28), 2), nullptr, 16); };
        expect_heap(observe(trace, call, [&](std::string &printed) {  // RR stands for the reference
                        const std::string header = "050003" + hex(Bytes(1, static_cast<char>(reference())));
                        for (std::size_t r; reference() && (r = printed.find(header)) != std::string::npos;)
                            printed.replace(r + 6, 2, "RR");
                    }),
                    row.option("heap"));
        EXPECT_EQ(sms->data_coding, format == SMS_FORMAT_3GPP2 ? 2u : 0u);
        if (row[2] == "-") {
            EXPECT_EQ(rc, -1);
            EXPECT_EQ(sms->pdu_count, std::stoul(row.option("pdu_count").value_or("0")));
            EXPECT_EQ(sms->text_len, std::stoul(row.option("text_len").value_or(std::to_string(text.size()))));
            EXPECT_EQ(Bytes(sms->pdus[0].pdu, 4), "YYYY");
            continue;
        }
        ASSERT_EQ(rc, 0);
        std::vector<std::uint32_t> lengths;
        std::istringstream in(row[2]);
        for (std::uint32_t n; in >> n;)
            lengths.push_back(n);
        ASSERT_EQ(sms->pdu_count, lengths.size());

        // Each slot to its last byte as the per-part encoder writes the part's codes.
        unsigned char codes[918];
        const std::uint32_t count = encode_ascii_to_gsm0338(text.data(), static_cast<std::uint32_t>(text.size()),
                                                            codes, sizeof codes, 0);
        const auto parts = static_cast<std::uint32_t>(lengths.size() > 1 ? lengths.size() : 0);
        auto part = std::make_unique<sms_message>(*sms);
        std::uint32_t at = 0;
        for (std::uint32_t i = 0; i < lengths.size(); at += lengths[i++]) {
            std::memcpy(part->text, codes + at, lengths[i]);
            part->text_len = lengths[i];
            char pdu[SMS_PDU_CAPACITY];
            const int n = (format ? sms_encode_3gpp2_pdu : sms_encode_pdu)(part.get(), pdu, sizeof pdu,
                                                                           parts ? i + 1 : 0, parts,
                                                                           static_cast<std::uint32_t>(reference()), 0);
            EXPECT_EQ(Bytes(sms->pdus[i].pdu, sizeof pdu), Bytes(pdu, sizeof pdu)) << "part " << i + 1;
            EXPECT_EQ(static_cast<int>(sms->pdus[i].pdu_len), n) << "part " << i + 1;
        }
        EXPECT_EQ(at, count);
        if (lengths.size() < SMS_MAX_PARTS) {
            EXPECT_EQ(Bytes(sms->pdus[lengths.size()].pdu, 4), "YYYY");
        }
        // The text holds the last part's codes, then a NUL when there are several parts.
        const std::uint32_t last = lengths.back();
        EXPECT_EQ(sms->text_len, last);
        EXPECT_EQ(hex(Bytes(sms->text, last + 1)),
                  hex(Bytes(codes + at - last, codes + at) + (parts ? '\0' : before.text[last])));
    }
}

namespace {

TEST(DriverTest, Vectors) { vt::driver_vectors(true); }

}  // namespace
