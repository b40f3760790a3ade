// Every vector on four threads at once, each with its own records and buffers, three times
// over: each gives what it gives on one thread. The tsan preset runs this under
// ThreadSanitizer, which also reports any state the calls share. References handed out
// across threads: tests/process.
#include <thread>

#include "support.h"

namespace {

TEST(ConcurrencyTest, VectorsOnFourThreads) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([] {
            for (int round = 0; round < 3; ++round) {
                vt::codec_vectors(false);
                vt::decoder_vectors(false);
                vt::encoder_vectors(false);
                vt::driver_vectors(false);
            }
        });
    for (std::thread &thread : threads)
        thread.join();
}

}  // namespace
