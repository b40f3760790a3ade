// SPDX-License-Identifier: Apache-2.0
// Both decoders from tests/vectors/decode.tsv and prefixes.tsv, both per-part encoders from
// encode.tsv, sms_encode_pdus from driver.tsv; then all vectors (sms_encode.tsv too) on four
// threads at once. The
// reference counter: tests/process.
#include <thread>

#include "support.h"

void vt::decoder_vectors(bool traced) {
    for (const Row &row : rows("decode.tsv", traced)) {
        SCOPED_TRACE(row.where);
        const auto decode = row[0] == "gsm" ? sms_decode_pdu : sms_decode_3gpp2_pdu;
        auto got = record(0xA5), want = record();
        for (std::size_t i = 3; i < row.f.size(); ++i)
            set(*want, row[i]);
        const Exact pdu(row[1]);
        const std::uint32_t sz = row.number("sz", std::to_string(row[1].size()));
        int rc = 0;
        const int debug = row.option("trace").has_value();
        observe(row, [&] { rc = decode(pdu.c(), sz, got.get(), debug); });
        EXPECT_EQ(rc, row.num(2));
        expect_same(*want, *got);
    }
    // Every prefix in a block of its exact size, sz its length: from `ok` characters on the
    // decode succeeds, from `zeros` on as if the missing characters were zeros.
    for (const Row &row : rows("prefixes.tsv")) {
        SCOPED_TRACE(row.where);
        const auto decode = row[0] == "gsm" ? sms_decode_pdu : sms_decode_3gpp2_pdu;
        const std::string &full = row[1];
        const std::size_t ok = row.num(2), zeros = row[3] == "-" ? full.size() + 1 : row.num(3);
        for (std::size_t p = 0; p <= full.size(); ++p) {
            SCOPED_TRACE("prefix " + std::to_string(p));
            auto got = record(0xA5), want = record();
            const std::string padded = full.substr(0, p - p % 2) + std::string(full.size() - p + p % 2, '0');
            if (p >= ok && p >= zeros)
                decode(padded.c_str(), static_cast<std::uint32_t>(padded.size()), want.get(), 0);
            for (std::size_t i = 4; i < row.f.size() && (p < ok || p < zeros); ++i)
                if (std::stoul(row[i]) <= p)
                    set(*want, row[i].substr(row[i].find(':') + 1));
            EXPECT_EQ(decode(Exact(full.substr(0, p)).c(), static_cast<std::uint32_t>(p), got.get(), 0), p >= ok ? 0 : -1);
            expect_same(*want, *got);
        }
    }
}

void vt::encoder_vectors(bool traced) {
    for (const Row &row : rows("encode.tsv", traced)) {
        SCOPED_TRACE(row.where);
        auto sms = addressed(row, 3, bytes(row[1]));
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

void vt::driver_vectors(bool traced) {
    for (const Row &row : rows("driver.tsv", traced)) {
        SCOPED_TRACE(row.where);
        const int format = static_cast<int>(row.num(0));
        const Bytes text = bytes(row[1]);
        auto sms = addressed(row, 3, text);
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
        EXPECT_EQ(sms->pdu_count, lengths.empty() ? row.number("after_pdu_count", "0") : lengths.size());
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
            const int n = (format ? sms_encode_3gpp2_pdu : sms_encode_pdu)(part.get(), pdu, sizeof pdu,
                                                                           parts ? i + 1 : 0, parts, reference(), 0);
            EXPECT_EQ(Bytes(sms->pdus[i].pdu, sizeof pdu) + std::to_string(sms->pdus[i].pdu_len),
                      Bytes(pdu, sizeof pdu) + std::to_string(n)) << "part " << i + 1;
        }
        const std::size_t slots = sizeof sms->pdus - lengths.size() * sizeof(sms_pdu_slot);
        EXPECT_EQ(Bytes(reinterpret_cast<char *>(sms->pdus + lengths.size()), slots), Bytes(slots, 'Y'));
        const std::uint32_t last = lengths.empty() ? 0 : lengths.back();
        EXPECT_EQ(sms->text_len, lengths.empty() ? row.number("after_text_len", std::to_string(text.size())) : last);
        if (!lengths.empty()) {
            EXPECT_EQ(hex(Bytes(sms->text, last + 1)),
                      hex(Bytes(codes + at - last, codes + at) + (parts ? '\0' : before.text[last])));
        }
    }
}

namespace {

TEST(DecoderTest, Vectors) { vt::decoder_vectors(true); }
TEST(EncoderTest, Vectors) { vt::encoder_vectors(true); }
TEST(DriverTest, Vectors) { vt::driver_vectors(true); }

// Each thread with its own records and buffers, three times over; the tsan preset runs it under
// ThreadSanitizer, which reports any state the calls share.
TEST(ConcurrencyTest, VectorsOnFourThreads) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([] {
            for (int round = 0; round < 3; ++round) {
                vt::codec_vectors(false);
                vt::decoder_vectors(false);
                vt::encoder_vectors(false);
                vt::driver_vectors(false);
                vt::sms_encode_vectors();
            }
        });
    for (std::thread &thread : threads)
        thread.join();
}

}  // namespace
