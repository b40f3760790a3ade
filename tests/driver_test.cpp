// sms_encode_pdus from tests/vectors/driver.tsv. The reference counter is proven in a
// fresh process (tests/process) and across threads (concurrency_test.cpp).
#include "support.h"

namespace {

TEST(DriverTest, Vectors) {
    for (const vt::Row &row : vt::rows("driver.tsv")) {
        SCOPED_TRACE(row.where);
        const int format = static_cast<int>(row.num(0));
        const vt::Bytes text = vt::bytes(row[1]);
        auto sms = vt::addressed(row, text);
        std::memset(sms->text + text.size(), 'Z', sizeof sms->text - text.size());
        std::memset(sms->pdus, 'Y', sizeof sms->pdus);
        sms->pdu_count = 4;
        sms->data_coding = 7;
        const sms_message before = *sms;
        const auto trace = row.option("trace");
        int rc = 0;
        std::string printed;
        vt::HeapUse heap;
        const auto call = [&] { rc = sms_encode_pdus(sms.get(), format, trace.has_value()); };
        if (trace)
            printed = vt::printed(call);
        else
            heap = vt::heap_use(call);
        if (const auto sizes = row.option("heap"))
            vt::expect_heap(heap, *sizes);
        EXPECT_EQ(sms->data_coding, format == SMS_FORMAT_3GPP2 ? 2u : 0u);
        if (row[2] == "-") {
            EXPECT_EQ(rc, -1);
            EXPECT_EQ(sms->pdu_count, std::stoul(row.option("pdu_count").value_or("0")));
            EXPECT_EQ(sms->text_len, std::stoul(row.option("text_len").value_or(std::to_string(text.size()))));
            EXPECT_EQ(vt::Bytes(sms->pdus[0].pdu, 4), "YYYY");
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
        const unsigned ref = parts ? std::stoul(std::string(sms->pdus[0].pdu + (format ? 34 : 28), 2), nullptr, 16) : 0;
        auto part = std::make_unique<sms_message>(*sms);
        std::uint32_t at = 0;
        for (std::uint32_t i = 0; i < lengths.size(); at += lengths[i++]) {
            std::memcpy(part->text, codes + at, lengths[i]);
            part->text_len = lengths[i];
            char pdu[SMS_PDU_CAPACITY];
            const int n = (format ? sms_encode_3gpp2_pdu : sms_encode_pdu)(part.get(), pdu, sizeof pdu,
                                                                           parts ? i + 1 : 0, parts, ref, 0);
            EXPECT_EQ(vt::Bytes(sms->pdus[i].pdu, sizeof pdu), vt::Bytes(pdu, sizeof pdu)) << "part " << i + 1;
            EXPECT_EQ(static_cast<int>(sms->pdus[i].pdu_len), n) << "part " << i + 1;
        }
        EXPECT_EQ(at, count);
        if (lengths.size() < SMS_MAX_PARTS) {
            EXPECT_EQ(vt::Bytes(sms->pdus[lengths.size()].pdu, 4), "YYYY");
        }
        // The text holds the last part's codes, then a NUL when there are several parts.
        const std::uint32_t last = lengths.back();
        EXPECT_EQ(sms->text_len, last);
        EXPECT_EQ(vt::hex(vt::Bytes(sms->text, last + 1)),
                  vt::hex(vt::Bytes(codes + at - last, codes + at) + (parts ? '\0' : before.text[last])));
        if (trace) {  // RR in the golden file stands for the reference
            const std::string header = "050003" + vt::hex(vt::Bytes(1, static_cast<char>(ref)));
            for (std::size_t r; parts && (r = printed.find(header)) != std::string::npos;)
                printed.replace(r + 6, 2, "RR");
            vt::expect_golden(printed, *trace);
        }
    }
}

}  // namespace
