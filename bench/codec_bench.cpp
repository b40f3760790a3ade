// SPDX-License-Identifier: Apache-2.0
// Septet packing both ways, including the internal packer that the encoders use.
#include <benchmark/benchmark.h>

#include <string>

#include "codec/septets.h"
#include "corpus.h"
#include "velmora.h"

namespace {

void septets_pack(benchmark::State &state) {
    const auto count = static_cast<std::uint32_t>(state.range(0));
    const auto fill = static_cast<std::uint32_t>(state.range(1));
    const std::string codes = corpus::gsm_codes(corpus::text(count));
    unsigned char packed[161];
    for (auto _ : state) {
        benchmark::DoNotOptimize(velmora::encode7(reinterpret_cast<const unsigned char *>(codes.data()), count,
                                                  packed, 160, fill));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(velmora::packed_size(count, fill)));
}
BENCHMARK(septets_pack)->Args({160, 0})->Args({153, 1})->Args({5, 0});

void septets_unpack(benchmark::State &state) {
    const auto count = static_cast<std::uint32_t>(state.range(0));
    const auto fill = static_cast<std::uint32_t>(state.range(1));
    const std::string packed = corpus::pack_septets(corpus::gsm_codes(corpus::text(count)), fill);
    unsigned char codes[322];
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            decode7(reinterpret_cast<const unsigned char *>(packed.data()), count, codes, sizeof codes, fill));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(packed.size()));
}
BENCHMARK(septets_unpack)->Args({160, 0})->Args({153, 1})->Args({5, 0});

}  // namespace

BENCHMARK_MAIN();
