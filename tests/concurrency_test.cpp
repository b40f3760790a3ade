// Several threads at once, each with its own records and buffers: every vector gives what
// it gives on one thread, and concurrent sms_encode_pdus calls get a reference each. The
// tsan preset runs this under ThreadSanitizer, which also reports any state calls share.
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

TEST(ConcurrencyTest, VectorsOnSeveralThreads) {
    on_threads([](int) {
        for (int round = 0; round < 3; ++round) {
            vt::codec_vectors(false);
            vt::decoder_vectors(false);
            vt::encoder_vectors(false);
            vt::driver_vectors(false);
        }
    });
}

// Two-part messages, half of them 3GPP2: references all different and, together,
// consecutive modulo 254; each thread's parts alike but for the reference.
TEST(ConcurrencyTest, EveryCallItsOwnReference) {
    constexpr std::size_t kRounds = 60;  // 240 calls, fewer than the 254 references
    std::array<std::vector<unsigned>, kThreads> references;
    std::array<int, kThreads> mismatches{};
    on_threads([&](int t) {
        const std::size_t at = t % 2 ? 34 : 28;  // the reference's characters, to 12345 (and 678)
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
                mismatches[t] += round > 0 && sms->pdus[p].pdu + at + 2 != first[p];
                first[p] = sms->pdus[p].pdu + at + 2;
            }
        }
    });
    EXPECT_EQ(mismatches, (std::array<int, kThreads>{}));
    std::set<unsigned> seen;
    for (const auto &list : references)
        seen.insert(list.begin(), list.end());
    ASSERT_EQ(seen.size(), kThreads * kRounds);
    EXPECT_TRUE(*seen.begin() >= 1 && *seen.rbegin() <= 254);
    EXPECT_EQ(std::count_if(seen.begin(), seen.end(), [&](unsigned r) { return !seen.count(r == 1 ? 254 : r - 1); }), 1);
}

}  // namespace
