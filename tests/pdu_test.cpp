// Both decoders from tests/vectors/decode.tsv and prefixes.tsv, both per-part encoders
// from encode.tsv.
#include "support.h"

namespace {

using Decoder = int (*)(const char *, std::uint32_t, sms_message *, int);
Decoder decoder(const std::string &name) { return name == "gsm" ? sms_decode_pdu : sms_decode_3gpp2_pdu; }

}  // namespace

void vt::decoder_vectors(bool traced) {
    for (const Row &row : rows("decode.tsv", traced)) {
        SCOPED_TRACE(row.where);
        auto got = record(0xA5), want = record();
        for (std::size_t i = 3; i < row.f.size(); ++i)
            set(*want, row[i]);
        const Exact pdu(row[1]);
        const std::uint32_t sz = row.number("sz", std::to_string(row[1].size()));
        int rc = 0;
        observe(row, [&, debug = row.option("trace").has_value()] { rc = decoder(row[0])(pdu.c(), sz, got.get(), debug); });
        EXPECT_EQ(rc, row.num(2));
        expect_same(*want, *got);
    }
    // Every prefix in a block of its exact size, sz its length: from `ok` characters on the
    // decode succeeds, from `zeros` on as if the missing characters were zeros.
    for (const Row &row : rows("prefixes.tsv")) {
        SCOPED_TRACE(row.where);
        const std::string &full = row[1];
        const std::size_t ok = row.num(2), zeros = row[3] == "-" ? full.size() + 1 : row.num(3);
        for (std::size_t p = 0; p <= full.size(); ++p) {
            SCOPED_TRACE("prefix " + std::to_string(p));
            auto got = record(0xA5), want = record();
            const std::string padded = full.substr(0, p - p % 2) + std::string(full.size() - p + p % 2, '0');
            if (p >= ok && p >= zeros)
                decoder(row[0])(padded.c_str(), static_cast<std::uint32_t>(padded.size()), want.get(), 0);
            for (std::size_t i = 4; i < row.f.size() && (p < ok || p < zeros); ++i)
                if (std::stoul(row[i]) <= p)
                    set(*want, row[i].substr(row[i].find(':') + 1));
            EXPECT_EQ(decoder(row[0])(Exact(full.substr(0, p)).c(), static_cast<std::uint32_t>(p), got.get(), 0),
                      p >= ok ? 0 : -1);
            expect_same(*want, *got);
        }
    }
}

void vt::encoder_vectors(bool traced) {
    for (const Row &row : rows("encode.tsv", traced)) {
        SCOPED_TRACE(row.where);
        auto sms = addressed(row, bytes(row[1]));
        sms->data_coding = row.number("coding", "0");
        const sms_message before = *sms;
        const auto encode = row[0] == "gsm" ? sms_encode_pdu : sms_encode_3gpp2_pdu;
        const std::uint32_t size = row.number("out", "322"), part_no = row.number("part_no", "0");
        const std::uint32_t parts = row.number("part_count", "0"), ref = row.number("ref", "0");
        std::string out(size + 2, 'x'), pdu = row[2] == "-" ? "" : row[2];
        int n = 0;
        observe(row, [&, debug = row.option("trace").has_value()] {
            n = encode(sms.get(), out.data(), size, part_no, parts, ref, debug);
        });
        EXPECT_EQ(n, pdu.empty() ? -1 : static_cast<int>(pdu.size()));
        EXPECT_EQ(out, pdu + std::string(size - pdu.size(), '\0') + "xx");
        expect_same(before, *sms);
    }
}

namespace {

TEST(DecoderTest, Vectors) { vt::decoder_vectors(true); }
TEST(EncoderTest, Vectors) { vt::encoder_vectors(true); }

}  // namespace
