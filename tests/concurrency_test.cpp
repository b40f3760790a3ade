// Concurrency: the re-entrant operations on several threads at once, each thread with its
// own records and buffers, must give exactly what they give on one thread; concurrent
// sms_encode_pdus calls must each get their own reference number. Run under
// ThreadSanitizer by the tsan preset, which also reports any shared state they touch.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <latch>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "velmora.h"

namespace {

constexpr int kThreads = 4;
constexpr int kRounds = 60;  // kThreads x kRounds encode calls stay below the 254 references

// A record as raw bytes; the decoders clear every byte, padding included, so two
// decodes of the same text compare equal byte for byte.
std::string record_bytes(const sms_message &sms) {
    return {reinterpret_cast<const char *>(&sms), sizeof sms};
}

std::string decode_gsm(const char *pdu) {
    auto sms = std::make_unique<sms_message>();
    std::memset(sms.get(), 0xA5, sizeof *sms);
    const int rc = sms_decode_pdu(pdu, static_cast<std::uint32_t>(std::strlen(pdu)), sms.get(), 0);
    return std::to_string(rc) + record_bytes(*sms);
}

std::string decode_3gpp2(const char *pdu) {
    auto sms = std::make_unique<sms_message>();
    std::memset(sms.get(), 0xA5, sizeof *sms);
    const int rc = sms_decode_3gpp2_pdu(pdu, static_cast<std::uint32_t>(std::strlen(pdu)), sms.get(), 0);
    return std::to_string(rc) + record_bytes(*sms);
}

std::unique_ptr<sms_message> addressed(const std::string &text) {
    auto sms = std::make_unique<sms_message>();
    std::memset(sms.get(), 0, sizeof *sms);
    std::memcpy(sms->text, text.data(), text.size());
    sms->text_len = static_cast<std::uint32_t>(text.size());
    std::memcpy(sms->dst_telnum, "12345", 5);
    sms->dst_telnum_len = 5;
    sms->dst_telnum_type = 0x81;
    std::memcpy(sms->telnum, "678", 3);
    sms->telnum_len = 3;
    sms->telnum_type = 0x81;
    return sms;
}

using PartEncoder = int (*)(const sms_message *, char *, std::uint32_t, std::uint32_t, std::uint32_t,
                            std::uint32_t, int);

std::string encode_part(PartEncoder encode, const std::string &codes, std::uint32_t part_no,
                        std::uint32_t part_count, std::uint32_t msg_ref, std::uint32_t coding = 0) {
    auto sms = addressed(codes);
    sms->data_coding = coding;
    char out[SMS_PDU_CAPACITY];
    const int length = encode(sms.get(), out, sizeof out, part_no, part_count, msg_ref, 0);
    return length > 0 ? std::string(out, static_cast<std::size_t>(length)) : "failed";
}

struct Job {
    const char *name;
    std::function<std::string()> run;
};

const std::vector<Job> &jobs() {
    static const std::vector<Job> all = {
        {"deliver hello", [] { return decode_gsm("00040B912143658709F1000012204131605080" "05E8329BFD06"); }},
        {"deliver part", [] { return decode_gsm("00440B912143658709F1000012204131605080" "090500032A0201D069"); }},
        {"deliver ucs2", [] { return decode_gsm("00040B912143658709F1000812204131605080" "0400480069"); }},
        {"3gpp2 hello", [] { return decode_3gpp2("07812143658709F1210214130605" "1002" "00" "02" "05" "E8329BFD06"); }},
        {"3gpp2 part", [] { return decode_3gpp2("07812143658709F1210214130605" "1005" "00" "02" "09" "0500032A0201D069"); }},
        {"submit single", [] { return encode_part(sms_encode_pdu, "hello", 0, 0, 0); }},
        {"submit part", [] { return encode_part(sms_encode_pdu, "hello", 2, 2, 0x17); }},
        {"3gpp2 single", [] { return encode_part(sms_encode_3gpp2_pdu, "hello", 0, 0, 0, 2); }},
        {"alphabet", [] {
             const char text[] = "a{b\x80[x]";
             unsigned char codes[918];
             const std::uint32_t n = encode_ascii_to_gsm0338(text, sizeof text - 1, codes, sizeof codes, 0);
             char back[161];
             const std::uint32_t k = decode_gsm0338_to_ascii(codes, n, back, sizeof back);
             return std::string(reinterpret_cast<char *>(codes), n) + "|" + std::string(back, k);
         }},
        {"septets", [] {
             const unsigned char packed[] = {0xE8, 0x32, 0x9B, 0xFD, 0x46, 0x97, 0xD9, 0xEC, 0x37};
             unsigned char codes[12];
             const int rc = decode7(packed, 10, codes, sizeof codes, 0);
             return std::to_string(rc) + std::string(reinterpret_cast<char *>(codes), 10);
         }},
        {"hex", [] {
             unsigned char octets[4];
             const std::uint32_t n = convert_bytestr_to_hexarray("0A1bFF7e", 8, octets, sizeof octets, 0);
             char text[8];
             const std::uint32_t m = convert_hexarray_to_bytestr(octets, n, text, sizeof text);
             return std::string(text, m);
         }},
        {"time stamps", [] {
             auto sms = std::make_unique<sms_message>();
             std::memset(sms.get(), 0, sizeof *sms);
             decode_datetime("12204131605080", sms.get());
             std::string out = sms->date_time;
             decode_datetime_3gpp2("210214130605", sms.get());
             return out + "|" + sms->date_time + "|" + sms->date_time_raw;
         }},
    };
    return all;
}

struct Mismatch {
    int count = 0;
    std::string first;
};

TEST(ConcurrencyTest, ReentrantOperationsOnSeparateRecords) {
    // One thread first: the results every concurrent run must reproduce.
    std::vector<std::string> expected;
    for (const Job &job : jobs())
        expected.push_back(job.run());
    EXPECT_EQ(expected[5], "00110005812143F50000AA05E8329BFD06");
    EXPECT_EQ(expected[6], "00410005812143F500000C050003170202D06536FB0D");
    EXPECT_EQ(expected[7], "04812143F5038176F81002000205E8329BFD06");
    EXPECT_EQ(expected[10], "0A1BFF7E");
    EXPECT_EQ(expected[0].substr(0, 1), "0");
    EXPECT_EQ(expected[3].substr(0, 1), "0");

    std::array<Mismatch, kThreads> mismatches;
    std::latch start(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            start.arrive_and_wait();
            const std::size_t n = jobs().size();
            for (int round = 0; round < kRounds; ++round)
                for (std::size_t j = 0; j < n; ++j) {
                    const std::size_t k = (j + static_cast<std::size_t>(t)) % n;  // threads out of step
                    if (jobs()[k].run() != expected[k] && mismatches[t].count++ == 0)
                        mismatches[t].first = jobs()[k].name;
                }
        });
    for (std::thread &thread : threads)
        thread.join();
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(mismatches[t].count, 0) << "thread " << t << ", first at " << mismatches[t].first;
}

