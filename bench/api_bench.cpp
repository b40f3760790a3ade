// SPDX-License-Identifier: Apache-2.0
// The public API one message at a time: time per iteration is time per message,
// bytes_per_second counts the PDU text produced or consumed.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <string>

#include "corpus.h"
#include "velmora.h"

namespace {

// --- Encoding: text placed, then sms_encode_pdus --------------------------------

void encode(benchmark::State &state, int format, std::size_t length) {
    const std::string text = corpus::text(length);
    sms_message sms{};
    corpus::address(sms);
    for (auto _ : state) {
        corpus::place_text(sms, text);
        if (sms_encode_pdus(&sms, format, 0) != 0) {
            state.SkipWithError("sms_encode_pdus failed");
            break;
        }
        benchmark::DoNotOptimize(sms.pdus[0].pdu);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(corpus::pdu_text_length(sms)));
    state.counters["parts"] = sms.pdu_count;
}

BENCHMARK_CAPTURE(encode, gsm_5, SMS_FORMAT_GSM, 5);
BENCHMARK_CAPTURE(encode, gsm_160, SMS_FORMAT_GSM, 160);
BENCHMARK_CAPTURE(encode, gsm_918_six_parts, SMS_FORMAT_GSM, 918);
BENCHMARK_CAPTURE(encode, cdma_5, SMS_FORMAT_3GPP2, 5);
BENCHMARK_CAPTURE(encode, cdma_160, SMS_FORMAT_3GPP2, 160);
BENCHMARK_CAPTURE(encode, cdma_918_six_parts, SMS_FORMAT_3GPP2, 918);

// --- Decoding one PDU into a record ---------------------------------------------

using Decoder = int (*)(const char *, std::uint32_t, sms_message *, int);

// `expected` is what text/text_len must hold afterwards; a mismatch stops the run.
void decode(benchmark::State &state, Decoder decoder, const std::string &pdu, const std::string &expected,
            std::uint32_t expected_len) {
    sms_message sms{};
    const auto size = static_cast<std::uint32_t>(pdu.size());
    if (decoder(pdu.c_str(), size, &sms, 0) != 0 || sms.text_len != expected_len ||
        std::memcmp(sms.text, expected.data(), expected.size()) != 0) {
        state.SkipWithError("PDU does not decode to its text");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(decoder(pdu.c_str(), size, &sms, 0));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(pdu.size()));
}

void decode_text(benchmark::State &state, Decoder decoder, const std::string &pdu, std::size_t length) {
    const std::string text = corpus::text(length);
    decode(state, decoder, pdu, text, static_cast<std::uint32_t>(length));
}

void decode_ucs2(benchmark::State &state, Decoder decoder, const std::string &pdu, std::size_t length) {
    decode(state, decoder, pdu, corpus::ucs2_octets(length), static_cast<std::uint32_t>(length));
}

BENCHMARK_CAPTURE(decode_text, deliver_7bit_5, sms_decode_pdu, corpus::deliver_7bit(corpus::text(5)), 5);
BENCHMARK_CAPTURE(decode_text, deliver_7bit_160, sms_decode_pdu, corpus::deliver_7bit(corpus::text(160)), 160);
BENCHMARK_CAPTURE(decode_text, deliver_7bit_153_concatenated, sms_decode_pdu,
                  corpus::deliver_7bit(corpus::text(153), 1, 6), 153);
BENCHMARK_CAPTURE(decode_ucs2, deliver_ucs2_70, sms_decode_pdu, corpus::deliver_ucs2(corpus::ucs2_octets(70)), 70);
BENCHMARK_CAPTURE(decode_text, cdma_7bit_5, sms_decode_3gpp2_pdu, corpus::cdma_7bit(corpus::text(5)), 5);
BENCHMARK_CAPTURE(decode_text, cdma_7bit_160, sms_decode_3gpp2_pdu, corpus::cdma_7bit(corpus::text(160)), 160);
BENCHMARK_CAPTURE(decode_text, cdma_7bit_153_concatenated, sms_decode_3gpp2_pdu,
                  corpus::cdma_7bit(corpus::text(153), 1, 6), 153);
BENCHMARK_CAPTURE(decode_ucs2, cdma_ucs2_70, sms_decode_3gpp2_pdu, corpus::cdma_ucs2(corpus::ucs2_octets(70)), 70);

// --- The decoders are re-entrant: one record per thread, throughput over threads ---
// items_per_second is the total over the threads in real time; thread_cpu_ns is each
// thread's own CPU time per message, which stays flat when nothing is shared.

double thread_cpu_ns() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

void decode_threads(benchmark::State &state, Decoder decoder, const std::string &pdu) {
    sms_message sms{};  // per thread
    const auto size = static_cast<std::uint32_t>(pdu.size());
    const double start = thread_cpu_ns();
    for (auto _ : state) {
        benchmark::DoNotOptimize(decoder(pdu.c_str(), size, &sms, 0));
        benchmark::ClobberMemory();
    }
    const double cpu = thread_cpu_ns() - start;
    if (sms.text_len != 160)
        state.SkipWithError("PDU does not decode to 160 characters");
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(pdu.size()));
    state.counters["thread_cpu_ns"] =
        benchmark::Counter(cpu / static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1)),
                           benchmark::Counter::kAvgThreads);
}

