// SPDX-License-Identifier: Apache-2.0
#include "codec/semi_octets.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace velmora {
namespace {

// The characters of both semi-octets of every octet, low nibble first, fillers left out.
struct DigitPair {
    char chars[2];
    std::uint8_t count;
};
constexpr std::array<DigitPair, 256> kDigitPairs = [] {
    std::array<DigitPair, 256> pairs{};
    for (std::uint32_t octet = 0; octet < 256; ++octet)
        for (const std::uint8_t nibble : {first_semi_octet(static_cast<std::uint8_t>(octet)),
                                          second_semi_octet(static_cast<std::uint8_t>(octet))})
            if (nibble != kSemiOctetFiller)
                pairs[octet].chars[pairs[octet].count++] = kSemiOctetDigits[nibble];
    return pairs;
}();

#if defined(__SSE2__)
// Up to 16 semi-octets from eight octets at once, when all are digits 0-9 or only the last
// is a filler; zeros follow the digits up to 16 characters. Nullopt leaves the octets to
// the loop.
std::optional<std::size_t> eight_octets_to_digits(const std::uint8_t *octets, std::size_t count, char *out,
                                                  std::optional<std::size_t> *misplaced_filler) {
    std::uint64_t word;
    std::memcpy(&word, octets, sizeof word);
    const __m128i in = _mm_cvtsi64_si128(static_cast<long long>(word));
    const __m128i low = _mm_and_si128(in, _mm_set1_epi8(0x0F));
    const __m128i high = _mm_and_si128(_mm_srli_epi16(in, 4), _mm_set1_epi8(0x0F));
    const __m128i values = _mm_unpacklo_epi8(low, high);  // in reading order
    const unsigned read = (1u << count) - 1;
    const unsigned not_decimal = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpgt_epi8(values, _mm_set1_epi8(9)))) & read;
    std::size_t written = count;
    if (not_decimal != 0) {
        const unsigned fillers = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(values, _mm_set1_epi8(0x0F))));
        if (not_decimal != 1u << (count - 1) || (fillers & not_decimal) == 0)
            return std::nullopt;
        written = count - 1;
        if (misplaced_filler != nullptr)
            *misplaced_filler = written;
    }
    const __m128i kept = _mm_cmpgt_epi8(_mm_set1_epi8(static_cast<char>(written)),
                                        _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_and_si128(_mm_add_epi8(values, _mm_set1_epi8('0')), kept));
    return written;
}
#endif

}  // namespace

std::size_t semi_octets_to_digits(std::span<const std::uint8_t> octets, std::size_t count, char *out,
                                  std::optional<std::size_t> *misplaced_filler, [[maybe_unused]] Vectors vectors) {
#if defined(__SSE2__)
    if (vectors != Vectors::Portable && count <= 16 && octets.size() >= 8)
        if (const auto written = eight_octets_to_digits(octets.data(), count, out, misplaced_filler))
            return *written;
#endif
    // Two digits an octet, each pair in its place, up to the first filler; from there on
    // each octet writes as many as it has.
    std::size_t i = 0;
    for (; i < count / 2; ++i) {
        const DigitPair &pair = kDigitPairs[octets[i]];
        std::memcpy(out + 2 * i, pair.chars, 2);
        if (pair.count != 2)
            break;
    }
    std::size_t written = 2 * i;
    for (; i < count / 2; ++i) {
        const DigitPair &pair = kDigitPairs[octets[i]];
        std::memcpy(out + written, pair.chars, 2);
        written += pair.count;
    }
    if (count % 2 != 0) {
        const DigitPair &last = kDigitPairs[octets[count / 2] | 0xF0];  // its high nibble is not read
        if (last.count != 0)
            out[written++] = last.chars[0];
    }
    if (misplaced_filler != nullptr && written < count) {
        // Every semi-octet but the last of an odd count must be a digit. Most often the one
        // filler is the last semi-octet, an address counted in octets.
        if (written + 1 == count && second_semi_octet(octets[(count - 1) / 2]) == kSemiOctetFiller && count % 2 == 0) {
            *misplaced_filler = count - 1;
            return written;
        }
        for (std::size_t k = 0; k < count; ++k) {
            const std::uint8_t octet = octets[k / 2];
            const std::uint8_t value = k % 2 == 0 ? first_semi_octet(octet) : second_semi_octet(octet);
            if (value == kSemiOctetFiller) {
                *misplaced_filler = k;
                break;
            }
        }
    }
    return written;
}

}  // namespace velmora
