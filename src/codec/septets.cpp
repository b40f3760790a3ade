// SPDX-License-Identifier: Apache-2.0
#include "codec/septets.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace velmora {
namespace {

// Little-endian load and store of the low `count` octets of a 64-bit word.
std::uint64_t load_octets(const unsigned char *in, std::uint32_t count) {
    std::uint64_t word = 0;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&word, in, count);
    } else {
        for (std::uint32_t i = 0; i < count; ++i)
            word |= std::uint64_t{in[i]} << (8 * i);
    }
    return word;
}

void store_octets(unsigned char *out, std::uint64_t word, std::uint32_t count) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(out, &word, count);
    } else {
        for (std::uint32_t i = 0; i < count; ++i)
            out[i] = static_cast<unsigned char>(word >> (8 * i));
    }
}

// Eight codes as one 56-bit group, code 0 in the lowest bits: the low 7 bits of each
// code, then pairs joined into 14 bits, quarters into 28, halves into 56.
std::uint64_t septet_group(const unsigned char *codes) {
    std::uint64_t group = load_octets(codes, 8) & 0x7F7F7F7F7F7F7F7F;
    group = (group & 0x007F007F007F007F) | (group & 0x7F007F007F007F00) >> 1;
    group = (group & 0x00003FFF00003FFF) | (group & 0x3FFF00003FFF0000) >> 2;
    group = (group & 0x000000000FFFFFFF) | (group & 0x0FFFFFFF00000000) >> 4;
    return group;
}

// A 56-bit group spread to eight codes, one per octet, code 0 in the lowest octet:
// halves of 28 bits, quarters of 14, then septets, each step moving the upper part up.
constexpr std::uint64_t kLowHalf = 0x000000000FFFFFFF, kHighHalf = 0x00FFFFFFF0000000;
constexpr std::uint64_t kLowQuarters = 0x00003FFF00003FFF, kHighQuarters = 0x0FFFC0000FFFC000;
constexpr std::uint64_t kLowSeptets = 0x007F007F007F007F, kHighSeptets = 0x3F803F803F803F80;

std::uint64_t spread_septets(std::uint64_t group) {
    group = (group & kLowHalf) | (group & kHighHalf) << 4;
    group = (group & kLowQuarters) | (group & kHighQuarters) << 2;
    group = (group & kLowSeptets) | (group & kHighSeptets) << 1;
    return group;
}

#if defined(__SSE2__)
// spread_septets on both 64-bit lanes.
__m128i spread_two_groups(__m128i group) {
    const auto step = [&group](std::uint64_t low, std::uint64_t high, int by) {
        const __m128i upper = _mm_and_si128(group, _mm_set1_epi64x(static_cast<long long>(high)));
        group = _mm_or_si128(_mm_and_si128(group, _mm_set1_epi64x(static_cast<long long>(low))),
                             _mm_slli_epi64(upper, by));
    };
    step(kLowHalf, kHighHalf, 4);
    step(kLowQuarters, kHighQuarters, 2);
    step(kLowSeptets, kHighSeptets, 1);
    return group;
}
#endif

}  // namespace

std::uint32_t encode7(const unsigned char *codes, std::uint32_t count, unsigned char *out, std::uint32_t cap,
                      std::uint32_t fill) {
    std::uint32_t written = 0;
    std::uint64_t pending = 0;  // stream bits not yet written, lowest first
    std::uint32_t pending_bits = fill;
    std::uint32_t i = 0;
    if (fill != 0) {
        if (cap == 0)
            return 0;
        if (count == 0) {
            // No code behind the fill bits: the octet still takes the first byte.
            out[written++] = static_cast<unsigned char>(codes[0] << fill);
            pending_bits = 0;
        }
    }

    // Whole groups: eight codes become seven octets.
    for (; i + 8 <= count && written + 7 <= cap; i += 8) {
        const std::uint64_t word = pending | septet_group(codes + i) << pending_bits;
        store_octets(out + written, word, 7);
        written += 7;
        pending = word >> 56;
    }
    for (; i < count; ++i) {
        pending |= std::uint64_t{codes[i] & 0x7Fu} << pending_bits;
        pending_bits += 7;
        while (pending_bits >= 8) {
            if (written == cap)
                return 0;
            out[written++] = static_cast<unsigned char>(pending);
            pending >>= 8;
            pending_bits -= 8;
        }
    }
    if (pending_bits > 0) {  // the last, partial octet
        if (written == cap)
            return 0;
        out[written++] = static_cast<unsigned char>(pending);
    }
    return written;
}

void unpack_septets(const unsigned char *in, std::uint32_t count, unsigned char *out, std::uint32_t fill) {
    // Code k is stream bits fill + 7k .. fill + 7k + 6; exactly packed_size(count, fill) octets are read.
    const std::uint64_t octets = (7 * std::uint64_t{count} + fill + 7) / 8;
    std::uint64_t bit = fill;
    std::uint32_t k = 0;
#if defined(__SSE2__)
    // Two groups at a time, one per 64-bit lane, spread by the same three steps; every
    // group starts at the same bit of its first octet. Both 8-octet loads stay inside.
    const __m128i shift = _mm_cvtsi32_si128(static_cast<int>(fill % 8));
    for (; k + 16 <= count && bit / 8 + 15 <= octets; k += 16, bit += 112) {
        const unsigned char *at = in + bit / 8;
        const __m128i groups = _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(at)),
                                                  _mm_loadl_epi64(reinterpret_cast<const __m128i *>(at + 7)));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + k), spread_two_groups(_mm_srl_epi64(groups, shift)));
    }
#endif
    for (; k + 8 <= count; k += 8, bit += 56) {
        const std::uint32_t shift = bit % 8;
        const std::uint64_t first = bit / 8;
        // A whole word while it stays inside the packed octets; the last group reads only its own.
        const std::uint64_t word = first + 8 <= octets ? load_octets(in + first, 8)
                                                       : load_octets(in + first, shift == 0 ? 7 : 8);
        store_octets(out + k, spread_septets(word >> shift), 8);
    }
    for (; k < count; ++k, bit += 7) {
        const std::uint32_t shift = bit % 8;
        std::uint32_t value = in[bit / 8] >> shift;
        if (shift > 1)
            value |= std::uint32_t{in[bit / 8 + 1]} << (8 - shift);
        out[k] = static_cast<unsigned char>(value & 0x7F);
    }
}

}  // namespace velmora
