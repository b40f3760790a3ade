// sms_encode_pdus from tests/vectors/driver.tsv. The reference counter: tests/process.
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
        int rc = 0;
        const auto reference = [&] {  // in part 1's header, to 12345 (and 678)
            return sms->pdu_count < 2 ? 0u : std::stoul(Bytes(sms->pdus[0].pdu + (format ? 34 : 28), 2), nullptr, 16);
        };
        observe(row, [&] { rc = sms_encode_pdus(sms.get(), format, row.option("trace").has_value()); },
                [&](std::string &printed) {  // RR in the golden file stands for the reference
                    const std::string header = "050003" + hex(Bytes(1, static_cast<char>(reference())));
                    for (std::size_t at; reference() && (at = printed.find(header)) != std::string::npos;)
                        printed.replace(at + 6, 2, "RR");
                });
        EXPECT_EQ(sms->data_coding, format == SMS_FORMAT_3GPP2 ? 2u : 0u);
        std::vector<std::uint32_t> lengths;  // codes in each part
        std::istringstream in(row[2]);
        for (std::uint32_t n; in >> n;)
            lengths.push_back(n);
        EXPECT_EQ(rc, lengths.empty() ? -1 : 0);
        EXPECT_EQ(sms->pdu_count, lengths.empty() ? row.number("pdu_count", "0") : lengths.size());
        // Each slot to its last byte as the per-part encoder writes the part's codes; the slots
        // after them untouched; the text holding the last part's codes (several: NUL after them).
        unsigned char codes[918];
        encode_ascii_to_gsm0338(text.data(), static_cast<std::uint32_t>(text.size()), codes, sizeof codes, 0);
        auto part = std::make_unique<sms_message>(*sms);
        const auto parts = static_cast<std::uint32_t>(lengths.size() > 1 ? lengths.size() : 0);
        std::uint32_t at = 0;
        for (std::uint32_t i = 0; i < lengths.size(); at += lengths[i++]) {
            std::memcpy(part->text, codes + at, part->text_len = lengths[i]);
            char pdu[SMS_PDU_CAPACITY];
            const int n = (format ? sms_encode_3gpp2_pdu : sms_encode_pdu)(part.get(), pdu, sizeof pdu, parts ? i + 1 : 0,
                                                                           parts, reference(), 0);
            EXPECT_EQ(Bytes(sms->pdus[i].pdu, sizeof pdu) + std::to_string(sms->pdus[i].pdu_len),
                      Bytes(pdu, sizeof pdu) + std::to_string(n)) << "part " << i + 1;
        }
        const std::size_t slots = sizeof sms->pdus - lengths.size() * sizeof(sms_pdu_slot);
        EXPECT_EQ(Bytes(reinterpret_cast<char *>(sms->pdus + lengths.size()), slots), Bytes(slots, 'Y'));
        const std::uint32_t last = lengths.empty() ? 0 : lengths.back();
        EXPECT_EQ(sms->text_len, lengths.empty() ? row.number("text_len", std::to_string(text.size())) : last);
        if (!lengths.empty()) {
            EXPECT_EQ(hex(Bytes(sms->text, last + 1)),
                      hex(Bytes(codes + at - last, codes + at) + (parts ? '\0' : before.text[last])));
        }
    }
}

namespace {

TEST(DriverTest, Vectors) { vt::driver_vectors(true); }

}  // namespace