// The reference octet of a part: after TP-UDL (3GPP2: user_data_length), UDHL, IEI and IEDL.
unsigned reference_of(const sms_pdu_slot &slot, bool gsm) {
    const std::size_t octet = gsm ? 11 + 3 : 12 + 3 + 2;  // numbers 12345 and 678
    return static_cast<unsigned>(std::stoul(std::string(slot.pdu + 2 * octet, 2), nullptr, 16));
}

TEST(ConcurrencyTest, EncodePdusFromSeveralThreads) {
    // Each thread sends its own two-part text, half of them as 3GPP2.
    std::array<std::string, kThreads> texts;
    for (int t = 0; t < kThreads; ++t)
        texts[t] = std::string(200, static_cast<char>('a' + t));

    std::array<std::vector<unsigned>, kThreads> references;
    std::array<Mismatch, kThreads> mismatches;
    std::latch start(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            const bool gsm = t % 2 == 0;
            const PartEncoder encode = gsm ? sms_encode_pdu : sms_encode_3gpp2_pdu;
            const std::uint32_t coding = gsm ? 0 : 2;
            auto sms = addressed(texts[t]);
            start.arrive_and_wait();
            for (int round = 0; round < kRounds; ++round) {
                std::memcpy(sms->text, texts[t].data(), texts[t].size());
                sms->text_len = static_cast<std::uint32_t>(texts[t].size());
                const int rc = sms_encode_pdus(sms.get(), gsm ? SMS_FORMAT_GSM : SMS_FORMAT_3GPP2, 0);
                std::string problem;
                if (rc != 0 || sms->pdu_count != 2) {
                    problem = "result";
                } else {
                    const unsigned ref = reference_of(sms->pdus[0], gsm);
                    references[t].push_back(ref);
                    // The parts the per-part encoder makes for this reference on its own.
                    const std::string want[2] = {
                        encode_part(encode, texts[t].substr(0, 153), 1, 2, ref, coding),
                        encode_part(encode, texts[t].substr(153), 2, 2, ref, coding)};
                    for (int p = 0; p < 2; ++p)
                        if (std::string(sms->pdus[p].pdu, sms->pdus[p].pdu_len) != want[p])
                            problem = "part " + std::to_string(p + 1);
                }
                if (!problem.empty() && mismatches[t].count++ == 0)
                    mismatches[t].first = "round " + std::to_string(round) + ": " + problem;
            }
        });
    for (std::thread &thread : threads)
        thread.join();
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(mismatches[t].count, 0) << "thread " << t << ", first at " << mismatches[t].first;

    // Every call got a reference of its own, and together they are consecutive (mod 254).
    std::set<unsigned> seen;
    for (const auto &list : references)
        for (unsigned ref : list) {
            EXPECT_TRUE(ref >= 1 && ref <= 254) << ref;
            EXPECT_TRUE(seen.insert(ref).second) << "reference " << ref << " handed out twice";
        }
    ASSERT_EQ(seen.size(), static_cast<std::size_t>(kThreads * kRounds));
    const auto run_starts = std::count_if(seen.begin(), seen.end(), [&](unsigned ref) {
        return seen.count(ref == 1 ? 254 : ref - 1) == 0;
    });
    EXPECT_EQ(run_starts, 1);
}

}  // namespace