BENCHMARK_CAPTURE(decode_threads, deliver_7bit_160, sms_decode_pdu, corpus::deliver_7bit(corpus::text(160)))
    ->Threads(1)->Threads(2)->UseRealTime();
BENCHMARK_CAPTURE(decode_threads, cdma_7bit_160, sms_decode_3gpp2_pdu, corpus::cdma_7bit(corpus::text(160)))
    ->Threads(1)->Threads(2)->UseRealTime();

// --- The exported codecs alone --------------------------------------------------

void hex_render(benchmark::State &state) {
    const std::string octets = corpus::pack_septets(corpus::gsm_codes(corpus::text(184)), 0);  // 161 octets
    char text[SMS_PDU_CAPACITY];
    const auto n = static_cast<std::uint32_t>(octets.size());
    for (auto _ : state) {
        benchmark::DoNotOptimize(convert_hexarray_to_bytestr(reinterpret_cast<const unsigned char *>(octets.data()),
                                                             n, text, sizeof text));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * 2 * static_cast<std::int64_t>(n));
}
BENCHMARK(hex_render);

void hex_parse(benchmark::State &state) {
    const std::string text = corpus::hex(corpus::pack_septets(corpus::gsm_codes(corpus::text(184)), 0));
    unsigned char octets[161];
    const auto n = static_cast<std::uint32_t>(text.size());
    for (auto _ : state) {
        benchmark::DoNotOptimize(convert_bytestr_to_hexarray(text.c_str(), n, octets, sizeof octets, 0));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(n));
}
BENCHMARK(hex_parse);

void alphabet_encode(benchmark::State &state) {
    const std::string text = corpus::text(static_cast<std::size_t>(state.range(0)));
    unsigned char codes[918];
    const auto n = static_cast<std::uint32_t>(text.size());
    for (auto _ : state) {
        benchmark::DoNotOptimize(encode_ascii_to_gsm0338(text.data(), n, codes, sizeof codes, 0));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(n));
}
BENCHMARK(alphabet_encode)->Arg(160)->Arg(918);

void alphabet_decode(benchmark::State &state) {
    const std::string codes = corpus::gsm_codes(corpus::text(160));
    char text[161];
    const auto n = static_cast<std::uint32_t>(codes.size());
    for (auto _ : state) {
        benchmark::DoNotOptimize(decode_gsm0338_to_ascii(reinterpret_cast<const unsigned char *>(codes.data()), n,
                                                         text, sizeof text));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(n));
}
BENCHMARK(alphabet_decode);

void septets_unpack(benchmark::State &state) {
    const std::string packed = corpus::pack_septets(corpus::gsm_codes(corpus::text(160)), 0);
    unsigned char codes[322];
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            decode7(reinterpret_cast<const unsigned char *>(packed.data()), 160, codes, sizeof codes, 0));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(packed.size()));
}
BENCHMARK(septets_unpack);

}  // namespace

BENCHMARK_MAIN();
