// Both decoders from tests/vectors/decode.tsv and prefixes.tsv, both per-part encoders
// from encode.tsv.
#include <cstdio>

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
        const auto trace = row.option("trace");
        int rc = 0;
        const auto call = [&] {
            rc = decoder(row[0])(pdu.c(), row.number("sz", std::to_string(row[1].size()).c_str()), got.get(), !!trace);
        };
        expect_heap(observe(trace, call), std::nullopt);
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
        int part[3] = {0, 0, 0};
        std::sscanf(row.option("part").value_or("0/0/0").c_str(), "%i/%i/%i", &part[0], &part[1], &part[2]);
        const std::uint32_t out_size = row.number("out", "322");
        const sms_message before = *sms;
        std::string out(out_size + 2, 'x');
        const auto trace = row.option("trace");
        int n = 0;
        const auto call = [&] {
            n = (row[0] == "gsm" ? sms_encode_pdu : sms_encode_3gpp2_pdu)(
                sms.get(), out.data(), out_size, static_cast<std::uint32_t>(part[0]),
                static_cast<std::uint32_t>(part[1]), static_cast<std::uint32_t>(part[2]), !!trace);
        };
        expect_heap(observe(trace, call), row.option("heap"));
        const std::string pdu = row[2] == "-" ? "" : row[2];
        EXPECT_EQ(n, pdu.empty() ? -1 : static_cast<int>(pdu.size()));
        EXPECT_EQ(out, pdu + std::string(out_size - pdu.size(), '\0') + "xx");
        expect_same(before, *sms);
    }
}

namespace {

TEST(DecoderTest, Vectors) { vt::decoder_vectors(true); }
TEST(EncoderTest, Vectors) { vt::encoder_vectors(true); }

TEST(PduTest, NullArgumentsTouchNothing) {
    auto sms = vt::record(0xA5), untouched = vt::record(0xA5);
    std::string out(SMS_PDU_CAPACITY, 'x');
    for (const Decoder decode : {sms_decode_pdu, sms_decode_3gpp2_pdu}) {
        EXPECT_EQ(decode(nullptr, 48, sms.get(), 0), -1);
        EXPECT_EQ(decode("00", 2, nullptr, 0), -1);
    }
    vt::observe("", [&] {  // traced, yet nothing printed
        for (const auto encode : {sms_encode_pdu, sms_encode_3gpp2_pdu}) {
            EXPECT_EQ(encode(sms.get(), nullptr, SMS_PDU_CAPACITY, 0, 0, 0, 1), -1);
            EXPECT_EQ(encode(nullptr, out.data(), SMS_PDU_CAPACITY, 0, 0, 0, 1), -1);
        }
    });
    EXPECT_EQ(sms_encode_pdus(nullptr, SMS_FORMAT_GSM, 0), -1);
    decode_datetime(nullptr, sms.get());
    decode_datetime_3gpp2(nullptr, sms.get());
    decode_datetime("12204131605080", nullptr);
    decode_datetime_3gpp2("210214130605", nullptr);
    vt::expect_same(*untouched, *sms);
    EXPECT_EQ(out, std::string(SMS_PDU_CAPACITY, 'x'));
}

}  // namespace
