// Several threads at once, each with its own records and buffers, must get what one
// thread gets, and concurrent sms_encode_pdus calls a reference each. The tsan preset
// runs this under ThreadSanitizer, which also reports any state the calls share.
#include <algorithm>
#include <array>
#include <latch>
#include <set>
#include <thread>

#include "support.h"

namespace {

constexpr int kThreads = 4;

void on_threads(const std::function<void(int)> &work) {
    std::latch start(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            start.arrive_and_wait();
            work(t);
        });
    for (std::thread &thread : threads)
        thread.join();
}

// Every decode and encode vector as a job giving its result and output as bytes.
std::vector<std::function<std::string()>> jobs() {
    std::vector<std::function<std::string()>> all;
    for (const vt::Row &row : vt::rows("decode.tsv"))
        all.emplace_back([pdu = row[1], gsm = row[0] == "gsm"] {
            auto sms = vt::record(0xA5);  // the decoders clear every byte, padding too
            const int rc = (gsm ? sms_decode_pdu : sms_decode_3gpp2_pdu)(
                pdu.c_str(), static_cast<std::uint32_t>(pdu.size()), sms.get(), 0);
            return std::to_string(rc) + std::string(reinterpret_cast<const char *>(sms.get()), sizeof *sms);
        });
    for (const vt::Row &row : vt::rows("encode.tsv"))
        all.emplace_back([row] {
            const auto sms = vt::addressed(row, vt::bytes(row[1]));
            char out[400] = {};
            const int n = (row[0] == "gsm" ? sms_encode_pdu : sms_encode_3gpp2_pdu)(sms.get(), out, sizeof out, 2, 2,
                                                                                   0x17, 0);
            return std::to_string(n) + out;
        });
    return all;
}

TEST(ConcurrencyTest, SameResultsOnSeveralThreads) {
    const auto all = jobs();
    std::vector<std::string> expected;
    for (const auto &job : all)
        expected.push_back(job());
    std::array<int, kThreads> mismatches{};
    on_threads([&](int t) {
        for (int round = 0; round < 20; ++round)
            for (std::size_t j = 0; j < all.size(); ++j) {
                const std::size_t k = (j + 7 * static_cast<std::size_t>(t)) % all.size();  // threads out of step
                mismatches[t] += all[k]() != expected[k];
            }
    });
    EXPECT_EQ(mismatches, (std::array<int, kThreads>{}));
}

// Two-part messages, half of them 3GPP2: references all different and, together,
// consecutive modulo 254; each thread's parts the same apart from the reference.
TEST(ConcurrencyTest, EveryCallItsOwnReference) {
    constexpr std::size_t kRounds = 60;  // 240 calls, fewer than the 254 references
    std::array<std::vector<unsigned>, kThreads> references;
    std::array<int, kThreads> mismatches{};
    on_threads([&](int t) {
        const std::size_t at = t % 2 ? 34 : 28;  // the reference's characters after 12345 (and 678)
        auto sms = vt::addressed(vt::Row{}, "");
        std::string first[2];
        for (std::size_t round = 0; round < kRounds; ++round) {
            std::memset(sms->text, 'a' + t, 200);
            sms->text_len = 200;
            if (sms_encode_pdus(sms.get(), t % 2, 0) != 0 || sms->pdu_count != 2) {
                ++mismatches[t];
                continue;
            }
            references[t].push_back(std::stoul(std::string(sms->pdus[0].pdu + at, 2), nullptr, 16));
            for (int p = 0; p < 2; ++p) {
                const std::string rest = sms->pdus[p].pdu + at + 2;
                mismatches[t] += round > 0 && rest != first[p];
                first[p] = rest;
            }
        }
    });
    EXPECT_EQ(mismatches, (std::array<int, kThreads>{}));
    std::set<unsigned> seen;
    for (const auto &list : references)
        seen.insert(list.begin(), list.end());
    ASSERT_EQ(seen.size(), kThreads * kRounds);
    EXPECT_GE(*seen.begin(), 1u);
    EXPECT_LE(*seen.rbegin(), 254u);
    EXPECT_EQ(std::count_if(seen.begin(), seen.end(), [&](unsigned r) { return !seen.count(r == 1 ? 254 : r - 1); }), 1);
}

}  // namespace
